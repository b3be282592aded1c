// The Send To submenu of a folder's context menu, built from the user's Send
// To folder, with owner-drawn entries that show each target's icon.
#pragma once
#include <windows.h>
#include <shlobj.h>

constexpr UINT SEND_TO_FIRST_COMMAND = 46201;
constexpr UINT SEND_TO_EMPTY_COMMAND = 300;
constexpr int SEND_TO_MENU_LIMIT = 200;  // entries per menu

// One entry of the built menu, carried as the owner-drawn item's data.
struct SendToEntry {
  UINT commandId;       // SEND_TO_FIRST_COMMAND and up; 0 for a folder
  LPITEMIDLIST idList;  // relative to the folder the entry was found in
  char displayName[MAX_PATH];
  char parsePath[MAX_PATH];  // for the icon
  int itemWidth;
  HMENU subMenu;  // a folder's own menu
  int isFolder;
  IShellFolder* folder;  // where the entry lives; a folder entry's: the folder it opens
};

// The top Send To menu while a context menu shows one, else null.
extern HMENU SendToMenu;

// The menu of the user's Send To folder, or null when it cannot be read.
HMENU CreateSendToMenu();
// Frees every entry of |menu| and its submenus, destroys it and lets go of
// the shell objects CreateSendToMenu took.
void DestroySendToMenu(HMENU menu);
// When |id| is one of |menu|'s entries: sends the active tree's current
// folder to it and answers true.
bool HandleSendToCommand(HWND owner, HMENU menu, UINT id);

void MeasureSendToItem(MEASUREITEMSTRUCT* measure);
void DrawSendToItem(const DRAWITEMSTRUCT* draw);

// Entries allocated and not yet freed, for checking that nothing leaks.
int LiveSendToEntries();
