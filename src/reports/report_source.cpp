#include "reports/report_source.h"

#include "model/tree_items.h"

namespace {

constexpr int HEADER_TITLE_MAX = 128;

bool IsExpanded(HWND tree, HTREEITEM item) {
  return (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void WalkFrom(HWND tree, HTREEITEM item, int level, bool allLevels, bool withSiblings, const ReportVisit& visit) {
  for (; item; item = NextSiblingItem(tree, item)) {
    const bool expanded = IsExpanded(tree, item);
    visit(level, item);
    if (allLevels || expanded) WalkFrom(tree, FirstChildItem(tree, item), level + 1, allLevels, true, visit);
    if (!withSiblings) return;
  }
}

}  // namespace

void WalkReportItems(HWND tree, HTREEITEM start, bool allLevels, bool withSiblings, const ReportVisit& visit) {
  if (tree && start) WalkFrom(tree, start, 0, allLevels, withSiblings, visit);
}

HTREEITEM ReportCaret(HWND tree) { return TreeNext(tree, nullptr, TVGN_CARET); }

std::string HeaderItemTitle(HWND header, int index) {
  char title[HEADER_TITLE_MAX] = "";
  HDITEMA item = {};
  item.mask = HDI_TEXT;
  item.pszText = title;
  item.cchTextMax = sizeof title;
  SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
  return title;
}
