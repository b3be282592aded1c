#include "shell/shell_operation.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "model/folder_node.h"
#include "resource.h"
#include "shell/ansi_paths.h"
#include "shell/file_operations.h"

namespace {

struct UndoRecord {
  UndoKind kind = UndoKind::None;
  std::string before;
  std::string after;
  FolderNode* node = nullptr;
};
UndoRecord g_undo;

// A path followed by the second terminator the shell's lists need.
std::string DoubleTerminated(const char* path) { return std::string(path) + '\0'; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> EntryNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// The folder holding |path|: drive roots keep their backslash.
std::string ParentOf(const std::string& path) {
  char parent[MAX_PATH];
  lstrcpynA(parent, path.c_str(), MAX_PATH);
  StripLastComponent(parent);
  return parent;
}

}  // namespace

bool ShellFileOperation(HWND owner, UINT operation, const char* from, const char* to, FILEOP_FLAGS flags) {
  const std::string source = DoubleTerminated(from);
  const std::string target = to ? DoubleTerminated(to) : std::string();
  SHFILEOPSTRUCTA op = {};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = source.c_str();
  op.pTo = to ? target.c_str() : nullptr;
  op.fFlags = flags;
  return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

void RecordUndo(UndoKind kind, const char* before, const char* after, FolderNode* node) {
  g_undo.kind = kind;
  g_undo.before = before ? before : "";
  g_undo.after = after ? after : "";
  g_undo.node = node;
}

UndoKind LastUndoKind() { return g_undo.kind; }

UINT UndoTextId() {
  switch (g_undo.kind) {
    case UndoKind::Rename:
      return IDS_UNDO_RENAME;
    case UndoKind::Copy:
      return IDS_UNDO_COPY;
    case UndoKind::Move:
      return IDS_UNDO_MOVE;
    case UndoKind::CreateFolder:
      return IDS_UNDO_CREATE_FOLDER;
    case UndoKind::None:
      break;
  }
  return IDM_UNDO;
}

void UndoLastOperation(HWND owner) {
  const UndoRecord undo = g_undo;
  if (undo.kind == UndoKind::None || undo.after.empty()) return;
  g_undo = {};
  switch (undo.kind) {
    case UndoKind::Rename:
      if (ShellFileOperation(owner, FO_RENAME, undo.after.c_str(), undo.before.c_str(), FOF_ALLOWUNDO))
        FollowRename(undo.node, undo.before.c_str());
      return;
    case UndoKind::Move:
      ShellFileOperation(owner, FO_MOVE, undo.after.c_str(), ParentOf(undo.before).c_str(), FOF_ALLOWUNDO);
      return;
    case UndoKind::Copy:
    case UndoKind::CreateFolder:
      // What the operation made goes to the recycle bin, never away for good.
      ShellFileOperation(owner, FO_DELETE, undo.after.c_str(), nullptr, FOF_ALLOWUNDO);
      return;
    case UndoKind::None:
      return;
  }
}

ArrivalWatch::ArrivalWatch(const char* target) : target_(target), wasFolder_(IsFolder(target_)) {
  if (wasFolder_) before_ = EntryNames(target_);
}

std::string ArrivalWatch::Arrived() const {
  if (!wasFolder_)
    return IsFolder(target_) || GetFileAttributesA(target_.c_str()) != INVALID_FILE_ATTRIBUTES ? target_
                                                                                               : std::string();
  std::vector<std::string> now = EntryNames(target_), added;
  std::set_difference(now.begin(), now.end(), before_.begin(), before_.end(), std::back_inserter(added));
  if (added.size() != 1) return std::string();
  return target_ + (EndsWithSeparator(target_.c_str()) ? "" : "\\") + added.front();
}
