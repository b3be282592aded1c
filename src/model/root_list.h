// The top item (the computer's drives folder) and its children: one drive
// root per logical drive, or the chain of folders down to a start path.
#pragma once
#include <windows.h>

struct FolderNode;
struct DriveRootNode;
struct NodeList;

// Set when no stored settings could be read: every fixed disk found is added
// to the drives scanned at start-up.
extern bool autoAddFixedDrives;

// Creates or refreshes the top node and the drive roots, starts the automatic
// scans and deletes the drives that have gone.
void BuildRootList();

// The drive root for |rootPath| ("C:\"), reused from |oldRoots| when there;
// null when the drive is hidden.
DriveRootNode* AddDriveRoot(const char* rootPath, NodeList* oldRoots);
// The node of one folder on the way down to the start path, found or created.
FolderNode* AddPathFolder(const char* prefix);
// The first |level| components of |path|: 1 gives "C:\", 2 "C:\WINDOWS", ...
bool PathPrefix(const char* path, int level, char* out, size_t outSize);

// The top node, or null before the first build.
FolderNode* TopNode();
