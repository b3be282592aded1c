#include "shell/drag_drop.h"

#include <commctrl.h>
#include <shlobj.h>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "shell/com_ptr.h"

namespace {

constexpr DWORD ANY_EFFECT = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// The folder that expands when the cursor rests on it, and its running timer.
HTREEITEM g_hoverItem = nullptr;
bool g_hoverTimerSet = false;
TreeDropTarget* g_mainTarget = nullptr;
HWND g_mainTree = nullptr;

constexpr UINT ON_ITEM = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;

void StopHoverTimer(HWND tree) {
  if (g_hoverTimerSet) KillTimer(tree, HOVER_TIMER_ID);
  g_hoverTimerSet = false;
}

void CALLBACK OnHoverTimer(HWND tree, UINT, UINT_PTR, DWORD) {
  KillTimer(tree, HOVER_TIMER_ID);
  if (g_hoverItem) {
    TVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(tree, &hit.pt);
    SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if ((hit.flags & ON_ITEM) && hit.hItem == g_hoverItem)
      SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hit.hItem));
  }
  g_hoverTimerSet = false;
}

template <typename Interface>
HRESULT AnswerFor(Interface* self, REFIID iid, const IID& own, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own)) {
    *out = self;
    self->AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

}  // namespace

// --- Source -----------------------------------------------------------------

HRESULT TreeDropSource::QueryInterface(REFIID iid, void** out) {
  return AnswerFor<IDropSource>(this, iid, IID_IDropSource, out);
}
ULONG TreeDropSource::AddRef() { return InterlockedIncrement(&references_); }
ULONG TreeDropSource::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return left;
}

HRESULT TreeDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed) return DRAGDROP_S_CANCEL;
  if (!(keyState & (MK_LBUTTON | MK_RBUTTON))) return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT TreeDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// --- Target -----------------------------------------------------------------

TreeDropTarget::TreeDropTarget(HWND tree) : treeWindow_(tree) {
  locked_ = SUCCEEDED(CoLockObjectExternal(this, TRUE, TRUE));
}

TreeDropTarget::~TreeDropTarget() {
  if (forwardTarget_) forwardTarget_->Release();
}

void TreeDropTarget::Close() {
  // The last unlock releases the lock's own reference.
  if (locked_) CoLockObjectExternal(this, FALSE, TRUE);
  locked_ = false;
  Release();
}

HRESULT TreeDropTarget::QueryInterface(REFIID iid, void** out) {
  return AnswerFor<IDropTarget>(this, iid, IID_IDropTarget, out);
}
ULONG TreeDropTarget::AddRef() { return InterlockedIncrement(&references_); }
ULONG TreeDropTarget::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return left;
}

void TreeDropTarget::RemoveHighlight() const { SendMessageA(treeWindow_, TVM_SELECTITEM, TVGN_DROPHILITE, 0); }

HRESULT TreeDropTarget::LeaveForwarded() {
  HRESULT result = forwardTarget_->DragLeave();
  forwardTarget_->Release();
  forwardTarget_ = nullptr;
  forwardItem_ = nullptr;
  return result;
}

// One line per event while the cursor is within a scroll bar's breadth of an edge.
void TreeDropTarget::Scroll(POINT client) const {
  const LONG style = GetWindowLongA(treeWindow_, GWL_STYLE);
  RECT area;
  GetClientRect(treeWindow_, &area);
  const int band = GetSystemMetrics(SM_CYHSCROLL);
  if (style & WS_VSCROLL) {
    if (client.y < band) SendMessageA(treeWindow_, WM_VSCROLL, SB_LINEUP, 0);
    if (client.y > area.bottom - band) SendMessageA(treeWindow_, WM_VSCROLL, SB_LINEDOWN, 0);
  }
  const int side = GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) {
    if (client.x < side) SendMessageA(treeWindow_, WM_HSCROLL, SB_LINELEFT, 0);
    if (client.x > area.right - side) SendMessageA(treeWindow_, WM_HSCROLL, SB_LINERIGHT, 0);
  }
}

HRESULT TreeDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  accepting_ = true;
  g_hoverItem = nullptr;
  g_hoverTimerSet = false;
  dataObject_ = data;
  *effect = DROPEFFECT_MOVE;
  return S_OK;
}

HRESULT TreeDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  const DWORD allowed = *effect;
  *effect = DROPEFFECT_NONE;
  if (!accepting_) {
    RemoveHighlight();
    return S_OK;
  }
  TVHITTESTINFO hit = {};
  hit.pt = {point.x, point.y};
  ScreenToClient(treeWindow_, &hit.pt);
  Scroll(hit.pt);
  SendMessageA(treeWindow_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (!hit.hItem) {
    if (forwardTarget_) {
      g_hoverItem = nullptr;
      StopHoverTimer(treeWindow_);
      LeaveForwarded();
    }
    RemoveHighlight();
    return S_OK;
  }
  SendMessageA(treeWindow_, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(hit.hItem));
  if (hit.hItem != g_hoverItem && !g_hoverTimerSet) {
    g_hoverItem = hit.hItem;
    g_hoverTimerSet = true;
    SetTimer(treeWindow_, HOVER_TIMER_ID, HOVER_EXPAND_MS, OnHoverTimer);
  }
  FolderNode* node = NodeFromItem(treeWindow_, hit.hItem);
  if (!IsFolderNode(node) || !node->parentFolder || !node->relativeIdList) return S_OK;
  if (forwardTarget_ && forwardItem_ == node->relativeIdList) {
    // The same folder keeps the target that has had its DragEnter.
    *effect = allowed;
    return forwardTarget_->DragOver(keyState, point, effect);
  }
  if (forwardTarget_) {
    g_hoverItem = nullptr;
    StopHoverTimer(treeWindow_);
    LeaveForwarded();
  }
  LPCITEMIDLIST items[] = {node->relativeIdList};
  ComPtr<IDropTarget> folderTarget;
  if (FAILED(
          node->parentFolder->GetUIObjectOf(MainWindow, 1, items, IID_IDropTarget, nullptr, folderTarget.OutVoid())) ||
      !folderTarget)
    return S_OK;
  DWORD answer = allowed;
  if (FAILED(folderTarget->DragEnter(dataObject_, keyState, point, &answer)) || !answer) return S_OK;
  answer = allowed;
  folderTarget->DragOver(keyState, point, &answer);
  forwardTarget_ = folderTarget.Detach();
  forwardItem_ = node->relativeIdList;
  *effect = answer;
  return S_OK;
}

HRESULT TreeDropTarget::DragLeave() {
  StopHoverTimer(treeWindow_);
  HRESULT result = forwardTarget_ ? LeaveForwarded() : S_OK;
  RemoveHighlight();
  return result;
}

HRESULT TreeDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  StopHoverTimer(treeWindow_);
  HRESULT result = S_OK;
  if (forwardTarget_) {
    result = forwardTarget_->Drop(data, keyState, point, effect);
    forwardTarget_->Release();
    forwardTarget_ = nullptr;
    forwardItem_ = nullptr;
  }
  RemoveHighlight();
  return result;
}

// --- Starting a drag and the main tree's target -----------------------------

void StartFolderDrag(FolderNode* node) {
  if (!IsFolderNode(node) || !node->parentFolder || !node->relativeIdList) return;
  LPCITEMIDLIST items[] = {node->relativeIdList};
  ComPtr<IDataObject> data;
  if (FAILED(node->parentFolder->GetUIObjectOf(MainWindow, 1, items, IID_IDataObject, nullptr, data.OutVoid())) ||
      !data)
    return;
  ComPtr<TreeDropSource> source(new TreeDropSource);
  DWORD effect = DROPEFFECT_NONE;
  // The tree learns of a move through its change watch, so the effect is not used.
  DoDragDrop(data.get(), source.get(), ANY_EFFECT, &effect);
}

void RegisterTreeDropTarget(HWND tree) {
  if (g_mainTarget || !tree) return;
  g_mainTarget = new TreeDropTarget(tree);
  g_mainTree = tree;
  RegisterDragDrop(tree, g_mainTarget);
}

void CloseTreeDropTarget() {
  if (!g_mainTarget) return;
  TreeDropTarget* target = g_mainTarget;
  g_mainTarget = nullptr;
  g_hoverItem = nullptr;
  g_hoverTimerSet = false;
  RevokeDragDrop(g_mainTree);
  g_mainTree = nullptr;
  target->Close();
}

IDropTarget* MainTreeDropTarget() { return g_mainTarget; }
