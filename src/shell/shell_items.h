// Thin helpers over the shell namespace: identifier lists, display names,
// folder objects and system icons.  They keep no state, so any thread may call
// them; each call takes the shell allocator and the desktop folder itself.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

constexpr int SHELL_TEXT_MAX = MAX_PATH;      // ANSI names and paths, with terminator
constexpr int SHELL_WIDE_MAX = 2 * MAX_PATH;  // wide conversion buffer, in characters

// IShellFolder::GetDisplayNameOf into a 260-byte ANSI buffer; 1 on success.
int DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST item, DWORD flags, char* out);

// Parses an ANSI path in |folder| (the desktop when null).  |attributes| may be
// null; otherwise it carries the request in and the answer out.  The result is
// allocated with the shell allocator, or null.
LPITEMIDLIST IdListFromPath(const char* path, IShellFolder* folder, ULONG* attributes);

// Binds |path| to its IShellFolder; |out| holds one reference on success.
HRESULT FolderFromPath(const char* path, IShellFolder** out);
// The same for a folder whose list from the desktop is known: FolderFromPath
// without parsing the path into that list first.
HRESULT FolderFromIdList(LPCITEMIDLIST absolute, IShellFolder** out);

// The desktop's CompareIDs (parameter 0) says exactly 0: the same item.
bool SameIdList(IShellFolder* desktop, LPCITEMIDLIST a, LPCITEMIDLIST b);
// Both lists hold the same bytes (both null counts as equal).
bool IdListBytesEqual(LPCITEMIDLIST a, LPCITEMIDLIST b);
// |absolute| ends with exactly the bytes of the one-item list |last|; then
// |*prefixSize| receives the size of what comes before it.
bool EndsWithItem(LPCITEMIDLIST absolute, LPCITEMIDLIST last, UINT* prefixSize);

UINT IdListSize(LPCITEMIDLIST list);
LPITEMIDLIST NextIdItem(LPCITEMIDLIST item);
// |part| points into the bytes of |list| (so it is freed with |list|).
bool IdListHolds(LPCITEMIDLIST list, LPCITEMIDLIST part);
void* AllocZeroed(SIZE_T size);
LPITEMIDLIST ConcatIdLists(LPCITEMIDLIST first, LPCITEMIDLIST second);
LPITEMIDLIST CopyIdList(IMalloc* allocator, LPCITEMIDLIST list);
void FreeIdList(LPITEMIDLIST list);
// Runs |verb| (a command number as the menu's QueryContextMenu numbered it,
// less its first id) of a shell context menu, owned by |owner|.
HRESULT InvokeMenuVerb(IContextMenu* menu, HWND owner, UINT verb);

// The system's small icons, shared with the shell, for tree items.
HIMAGELIST SystemSmallIconList();
int SystemIconIndex(LPCITEMIDLIST absolute, UINT flags);
void ItemIcons(LPCITEMIDLIST absolute, TVITEMA* item);
// ItemIcons for a subfolder found in a listing: ordinary folders share one
// answer, asked of the shell once per process; the others are asked each time.
void FolderIcons(LPCITEMIDLIST absolute, const char* path, DWORD fileAttributes, TVITEMA* item);
