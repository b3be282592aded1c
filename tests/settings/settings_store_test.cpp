// The settings key and record against the real registry, with
// HKEY_CURRENT_USER redirected to a scratch key for the whole process so the
// user's own settings are never read or written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "shell/shell_items.h"
#include "support/scratch_registry.h"
#include "support/temp_folder.h"

namespace {

::testing::Environment* const scratchCurrentUser = ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);

std::vector<std::string> StoredValueNames() {
  std::vector<std::string> names;
  RegistryKey key;
  RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_QUERY_VALUE, key.out());
  char name[256];
  DWORD size = sizeof name;
  for (DWORD i = 0; RegEnumValueA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, size = sizeof name)
    names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

// The stored bytes of a value of the |types| (RRF_RT_*), or "<absent>".
std::string StoredValue(const char* name, DWORD types) {
  std::string data(1024, '\0');
  DWORD size = static_cast<DWORD>(data.size());
  if (RegGetValueA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, name, types, nullptr, &data[0], &size) != ERROR_SUCCESS)
    return "<absent>";
  data.resize(size);
  return data;
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
  EXPECT_EQ(std::vector<std::string>{}, StoredValueNames()) << "loading writes nothing";
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

TEST_F(SettingsStore, RecordRoundTripsWithShownPanesClampedToOne) {
  ApplyDefaultSettings(&Settings);
  Settings.scanDrives = 1u << 3;
  Settings.mainWindowRect[2] = 812;
  Settings.ShowStatusBar = 0;
  Settings.ShowTabs = 2;
  SaveSettings(false);
  EXPECT_EQ(Bytes(Settings), StoredValue(SETTINGS_RECORD_VALUE, RRF_RT_REG_BINARY));
  EXPECT_EQ((std::vector<std::string>{SETTINGS_RECORD_VALUE, SAVE_ON_EXIT_VALUE}), StoredValueNames())
      << "no current folder, so no current path";

  SettingsRecord saved = Settings;
  saved.ShowTabs = 1;
  std::memset(&Settings, 0xAB, sizeof Settings);
  LoadSettings();
  EXPECT_EQ(Bytes(saved), Bytes(Settings)) << "the stored record comes back with the tab strip shown";
  EXPECT_FALSE(autoAddFixedDrives);

  SortColumnIndexHook = [] { return 6; };
  SaveSettings(false);
  std::string stored = StoredValue(SETTINGS_RECORD_VALUE, RRF_RT_REG_BINARY);
  ASSERT_EQ(SETTINGS_RECORD_SIZE, stored.size());
  EXPECT_EQ(1, stored[offsetof(SettingsRecord, ShowTabs)]) << "the tab strip flag is saved back as 1";
  EXPECT_EQ(6, stored[offsetof(SettingsRecord, sortColumn)]) << "the current sort column is stored";
  SortColumnIndexHook = [] { return -1; };
  SaveSettings(false);
  EXPECT_EQ(6, Settings.sortColumn) << "without a sort column the stored index stays";
}

TEST_F(SettingsStore, SaveOnExitOffWritesOnlyTheSwitchUntilASaveIsForced) {
  TempFolder temp;
  temp.MakeFolder("other");
  const std::string path = temp.Path("other");
  FolderNode* folder = CreateFolderNode();  // as the tree makes them: parent folder and relative list
  SHGetDesktopFolder(&folder->parentFolder);
  folder->absoluteIdList = folder->relativeIdList = IdListFromPath(temp.Path().c_str(), nullptr, nullptr);
  FolderNode* bare = CreateFolderNode();  // only the absolute list
  bare->absoluteIdList = IdListFromPath(path.c_str(), nullptr, nullptr);
  ASSERT_TRUE(folder->absoluteIdList && bare->absoluteIdList);

  CurrentFolder = folder;
  ToggleSaveOnExit();
  SaveSettings(false);
  EXPECT_EQ(std::vector<std::string>{SAVE_ON_EXIT_VALUE}, StoredValueNames());
  EXPECT_EQ(std::string(4, '\0'), StoredValue(SAVE_ON_EXIT_VALUE, RRF_RT_REG_DWORD));

  SaveSettings(true);
  EXPECT_EQ((std::vector<std::string>{CURRENT_PATH_VALUE, SETTINGS_RECORD_VALUE, SAVE_ON_EXIT_VALUE}),
            StoredValueNames());
  std::string root = temp.Path();
  root.pop_back();
  std::string stored = StoredValue(CURRENT_PATH_VALUE, RRF_RT_REG_SZ);
  EXPECT_EQ(0, _stricmp(root.c_str(), stored.c_str())) << stored << " for " << root;
  CurrentFolder = bare;
  SaveSettings(true);
  stored = StoredValue(CURRENT_PATH_VALUE, RRF_RT_REG_SZ);
  EXPECT_EQ(0, _stricmp(path.c_str(), stored.c_str())) << stored;
  EXPECT_EQ(path.size() + 1, stored.size()) << "stored with its terminating zero";

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

}  // namespace
