#include "app/startup.h"

#include "shell/ansi_paths.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <string>

#include "app/diagnostics.h"
#include "app/file_pane.h"
#include "app/initial_geometry.h"
#include "app/main_window.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/monitor_driver.h"
#include "model/node_removal.h"
#include "model/root_list.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"

namespace {

constexpr DWORD MAIN_WINDOW_STYLE = 0x10CF0000;  // overlapped window, visible
constexpr DWORD DRIVE_ROOT_LENGTH = 3;           // "C:\"

int RunMessageLoop(HWND window) {
  HACCEL accelerators = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    // The file pane's view has the first say on keys while it has the focus.
    if (FilePaneActive && FilePaneTranslateAccelerator(&msg) == S_OK) continue;
    if (accelerators && TranslateAcceleratorA(window, accelerators, &msg)) continue;
    if (DialogMessageTarget && IsDialogMessageA(DialogMessageTarget, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

void TakeCommandLineFolder(const char* commandLine) {
  char current[MAX_PATH];
  GetCurrentDirectoryA(sizeof current, current);
  if (!commandLine) return;
  // Shortcuts and the shell quote a path with blanks.  Neither a blank nor a
  // quote can be the trail byte of a double-byte character, so the ends can
  // be trimmed byte by byte.
  std::string folder = commandLine;
  const size_t first = folder.find_first_not_of(' ');
  if (first == std::string::npos) return;
  folder = folder.substr(first, folder.find_last_not_of(' ') - first + 1);
  if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') folder = folder.substr(1, folder.size() - 2);
  if (folder.empty()) return;
  // Made absolute against the directory the program was started in, before
  // that changes.
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return;
  // The tree's paths end without a backslash, except a drive's own.
  if (length > DRIVE_ROOT_LENGTH && EndsWithSeparator(full)) full[length - 1] = 0;
  if (!SetCurrentDirectoryA(full)) return;
  StartFolderGiven = true;
  lstrcpynA(startPath, full, MAX_PATH);
}

HWND CreateMainWindow() {
  WindowGeometry geometry = InitialGeometry(Settings.mainWindowRect, CurrentScreenMetrics());
  const std::string title = ResourceString(IDS_WINDOW_TITLE);
  // Created maximised rather than maximised once shown: under Wine the late
  // notice of that first showing can undo the maximising.  The rectangle
  // given stays its restored size.
  const DWORD style = MAIN_WINDOW_STYLE | (Settings.mainWindowMaximized ? WS_MAXIMIZE : 0);
  return CreateWindowExA(0, MAIN_WINDOW_CLASS, title.c_str(), style, geometry.x, geometry.y, geometry.width,
                         geometry.height, nullptr, nullptr, AppInstance, nullptr);
}

bool PlatformSupported() {
  if (!DetectDriveMethod()) return false;
  return true;
}

void SelectInitialFolder() {
  HWND tree = ActiveTree();
  HTREEITEM first = tree ? TopItem(tree) : nullptr;
  if (!first) return;
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
  ExpandOneLevelCommand();
  if (!startPath[0]) return;
  SetCapture(tree);
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  SelectByPath(tree, startPath, nullptr, true, false);
  ReleaseCapture();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

int RunPelvanor(HINSTANCE instance, const char* commandLine) {
  TakeCommandLineFolder(commandLine);
  RecordMainThread();
  RetiredNodes.Init();
  AppInstance = instance;

  if (!PlatformSupported()) {
    MessageBoxA(nullptr, ResourceString(IDS_UNSUPPORTED_WINDOWS).c_str(), ResourceString(IDS_APP_CAPTION).c_str(),
                MB_ICONHAND);
    return 0;
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  if (!RegisterMainWindowClass()) return 0;

  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator))) {
    DiagnosticSink(0, "cannot get handle to IMALLOC function.");
    return 0;
  }
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) {
    DiagnosticSink(0, "cannot get handle to desktop folder.");
    allocator->Release();
    return 0;
  }

  LoadSettings();
  OleInitialize(nullptr);

  HWND window = CreateMainWindow();
  int exitCode = 0;
  if (window) {
    if (!StartMonitorDriver()) MonitorDriverMissing = true;
    BuildRootList();
    SelectInitialFolder();
    exitCode = RunMessageLoop(window);
  }

  ReleaseRetiredNodes();
  ReleaseRowPaintResources();
  desktop->Release();
  allocator->Release();
  OleUninitialize();
  return exitCode;
}
