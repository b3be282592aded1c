// Tagging: the rows of folders that meet the tag criteria are drawn in the
// tag colour.  Nothing is stored in the folders; each row is tested when it
// is painted, so folders whose totals become final later turn tagged then.
#pragma once
#include <windows.h>

struct FolderNode;

// On from the confirmation of the Tag dialog until the tags are cleared;
// off at start-up whatever criteria were loaded.
extern bool TaggingActive;

// Command 45273: the modal Tag dialog; true when the user confirmed.
bool ShowTagDialog(HWND owner);
// Command 45106: tagging off, the shown rows repainted.
void ClearAllTagsCommand();

// The row painter's question: tagging is on and |node| meets the tag criteria.
bool IsNodeTagged(FolderNode* node);
