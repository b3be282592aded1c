// The edit and file commands on the current folder (the selected item of the
// active tree).  Every change on disk is the shell's: a command of the
// folder's own context menu or one SHFileOperationA call, so confirmations,
// progress and errors are its own.  With the focus outside the active tree
// the edit commands go to the file pane's view instead.
#pragma once
#include <windows.h>
#include <commctrl.h>

struct FolderNode;

void CutCommand(HWND window);         // 45237
void CopyCommand(HWND window);        // 45008
void PasteCommand(HWND window);       // 45238
void RecycleCommand(HWND window);     // 45038
void PropertiesCommand(HWND window);  // 45018
void DeleteCommand(HWND window);      // 45108, for good
void RenameCommand(HWND window);      // 45235, in place
// The file pane's view modes, 45045, 45042, 45043 and 45044.
void LargeIconsCommand(HWND window);
void SmallIconsCommand(HWND window);
void ListCommand(HWND window);
void DetailsCommand(HWND window);
// Checks the toolbar button of the file pane's view mode |mode| (1 to 4).
void CheckViewModeButton(HWND toolbar, UINT mode);

// The context-menu command with verb number |verb| on |folder|.
void InvokeFolderVerb(FolderNode* folder, HWND owner, UINT verb);

// TVN_ENDLABELEDIT of a tree, its text in the ANSI code page (null when the
// edit was cancelled); the result for the tree, which never sets the text
// itself.  Renaming finishes after the editor has gone (FinishRename), so
// its messages and the shell's dialogs never take the focus from an editor
// still open.
LRESULT OnEndLabelEdit(HWND tree, HTREEITEM item, const char* text);
// Posted by OnEndLabelEdit to the main window.
constexpr UINT WM_FINISH_RENAME = WM_APP + 0x19;
void FinishRename();

// The folder |node| now lives at |path|: its name, identifier lists and
// tree item follow.  Nothing for a record no longer valid.
void FollowRename(FolderNode* node, const char* path);
