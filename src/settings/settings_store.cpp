#include "settings/settings_store.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

DWORD saveOnExit = 1;
bool autoAddFixedDrives = false;
SortColumnIndexFunction SortColumnIndexHook = nullptr;

namespace {

bool QueryValue(const char* name, void* buffer, DWORD size, DWORD* received) {
  EnsureSettingsKey();
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) return false;
  *received = size;
  return RegQueryValueExA(key.get(), name, nullptr, nullptr, static_cast<BYTE*>(buffer), received) == ERROR_SUCCESS;
}

bool SetValue(const char* name, DWORD type, const void* data, DWORD size) {
  EnsureSettingsKey();
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) return false;
  return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// The full parsing name of the current folder; false when there is none.
bool CurrentFolderPath(char* out) {
  out[0] = 0;
  FolderNode* folder = CurrentFolder;
  if (!IsFolderNode(folder)) return false;
  // A '?' stands for a character the code page cannot hold: the short form
  // of the path still names the folder.
  if (folder->parentFolder && DisplayNameOf(folder->parentFolder, folder->relativeIdList, SHGDN_FORPARSING, out) &&
      out[0] && !std::strchr(out, '?'))
    return true;
  // A node made without its parent's folder object still knows its absolute list.
  char path[MAX_PATH];
  if (!FileSystemPath(folder->absoluteIdList, path, false)) {
    out[0] = 0;
    return false;
  }
  lstrcpynA(out, path, MAX_PATH);
  return true;
}

}  // namespace

void EnsureSettingsKey() {
  // Each level is created under the one before it; the first ("Software")
  // always exists.  A level that cannot be made leaves the later ones to fail.
  const char* path = SETTINGS_KEY_PATH;
  for (const char* split = std::strchr(path, '\\'); split; split = std::strchr(split + 1, '\\')) {
    const std::string parent(path, split);
    const char* childEnd = std::strchr(split + 1, '\\');
    const std::string child = childEnd ? std::string(split + 1, childEnd) : std::string(split + 1);
    RegistryKey parentKey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ | KEY_WRITE, parentKey.out()) != ERROR_SUCCESS)
      continue;
    char noClass[] = "";
    RegistryKey childKey;
    DWORD disposition = 0;
    RegCreateKeyExA(parentKey.get(), child.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                    childKey.out(), &disposition);
  }
}

bool ReadDword(const char* name, DWORD* value) {
  DWORD stored = 0;
  DWORD received = 0;
  if (!QueryValue(name, &stored, sizeof stored, &received)) return false;
  *value = stored;
  return true;
}

bool ReadString(const char* name, char* buffer, DWORD size) {
  if (size == 0) return false;
  DWORD received = 0;
  if (!QueryValue(name, buffer, size, &received)) {
    buffer[0] = 0;
    return false;
  }
  // A stored text need not carry its terminating zero.
  buffer[received < size ? received : size - 1] = 0;
  return true;
}

bool ReadBinary(const char* name, void* buffer, DWORD size) {
  DWORD received = 0;
  return QueryValue(name, buffer, size, &received);
}

bool WriteDword(const char* name, DWORD value) { return SetValue(name, REG_DWORD, &value, sizeof value); }

bool WriteString(const char* name, const char* text) {
  return SetValue(name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

bool WriteBinary(const char* name, const void* data, DWORD size) { return SetValue(name, REG_BINARY, data, size); }

void LoadSettings() {
  DWORD stored = 0;
  if (ReadDword(SAVE_ON_EXIT_VALUE, &stored)) saveOnExit = stored;

  // A shorter stored record (an older version's) fills only its own length;
  // a longer one cannot be read and counts as none.
  std::memset(&Settings, 0, sizeof Settings);
  if (!ReadBinary(SETTINGS_RECORD_VALUE, &Settings, SETTINGS_RECORD_SIZE)) {
    autoAddFixedDrives = true;
    ApplyDefaultSettings(&Settings);
  }

  for (uint8_t* shown : {&Settings.ShowToolbar, &Settings.ShowFilePane, &Settings.ShowStatusBar, &Settings.ShowTabs})
    if (*shown > 1) *shown = 1;

  if (!startPath[0]) ReadString(CURRENT_PATH_VALUE, startPath, sizeof startPath);
}

void SaveSettings(bool forced) {
  WriteDword(SAVE_ON_EXIT_VALUE, saveOnExit);
  if (saveOnExit != 1 && !forced) return;

  int sortColumn = SortColumnIndexHook ? SortColumnIndexHook() : -1;
  if (sortColumn >= 0) Settings.sortColumn = static_cast<uint8_t>(sortColumn);
  WriteBinary(SETTINGS_RECORD_VALUE, &Settings, SETTINGS_RECORD_SIZE);

  char path[SHELL_TEXT_MAX];
  if (CurrentFolderPath(path)) WriteString(CURRENT_PATH_VALUE, path);
}

void ToggleSaveOnExit() { saveOnExit = saveOnExit == 1 ? 0 : 1; }
