#include "app/folder_selection.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "app/command_states.h"
#include "app/file_pane.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/text_case.h"
#include "model/folder_node.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/status_text.h"
#include "resource.h"
#include "shell/shell_items.h"

namespace {

constexpr UINT STATUS_REFRESH_SOON_MS = 400;
constexpr UINT STATUS_REFRESH_LATER_MS = 1000;
// Status timers use their own range so the pane host's other timers never clash.
constexpr UINT_PTR STATUS_TIMER_BASE = 0x5000;
constexpr UINT_PTR STATUS_TIMER_SPAN = 0x1000;

UINT_PTR g_statusTimerCounter = 0;

UINT_PTR NextStatusTimer() {
  g_statusTimerCounter = (g_statusTimerCounter + 1) % STATUS_TIMER_SPAN;
  return STATUS_TIMER_BASE + g_statusTimerCounter;
}

}  // namespace

void FormatWindowTitle(const char* path, char* out, size_t outSize) {
  char capitals[MAX_PATH + 1];
  size_t length = std::strlen(path);
  if (length < MAX_PATH) {
    std::memcpy(capitals, path, length + 1);
    WordCapitals(capitals);
  } else {
    lstrcpynA(capitals, path, sizeof capitals);  // too long: shown as it is
  }
  std::snprintf(out, outSize, "%s -> %s", ResourceString(IDS_WINDOW_TITLE).c_str(), capitals);
}

void OnFolderSelected(FolderNode* folder, const SelectionWindows& windows) {
  if (ShuttingDown || !IsFolderNode(folder)) return;
  for (int part = 0; part < STATUS_PARTS && windows.statusBar; ++part)
    SendMessageA(windows.statusBar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(" "));
  HTREEITEM item = FindResultsMode ? folder->findItem : folder->mainItem;
  if (HWND list = ActiveList())
    if (item) SendMessageA(list, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(item));
  const bool newlySelected = folder != CurrentFolder;
  CurrentFolder = folder;

  char path[SHELL_TEXT_MAX];
  if (windows.mainWindow && (DisplayNameOf(folder->parentFolder, folder->relativeIdList, SHGDN_FORPARSING, path) ||
                             (folder->absoluteIdList && SHGetPathFromIDListA(folder->absoluteIdList, path)))) {
    // A folder with no file-system path (the computer) parses as its class
    // id, which means nothing to the user: its own name stands instead.
    if (std::strncmp(path, "::", 2) == 0)
      DisplayNameOf(folder->parentFolder, folder->relativeIdList, SHGDN_NORMAL, path);
    char title[2 * MAX_PATH];
    FormatWindowTitle(path, title, sizeof title);
    SetWindowTextA(windows.mainWindow, title);
  }
  UpdateCommandStates(folder, windows.mainWindow ? GetMenu(windows.mainWindow) : nullptr, windows.toolbar);
  ShowFolderInFilePane(folder);
  RefreshStatusTexts(windows.statusBar, folder);
  if (windows.paneHost) {
    SetTimer(windows.paneHost, NextStatusTimer(), STATUS_REFRESH_SOON_MS, nullptr);
    SetTimer(windows.paneHost, NextStatusTimer(), STATUS_REFRESH_LATER_MS, nullptr);
  }
  // A refresh selects the same folder again; its watches are already in place.
  if (MonitorDriverMissing && newlySelected) WatchSelection(folder);
}

bool OnStatusRefreshTimer(HWND paneHost, UINT_PTR timer, HWND statusBar) {
  if (timer < STATUS_TIMER_BASE || timer >= STATUS_TIMER_BASE + STATUS_TIMER_SPAN) return false;
  KillTimer(paneHost, timer);
  RefreshStatusTexts(statusBar, CurrentFolder);
  return true;
}
