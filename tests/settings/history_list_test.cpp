// A history list as the user fills it, kept in the (scratch) registry and shown in a combo box.
#include <gtest/gtest.h>

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

TEST(HistoryList, SameTextMovesToTheFrontTheOldestDropsOutAndTheListComesBackFromTheRegistry) {
  HistoryList list;
  const char* const typed[] = {"C:\\Program Files", "Bravo", "Charlie", "Delta", "Echo",
                               "c:\\PROGRAM FILES", "",      nullptr};
  for (const char* text : typed) AddToHistory(&list, text);
  EXPECT_EQ((Texts{"C:\\Program Files", "Echo", "Delta", "Charlie", "Bravo", "", "", ""}), Entries(list))
      << "slot 4 moves to the front as stored, once; empty texts are ignored";
  SaveHistory(&list, CREATE_FOLDER_HISTORY);
  const std::string subkey = std::string(SETTINGS_KEY_PATH) + "\\" + CREATE_FOLDER_HISTORY;
  EXPECT_NE(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), "History6", RRF_RT_ANY, 0, 0, 0))
      << "empty slots are not stored";
  for (const char* text : {"Foxtrot", "Golf", "Hotel", "India"}) AddToHistory(&list, text);
  EXPECT_EQ((Texts{"India", "Hotel", "Golf", "Foxtrot", "C:\\Program Files", "Echo", "Delta", "Charlie"}),
            Entries(list))
      << "the ninth distinct text drops the oldest";

  LoadHistory(&list, CREATE_FOLDER_HISTORY);
  EXPECT_EQ((Texts{"C:\\Program Files", "Echo", "Delta", "Charlie", "Bravo", "", "", ""}), Entries(list));
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWN, 0, 0, 200, 200, HWND_MESSAGE, 0, AppInstance, 0);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
  FillHistoryCombo(combo, &list);
  Texts shown;
  for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
    char text[MAX_PATH] = "";
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    shown.push_back(text);
  }
  EXPECT_EQ((Texts{"C:\\Program Files", "Echo", "Delta", "Charlie", "Bravo"}), shown) << "newest first";
  DestroyWindow(combo);
  LoadHistory(&list, NAME_FILTER_HISTORY);
  EXPECT_EQ(Texts(HISTORY_SIZE), Entries(list)) << "a missing subkey gives an empty list";
}

}  // namespace
