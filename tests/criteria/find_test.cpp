// Finding folders on a scanned tree through the real Find dialog.
#include <functional>

#include "app/text_case.h"
#include "criteria/criteria_settings.h"
#include "criteria/find_search.h"
#include "support/main_window_test.h"

namespace {

class FindTest : public MainWindowTest {
 protected:
  void SetUp() override {
    OpenScannedTree();
    Settings.FindAdvancedShown = 1;
    Settings.findCriteria.sizeFlags = 0;
    Settings.findCriteria.searchScope = SCOPE_CURRENT_FOLDER;
  }

  // From the normal view with the scanned folder current, the user presses
  // F3, lets |setup| set the controls and presses Find now; message boxes get
  // |driveAnswer|.  Exit closes the dialog once the search has ended with it
  // open, or, with |exitWhileSearching|, as soon as the search runs.
  void Find(const std::function<void(HWND)>& setup, int driveAnswer = IDNO, bool exitWhileSearching = false) {
    Command(IDM_VIEW_NORMAL);
    ASSERT_EQ(start, CurrentFolder);
    walked = ChildTexts(Panes.mainTree, start->mainItem);
    bool pressed = false;
    DialogAnswerer answerer([&](HWND dialog) {
      if (!GetDlgItem(dialog, IDC_CRITERIA_TABS)) return driveAnswer;
      if (!pressed) {
        setup(dialog);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        pressed = true;
        return 0;
      }
      status = Text(dialog, IDC_FIND_STATUS);
      const bool searching = !IsWindowEnabled(GetDlgItem(dialog, IDOK));
      if (searching && !(exitWhileSearching && status == ResourceString(IDS_SEARCHING))) return 0;
      workersAtExit = WorkerCount();
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

  // Temp and x.tmp as the user sees them found: the one walked later first.
  std::vector<std::string> NewestFirst(bool fullPaths) const {
    std::vector<std::string> names;
    for (const std::string& name : walked)
      if (name == "Temp" || name == "x.tmp") names.insert(names.begin(), name);
    for (std::string& name : names) {
      if (!fullPaths) continue;
      name = temp.Path(name);
      WordCapitals(&name[0]);
    }
    return names;
  }

  std::vector<std::string> walked;  // the scanned folder's children in walking order
  std::string status;
  int workersAtExit = -1;
  std::vector<std::string> questions;
};

LRESULT ResultCount() { return SendMessageA(Panes.findTree, TVM_GETCOUNT, 0, 0); }
std::vector<std::string> ListedResults() { return ChildTexts(Panes.findTree, TopItem(Panes.findTree)); }

TEST_F(FindTest, DisplaysShowWhatMatchesNothingFoundKeepsTheDialogAndExitEndsASearch) {
  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_AS_TREE);
    Pattern(dialog, "*.tmp; temp");
  });
  EXPECT_TRUE(questions.empty()) << "no question about a drive whose known folders are all counted";
  EXPECT_TRUE(FindResultsMode) << "the results are shown";
  // Each folder from the drive down to the scanned folder once, below its parent.
  LRESULT chain = 0;
  for (FolderNode* node = start; node != top; node = ParentNode(Panes.mainTree, node->mainItem), ++chain) {
    ASSERT_NE(nullptr, node->findItem);
    FolderNode* parent = ParentNode(Panes.mainTree, node->mainItem);
    EXPECT_EQ(parent == top ? TopItem(Panes.findTree) : parent->findItem, ParentItem(Panes.findTree, node->findItem));
  }
  EXPECT_EQ(1 + chain + 2, ResultCount());
  EXPECT_EQ(NewestFirst(false), ChildTexts(Panes.findTree, start->findItem)) << "the later find stands first";

  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_AS_LIST);
    Pattern(dialog, "*.tmp; temp");
  });
  EXPECT_EQ(NewestFirst(true), ListedResults()) << "full paths in word capitals, newest first";

  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_MERGE);
    Pattern(dialog, "temp;d1*");
  });
  EXPECT_EQ(5u, ListedResults().size()) << "D1, D1a and D1b join; Temp is not listed twice";

  FolderNode* gone = Child("Temp");
  temp.Remove("Temp");
  ScanOneLevel(start);  // as a rescan after the change on disk does
  EXPECT_FALSE(IsFolderNode(gone));
  EXPECT_EQ(4u, ListedResults().size()) << "the deleted folder leaves the results";

  Find([](HWND dialog) { Pattern(dialog, "nothing*here"); });
  EXPECT_EQ(ResourceString(IDS_NOTHING_FOUND), status);
  EXPECT_EQ(1, ResultCount()) << "only the top item";
  EXPECT_TRUE(FindResultsMode);

  Command(IDM_VIEW_NORMAL);
  EXPECT_FALSE(FindResultsMode);

  start->root->flags &= ~SUBTREE_COMPLETE;  // as while a scan of the drive is unfinished
  Find([](HWND dialog) { Pattern(dialog, "*"); }, IDCANCEL);
  start->root->flags |= SUBTREE_COMPLETE;
  ASSERT_EQ(1u, questions.size());
  EXPECT_NE(std::string::npos, questions[0].find(TreeItemText(Panes.mainTree, start->root->mainItem))) << questions[0];
  EXPECT_EQ(1, ResultCount()) << "Cancel searches nothing";

  WorkerRecord scan = {};  // a scan of the drive still counting the folder: the search waits there
  AsDriveRoot(start->root)->activeScan = &scan;
  start->flags &= ~SUBTREE_COMPLETE;
  Find([](HWND) {}, IDNO, true);
  EXPECT_EQ(1, workersAtExit) << "the dialog closed while the search was waiting";
  EXPECT_EQ(0, WorkerCount()) << "and the search then ended";
  EXPECT_EQ(nullptr, FindSearchWorker);
  AsDriveRoot(start->root)->activeScan = nullptr;
  start->flags |= SUBTREE_COMPLETE;
}

}  // namespace
