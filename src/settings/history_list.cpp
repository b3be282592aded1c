#include "settings/history_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "settings/settings_store.h"

namespace {

constexpr DWORD HISTORY_TEXT_MAX = MAX_PATH;  // bytes read per stored entry, with terminator

// "History1" names slot 0.
void SlotValueName(int slot, char (&name)[16]) { std::snprintf(name, sizeof name, "History%d", slot + 1); }

std::string SubkeyPath(const char* subkey) { return std::string(SETTINGS_KEY_PATH) + "\\" + subkey; }

}  // namespace

void LoadHistory(HistoryList* list, const char* subkey) {
  FreeHistory(list);
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SubkeyPath(subkey).c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
    return;
  // Oldest first, so that each newer entry pushes the older ones down.
  for (int slot = HISTORY_SIZE - 1; slot >= 0; --slot) {
    char name[16];
    SlotValueName(slot, name);
    char text[HISTORY_TEXT_MAX];
    DWORD size = sizeof text;
    if (RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
      continue;
    text[size < sizeof text ? size : sizeof text - 1] = 0;
    AddToHistory(list, text);
  }
}

void AddToHistory(HistoryList* list, const char* text) {
  if (!text || !text[0]) return;
  std::unique_ptr<char[]>* slots = list->slots;
  for (int i = 0; i < HISTORY_SIZE; ++i) {
    if (slots[i] && _stricmp(slots[i].get(), text) == 0) {
      std::rotate(slots, slots + i, slots + i + 1);
      return;
    }
  }
  slots[HISTORY_SIZE - 1].reset();
  std::rotate(slots, slots + HISTORY_SIZE - 1, slots + HISTORY_SIZE);
  size_t size = std::strlen(text) + 1;
  slots[0] = std::make_unique<char[]>(size);
  std::memcpy(slots[0].get(), text, size);
}

void SaveHistory(const HistoryList* list, const char* subkey) {
  EnsureSettingsKey();
  char noClass[] = "";
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, SubkeyPath(subkey).c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, key.out(), nullptr) != ERROR_SUCCESS)
    return;
  for (int slot = 0; slot < HISTORY_SIZE; ++slot) {
    const char* text = list->slots[slot].get();
    if (!text) continue;
    char name[16];
    SlotValueName(slot, name);
    RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
  }
}

void FreeHistory(HistoryList* list) {
  for (auto& slot : list->slots) slot.reset();
}

void FillHistoryCombo(HWND combo, const HistoryList* list) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& slot : list->slots)
    if (slot) SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(slot.get()));
}
