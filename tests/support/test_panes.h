// A top-level window holding the two tree views and their detail lists, as
// the main window will hold them, with TVN_DELETEITEM routed to node removal.
// It sets Panes for the code under test and clears it again when destroyed.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

struct FolderNode;
struct DriveRootNode;

class TestPanes {
 public:
  TestPanes();
  ~TestPanes();
  TestPanes(const TestPanes&) = delete;
  TestPanes& operator=(const TestPanes&) = delete;

  HWND window() const { return window_; }
  HWND tree() const { return tree_; }
  HWND findTree() const { return findTree_; }

  // The top node (the drives folder) as the tree's only root item.
  FolderNode* AddTopNode();
  // A drive root under the top node, for the drive of |path| ("C:\...").
  DriveRootNode* AddDriveRoot(FolderNode* top, const std::string& path);
  // A folder node for |path| directly under |parent|'s item, not yet scanned.
  FolderNode* AddFolder(FolderNode* parent, const std::string& path);

  // The child of |parent| whose item text is |name|, or null.
  FolderNode* Child(FolderNode* parent, const std::string& name) const;
  std::string ItemText(FolderNode* node) const;
  bool ItemHasButton(FolderNode* node) const;

 private:
  HWND window_ = nullptr;
  HWND tree_ = nullptr;
  HWND list_ = nullptr;
  HWND findTree_ = nullptr;
  HWND findList_ = nullptr;
};

// The text of a tree item, the child of |parent| whose item reads |name|,
// and the texts of |parent|'s child items in tree order.
std::string TreeItemText(HWND tree, HTREEITEM item);
FolderNode* ChildNamed(HWND tree, FolderNode* parent, const std::string& name);
std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent);

// Lets the tree's messages from worker threads through while a test waits.
void PumpMessages();
