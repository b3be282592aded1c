// Folders dragged out of the main tree as the shell's own data, and drops on
// a tree folder handed to that folder's own shell drop target, so the shell
// does every copy, move and link.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

struct FolderNode;

constexpr UINT_PTR HOVER_TIMER_ID = 111;  // timer of the tree
constexpr UINT HOVER_EXPAND_MS = 1000;

class TreeDropSource : public IDropSource {
 public:
  TreeDropSource() = default;
  TreeDropSource(const TreeDropSource&) = delete;
  TreeDropSource& operator=(const TreeDropSource&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

 private:
  virtual ~TreeDropSource() = default;
  LONG references_ = 1;
};

class TreeDropTarget : public IDropTarget {
 public:
  explicit TreeDropTarget(HWND tree);
  TreeDropTarget(const TreeDropTarget&) = delete;
  TreeDropTarget& operator=(const TreeDropTarget&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

  // Undoes the external lock and lets go of the creator's reference.
  void Close();

 private:
  virtual ~TreeDropTarget();
  void Scroll(POINT client) const;
  // Sends DragLeave to the folder that has the events and lets it go.
  HRESULT LeaveForwarded();
  void RemoveHighlight() const;

  HWND treeWindow_;
  bool accepting_ = false;
  LPCITEMIDLIST forwardItem_ = nullptr;
  IDropTarget* forwardTarget_ = nullptr;
  IDataObject* dataObject_ = nullptr;  // as DragEnter gave it; not referenced
  bool locked_ = false;
  LONG references_ = 1;
};

// Drags |node|'s folder as the shell's data object until the drop or cancel.
void StartFolderDrag(FolderNode* node);

// The main tree's drop target, registered with OLE; closed at the window's end.
void RegisterTreeDropTarget(HWND tree);
void CloseTreeDropTarget();
IDropTarget* MainTreeDropTarget();
