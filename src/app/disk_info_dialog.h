// Command 45225: the geometry and space of the current folder's drive.
#pragma once
#include <windows.h>

struct FolderNode;

// Refreshes the drive's figures and shows them; an English error box when
// they cannot be had (a removable drive without medium).
void ShowDiskInformation(HWND owner, FolderNode* folder);

// The string id naming a drive type.
UINT DriveTypeTextId(UINT driveType);

// Places |dialog| over its owner (the main window when it has none), inside the work area of the owner's screen.
void CentreOverOwner(HWND dialog);
