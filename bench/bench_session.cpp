#include "bench_session.h"

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "criteria/criteria_settings.h"
#include "criteria/find_search.h"
#include "criteria/find_view.h"
#include "model/folder_node.h"
#include "model/node_removal.h"
#include "model/root_list.h"
#include "model/scan_control.h"
#include "model/worker_table.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "pane/sorting.h"
#include "resource.h"
#include "stopwatch.h"

// Declared by the headers only for Vista and later; Wine's advapi32 has it.
extern "C" LONG WINAPI RegDeleteTreeA(HKEY key, LPCSTR subkey);

namespace {

constexpr DWORD MAIN_WINDOW_STYLE = 0x10CF0000;  // overlapped window, visible, as the program opens it
constexpr int WINDOW_WIDTH = 1000;
constexpr int WINDOW_HEIGHT = 700;
constexpr UINT WORKER_POLL_MS = 2;
constexpr char SCRATCH_PARENT[] = "Software\\PelvanorBench";

HWND g_window = nullptr;
HACCEL g_accelerators = nullptr;

// One message as the program's loop handles it.
void Dispatch(MSG* msg) {
  if (g_accelerators && TranslateAcceleratorA(g_window, g_accelerators, msg)) return;
  if (DialogMessageTarget && IsDialogMessageA(DialogMessageTarget, msg)) return;
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

}  // namespace

ScratchCurrentUser::ScratchCurrentUser()
    : root_(std::string(SCRATCH_PARENT) + "\\" + std::to_string(GetCurrentProcessId())) {
  HKEY user = nullptr;
  const std::string scratch = root_ + "\\hkcu";
  if (RegCreateKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &user, nullptr) != ERROR_SUCCESS)
    return;
  // The settings key is created below "Software".
  HKEY software = nullptr;
  if (RegCreateKeyA(user, "Software", &software) == ERROR_SUCCESS) RegCloseKey(software);
  if (RegOverridePredefKey(HKEY_CURRENT_USER, user) != ERROR_SUCCESS) {
    RegCloseKey(user);
    return;
  }
  user_ = user;
}

ScratchCurrentUser::~ScratchCurrentUser() {
  if (!user_) return;
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(user_);
  RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, SCRATCH_PARENT);  // fails while another run holds a key
}

bool OpenMainWindow(const std::string& startFolder) {
  RecordMainThread();
  RetiredNodes.Init();
  AppInstance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  if (!RegisterMainWindowClass()) return false;
  g_accelerators = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

  lstrcpynA(startPath, startFolder.c_str(), MAX_PATH);
  StartFolderGiven = true;
  g_window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Pelvanor benchmark", MAIN_WINDOW_STYLE, 0, 0, WINDOW_WIDTH,
                             WINDOW_HEIGHT, nullptr, nullptr, AppInstance, nullptr);
  if (!g_window || !Panes.mainTree || !Panes.mainList) return false;
  // The header clicks sort through the program's own comparison.
  InstallSorting();
  BuildRootList();
  SelectInitialFolder();
  PumpUntilWorkersEnd();
  return true;
}

void CloseMainWindow() {
  if (g_window && IsWindow(g_window)) DestroyWindow(g_window);
  g_window = nullptr;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  ReleaseRetiredNodes();
  ReleaseRowPaintResources();
  OleUninitialize();
}

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) Dispatch(&msg);
}

bool PumpWhile(bool (*busy)(const void* context), const void* context) {
  PumpPending();
  // GetMessage as in the program's loop; the thread timer wakes it to look
  // again, and the question is asked only then, so that the loop costs what
  // the program's own loop costs.
  UINT_PTR timer = SetTimer(nullptr, 0, WORKER_POLL_MS, nullptr);
  MSG msg;
  bool quit = false;
  bool going = busy(context);
  while (going) {
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    const bool tick = msg.message == WM_TIMER && !msg.hwnd && msg.wParam == timer;
    Dispatch(&msg);
    if (tick) going = busy(context);
  }
  KillTimer(nullptr, timer);
  if (quit) return false;
  PumpPending();
  return true;
}

void PumpUntilWorkersEnd() {
  PumpWhile([](const void*) { return WorkerCount() > 0; }, nullptr);
}

void PumpUntilSignalled(HANDLE handle) {
  PumpWhile([](const void* waited) { return WaitForSingleObject(const_cast<HANDLE>(waited), 0) == WAIT_TIMEOUT; },
            handle);
}

FolderNode* AddTreeFolder(const std::string& path) {
  FolderNode* node = AddPathFolder(path.c_str());
  if (!node) return nullptr;
  SelectByPath(Panes.mainTree, path.c_str(), nullptr, true, false);
  PumpPending();
  return node;
}

double ScanOnWorker(FolderNode* node) {
  const double start = NowSeconds();
  if (!StartWorker(FolderScanWorker, node)) return -1;
  PumpUntilWorkersEnd();
  return NowSeconds() - start;
}

double FindOnWorker(FolderNode* start, const CriteriaSettings& settings, const CriteriaPrepared& prepared) {
  if (!IsFolderNode(start) || !IsDriveRoot(start->root) || !(start->root->flags & SUBTREE_COMPLETE)) return -1;
  WorkingCriteria = settings;
  WorkingPrepared = prepared;
  MergeResults = 0;
  const double begin = NowSeconds();
  if (!StartWorker(RunFindSearch, start)) return -1;
  PumpUntilWorkersEnd();
  return NowSeconds() - begin;
}

long FindResultItems() { return static_cast<long>(SendMessageA(Panes.findTree, TVM_GETCOUNT, 0, 0)); }

void ExpandTreeFolder(const std::string& path) {
  ShowMainView();  // a find may have left its results in the pane, and a header click sorts what is shown
  SelectByPath(Panes.mainTree, path.c_str(), nullptr, true, true);
  PumpUntilWorkersEnd();
  UpdateWindow(Panes.mainTree);
  UpdateWindow(Panes.mainList);
}

double ClickColumnHeader(uint32_t columnId) {
  HWND header = ColumnHeader();
  if (!header) return -1;
  int index = -1;
  if (columnId == COLUMN_NAME) index = 0;
  for (int i = 0; i < DetailColumnCount() && index < 0; ++i) {
    ColumnInfo* column = DetailColumn(i);
    if (column->id == columnId && !(column->flags & (COLUMN_HIDDEN | COLUMN_SCROLLED_OFF))) index = column->headerIndex;
  }
  if (index < 0) return -1;
  NMHEADERA click = {};
  click.hdr.hwndFrom = header;
  click.hdr.idFrom = COLUMN_HEADER_ID;
  click.hdr.code = HDN_ITEMCLICKA;
  click.iItem = index;
  const double start = NowSeconds();
  OnSortHeaderClick(&click);
  UpdateWindow(Panes.mainTree);
  UpdateWindow(Panes.mainList);
  PumpPending();
  return NowSeconds() - start;
}

int64_t ReportedPrivateUsage() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters))
    return 0;
  return static_cast<int64_t>(counters.PrivateUsage);
}

int64_t CommittedPrivateBytes() {
  int64_t total = 0;
  MEMORY_BASIC_INFORMATION region;
  const char* address = nullptr;
  while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<int64_t>(region.RegionSize);
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

namespace {

// The free blocks of one heap, walked under its lock.
int64_t FreeBytesOfHeap(HANDLE heap) {
  if (!HeapLock(heap)) return 0;
  int64_t free = 0;
  PROCESS_HEAP_ENTRY entry = {};
  while (HeapWalk(heap, &entry))
    if ((entry.wFlags & (PROCESS_HEAP_ENTRY_BUSY | PROCESS_HEAP_REGION | PROCESS_HEAP_UNCOMMITTED_RANGE)) == 0)
      free += static_cast<int64_t>(entry.cbData);
  HeapUnlock(heap);
  return free;
}

}  // namespace

int64_t PrivateBytesInUse() {
  std::vector<HANDLE> heaps(64);
  DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count);
    count = GetProcessHeaps(count, heaps.data());
  }
  int64_t free = 0;
  for (DWORD i = 0; i < count && i < heaps.size(); ++i) free += FreeBytesOfHeap(heaps[i]);
  return CommittedPrivateBytes() - free;
}
