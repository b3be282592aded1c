#include "cost_breakdown.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "app/process_state.h"
#include "bench_session.h"
#include "shell/shell_items.h"
#include "stopwatch.h"

namespace {

constexpr int ROUND_TRIPS = 1000;
constexpr int TOP_MESSAGES = 8;
// The attributes the scanner asks for with each subfolder's absolute list.
constexpr ULONG FOLDER_ATTRIBUTE_REQUEST = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE |
                                           SFGAO_HASPROPSHEET | SFGAO_DROPTARGET | SFGAO_FILESYSTEM | SFGAO_FOLDER;

// --- Messages the user-interface thread receives from other threads -------

struct MessageCost {
  long long count = 0;
  double seconds = 0;
};

struct Handling {
  UINT message;
  bool crossThread;
  double start;
};

std::map<UINT, MessageCost> g_received;
std::vector<Handling> g_handling;  // nested sends are handled inside one another

LRESULT CALLBACK BeforeProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    g_handling.push_back({call->message, InSendMessage() != FALSE, NowSeconds()});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK AfterProcedure(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && !g_handling.empty()) {
    const Handling handled = g_handling.back();
    g_handling.pop_back();
    if (handled.crossThread) {
      MessageCost& cost = g_received[handled.message];
      cost.count += 1;
      cost.seconds += NowSeconds() - handled.start;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

const char* MessageName(UINT message) {
  switch (message) {
    case TVM_INSERTITEMA: return "TVM_INSERTITEMA";
    case TVM_SETITEMA: return "TVM_SETITEMA";
    case TVM_GETITEMA: return "TVM_GETITEMA";
    case TVM_GETNEXTITEM: return "TVM_GETNEXTITEM";
    case TVM_GETITEMRECT: return "TVM_GETITEMRECT";
    case TVM_GETITEMSTATE: return "TVM_GETITEMSTATE";
    case TVM_SORTCHILDRENCB: return "TVM_SORTCHILDRENCB";
    case TVM_DELETEITEM: return "TVM_DELETEITEM";
    case TVM_EXPAND: return "TVM_EXPAND";
    case LB_FINDSTRINGEXACT: return "LB_FINDSTRINGEXACT";
    case LB_INSERTSTRING: return "LB_INSERTSTRING";
    case LB_SETTOPINDEX: return "LB_SETTOPINDEX";
    case LB_GETITEMDATA: return "LB_GETITEMDATA";
    case LB_SETITEMDATA: return "LB_SETITEMDATA";
    case LB_SELECTSTRING: return "LB_SELECTSTRING";
    case WM_SETREDRAW: return "WM_SETREDRAW";
    case WM_NULL: return "WM_NULL";
    default: return nullptr;
  }
}

// --- The cost of one cross-thread send on its own ---------------------------

DWORD WINAPI SendRoundTrips(void* window) {
  for (int i = 0; i < ROUND_TRIPS; ++i) SendMessageA(static_cast<HWND>(window), WM_NULL, 0, 0);
  return 0;
}

double RoundTripSeconds() {
  const double start = NowSeconds();
  HANDLE thread = CreateThread(nullptr, 0, SendRoundTrips, MainWindow, 0, nullptr);
  if (!thread) return 0;
  PumpUntilSignalled(thread);
  CloseHandle(thread);
  return (NowSeconds() - start) / ROUND_TRIPS;
}

// --- The shell calls of one enumeration, timed separately -------------------

enum ShellStep {
  STEP_LIST,        // FindFirstFileA/FindNextFileA of the folder
  STEP_PATH,        // SHGetPathFromIDListA of the folder's absolute list
  STEP_BIND,        // the folder bound once per enumeration
  STEP_RELATIVE,    // ParseDisplayName of the child's name in the folder, with attributes
  STEP_ENUMERATED,  // the same lists and attributes from one EnumObjects of the folder
  STEP_ABSOLUTE,    // ParseDisplayName of the child's full path with attributes
  STEP_NAME,        // the child's display name
  STEP_ICONS,       // the child's two system icon indexes
  STEP_COUNT
};

// The scan itself makes the calls marked "*" only where an ordinary folder
// does not do: it puts paths and absolute lists together itself, binds a
// folder from its parent's, and asks for a plain folder's icons once a run.
const char* const STEP_NAMES[STEP_COUNT] = {
    "listing (FindFirstFileA/FindNextFileA)", "* SHGetPathFromIDListA",     "* bind folder from the desktop",
    "relative id list + attributes (parse)",  "the same from EnumObjects",
    "* absolute id list + attributes",        "display name (GetDisplayNameOf)",
    "* icons (SHGetFileInfoA, 2 indexes)",
};

struct ShellTimes {
  std::string root;
  double seconds[STEP_COUNT];
  long long folders;
};

template <typename F>
void Timed(ShellTimes* times, ShellStep step, F&& call) {
  const double start = NowSeconds();
  call();
  times->seconds[step] += NowSeconds() - start;
}

// Breadth-first over the tree on disk, each folder as EnumerateFolder treats it.
DWORD WINAPI TimeShellCalls(void* parameter) {
  auto* times = static_cast<ShellTimes*>(parameter);
  std::deque<std::string> queue = {times->root};
  while (!queue.empty()) {
    const std::string folder = queue.front();
    queue.pop_front();
    times->folders += 1;
    LPITEMIDLIST own = IdListFromPath(folder.c_str(), nullptr, nullptr);
    char path[MAX_PATH];
    Timed(times, STEP_PATH, [&] { SHGetPathFromIDListA(own, path); });
    FreeIdList(own);

    std::vector<std::string> children;
    Timed(times, STEP_LIST, [&] {
      WIN32_FIND_DATAA entry;
      HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
      if (search == INVALID_HANDLE_VALUE) return;
      do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::strcmp(entry.cFileName, ".") != 0 &&
            std::strcmp(entry.cFileName, "..") != 0)
          children.push_back(entry.cFileName);
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    });
    if (children.empty()) continue;

    IShellFolder* shellFolder = nullptr;
    Timed(times, STEP_BIND, [&] { FolderFromPath((folder + "\\").c_str(), &shellFolder); });
    if (!shellFolder) continue;
    Timed(times, STEP_ENUMERATED, [&] {
      IEnumIDList* items = nullptr;
      if (shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items) != S_OK || !items) return;
      LPITEMIDLIST item = nullptr;
      ULONG fetched = 0;
      while (items->Next(1, &item, &fetched) == S_OK && item) {
        char name[SHELL_TEXT_MAX];
        DisplayNameOf(shellFolder, item, SHGDN_INFOLDER | SHGDN_FORPARSING, name);
        ULONG attributes = FOLDER_ATTRIBUTE_REQUEST;
        LPCITEMIDLIST lists[] = {item};
        shellFolder->GetAttributesOf(1, lists, &attributes);
        FreeIdList(item);
        item = nullptr;
      }
      items->Release();
    });
    for (const std::string& name : children) {
      const std::string childPath = folder + "\\" + name + "\\";
      LPITEMIDLIST relative = nullptr;
      LPITEMIDLIST absolute = nullptr;
      Timed(times, STEP_RELATIVE, [&] {
        ULONG attributes = FOLDER_ATTRIBUTE_REQUEST;
        relative = IdListFromPath(name.c_str(), shellFolder, &attributes);
      });
      Timed(times, STEP_ABSOLUTE, [&] {
        ULONG attributes = FOLDER_ATTRIBUTE_REQUEST;
        absolute = IdListFromPath(childPath.c_str(), nullptr, &attributes);
      });
      char display[SHELL_TEXT_MAX];
      Timed(times, STEP_NAME, [&] { DisplayNameOf(shellFolder, relative, SHGDN_NORMAL, display); });
      TVITEMA icons = {};
      Timed(times, STEP_ICONS, [&] { ItemIcons(absolute, &icons); });
      FreeIdList(relative);
      FreeIdList(absolute);
      queue.push_back(folder + "\\" + name);
    }
    shellFolder->Release();
  }
  return 0;
}

double Micro(double seconds, long long folders) { return folders > 0 ? seconds * 1e6 / static_cast<double>(folders) : 0; }

}  // namespace

void PrintCostBreakdown(const std::string& path, FolderNode* node) {
  g_received.clear();
  g_handling.clear();
  HHOOK before = SetWindowsHookExA(WH_CALLWNDPROC, BeforeProcedure, nullptr, GetCurrentThreadId());
  HHOOK after = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterProcedure, nullptr, GetCurrentThreadId());
  const double scanSeconds = ScanOnWorker(node);
  if (before) UnhookWindowsHookEx(before);
  if (after) UnhookWindowsHookEx(after);

  ShellTimes times = {path, {}, 0};
  HANDLE thread = CreateThread(nullptr, 0, TimeShellCalls, &times, 0, nullptr);
  if (thread) {
    PumpUntilSignalled(thread);
    CloseHandle(thread);
  }
  const double roundTrip = RoundTripSeconds();
  const long long folders = times.folders;

  long long messages = 0;
  double handlingSeconds = 0;
  std::vector<std::pair<UINT, MessageCost>> ranked(g_received.begin(), g_received.end());
  for (const auto& entry : ranked) {
    messages += entry.second.count;
    handlingSeconds += entry.second.seconds;
  }
  std::sort(ranked.begin(), ranked.end(),
            [](const auto& a, const auto& b) { return a.second.count > b.second.count; });

  std::printf("\nWhere the scan's time goes, per folder (a tree of %lld folders, scanned with counters on):\n",
              folders);
  std::printf("  %-40s %9.0f us\n", "scan on the worker, message hooks on", Micro(scanSeconds, folders));
  double shellTotal = 0;
  for (int step = 0; step < STEP_COUNT; ++step) {
    shellTotal += times.seconds[step];
    std::printf("  %-40s %9.0f us\n", STEP_NAMES[step], Micro(times.seconds[step], folders));
  }
  std::printf("  %-40s %9.1f x %.0f us round trip = %.0f us\n", "cross-thread SendMessage per folder",
              folders ? double(messages) / double(folders) : 0.0, roundTrip * 1e6,
              Micro(double(messages) * roundTrip, folders));
  std::printf("  %-40s %9.0f us\n", "  + their handling on the UI thread",
              Micro(handlingSeconds, folders));
  std::printf("  %-40s %9.0f us\n", "sum of the parts above",
              Micro(shellTotal + double(messages) * roundTrip + handlingSeconds, folders));
  std::printf("  messages per folder:");
  for (int i = 0; i < TOP_MESSAGES && i < static_cast<int>(ranked.size()); ++i) {
    const char* name = MessageName(ranked[i].first);
    char fallback[16];
    if (!name) {
      std::snprintf(fallback, sizeof fallback, "0x%04X", ranked[i].first);
      name = fallback;
    }
    std::printf(" %s %.1f (%.0f us)", name, folders ? double(ranked[i].second.count) / double(folders) : 0.0,
                Micro(ranked[i].second.seconds, folders));
  }
  std::printf("\n");
}
