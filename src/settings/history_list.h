// The eight most recent texts of a dialog field (folders, names, patterns),
// newest first, kept in a subkey of the settings key as "History1" (newest)
// to "History8".
#pragma once
#include <windows.h>

#include <memory>

constexpr int HISTORY_SIZE = 8;

// Subkeys of the settings key, one per remembered field.
constexpr char COPY_MOVE_HISTORY[] = "CopyMoveTo";
constexpr char CREATE_FOLDER_HISTORY[] = "CreateFolder";
constexpr char NAME_FILTER_HISTORY[] = "SearchNameFilters";

struct HistoryList {
  std::unique_ptr<char[]> slots[HISTORY_SIZE];  // slot 0 newest; empty slots null
};

// Replaces the list's entries with the stored ones; an absent subkey leaves it empty.
void LoadHistory(HistoryList* list, const char* subkey);
// Puts |text| first.  A text already present in other letter case (ASCII only)
// moves to the front as it was stored; otherwise the oldest entry drops out.
// Empty or null texts are ignored.
void AddToHistory(HistoryList* list, const char* text);
void SaveHistory(const HistoryList* list, const char* subkey);
void FreeHistory(HistoryList* list);
// Replaces the combo box's entries with the list's, newest first.
void FillHistoryCombo(HWND combo, const HistoryList* list);
