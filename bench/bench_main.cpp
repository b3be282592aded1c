// Measures the program's scan against the platform's own listing of the same
// folders, the user-interface thread's responsiveness meanwhile, the memory
// per folder and the re-sort of a wide folder, and prints one table.
//   pelvanor_bench [--tiny] [--trees reference,large,wide] [--dir FOLDER] [--keep] [--no-breakdown]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "bench_session.h"
#include "cost_breakdown.h"
#include "criteria/criteria_settings.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/column_info.h"
#include "plain_walk.h"
#include "settings/settings_record.h"
#include "sparse_tree.h"
#include "stopwatch.h"
#include "ui_probe.h"

namespace {

// With these rules this seed gives 7 071 folders and 56 961 files at depth 6.
constexpr uint64_t TREE_SEED = 13;
constexpr uint64_t PROFILE_SEED = 7;

const TreeShape FULL_TREES[] = {
    {"reference", 6, 2, 6, 4, 12, 0, 0},
    {"large", 7, 2, 6, 4, 12, 0, 0},
    {"wide", 0, 0, 0, 0, 0, 3000, 3},
};
// Seconds in all, for the smoke test.
const TreeShape TINY_TREES[] = {
    {"reference", 2, 2, 6, 4, 12, 0, 0},
    {"large", 3, 2, 6, 4, 12, 0, 0},
    {"wide", 0, 0, 0, 0, 0, 30, 3},
};
const TreeShape FULL_PROFILE = {"profile", 4, 2, 6, 4, 12, 0, 0};
const TreeShape TINY_PROFILE = {"profile", 1, 2, 6, 4, 12, 0, 0};

struct Options {
  bool tiny = false;
  bool breakdown = true;
  bool keep = false;
  std::string dir;
  std::vector<std::string> trees = {"reference", "large", "wide"};
};

struct Row {
  std::string name;
  TreeCounts counts;
  double walkSeconds;
  double scanSeconds;
  LatencySummary ui;
  double bytesPerFolder;
  double bytesInUsePerFolder;
  double sortByName = -1;
  double sortBySize = -1;
};

// The two finds over the reference tree after its scan.
struct FindRow {
  const char* what;
  double seconds;
  LatencySummary ui;
  long items;  // in the find-results tree, its top item included
};

void Usage() {
  std::fprintf(stderr,
               "usage: pelvanor_bench [--tiny] [--trees reference,large,wide] [--dir FOLDER] [--keep] "
               "[--no-breakdown]\n");
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    if (comma > start) parts.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--tiny") {
      options->tiny = true;
    } else if (arg == "--keep") {
      options->keep = true;
    } else if (arg == "--no-breakdown") {
      options->breakdown = false;
    } else if (arg == "--trees" && i + 1 < argc) {
      options->trees = SplitList(argv[++i]);
    } else if (arg == "--dir" && i + 1 < argc) {
      options->dir = argv[++i];
    } else {
      return false;
    }
  }
  for (const std::string& name : options->trees)
    if (name != "reference" && name != "large" && name != "wide") return false;
  return true;
}

bool Wanted(const Options& options, const char* name) {
  for (const std::string& wanted : options.trees)
    if (wanted == name) return true;
  return false;
}

// The folder the trees go in, as a full path without a trailing backslash.
std::string PrepareBenchFolder(const Options& options, bool* made) {
  std::string dir = options.dir;
  if (dir.empty()) {
    char temp[MAX_PATH];
    if (!GetTempPathA(sizeof temp, temp)) return std::string();
    dir = std::string(temp) + "pelvanor-bench-" + std::to_string(GetCurrentProcessId());
  }
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(dir.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return std::string();
  dir = full;
  while (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  *made = CreateDirectoryA(dir.c_str(), nullptr) != FALSE;
  if (!*made && GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
  return dir;
}

void Progress(const char* format, const char* name, double value) {
  std::fprintf(stderr, format, name, value);
  std::fflush(stderr);
}

// One tree from its creation to its measurements; false when anything failed.
bool MeasureTree(const std::string& dir, const TreeShape& shape, Row* row) {
  const std::string path = dir + "\\" + shape.name;
  double start = NowSeconds();
  TreeCounts made;
  if (!MakeSparseTree(path, shape, TREE_SEED, &made)) return false;
  Progress("%s: made in %.1f s\n", shape.name, NowSeconds() - start);

  // This machine's pace changes from one second to the next: the walk is
  // timed just before and just after the scan, and their mean is the pace
  // the scan had (after one walk that warms the cache).
  PlainWalk(path);
  start = NowSeconds();
  row->counts = PlainWalk(path);
  row->walkSeconds = NowSeconds() - start;
  row->name = shape.name;
  if (row->counts.folders != made.folders || row->counts.files != made.files || row->counts.bytes != made.bytes) {
    std::fprintf(stderr, "%s: the walk saw another tree than was made\n", shape.name);
    return false;
  }

  FolderNode* node = AddTreeFolder(path);
  if (!node) {
    std::fprintf(stderr, "%s: cannot add the folder to the tree\n", shape.name);
    return false;
  }
  const int64_t inUseBefore = PrivateBytesInUse();
  const int64_t privateBefore = CommittedPrivateBytes();
  const int64_t reportedBefore = ReportedPrivateUsage();
  UiProbe probe(MainWindow);
  probe.Start();
  row->scanSeconds = ScanOnWorker(node);
  row->ui = probe.Stop();
  const int64_t privateAfter = CommittedPrivateBytes();
  const int64_t inUseAfter = PrivateBytesInUse();
  const int64_t reportedAfter = ReportedPrivateUsage();
  const int64_t newNodes = row->counts.folders - 1;  // the tree's own node existed before
  row->bytesPerFolder = newNodes > 0 ? static_cast<double>(privateAfter - privateBefore) / newNodes : 0;
  row->bytesInUsePerFolder = newNodes > 0 ? static_cast<double>(inUseAfter - inUseBefore) / newNodes : 0;
  start = NowSeconds();
  PlainWalk(path);
  const double walkAfter = NowSeconds() - start;
  std::fprintf(stderr, "%s: walked in %.2f s, scanned in %.2f s, walked in %.2f s\n", shape.name, row->walkSeconds,
               row->scanSeconds, walkAfter);
  row->walkSeconds = (row->walkSeconds + walkAfter) / 2;
  std::fprintf(stderr, "%s: in use %lld -> %lld, committed %lld -> %lld\n", shape.name,
               static_cast<long long>(inUseBefore), static_cast<long long>(inUseAfter),
               static_cast<long long>(privateBefore), static_cast<long long>(privateAfter));
  std::fprintf(stderr, "%s: private bytes +%lld committed, +%lld as GetProcessMemoryInfo reports them\n", shape.name,
               static_cast<long long>(privateAfter - privateBefore),
               static_cast<long long>(reportedAfter - reportedBefore));

  const int64_t scanned = IsFolderNode(node) ? node->ownBytes + node->subtreeBytes : -1;
  if (row->scanSeconds < 0 || scanned != made.bytes || !(node->flags & SUBTREE_COMPLETE)) {
    std::fprintf(stderr, "%s: the scan counted %lld bytes of %lld%s\n", shape.name, static_cast<long long>(scanned),
                 static_cast<long long>(made.bytes),
                 IsFolderNode(node) && (node->flags & SUBTREE_COMPLETE) ? "" : ", and the folder is not complete");
    return false;
  }

  if (shape.wideSubfolders > 0) {
    ExpandTreeFolder(path);
    row->sortByName = ClickColumnHeader(COLUMN_NAME);
    row->sortBySize = ClickColumnHeader(COLUMN_TOTAL);
    Progress("%s: sorted by name in %.2f s\n", shape.name, row->sortByName);
  }
  return true;
}

double TimedFind(FolderNode* node, const CriteriaSettings& settings, const CriteriaPrepared& prepared,
                 LatencySummary* ui) {
  UiProbe probe(MainWindow);
  probe.Start();
  const double seconds = FindOnWorker(node, settings, prepared);
  *ui = probe.Stop();
  return seconds;
}

// A size find in tree display and a name find in list display below the
// scanned reference tree.
bool MeasureFinds(const std::string& dir, std::vector<FindRow>* finds) {
  const std::string path = dir + "\\reference";
  FolderNode* node = NodeFromItem(Panes.mainTree, SelectByPath(Panes.mainTree, path.c_str(), nullptr, false, false));
  CriteriaSettings settings = {};
  CriteriaPrepared prepared = {};
  settings.showAsTree = 1;
  settings.sizeFlags = CRITERIA_TEST_ON;
  settings.sizeRelation = SIZE_GREATER;
  settings.sizeLow = 1024.0 * 1024;
  prepared.sizeMeasure = COLUMN_TOTAL;
  FindRow bySize = {"total > 1 MB, tree display", 0, {}, 0};
  bySize.seconds = TimedFind(node, settings, prepared, &bySize.ui);
  bySize.items = FindResultItems();

  settings = {};
  prepared = {};
  settings.nameTestOn = 1;
  lstrcpynA(prepared.namePattern, "D1*", MAX_PATH);
  FindRow byName = {"name D1*, list display", 0, {}, 0};
  byName.seconds = TimedFind(node, settings, prepared, &byName.ui);
  byName.items = FindResultItems();
  if (bySize.seconds < 0 || byName.seconds < 0) {
    std::fprintf(stderr, "reference: the finds did not run (the drive is not completely scanned)\n");
    return false;
  }
  Progress("%s: found in %.2f s\n", bySize.what, bySize.seconds);
  Progress("%s: found in %.2f s\n", byName.what, byName.seconds);
  finds->push_back(bySize);
  finds->push_back(byName);
  return true;
}

bool Breakdown(const std::string& dir, const TreeShape& shape) {
  const std::string path = dir + "\\" + shape.name;
  TreeCounts made;
  if (!MakeSparseTree(path, shape, PROFILE_SEED, &made)) return false;
  PlainWalk(path);
  FolderNode* node = AddTreeFolder(path);
  if (!node) return false;
  PrintCostBreakdown(path, node);
  return true;
}

std::string Cell(double value, const char* format) {
  if (value < 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void PrintTable(const std::vector<Row>& rows) {
  std::printf("\n%-10s %8s %8s %7s %8s %9s %10s %10s %10s %12s %7s %s\n", "tree", "folders", "files", "walk s",
              "scan s", "scan/walk", "UI p50 ms", "UI p99 ms", "UI max ms", "bytes/folder", "in use",
              "sort s (name / size)");
  for (const Row& row : rows) {
    const double ratio = row.walkSeconds > 0 ? row.scanSeconds / row.walkSeconds : 0;
    std::string sort = "-";
    if (row.sortByName >= 0 || row.sortBySize >= 0)
      sort = Cell(row.sortByName, "%.2f") + " / " + Cell(row.sortBySize, "%.2f");
    std::printf("%-10s %8lld %8lld %7.2f %8.2f %9.2f %10.2f %10.2f %10.2f %12.0f %7.0f %s\n", row.name.c_str(),
                static_cast<long long>(row.counts.folders), static_cast<long long>(row.counts.files), row.walkSeconds,
                row.scanSeconds, ratio, row.ui.p50Ms, row.ui.p99Ms, row.ui.maxMs, row.bytesPerFolder,
                row.bytesInUsePerFolder, sort.c_str());
  }
}

void PrintFinds(const std::vector<FindRow>& finds, const std::vector<Row>& rows) {
  double scan = -1;
  for (const Row& row : rows)
    if (row.name == "reference") scan = row.scanSeconds;
  if (finds.empty() || scan <= 0) return;
  std::printf("\n%-28s %8s %10s %10s %10s %10s %10s\n", "find on the reference tree", "find s", "find/scan",
              "UI p50 ms", "UI p99 ms", "UI max ms", "items");
  for (const FindRow& find : finds)
    std::printf("%-28s %8.2f %10.2f %10.2f %10.2f %10.2f %10ld\n", find.what, find.seconds, find.seconds / scan,
                find.ui.p50Ms, find.ui.p99Ms, find.ui.maxMs, find.items);
}

void PrintDiagnostic(int level, const char* text) { std::fprintf(stderr, "diagnostic %d: %s\n", level, text); }

int RunBenchmark(const Options& options) {
  ApplyDefaultSettings(&Settings);
  Settings.includeKnownSubfolders = 1;
  SetDiagnosticObserver(PrintDiagnostic);

  ScratchCurrentUser registry;
  if (!registry.redirected()) {
    std::fprintf(stderr, "cannot redirect HKEY_CURRENT_USER to a scratch key\n");
    return 1;
  }
  bool madeDir = false;
  const std::string dir = PrepareBenchFolder(options, &madeDir);
  if (dir.empty()) {
    std::fprintf(stderr, "cannot prepare the folder for the trees\n");
    return 1;
  }
  if (!OpenMainWindow(dir)) {
    std::fprintf(stderr, "cannot open the main window\n");
    return 1;
  }

  const TreeShape* shapes = options.tiny ? TINY_TREES : FULL_TREES;
  std::vector<Row> rows;
  std::vector<FindRow> finds;
  bool ok = true;
  for (int i = 0; i < 3 && ok; ++i) {
    if (!Wanted(options, shapes[i].name)) continue;
    Row row = {};
    row.sortByName = row.sortBySize = -1;
    ok = MeasureTree(dir, shapes[i], &row);
    if (ok) rows.push_back(row);
    if (ok && i == 0) ok = MeasureFinds(dir, &finds);
  }
  if (ok && options.breakdown) ok = Breakdown(dir, options.tiny ? TINY_PROFILE : FULL_PROFILE);

  CloseMainWindow();
  if (!options.keep) {
    for (const TreeShape& shape : {shapes[0], shapes[1], shapes[2], FULL_PROFILE}) RemoveTree(dir + "\\" + shape.name);
    if (madeDir) RemoveDirectoryA(dir.c_str());
  }
  if (!ok) return 2;

  PrintTable(rows);
  PrintFinds(finds, rows);
  std::string reference = "-";
  for (const Row& row : rows)
    if (row.name == "reference" && row.walkSeconds > 0) reference = Cell(row.scanSeconds / row.walkSeconds, "%.2f");
  std::printf("scan/walk reference: %s\n", reference.c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    Usage();
    return 64;
  }
  return RunBenchmark(options);
}
