#include "app/view_toggles.h"

#include <commctrl.h>

#include "app/command_states.h"
#include "app/file_pane.h"
#include "app/process_state.h"
#include "app/window_layout.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"

namespace {

void SetMenuCheck(HWND window, UINT id, bool checked) {
  if (HMENU menu = GetMenu(window)) CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// Flips |flag| and the child it governs; nothing without the child.
void Toggle(HWND window, HWND child, uint8_t* flag, UINT command) {
  if (!child) return;
  *flag = *flag ? 0 : 1;
  ShowWindow(child, *flag ? SW_SHOW : SW_HIDE);
  SetMenuCheck(window, command, *flag != 0);
  RequestLayout(window);
}

}  // namespace

void ToggleToolbar(HWND window) { Toggle(window, MainToolbar(), &Settings.ShowToolbar, IDM_SHOW_TOOLBAR); }
void ToggleStatusBar(HWND window) { Toggle(window, MainStatusBar(), &Settings.ShowStatusBar, IDM_SHOW_STATUS_BAR); }
void ToggleTabs(HWND window) { Toggle(window, MainTabStrip(), &Settings.ShowTabs, IDM_SHOW_TABS); }

void ToggleFilePane(HWND window) {
  if (!Settings.ShowFilePane) {
    Settings.ShowFilePane = 1;
    if (HWND view = FilePaneViewWindow()) ShowWindow(view, SW_SHOW);
    ShowFolderInFilePane(CurrentFolder);
  } else {
    Settings.ShowFilePane = 0;
    if (HWND view = FilePaneViewWindow()) ShowWindow(view, SW_HIDE);
    if (HWND tree = ActiveTree()) {
      SetFocus(tree);
      FolderNode* folder = CurrentFolder;
      if (IsFolderNode(folder)) {
        HTREEITEM item = FindResultsMode ? folder->findItem : folder->mainItem;
        if (item) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      }
    }
    RestoreMainMenu(window);
    FilePaneActive = false;
  }
  UpdateCommandStates(CurrentFolder, GetMenu(window), MainToolbar());
  SetMenuCheck(window, IDM_SHOW_FILE_PANE, Settings.ShowFilePane != 0);
  if (HWND toolbar = MainToolbar())
    SendMessageA(toolbar, TB_CHECKBUTTON, IDM_SHOW_FILE_PANE, MAKELONG(Settings.ShowFilePane ? TRUE : FALSE, 0));
  RequestLayout(window);
}

void RestoreMainMenu(HWND window) {
  HMENU old = GetMenu(window);
  HMENU fresh = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
  if (!fresh) return;
  SetMenu(window, fresh);
  if (old && IsMenu(old)) DestroyMenu(old);
}
