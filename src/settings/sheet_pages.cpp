#include "settings/sheet_pages.h"

#include <algorithm>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "resource.h"

namespace {

constexpr int CHECK_IMAGE_SIZE = 16;
constexpr COLORREF CHECK_IMAGE_TRANSPARENT = RGB(255, 0, 0);

bool g_sheetCentred = false;

}  // namespace

PROPSHEETPAGEA SheetPage(UINT templateId, DLGPROC proc, LPARAM data, const char* title) {
  PROPSHEETPAGEA page = {};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_HASHELP | (title ? PSP_USETITLE : 0);
  page.hInstance = AppInstance;
  page.pszTemplate = MAKEINTRESOURCEA(templateId);
  page.pszTitle = title;
  page.pfnDlgProc = proc;
  page.lParam = data;
  return page;
}

INT_PTR RunSheet(HWND owner, UINT captionId, std::vector<PROPSHEETPAGEA>& pages, UINT start) {
  g_sheetCentred = false;
  const std::string caption = ResourceString(captionId);
  PROPSHEETHEADERA sheet = {};
  sheet.dwSize = sizeof sheet;
  sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
  sheet.hwndParent = owner;
  sheet.hInstance = AppInstance;
  sheet.pszCaption = caption.c_str();
  sheet.nPages = static_cast<UINT>(pages.size());
  sheet.nStartPage = start;
  sheet.ppsp = pages.data();
  return PropertySheetA(&sheet);
}

void CentreSheetOnce(HWND page) {
  if (g_sheetCentred) return;
  g_sheetCentred = true;
  HWND sheet = GetParent(page);
  HWND owner = GetWindow(sheet, GW_OWNER);
  if (!owner) owner = MainWindow;
  RECT outer = {}, box = {};
  if (!owner || !GetWindowRect(owner, &outer) || !GetWindowRect(sheet, &box)) return;
  const int width = box.right - box.left, height = box.bottom - box.top;
  int left = (outer.left + outer.right - width) / 2;
  int top = (outer.top + outer.bottom - height) / 2;
  left = std::max(0, std::min(left, GetSystemMetrics(SM_CXSCREEN) - width));
  top = std::max(0, std::min(top, GetSystemMetrics(SM_CYSCREEN) - height));
  SetWindowPos(sheet, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HIMAGELIST LoadCheckStateImages() {
  return ImageList_LoadImageA(AppInstance, MAKEINTRESOURCEA(IDB_CHECK_STATES), CHECK_IMAGE_SIZE, 0,
                              CHECK_IMAGE_TRANSPARENT, IMAGE_BITMAP, 0);
}

bool IsItemChecked(HWND tree, HTREEITEM item) {
  const UINT state =
      static_cast<UINT>(SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
  return (state >> 12) == STATE_CHECKED;
}

void SetItemChecked(HWND tree, HTREEITEM item, bool checked) {
  TVITEMA change = {};
  change.mask = TVIF_STATE;
  change.hItem = item;
  change.stateMask = TVIS_STATEIMAGEMASK;
  change.state = INDEXTOSTATEIMAGEMASK(checked ? STATE_CHECKED : STATE_UNCHECKED);
  SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

HTREEITEM ItemAtMessagePos(HWND tree, UINT* hitFlags) {
  const DWORD position = GetMessagePos();
  TVHITTESTINFO hit = {};
  hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ScreenToClient(tree, &hit.pt);
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  *hitFlags = hit.flags;
  return item;
}
