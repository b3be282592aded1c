// What the options sheet and the folder-details sheet share: pages made from
// this program's templates, centring the sheet once, and the trees whose
// items carry a check mark in their state image.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// A page from template |templateId| with a help button; |title| replaces the
// template's caption as tab title when not null (it must outlive the sheet).
// The page's WM_INITDIALOG gets the page record, whose lParam is |data|.
PROPSHEETPAGEA SheetPage(UINT templateId, DLGPROC proc, LPARAM data, const char* title = nullptr);
// Runs a modal sheet over |owner| with the caption string |captionId| and a
// help button, opening on page |start|; returns the sheet's result.  Clears
// the centring flag first.
INT_PTR RunSheet(HWND owner, UINT captionId, std::vector<PROPSHEETPAGEA>& pages, UINT start);
// The first page initialised centres its sheet over the sheet's owner (the
// main window when it has none), kept inside the screen.
void CentreSheetOnce(HWND page);
// The page record a page's WM_INITDIALOG receives: its data.
inline LPARAM PageData(LPARAM initParam) { return reinterpret_cast<const PROPSHEETPAGEA*>(initParam)->lParam; }

// State images of the check-mark trees.
constexpr UINT STATE_UNCHECKED = 1;
constexpr UINT STATE_CHECKED = 2;
// 16 by 16 masked images from bitmap 117, red transparent; the caller owns it.
HIMAGELIST LoadCheckStateImages();
bool IsItemChecked(HWND tree, HTREEITEM item);
void SetItemChecked(HWND tree, HTREEITEM item, bool checked);
// The item under the cursor position of the message being handled (a click),
// and where on it.
HTREEITEM ItemAtMessagePos(HWND tree, UINT* hitFlags);

// Owns an image list.
class ImageList {
 public:
  ImageList() = default;
  ~ImageList() { Reset(); }
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  HIMAGELIST get() const { return list_; }
  void Reset(HIMAGELIST list = nullptr) {
    if (list_) ImageList_Destroy(list_);
    list_ = list;
  }

 private:
  HIMAGELIST list_ = nullptr;
};
