#include "support/test_panes.h"

#include <shlobj.h>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/node_removal.h"
#include "model/tree_items.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "shell/shell_items.h"

namespace {

constexpr char HOST_CLASS[] = "PelvanorTestPanes";
constexpr int ID_MAIN_TREE = 1;
constexpr int ID_FIND_TREE = 2;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      LRESULT result = 0;
      if (OnPaneTreeNotify(header, &result)) return result;
      // TVITEMA and TVITEMW share their layout up to lParam.
      if (header->code == TVN_DELETEITEMA || header->code == TVN_DELETEITEMW) {
        auto* notification = reinterpret_cast<NMTREEVIEWA*>(lParam);
        if (header->idFrom == ID_MAIN_TREE) OnMainTreeDeleteItem(notification);
        if (header->idFrom == ID_FIND_TREE) OnFindTreeDeleteItem(notification);
      }
      return 0;
    }
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 16;
      return TRUE;
    case WM_DRAWITEM:
      return TRUE;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// One visible host for the whole process: under Wine without a window
// manager, hiding or destroying a top-level window waits a second for the
// withdrawal that never comes, so only the child controls come and go.
HWND HostWindow() {
  static HWND host = nullptr;
  if (host && IsWindow(host)) return host;
  WNDCLASSA cls = {};
  cls.lpfnWndProc = HostProc;
  cls.hInstance = AppInstance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = HOST_CLASS;
  RegisterClassA(&cls);
  host = CreateWindowExA(0, HOST_CLASS, "Pelvanor test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1100, 450, nullptr,
                         nullptr, AppInstance, nullptr);
  return host;
}

HWND MakeTree(HWND parent, int id, int x) {
  return CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                         WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, x, 0, 480, 400,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
}

// Owner-drawn without strings: each entry's data is a tree item handle.
HWND MakeList(HWND parent, int x) {
  return CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT, x, 0, 200,
                         400, parent, nullptr, AppInstance, nullptr);
}

}  // namespace

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

TestPanes::TestPanes() {
  window_ = HostWindow();
  tree_ = MakeTree(window_, ID_MAIN_TREE, 0);
  findTree_ = MakeTree(window_, ID_FIND_TREE, 500);
  list_ = MakeList(window_, 300);
  findList_ = MakeList(window_, 800);
  Panes = {tree_, list_, findTree_, findList_};
  FindResultsMode = false;
}

TestPanes::~TestPanes() {
  for (HWND control : {list_, tree_, findList_, findTree_})
    if (IsWindow(control)) DestroyWindow(control);
  PumpMessages();
  Panes = {};
}

FolderNode* TestPanes::AddTopNode() {
  FolderNode* top = CreateTopNode();
  SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &top->absoluteIdList);
  IShellFolder* desktop = nullptr;
  SHGetDesktopFolder(&desktop);
  char name[SHELL_TEXT_MAX] = "Computer";
  DisplayNameOf(desktop, top->absoluteIdList, SHGDN_NORMAL, name);
  top->relativeIdList = top->absoluteIdList;
  top->parentFolder = desktop;  // keeps the reference taken above
  top->mainItem = InsertFolderItem(tree_, TVI_ROOT, name, 0, 0, top);
  return top;
}

DriveRootNode* TestPanes::AddDriveRoot(FolderNode* top, const std::string& path) {
  DriveRootNode* drive = CreateDriveRootNode();
  char letter = path[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  drive->driveNumber = static_cast<uint8_t>(letter - 0x40);
  char rootPath[4] = {letter, ':', '\\', 0};
  drive->absoluteIdList = IdListFromPath(rootPath, nullptr, nullptr);
  drive->relativeIdList = drive->absoluteIdList;
  drive->scanState = SCAN_NONE;
  drive->mainItem = InsertFolderItem(tree_, top->mainItem, rootPath, 0, 0, drive);
  top->subfolderCount += 1;
  return drive;
}

FolderNode* TestPanes::AddFolder(FolderNode* parent, const std::string& path) {
  FolderNode* node = CreateFolderNode();
  node->root = parent->root;
  node->absoluteIdList = IdListFromPath(path.c_str(), nullptr, nullptr);
  node->relativeIdList = node->absoluteIdList;
  std::string name = path;
  while (!name.empty() && name.back() == '\\') name.pop_back();
  name = name.substr(name.find_last_of('\\') + 1);
  node->mainItem = InsertFolderItem(tree_, parent->mainItem, name.c_str(), 0, 0, node);
  parent->subfolderCount += 1;
  SetHasChildren(tree_, parent->mainItem, 1);
  return node;
}

FolderNode* TestPanes::Child(FolderNode* parent, const std::string& name) const {
  return ChildNamed(tree_, parent, name);
}

std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent) {
  std::vector<std::string> texts;
  for (HTREEITEM item = FirstChildItem(tree, parent); item; item = NextSiblingItem(tree, item))
    texts.push_back(TreeItemText(tree, item));
  return texts;
}

std::string TestPanes::ItemText(FolderNode* node) const { return TreeItemText(tree_, node->mainItem); }

std::string TreeItemText(HWND tree, HTREEITEM handle) {
  char text[SHELL_TEXT_MAX];
  ItemText(tree, handle, text, sizeof text);
  return text;
}

FolderNode* ChildNamed(HWND tree, FolderNode* parent, const std::string& name) {
  for (HTREEITEM item = FirstChildItem(tree, parent->mainItem); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (IsFolderNode(node) && TreeItemText(tree, item) == name) return node;
  }
  return nullptr;
}

bool TestPanes::ItemHasButton(FolderNode* node) const {
  TVITEMA item = {};
  item.mask = TVIF_HANDLE | TVIF_CHILDREN;
  item.hItem = node->mainItem;
  SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.cChildren != 0;
}
