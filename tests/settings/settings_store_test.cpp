// The settings key, record and history lists against the registry, HKEY_CURRENT_USER redirected to a scratch key.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "settings/history_list.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "shell/shell_items.h"
#include "support/scratch_registry.h"
#include "support/temp_folder.h"

namespace {

::testing::Environment* const scratchCurrentUser = ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);

// Every value under the settings key, by name, with its stored bytes.
std::map<std::string, std::string> Stored() {
  std::map<std::string, std::string> values;
  RegistryKey key;
  RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_QUERY_VALUE, key.out());
  char name[64], data[1024];
  DWORD nameSize = sizeof name, size = sizeof data;
  for (DWORD i = 0; RegEnumValueA(key.get(), i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                                  &size) == ERROR_SUCCESS;
       ++i, nameSize = sizeof name, size = sizeof data)
    values[name] = std::string(data, size);
  return values;
}

std::string Bytes(const SettingsRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// What a first run starts with, written out here rather than taken from the
// code under test; every other byte is 0.
std::string FirstRunBytes() {
  SettingsRecord r = {};
  r.includeKnownSubfolders = r.stopAllScans = r.sortColumn = 1;
  for (CriteriaSettings* criteria : {&r.findCriteria, &r.tagCriteria}) {
    criteria->sizeLow = criteria->sizeHigh = 10240000.0;
    criteria->sizeRelation = 2;  // greater than
    criteria->sizeFlags = 0x80;  // size test on, first measure
  }
  r.findCriteria.dateCount = 1;
  r.findCriteria.dateUnit = 1;          // hours
  r.ShowSizesInUnits = r.SizeMode = 1;  // actual disk usage
  r.allFixed = 1;
  r.ShowToolbar = r.ShowFilePane = r.ShowStatusBar = r.ShowTabs = 1;
  r.barColour = 0x00FF0000;                        // blue
  r.overflowColour = r.taggedColour = 0x000000FF;  // red
  r.FilePaneViewMode = 3;                          // list
  return Bytes(r);
}

class SettingsStore : public ::testing::Test {
  void SetUp() override {
    ClearSettingsKey();
    std::memset(&Settings, 0, sizeof Settings);
    saveOnExit = 1;
    autoAddFixedDrives = false;
    startPath[0] = 0;
  }
  void TearDown() override {
    CurrentFolder = nullptr;
    SortColumnIndexHook = nullptr;
  }
};

TEST_F(SettingsStore, FirstRunDefaultsUnlessAStoredRecordFits) {
  LoadSettings();
  EXPECT_EQ(FirstRunBytes(), Bytes(Settings)) << "no stored record: every field at its default";
  EXPECT_TRUE(autoAddFixedDrives) << "so every fixed disk is scanned";
  EXPECT_EQ(1u, saveOnExit) << "an absent switch means save on exit";
  EXPECT_STREQ("", startPath);
  EXPECT_TRUE(Stored().empty()) << "loading writes nothing";
  RegistryKey key;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, key.out())) << "the key is created";

  const std::string stored(300, '\x01');
  ASSERT_TRUE(WriteBinary(SETTINGS_RECORD_VALUE, stored.data(), 100));
  autoAddFixedDrives = false;
  LoadSettings();
  EXPECT_EQ(stored.substr(0, 100) + std::string(172, '\0'), Bytes(Settings)) << "the rest zero and no defaults";
  EXPECT_FALSE(autoAddFixedDrives);
  ASSERT_TRUE(WriteBinary(SETTINGS_RECORD_VALUE, stored.data(), 300));
  LoadSettings();
  EXPECT_EQ(FirstRunBytes(), Bytes(Settings)) << "a record too long to read gives the defaults";
  EXPECT_TRUE(autoAddFixedDrives);
}

TEST_F(SettingsStore, RecordRoundTripsWithShownPanesClampedAndSaveOnExitOffWritesOnlyTheSwitch) {
  ApplyDefaultSettings(&Settings);
  Settings.scanDrives = 1u << 3;
  Settings.mainWindowRect[2] = 812;
  Settings.ShowStatusBar = 0;
  Settings.ShowTabs = 2;
  SaveSettings(false);
  EXPECT_EQ((std::map<std::string, std::string>{{SAVE_ON_EXIT_VALUE, std::string("\1\0\0\0", 4)},
                                                {SETTINGS_RECORD_VALUE, Bytes(Settings)}}),
            Stored())
      << "no current folder, so no current path";
  SettingsRecord saved = Settings;
  saved.ShowTabs = 1;
  std::memset(&Settings, 0xAB, sizeof Settings);
  LoadSettings();
  EXPECT_EQ(Bytes(saved), Bytes(Settings)) << "the stored record comes back with the tab strip shown";
  EXPECT_FALSE(autoAddFixedDrives);

  SortColumnIndexHook = [] { return 6; };
  SaveSettings(false);
  saved.sortColumn = 6;
  EXPECT_EQ(Bytes(saved), Stored()[SETTINGS_RECORD_VALUE]) << "the tab strip saved back as 1, the sort column stored";
  SortColumnIndexHook = [] { return 0; };
  SaveSettings(false);
  EXPECT_EQ(0, Stored()[SETTINGS_RECORD_VALUE][offsetof(SettingsRecord, sortColumn)]) << "the name column is 0";
  SortColumnIndexHook = [] { return -1; };
  Settings.sortColumn = 6;
  SaveSettings(false);
  EXPECT_EQ(6, Settings.sortColumn) << "without a sort column the stored index stays";

  ClearSettingsKey();  // save on exit off writes only the switch until a save is forced
  TempFolder temp;
  temp.MakeFolder("other");
  const std::string path = temp.Path("other");
  std::string root = temp.Path();
  root.pop_back();
  FolderNode* folder = CreateFolderNode();  // as the tree makes them: parent folder and relative list
  SHGetDesktopFolder(&folder->parentFolder);
  folder->absoluteIdList = folder->relativeIdList = IdListFromPath(root.c_str(), nullptr, nullptr);
  FolderNode* bare = CreateFolderNode();  // only the absolute list
  bare->absoluteIdList = IdListFromPath(path.c_str(), nullptr, nullptr);
  ASSERT_TRUE(folder->absoluteIdList && bare->absoluteIdList);
  auto storedPath = [] { return Stored()[CURRENT_PATH_VALUE]; };

  CurrentFolder = folder;
  ToggleSaveOnExit();
  SaveSettings(false);
  EXPECT_EQ((std::map<std::string, std::string>{{SAVE_ON_EXIT_VALUE, std::string(4, '\0')}}), Stored());
  SaveSettings(true);
  EXPECT_EQ(3u, Stored().size());
  EXPECT_EQ(0, _stricmp(root.c_str(), storedPath().c_str())) << storedPath() << " for " << root;
  CurrentFolder = bare;
  SaveSettings(true);
  EXPECT_EQ(path.size() + 1, storedPath().size()) << "stored with its terminating zero";
  EXPECT_EQ(0, _stricmp(path.c_str(), storedPath().c_str())) << storedPath();

  LoadSettings();
  EXPECT_EQ(0u, saveOnExit);
  EXPECT_EQ(0, _stricmp(path.c_str(), startPath)) << "no folder on the command line: " << startPath;
  std::strcpy(startPath, "Z:\\given");
  LoadSettings();
  EXPECT_STREQ("Z:\\given", startPath) << "a folder from the command line wins";
  ToggleSaveOnExit();
  EXPECT_EQ(1u, saveOnExit);
  CurrentFolder = nullptr;
  FreeNodeRecord(folder);
  FreeNodeRecord(bare);
}

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
