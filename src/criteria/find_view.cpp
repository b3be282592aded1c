#include "criteria/find_view.h"

#include <commctrl.h>

#include "app/folder_selection.h"
#include "app/process_state.h"
#include "app/window_layout.h"
#include "criteria/find_dialog.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "pane/status_text.h"

namespace {

constexpr int NORMAL_TAB = 0;
constexpr int FIND_RESULTS_TAB = 1;
constexpr LRESULT FEWEST_RESULT_ITEMS = 2;  // the top item and one folder

void SelectTab(int index) {
  if (HWND tabs = MainTabStrip()) SendMessageA(tabs, TCM_SETCURSEL, index, 0);
}

// After FindResultsMode changed: the newly shown pair takes over.
void SwitchTo(HWND tree) {
  if (ShuttingDown) return;
  ResetNameWidthCache();
  if (MainWindow) RequestLayout(MainWindow);
  if (!tree) return;
  FolderNode* selected = NodeFromItem(tree, TreeNext(tree, nullptr, TVGN_CARET));
  if (IsFolderNode(selected))
    OnFolderSelected(selected, {MainWindow, GetParent(tree), MainStatusBar(), MainToolbar()});
  else
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(TopItem(tree)));
  if (HWND list = ActiveList()) InvalidateRect(list, nullptr, TRUE);
  ResortBranch(tree, TopItem(tree));
  RefreshStatusTexts(MainStatusBar(), CurrentFolder);
}

}  // namespace

void ShowFindResultsView() {
  SelectTab(FIND_RESULTS_TAB);
  if (FindResultsMode) return;
  FindResultsMode = true;
  SwitchTo(Panes.findTree);
}

void ShowMainView() {
  SelectTab(NORMAL_TAB);
  if (!FindResultsMode) return;
  FindResultsMode = false;
  SwitchTo(Panes.mainTree);
}

void FindResultsViewCommand(HWND owner) {
  if (!Panes.findTree) return;
  if (SendMessageA(Panes.findTree, TVM_GETCOUNT, 0, 0) < FEWEST_RESULT_ITEMS)
    ShowFindDialog(owner);
  else
    ShowFindResultsView();
}
