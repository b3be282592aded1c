// Finding folders on a scanned tree through the real Find dialog: the
// results in tree and list display, merging, nothing found, the question
// about a drive not completely scanned, Exit during a search, and results
// following the folders on disk.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/text_case.h"
#include "criteria/criteria_settings.h"
#include "criteria/find_search.h"
#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/scanned_window.h"
#include "support/test_panes.h"

namespace {

std::string Text(HWND dialog, int id);

class FindTest : public ScannedWindowTest {
 protected:
  void SetUp() override {
    ScannedWindowTest::SetUp();
    Settings.FindAdvancedShown = 1;
    CriteriaSettings& find = Settings.findCriteria;
    find.sizeFlags = 0;
    find.searchScope = SCOPE_CURRENT_FOLDER;
  }

  // From the normal view with the scanned folder current, the user presses F3, lets |setup| set the dialog's controls
  // and presses Find now; message boxes get |driveAnswer|.  A dialog still open when the search has ended is closed
  // with Exit, its status text kept in |status|.
  void Find(const std::function<void(HWND)>& setup, int driveAnswer = IDNO) {
    Command(IDM_VIEW_NORMAL);
    ASSERT_EQ(root, CurrentFolder);
    walked.clear();
    for (HTREEITEM item = FirstChildItem(Panes.mainTree, root->mainItem); item;
         item = NextSiblingItem(Panes.mainTree, item))
      walked.push_back(TreeItemText(Panes.mainTree, item));
    bool pressed = false;
    status.clear();
    DialogAnswerer answerer([&](HWND dialog) {
      if (!GetDlgItem(dialog, IDC_CRITERIA_TABS)) return driveAnswer;
      if (!pressed) {
        setup(dialog);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        pressed = true;
        return 0;
      }
      if (!IsWindowEnabled(GetDlgItem(dialog, IDOK))) return 0;  // searching
      status = Text(dialog, IDC_FIND_STATUS);
      return IDCANCEL;
    });
    Command(IDM_FIND_FOLDERS);
    questions.clear();
    for (const SeenDialog& seen : answerer.seen())
      if (!seen.text.empty()) questions.push_back(seen.text);
  }

  static void Pattern(HWND dialog, const char* pattern) {
    HWND page = PageWith(dialog, IDC_NAME_PATTERN);
    Click(page, IDC_NAME_MATCH);
    SetDlgItemTextA(page, IDC_NAME_PATTERN, pattern);
  }

  // The texts of the find-results top item's children, in tree order.
  static std::vector<std::string> ResultEntries() {
    std::vector<std::string> texts;
    HWND tree = Panes.findTree;
    for (HTREEITEM item = FirstChildItem(tree, TopItem(tree)); item; item = NextSiblingItem(tree, item))
      texts.push_back(TreeItemText(tree, item));
    return texts;
  }

  std::string ShownPath(const std::string& relative) const {
    std::string path = temp.Path(relative);
    WordCapitals(&path[0]);
    return path;
  }

  // Newest first: the later of two finds in the walk's order.
  std::vector<std::string> NewestFirst(const std::string& first, const std::string& second) const {
    for (const std::string& name : walked) {
      if (name == first) return {second, first};
      if (name == second) return {first, second};
    }
    return {};
  }

  std::vector<std::string> walked;  // the scanned folder's children in the order the search walks them
  std::string status;
  std::vector<std::string> questions;
};

std::string Text(HWND dialog, int id) {
  char text[MAX_PATH] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

LRESULT ResultCount() { return SendMessageA(Panes.findTree, TVM_GETCOUNT, 0, 0); }

TEST_F(FindTest, TreeAndListDisplaysShowWhatMatches) {
  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_AS_TREE);
    Pattern(dialog, "*.tmp; temp");
  });
  EXPECT_TRUE(questions.empty()) << "no question about a drive whose known folders are all counted";
  EXPECT_TRUE(FindResultsMode) << "the results are shown";
  // Every folder from the drive down to the scanned folder once, the two finds below it.
  std::vector<FolderNode*> chain;
  for (FolderNode* node = root; node != top; node = ParentNode(Panes.mainTree, node->mainItem)) {
    ASSERT_TRUE(IsFolderNode(node));
    chain.insert(chain.begin(), node);
  }
  EXPECT_EQ(LRESULT(1 + chain.size() + 2), ResultCount());
  HTREEITEM parent = TopItem(Panes.findTree);
  for (FolderNode* node : chain) {
    ASSERT_NE(nullptr, node->findItem);
    EXPECT_EQ(parent, ParentItem(Panes.findTree, node->findItem));
    parent = node->findItem;
  }
  const std::vector<std::string> newest = NewestFirst("Temp", "x.tmp");
  std::vector<std::string> found;
  for (HTREEITEM item = FirstChildItem(Panes.findTree, root->findItem); item;
       item = NextSiblingItem(Panes.findTree, item))
    found.push_back(TreeItemText(Panes.findTree, item));
  EXPECT_EQ(newest, found) << "the later find stands first";

  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_AS_LIST);
    Pattern(dialog, "*.tmp; temp");
  });
  const std::vector<std::string> listed = ResultEntries();
  ASSERT_EQ(2u, listed.size());
  const std::vector<std::string> newestListed = NewestFirst("Temp", "x.tmp");
  EXPECT_EQ(ShownPath(newestListed[0]), listed[0]) << "full paths in word capitals, newest first";
  EXPECT_EQ(ShownPath(newestListed[1]), listed[1]);

  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_MERGE);
    Pattern(dialog, "temp;d1*");
  });
  EXPECT_EQ(5u, ResultEntries().size()) << "D1, D1a and D1b join; Temp is not listed twice";

  FolderNode* gone = Node("Temp");
  temp.Remove("Temp");
  ScanOneLevel(root);  // as a rescan after the change on disk does
  EXPECT_FALSE(IsFolderNode(gone));
  EXPECT_EQ(4u, ResultEntries().size()) << "the deleted folder leaves the results";
}

TEST_F(FindTest, NothingFoundOrCancelledLeavesTheDialogOpen) {
  Find([](HWND dialog) { Pattern(dialog, "nothing*here"); });
  EXPECT_EQ(ResourceString(IDS_NOTHING_FOUND), status);
  EXPECT_EQ(1, ResultCount()) << "only the top item";
  EXPECT_TRUE(FindResultsMode);

  {
    int opened = 0;
    DialogAnswerer answerer([&](HWND) {
      ++opened;
      return IDCANCEL;
    });
    Command(IDM_VIEW_NORMAL);
    EXPECT_FALSE(FindResultsMode);
    Command(IDM_VIEW_FIND_RESULTS);
    EXPECT_EQ(1, opened) << "with nothing found the results tab opens the Find dialog";
    EXPECT_FALSE(FindResultsMode);
  }

  root->root->flags &= ~SUBTREE_COMPLETE;  // as while a scan of the drive is unfinished
  Find([](HWND dialog) { Pattern(dialog, "*"); }, IDCANCEL);
  root->root->flags |= SUBTREE_COMPLETE;
  ASSERT_EQ(1u, questions.size());
  EXPECT_NE(std::string::npos, questions[0].find(TreeItemText(Panes.mainTree, root->root->mainItem))) << questions[0];
  EXPECT_EQ(1, ResultCount()) << "Cancel searches nothing";
}

TEST_F(FindTest, ExitDuringASearchEndsItWithoutTheDialog) {
  // A scan of the drive still counting the folder: the search waits there.
  WorkerRecord scan = {};
  DriveRootNode* drive = AsDriveRoot(root->root);
  drive->activeScan = &scan;
  root->flags &= ~SUBTREE_COMPLETE;
  bool pressed = false;
  int searchesAtExit = -1;
  DialogAnswerer answerer([&](HWND dialog) {
    if (!GetDlgItem(dialog, IDC_CRITERIA_TABS)) return IDNO;
    if (!pressed) {
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      pressed = true;
      return 0;
    }
    if (Text(dialog, IDC_FIND_STATUS) != ResourceString(IDS_SEARCHING)) return 0;
    searchesAtExit = WorkerCount();
    return IDCANCEL;
  });
  SendMessageA(window, WM_COMMAND, IDM_FIND_FOLDERS, 0);
  EXPECT_EQ(1, searchesAtExit) << "the dialog closed while the search was waiting";
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ(nullptr, FindSearchWorker);
  drive->activeScan = nullptr;
  root->flags |= SUBTREE_COMPLETE;
}

}  // namespace
