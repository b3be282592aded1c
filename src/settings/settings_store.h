// The registry key holding every persistent value of the program, the typed
// reads and writes of its values, and the start-up load and the saves of the
// settings record.  Registry failures are silent: a failed read leaves the
// defaults, a failed write is ignored.
#pragma once
#include <windows.h>

// Under HKEY_CURRENT_USER.
constexpr char SETTINGS_KEY_PATH[] = "Software\\Tavorin\\Brisklane\\Version2.0\\Pelvanor";

constexpr char SAVE_ON_EXIT_VALUE[] = "SaveOnExit";
constexpr char SETTINGS_RECORD_VALUE[] = "GLobalSettings";
constexpr char CURRENT_PATH_VALUE[] = "CurrentPath";

// Owns one open registry key; closes it on every path.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const { return key_; }
  // For the opening call to fill; closes any key held before.
  HKEY* out() {
    Close();
    return &key_;
  }
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

// 1: the settings are saved when the main window goes away; 0: only on demand.
extern DWORD saveOnExit;
// Set when no settings record was stored: every fixed disk is then scanned and
// added to the start-up drives.
extern bool autoAddFixedDrives;

// Creates the settings key one level at a time where it is missing.
void EnsureSettingsKey();

// Each value access makes sure the key exists, then opens it for just that
// access.  True on success.  |size| is the buffer's size in bytes; a text read
// always ends in a zero, and is empty when it fails.
bool ReadDword(const char* name, DWORD* value);
bool ReadString(const char* name, char* buffer, DWORD size);
bool ReadBinary(const char* name, void* buffer, DWORD size);
bool WriteDword(const char* name, DWORD value);
bool WriteString(const char* name, const char* text);
bool WriteBinary(const char* name, const void* data, DWORD size);

// At start-up, before the main window exists: the save-on-exit switch, the
// settings record (defaults when none is stored) and, unless the command line
// named a folder, the folder that was current at the last save.
void LoadSettings();
// Always writes the save-on-exit switch; the record and the current folder
// only when saving on exit is on or |forced| (the save-now command).
void SaveSettings(bool forced);
// The save-on-exit menu command; the new state is written at the next save.
void ToggleSaveOnExit();

// The index of the current sort column, or a negative number when there is
// none.  The sorting code installs itself here; until then the stored index
// is kept as it was loaded.
using SortColumnIndexFunction = int (*)();
extern SortColumnIndexFunction SortColumnIndexHook;
