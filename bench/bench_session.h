// The program as the user runs it, inside the benchmark's process: settings
// in a scratch registry key, the real main window with its panes, and this
// thread pumping messages as the program's own loop does while workers scan.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct FolderNode;

// Redirects HKEY_CURRENT_USER to a key of this process for its lifetime, so
// the benchmark never reads or writes the user's own settings.
class ScratchCurrentUser {
 public:
  ScratchCurrentUser();
  ~ScratchCurrentUser();
  ScratchCurrentUser(const ScratchCurrentUser&) = delete;
  ScratchCurrentUser& operator=(const ScratchCurrentUser&) = delete;
  bool redirected() const { return user_ != nullptr; }

 private:
  std::string root_;
  HKEY user_ = nullptr;
};

// Creates the main window with |startFolder| as the only root, as a start
// with that folder on the command line does, and waits for its first scan.
bool OpenMainWindow(const std::string& startFolder);
// Destroys the window (stopping every worker) and releases the retired records.
void CloseMainWindow();

// Dispatches whatever is queued, then returns.
void PumpPending();
// Runs the message loop while |busy| says so; false when it met WM_QUIT.
bool PumpWhile(bool (*busy)(const void* context), const void* context);
// Runs the message loop until no worker is registered any more.
void PumpUntilWorkersEnd();
// Runs the message loop until |handle| (a thread) is signalled.
void PumpUntilSignalled(HANDLE handle);

// Adds |path| below its parent's item (the parent must be in the tree) and
// selects it, as the program does for a start folder.
FolderNode* AddTreeFolder(const std::string& path);
// The folder scan of |node| on a scan worker, as the rescan command starts
// it; returns the wall time until the worker has ended.
double ScanOnWorker(FolderNode* node);
// A find below |start| with the criteria |settings| and |prepared| in the
// display |settings| names, as the Find dialog starts it without merging;
// the wall time until the search has ended.  Negative when the search would
// first ask about a drive not completely scanned, or cannot start.
struct CriteriaSettings;
struct CriteriaPrepared;
double FindOnWorker(FolderNode* start, const CriteriaSettings& settings, const CriteriaPrepared& prepared);
// How many items the find-results tree holds, its top item included.
long FindResultItems();

// Shows the main tree and opens |path|'s item so its children are listed.
void ExpandTreeFolder(const std::string& path);

// A click on the header item of |columnId| (the name column or a detail
// column) with the repaint it causes; negative when the column is not shown.
double ClickColumnHeader(uint32_t columnId);

// The process's private bytes as GetProcessMemoryInfo reports them, and the
// committed private regions summed over VirtualQuery (what Windows counts as
// private bytes; Wine's counter may follow the host's accounting instead).
int64_t ReportedPrivateUsage();
int64_t CommittedPrivateBytes();
// Committed private memory less the free blocks inside the process's heaps:
// the memory in use, without the slack a heap keeps after it has grown.
int64_t PrivateBytesInUse();
