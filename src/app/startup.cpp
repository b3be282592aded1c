#include "app/startup.h"

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
  if (!commandLine || !commandLine[0]) return;
  if (!SetCurrentDirectoryA(commandLine)) return;
  StartFolderGiven = true;
  lstrcpynA(startPath, commandLine, MAX_PATH);
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

  WindowGeometry geometry = InitialGeometry(Settings.mainWindowRect, CurrentScreenMetrics());
  const std::string title = ResourceString(IDS_WINDOW_TITLE);
  HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, title.c_str(), MAIN_WINDOW_STYLE, geometry.x, geometry.y,
                                geometry.width, geometry.height, nullptr, nullptr, AppInstance, nullptr);
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
