// The Create Folder dialog (command 45041), and the path rules it shares with
// the copy/move dialog.
#pragma once
#include <windows.h>

#include <string>

struct FolderNode;

// Opens the dialog for |current|; 1 when a folder was made.
INT_PTR CreateFolderDialog(HWND owner, FolderNode* current);
void CreateFolderCommand(HWND window);

// A typed path taken against |folder|: one starting with two backslashes or
// with a drive ("X:") as it stands, one starting with a backslash on
// |folder|'s drive, anything else inside |folder|.
std::string ResolveTypedPath(const char* folder, const char* typed);
// Makes |path| and every missing folder above it, outermost first; true when
// the last one, |path| itself, is made.  Paths under four characters fail.
bool CreateNestedFolder(const char* path);
// The first of the folders CreateNestedFolder would make, or empty when
// |path| exists.
std::string FirstMissingFolder(const char* path);
// Centres |dialog| over |owner|.
void CentreOver(HWND dialog, HWND owner);
