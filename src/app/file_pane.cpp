#include "app/file_pane.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/view_toggles.h"
#include "app/window_layout.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "pane/status_text.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "shell/file_operations.h"
#include "shell/shell_operation.h"

namespace {

// The view's own undo command, in the Edit menu it fills.
constexpr UINT VIEW_UNDO_COMMAND = 28699;
constexpr size_t UNDO_TEXT_MAX = 100;
constexpr char DEFAULT_UNDO_TEXT[] = "&Undo (default)";
constexpr int BROWSER_SLOT = 0;
// The child a shell view takes for its browser's toolbar; the main window has
// none by that number.
constexpr int SHELL_TOOLBAR_CHILD = 40960;

// The popups of menu 134 in the shared menu, with the group identifiers the
// shell's views expect, and every popup a view may have put there.
struct MergedPopup {
  UINT id;
  const char* name;
};
constexpr MergedPopup MERGED_POPUPS[] = {{0x8000, "&File"}, {0x8040, "&Edit"},  {0x9FFE, "&Tree"},
                                         {0x8080, "&View"}, {0x80C0, "Too&ls"}, {0x8100, "&Help"}};
constexpr UINT EDIT_POPUP = 0x8040;
constexpr UINT VIEW_SEPARATOR = 0x8081;
constexpr int VIEW_POPUP_POSITION = 3;
constexpr UINT REMOVED_POPUPS[] = {0x8000, 0x8040, 0x8080, 0x80C0, 0x8100, 0x9FFE, 0x9FFD, 0x9FFC, 0x9FFB};
// Group widths reported to the view: file, container and window groups.
constexpr LONG MERGED_WIDTHS[] = {4, 0, 4, 0, 1, 0};
constexpr LONG UNDO_WIDTHS[] = {1, 0, 0, 0, 0, 0};

void SetWidths(LPOLEMENUGROUPWIDTHS widths, const LONG (&values)[6]) {
  if (widths) std::memcpy(widths->width, values, sizeof values);
}

// What both browsers answer alike.  A count of 0 frees nothing: the owner of
// the browser deletes it when its view is gone.
class BrowserBase : public IShellBrowser {
 public:
  explicit BrowserBase(HWND owner) : owner_(owner) {}
  virtual ~BrowserBase() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IShellBrowser)) return E_NOINTERFACE;
    *out = static_cast<IShellBrowser*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references_); }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = owner_;
    return owner_ ? S_OK : E_FAIL;
  }

 protected:
  HWND owner_;

 private:
  LONG references_ = 1;
};

class FilePaneBrowser final : public BrowserBase {
 public:
  FilePaneBrowser(HWND owner, HWND paneHost) : BrowserBase(owner), paneHost_(paneHost) {}
  ~FilePaneBrowser() override {
    if (view) {
      if (stream) view->SaveViewState();
      view->UIActivate(SVUIA_DEACTIVATE);
      view->DestroyViewWindow();
      view->Release();
    }
    if (folder) folder->Release();
    if (stream) stream->Release();
    if (loadedMenu) DestroyMenu(loadedMenu);
  }

  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override {
    if (loadedMenu) DestroyMenu(loadedMenu);
    loadedMenu = nullptr;
    if (!viewActive) return S_OK;
    loadedMenu = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_FILE_PANE_MENU));
    if (!loadedMenu) return E_FAIL;
    int position = 0;
    for (const MergedPopup& popup : MERGED_POPUPS) {
      MENUITEMINFOA item = {};
      item.cbSize = sizeof item;
      item.fMask = MIIM_SUBMENU | MIIM_ID | MIIM_STRING;
      item.wID = popup.id;
      item.hSubMenu = GetSubMenu(loadedMenu, position++);
      item.dwTypeData = const_cast<char*>(popup.name);
      InsertMenuItemA(shared, GetMenuItemCount(shared), TRUE, &item);
    }
    MENUITEMINFOA separator = {};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_ID;
    separator.wID = VIEW_SEPARATOR;
    SetMenuItemInfoA(GetSubMenu(loadedMenu, VIEW_POPUP_POSITION), 0, TRUE, &separator);
    SetWidths(widths, MERGED_WIDTHS);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU shared, HOLEMENU, HWND activeObject) override {
    if (!viewActive || !shared) return S_OK;
    activeObject_ = activeObject;
    for (int i = 0, count = GetMenuItemCount(shared); i < count; ++i) {
      HMENU popup = GetSubMenu(shared, i);
      // A leading separator, left where the view merged nothing before it.
      if (popup && GetMenuItemCount(popup) > 0 && GetMenuItemID(popup, 0) == 0) RemoveMenu(popup, 0, MF_BYPOSITION);
    }
    SetMenu(owner_, shared);
    DrawMenuBar(owner_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU shared) override {
    // The popups stay menu 134's, destroyed with it.
    for (UINT id : REMOVED_POPUPS) RemoveMenu(shared, id, MF_BYCOMMAND);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModelessSB(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG*, WORD) override { return S_OK; }
  // The file pane follows the trees only.
  HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD mode, IStream** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!stream) return E_NOTIMPL;
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (mode & (STGM_WRITE | STGM_READWRITE)) {
      const ULARGE_INTEGER empty = {};
      stream->SetSize(empty);
    }
    stream->AddRef();
    *out = stream;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetControlWindow(UINT id, HWND* out) override {
    if (!out) return E_POINTER;
    *out = ControlWindow(id);
    if (id == FCW_TREE && !*out) return E_NOTIMPL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT* result) override {
    HWND control = (id == FCW_STATUS || id == FCW_TOOLBAR) ? ControlWindow(id) : nullptr;
    if (!control) return E_NOTIMPL;
    const LRESULT answer = SendMessageA(control, message, wParam, lParam);
    if (result) *result = answer;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** out) override {
    if (!out) return E_POINTER;
    *out = view;
    if (!view) return E_FAIL;
    view->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView*) override {
    SendMessageA(owner_, WM_FILE_PANE_ACTIVATED, BROWSER_SLOT, BROWSER_SLOT);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return S_OK; }

  IShellFolder* folder = nullptr;
  IShellView* view = nullptr;
  HWND viewWindow = nullptr;
  IStream* stream = nullptr;
  HMENU loadedMenu = nullptr;
  bool viewActive = false;

 private:
  HWND ControlWindow(UINT id) const {
    switch (id) {
      case FCW_STATUS:
        return GetDlgItem(owner_, IDC_STATUS_BAR);
      case FCW_TOOLBAR:
        return GetDlgItem(owner_, SHELL_TOOLBAR_CHILD);
      case FCW_TREE: {
        HWND tree = GetDlgItem(paneHost_, IDC_MAIN_TREE);
        return tree && IsWindowVisible(tree) ? tree : nullptr;
      }
    }
    return nullptr;
  }

  HWND paneHost_;
  HWND activeObject_ = nullptr;
};

// The hidden desktop view's browser: it keeps the Edit popup the view fills
// with its undo command.
class UndoBrowser final : public BrowserBase {
 public:
  explicit UndoBrowser(HWND owner) : BrowserBase(owner) {}
  ~UndoBrowser() override {
    if (view) {
      view->UIActivate(SVUIA_DEACTIVATE);
      view->DestroyViewWindow();
      view->Release();
    }
    if (desktop) desktop->Release();
    if (editPopup) DestroyMenu(editPopup);
  }

  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override {
    if (!editPopup) editPopup = CreatePopupMenu();
    if (editPopup) AppendMenuA(shared, MF_POPUP, reinterpret_cast<UINT_PTR>(editPopup), "&Edit");
    // AppendMenu takes no identifier for a popup; the shell finds it by this one.
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID;
    item.wID = EDIT_POPUP;
    SetMenuItemInfoA(shared, GetMenuItemCount(shared) - 1, TRUE, &item);
    SetWidths(widths, UNDO_WIDTHS);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU shared, HOLEMENU, HWND activeObject) override {
    sharedMenu = shared;
    activeObject_ = activeObject;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU shared) override {
    RemoveMenu(shared, EDIT_POPUP, MF_BYCOMMAND);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnableModelessSB(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD, IStream**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override { return E_NOTIMPL; }
  // No reference added: the view asks only while it exists.
  HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** out) override {
    if (!out) return E_POINTER;
    *out = view;
    return view ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }

  IShellFolder* desktop = nullptr;
  IShellView* view = nullptr;
  HWND viewWindow = nullptr;
  HMENU sharedMenu = nullptr;
  HMENU editPopup = nullptr;

 private:
  HWND activeObject_ = nullptr;
};

FilePaneBrowser* g_browser = nullptr;  // slot 0
bool g_showing = false;                // ShowFolderInFilePane is running
UndoBrowser* g_undo = nullptr;

HWND PaneHost() { return Panes.mainTree ? GetParent(Panes.mainTree) : nullptr; }

// The view's Edit popup item with the undo command, searched in every popup.
bool FindViewUndo(char* text, size_t size, bool* enabled) {
  if (!g_undo || !g_undo->viewWindow || !g_undo->sharedMenu) return false;
  if (g_undo->editPopup)
    SendMessageA(g_undo->viewWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(g_undo->editPopup), 0);
  for (int i = 0, count = GetMenuItemCount(g_undo->sharedMenu); i < count; ++i) {
    HMENU popup = GetSubMenu(g_undo->sharedMenu, i);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_STRING;
    char found[UNDO_TEXT_MAX + 1] = {};
    item.dwTypeData = found;
    item.cch = UNDO_TEXT_MAX;
    if (!popup || !GetMenuItemInfoA(popup, VIEW_UNDO_COMMAND, FALSE, &item)) continue;
    lstrcpynA(text, found, static_cast<int>(size));
    *enabled = !(item.fState & (MFS_GRAYED | MFS_DISABLED));
    return true;
  }
  return false;
}

}  // namespace

void ShowFolderInFilePane(FolderNode* folder) {
  HWND paneHost = PaneHost();
  if (!MainWindow || !paneHost || Settings.ShowFilePane != 1 || !IsFolderNode(folder) || g_showing) return;
  if (!folder->parentFolder || !folder->relativeIdList) return;
  IShellFolder* shown = nullptr;
  if (FAILED(folder->parentFolder->BindToObject(folder->relativeIdList, nullptr, IID_IShellFolder,
                                                reinterpret_cast<void**>(&shown))) ||
      !shown)
    return;
  g_showing = true;
  FilePaneBrowser* previous = g_browser;
  RECT rect = {};
  FOLDERSETTINGS settings = {Settings.FilePaneViewMode, 0};
  const bool firstView = !previous || !previous->viewWindow;
  if (firstView) {
    GetClientRect(MainWindow, &rect);
  } else {
    GetWindowRect(previous->viewWindow, &rect);
    MapWindowPoints(nullptr, MainWindow, reinterpret_cast<POINT*>(&rect), 2);
    if (SUCCEEDED(previous->view->GetCurrentInfo(&settings))) Settings.FilePaneViewMode = settings.ViewMode;
  }

  auto* browser = new FilePaneBrowser(MainWindow, paneHost);
  CreateStreamOnHGlobal(nullptr, TRUE, &browser->stream);
  browser->folder = shown;
  shown->AddRef();
  g_browser = browser;
  IShellView* view = nullptr;
  HWND created = nullptr;
  if (SUCCEEDED(shown->CreateViewObject(MainWindow, IID_IShellView, reinterpret_cast<void**>(&view))) && view) {
    browser->view = view;
    if (SUCCEEDED(view->CreateViewWindow(previous ? previous->view : nullptr, &settings, browser, &rect, &created)) &&
        created) {
      browser->viewWindow = created;
      view->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
    }
  }
  if (!created) {
    delete browser;
    g_browser = nullptr;
  }
  delete previous;
  if (created) {
    g_browser = browser;
    SetLayoutFilePane(created);
    if (!Settings.ShowFilePane) ShowWindow(created, SW_HIDE);
    if (firstView) RequestLayout(MainWindow);
    if (HWND tree = ActiveTree()) SetFocus(tree);
    RestoreMainMenu(MainWindow);
  } else {
    SetLayoutFilePane(nullptr);
  }
  shown->Release();
  g_showing = false;
}

void DestroyFilePane() {
  delete g_browser;
  g_browser = nullptr;
  SetLayoutFilePane(nullptr);
}

HWND FilePaneViewWindow() { return g_browser ? g_browser->viewWindow : nullptr; }

UINT FilePaneViewMode() {
  FOLDERSETTINGS settings = {};
  if (!g_browser || !g_browser->view || FAILED(g_browser->view->GetCurrentInfo(&settings))) return 0;
  return settings.ViewMode;
}

HRESULT FilePaneTranslateAccelerator(MSG* message) {
  if (!g_browser || !g_browser->view) return S_FALSE;
  return g_browser->view->TranslateAccelerator(message);
}

LRESULT FilePaneBrowserInterface() {
  return g_browser ? reinterpret_cast<LRESULT>(static_cast<IShellBrowser*>(g_browser)) : 0;
}

void OnFilePaneActivated() {
  FilePaneActive = true;
  if (g_browser) g_browser->viewActive = true;
}

void OnPaneControlFocused(HWND window) {
  if (g_browser && g_browser->viewWindow) {
    g_browser->viewActive = false;
    g_browser->view->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
    RefreshStatusTexts(MainStatusBar(), CurrentFolder);
  }
  FilePaneActive = false;
  RestoreMainMenu(window);
}

void CreateUndoView(HWND owner) {
  auto* undo = new UndoBrowser(owner);
  IShellFolder* desktop = nullptr;
  IShellView* view = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop)) && desktop) {
    undo->desktop = desktop;
    if (SUCCEEDED(desktop->CreateViewObject(owner, IID_IShellView, reinterpret_cast<void**>(&view))) && view) {
      undo->view = view;
      FOLDERSETTINGS settings = {FVM_ICON, 0};
      RECT empty = {};
      HWND created = nullptr;
      if (SUCCEEDED(view->CreateViewWindow(nullptr, &settings, undo, &empty, &created)) && created) {
        undo->viewWindow = created;
        ShowWindow(created, SW_HIDE);
        view->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
        ShowWindow(created, SW_HIDE);
        g_undo = undo;
        return;
      }
    }
  }
  delete undo;
}

void DestroyUndoView() {
  delete g_undo;
  g_undo = nullptr;
}

bool QueryUndo(char* text, size_t size) {
  lstrcpynA(text, DEFAULT_UNDO_TEXT, static_cast<int>(size));
  bool enabled = false;
  if (FindViewUndo(text, size, &enabled)) return enabled;
  // The platform's view keeps no undo: the program's own record answers.
  if (LastUndoKind() == UndoKind::None) return false;
  lstrcpynA(text, ResourceString(UndoTextId()).c_str(), static_cast<int>(size));
  return true;
}

void ExecuteUndo(HWND window) {
  char text[UNDO_TEXT_MAX + 1];
  bool enabled = false;
  if (FindViewUndo(text, sizeof text, &enabled)) {
    if (g_undo && g_undo->viewWindow) SendMessageA(g_undo->viewWindow, WM_COMMAND, VIEW_UNDO_COMMAND, 0);
    return;
  }
  UndoLastOperation(window);
}
