// History lists in memory, in the registry (the scratch HKEY_CURRENT_USER of
// settings_store_test.cpp) and in a combo box.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "settings/history_list.h"
#include "settings/settings_store.h"

namespace {

using Texts = std::vector<std::string>;

// All eight slots, "" for an empty one.
Texts Entries(const HistoryList& list) {
  Texts entries;
  for (const auto& slot : list.slots) entries.push_back(slot ? slot.get() : "");
  return entries;
}

void AddAll(HistoryList* list, std::initializer_list<const char*> texts) {
  for (const char* text : texts) AddToHistory(list, text);
}

TEST(HistoryList, SameTextInOtherCaseMovesToTheFrontAndTheOldestDropsOut) {
  HistoryList list;
  AddAll(&list, {"C:\\Program Files", "Bravo", "Charlie", "Delta", "Echo", "c:\\PROGRAM FILES", "", nullptr});
  EXPECT_EQ((Texts{"C:\\Program Files", "Echo", "Delta", "Charlie", "Bravo", "", "", ""}), Entries(list))
      << "slot 4 moves to the front as stored, once; empty texts are ignored";
  AddAll(&list, {"Foxtrot", "Golf", "Hotel", "India"});
  EXPECT_EQ((Texts{"India", "Hotel", "Golf", "Foxtrot", "C:\\Program Files", "Echo", "Delta", "Charlie"}),
            Entries(list))
      << "the ninth distinct text drops the oldest";
  FreeHistory(&list);
  EXPECT_EQ(Texts(HISTORY_SIZE), Entries(list));
}

TEST(HistoryList, SavedListLoadsBackInTheSameOrder) {
  HistoryList saved;
  AddAll(&saved, {"oldest", "middle", "newest"});
  SaveHistory(&saved, CREATE_FOLDER_HISTORY);
  const std::string subkey = std::string(SETTINGS_KEY_PATH) + "\\" + CREATE_FOLDER_HISTORY;
  char text[16] = "";
  DWORD size = sizeof text;
  RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), "History1", RRF_RT_REG_SZ, nullptr, text, &size);
  EXPECT_STREQ("newest", text);
  EXPECT_NE(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), "History4", RRF_RT_ANY, 0, 0, 0))
      << "empty slots are not stored";
  HistoryList loaded;
  AddToHistory(&loaded, "left over");
  LoadHistory(&loaded, CREATE_FOLDER_HISTORY);
  EXPECT_EQ(Entries(saved), Entries(loaded));
  LoadHistory(&loaded, NAME_FILTER_HISTORY);
  EXPECT_EQ(Texts(HISTORY_SIZE), Entries(loaded)) << "a missing subkey gives an empty list";
}

TEST(HistoryList, ComboBoxShowsTheEntriesNewestFirst) {
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWN, 0, 0, 200, 200, HWND_MESSAGE, 0, AppInstance, 0);
  ASSERT_NE(nullptr, combo);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
  HistoryList list;
  AddAll(&list, {"D:\\Backup", "E:\\Media"});
  FillHistoryCombo(combo, &list);
  Texts shown;
  for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
    char text[MAX_PATH] = "";
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    shown.push_back(text);
  }
  EXPECT_EQ((Texts{"E:\\Media", "D:\\Backup"}), shown);
  DestroyWindow(combo);
}

}  // namespace
