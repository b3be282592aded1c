#include "app/system_tools.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <string>

#include "app/disk_info_dialog.h"
#include "app/help.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "shell/ansi_paths.h"
#include "shell/com_ptr.h"
#include "shell/shell_items.h"

namespace {

constexpr int HELP_CONTEXT_LABEL_DISK = 24;
constexpr int HELP_CONTEXT_FORMAT_DISK = 25;
constexpr UINT RECYCLE_FIRST_COMMAND = 1000;
constexpr UINT RECYCLE_LAST_COMMAND = 10000;
// Makes the desktop redraw the recycle bin's icon.
constexpr WPARAM DESKTOP_REFRESH_COMMAND = 0xA065;
constexpr int ABOUT_NOTE_POINTS = 8;
const char VERSION_VALUES[] = "\\StringFileInfo\\040904B0\\";

// The shell gives no answer when a tool is missing, so the user is told here.
void SayToolIsMissing(HWND window) { ShowMessage(window, IDS_TOOL_NOT_AVAILABLE, MB_ICONEXCLAMATION); }

bool SystemHasFile(const char* name) {
  char found[MAX_PATH];
  return SearchPathA(nullptr, name, nullptr, MAX_PATH, found, nullptr) != 0;
}

// Without a registered find verb the shell opens a folder window instead of
// searching (Wine has none), which is not what the user asked for.
bool ShellCanFind() {
  HKEY verb = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "Directory\\shell\\find", 0, KEY_READ, &verb) != ERROR_SUCCESS) return false;
  RegCloseKey(verb);
  return true;
}

void RunDll(HWND window, const char* parameters) {
  SHELLEXECUTEINFOA run = {};
  run.cbSize = sizeof run;
  run.hwnd = window;
  run.lpFile = "rundll32.exe";
  run.lpParameters = parameters;
  run.nShow = SW_SHOWNORMAL;
  ShellExecuteExA(&run);
}

// |verb| on the special folder |csidl|; false when the shell could not.
bool InvokeOnSpecialFolder(HWND window, int csidl, const char* verb) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(window, csidl, &list)) || !list) return false;
  SHELLEXECUTEINFOA run = {};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_INVOKEIDLIST;
  run.hwnd = window;
  run.lpVerb = verb;
  run.lpIDList = list;
  run.nShow = SW_SHOWNORMAL;
  const bool done = ShellExecuteExA(&run) != FALSE;
  FreeIdList(list);
  return done;
}

// --- Drive dialog -----------------------------------------------------------

struct DriveChoice {
  bool format;          // else labelling
  char root[MAX_PATH];  // the chosen drive's root path
};

void FillDriveList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_DRIVE_LIST);
  SHFILEINFOA icons = {};
  auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &icons, sizeof icons, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  ListView_SetImageList(list, images, LVSIL_SMALL);
  SetWindowLongA(list, GWL_STYLE, GetWindowLongA(list, GWL_STYLE) | LVS_SHOWSELALWAYS);
  RECT area;
  GetClientRect(list, &area);
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH;
  column.cx = area.right - GetSystemMetrics(SM_CXVSCROLL) - 4;
  ListView_InsertColumn(list, 0, &column);
  ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(desktop.Out());
  const DWORD drives = GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if (!(drives & (1u << letter))) continue;
    const char root[] = {static_cast<char>('A' + letter), ':', '\\', 0};
    const UINT type = GetDriveTypeA(root);
    if (type != DRIVE_UNKNOWN && type != DRIVE_REMOVABLE && type != DRIVE_FIXED) continue;
    SendDlgItemMessageA(dialog, IDC_DRIVE_ROOTS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root));
    char name[SHELL_TEXT_MAX] = "";
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.lParam = type;
    item.pszText = name;
    if (LPITEMIDLIST parsed = desktop ? IdListFromPath(root, desktop.get(), nullptr) : nullptr) {
      DisplayNameOf(desktop.get(), parsed, SHGDN_NORMAL, name);
      item.iImage = SystemIconIndex(parsed, SHGFI_SMALLICON);
      FreeIdList(parsed);
    }
    ListView_InsertItem(list, &item);
  }
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void ChooseDrive(HWND dialog) {
  auto* choice = reinterpret_cast<DriveChoice*>(GetWindowLongPtrA(dialog, DWLP_USER));
  const int selected = ListView_GetNextItem(GetDlgItem(dialog, IDC_DRIVE_LIST), -1, LVNI_SELECTED);
  if (selected >= 0)
    SendDlgItemMessageA(dialog, IDC_DRIVE_ROOTS, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(choice->root));
  EndDialog(dialog, selected >= 0 ? 1 : 0);
}

INT_PTR CALLBACK DriveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      const auto* choice = reinterpret_cast<const DriveChoice*>(lParam);
      CentreOverOwner(dialog);
      SetWindowTextA(dialog, ResourceString(choice->format ? IDM_FORMAT_DISK : IDM_LABEL_DISK).c_str());
      SetDlgItemTextA(dialog, IDC_DRIVE_LABEL,
                      ResourceString(choice->format ? IDS_CHOOSE_DISK_TO_FORMAT : IDS_CHOOSE_DISK_TO_LABEL).c_str());
      FillDriveList(dialog);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_DRIVE_LIST && header->code == NM_DBLCLK) ChooseDrive(dialog);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          ChooseDrive(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_DIALOG_HELP: {
          const auto* choice = reinterpret_cast<const DriveChoice*>(GetWindowLongPtrA(dialog, DWLP_USER));
          ShowHelp(dialog, choice->format ? HELP_CONTEXT_FORMAT_DISK : HELP_CONTEXT_LABEL_DISK);
          return TRUE;
        }
      }
      return FALSE;
  }
  return FALSE;
}

// The context-menu verb |verb| of the drive at |root| in the computer folder.
void InvokeDriveVerb(HWND window, const char* root, UINT verb) {
  LPITEMIDLIST computerList = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(window, CSIDL_DRIVES, &computerList)) || !computerList) return;
  ComPtr<IShellFolder> computer;
  const HRESULT bound = FolderFromIdList(computerList, computer.Out());
  FreeIdList(computerList);
  if (FAILED(bound) || !computer) return;
  LPITEMIDLIST drive = IdListFromPath(root, computer.get(), nullptr);
  if (!drive) return;
  LPCITEMIDLIST items[] = {drive};
  ComPtr<IContextMenu> menu;
  if (SUCCEEDED(computer->GetUIObjectOf(window, 1, items, IID_IContextMenu, nullptr, menu.OutVoid())) && menu) {
    if (HMENU popup = CreatePopupMenu()) {
      menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_EXPLORE);
      InvokeMenuVerb(menu.get(), window, verb);
      DestroyMenu(popup);
    }
  }
  FreeIdList(drive);
}

void DriveTool(HWND window, bool format) {
  DriveChoice choice = {format, ""};
  if (DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_DRIVE_CHOICE), window, DriveDialogProc,
                      reinterpret_cast<LPARAM>(&choice)) != 1)
    return;
  InvokeDriveVerb(window, choice.root, format ? DRIVE_VERB_FORMAT : DRIVE_VERB_PROPERTIES);
}

// --- Recycle bin ------------------------------------------------------------

// The recycle bin's own menu holds one command, "Empty", when it has anything.
bool InvokeRecycleBinEmpty(HWND window, HMODULE shell) {
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  auto getClassObject =
      reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(shell, "DllGetClassObject")));
  if (!getClassObject) return false;
  ComPtr<IClassFactory> factory;
  ComPtr<IContextMenu> menu;
  if (FAILED(getClassObject(CLSID_RecycleBin, IID_IClassFactory, factory.OutVoid())) || !factory) return false;
  if (FAILED(factory->CreateInstance(nullptr, IID_IContextMenu, menu.OutVoid())) || !menu) return false;
  HMENU popup = CreatePopupMenu();
  if (!popup) return false;
  bool done = false;
  menu->QueryContextMenu(popup, 0, RECYCLE_FIRST_COMMAND, RECYCLE_LAST_COMMAND, 0);
  if (GetMenuItemCount(popup) == 1) {
    done = SUCCEEDED(InvokeMenuVerb(menu.get(), window, GetMenuItemID(popup, 0) - RECYCLE_FIRST_COMMAND));
  }
  DestroyMenu(popup);
  return done;
}

// --- About ------------------------------------------------------------------

// The control's text names a value of the program's version resource.
void ShowVersionValue(HWND dialog, int control, const std::string& versionInfo) {
  char name[128] = "";
  if (!GetDlgItemTextA(dialog, control, name, sizeof name) || versionInfo.empty()) return;
  char* value = nullptr;
  UINT length = 0;
  const std::string query = std::string(VERSION_VALUES) + name;
  if (VerQueryValueA(versionInfo.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) && value && length &&
      value[0])
    SetDlgItemTextA(dialog, control, value);
}

std::string OwnVersionInfo() {
  char path[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, path, MAX_PATH)) return {};
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &unused);
  std::string info(size, '\0');
  if (!size || !GetFileVersionInfoA(path, 0, size, &info[0])) return {};
  return info;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreOverOwner(dialog);
      HDC dc = GetDC(dialog);
      const int height = -MulDiv(GetDeviceCaps(dc, LOGPIXELSY), ABOUT_NOTE_POINTS, 72);
      ReleaseDC(dialog, dc);
      HFONT italic = CreateFontA(height, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
      SendDlgItemMessageA(dialog, IDC_ABOUT_NOTE, WM_SETFONT, reinterpret_cast<WPARAM>(italic), FALSE);
      const std::string info = OwnVersionInfo();
      for (int control : {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDC_ABOUT_NOTE})
        ShowVersionValue(dialog, control, info);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      DeleteObject(reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_ABOUT_NOTE, WM_GETFONT, 0, 0)));
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void CopyDiskCommand(HWND window) {
  if (!SystemHasFile("diskcopy.dll")) return SayToolIsMissing(window);
  RunDll(window, "diskcopy.dll,DiskCopyRunDll");
}
void AddRemoveProgramsCommand(HWND window) { RunDll(window, "shell32.dll,Control_RunDLL appwiz.cpl"); }
void FormatDiskCommand(HWND window) { DriveTool(window, true); }
void LabelDiskCommand(HWND window) { DriveTool(window, false); }
// The network dialogs answer -1 when the user cancels them.
void MapNetworkDriveCommand(HWND window) {
  const DWORD result = WNetConnectionDialog(window, RESOURCETYPE_DISK);
  if (result != NO_ERROR && result != static_cast<DWORD>(-1)) SayToolIsMissing(window);
}

void DisconnectNetworkDriveCommand(HWND window) {
  const DWORD result = WNetDisconnectDialog(window, RESOURCETYPE_DISK);
  if (result != NO_ERROR && result != static_cast<DWORD>(-1)) SayToolIsMissing(window);
}

void RecycleBinSettingsCommand(HWND window) {
  if (!InvokeOnSpecialFolder(window, CSIDL_BITBUCKET, "properties")) SayToolIsMissing(window);
}

void FindComputerCommand(HWND window) {
  if (!ShellCanFind() || !InvokeOnSpecialFolder(window, CSIDL_NETWORK, "find")) SayToolIsMissing(window);
}

void EmptyRecycleBinCommand(HWND window) {
  HMODULE shell = LoadLibraryA("SHELL32.DLL");
  const bool done = shell && InvokeRecycleBinEmpty(window, shell);
  if (shell) FreeLibrary(shell);
  if (!done) {
    ShowMessage(window, IDS_RECYCLE_BIN_NOT_EMPTIED, MB_ICONEXCLAMATION);
    return;
  }
  if (HWND desktop = FindWindowA("progman", "Program Manager"))
    PostMessageA(desktop, WM_COMMAND, DESKTOP_REFRESH_COMMAND, 0);
}

void FindFilesCommand(HWND window) {
  if (!ShellCanFind()) return SayToolIsMissing(window);
  char path[MAX_PATH] = "";
  FolderNode* folder = CurrentFolder;
  if (IsFolderNode(folder) && folder->absoluteIdList && FileSystemPath(folder->absoluteIdList, path, false) &&
      IsAccessibleDirectory(path)) {
    SHELLEXECUTEINFOA run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_FLAG_NO_UI;
    run.hwnd = window;
    run.lpVerb = "find";
    run.lpFile = path;
    run.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&run)) return;
  }
  if (!InvokeOnSpecialFolder(window, CSIDL_DRIVES, "find")) SayToolIsMissing(window);
}

void AboutCommand(HWND window) { DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutProc, 0); }
