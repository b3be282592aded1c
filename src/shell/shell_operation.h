// One SHFileOperationA call on one item, and the program's record of its last
// operation that can be undone.  The folder view of some platforms keeps no
// undo of its own; the record undoes through the shell as that view would:
// a rename or move is reversed, a copy or a new folder goes to the recycle bin.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

struct FolderNode;

// |from| and |to| are single paths (|to| may be null); true when the shell
// reports success and the user aborted nothing.
bool ShellFileOperation(HWND owner, UINT operation, const char* from, const char* to, FILEOP_FLAGS flags);

enum class UndoKind { None, Rename, Copy, Move, CreateFolder };

// Rename: |before| the old path, |after| the new one, |node| the renamed
// folder's record (followed on undo when still valid).  Copy and create
// folder: |after| the item made.  Move: |before| the old path, |after| the new.
void RecordUndo(UndoKind kind, const char* before, const char* after, FolderNode* node = nullptr);
UndoKind LastUndoKind();
// The undo command's text for the recorded operation (string 45011 for none).
UINT UndoTextId();
// Undoes the recorded operation through the shell and forgets it; nothing
// without a record.
void UndoLastOperation(HWND owner);

// Finds the item a copy or move into |target| made: |target| itself when it
// was no folder before, otherwise the one entry of |target| that is new.
class ArrivalWatch {
 public:
  explicit ArrivalWatch(const char* target);
  // Empty when nothing new is there.
  std::string Arrived() const;

 private:
  std::string target_;
  bool wasFolder_;
  std::vector<std::string> before_;
};
