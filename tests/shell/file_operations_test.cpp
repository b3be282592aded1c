// Rename, Create Folder, Copy To, Move To, delete and undo on the real main window and real folders.
#include <cstdio>

#include "app/file_pane.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "settings/history_list.h"
#include "support/main_window_test.h"

namespace {

class FileOperations : public MainWindowTest {
 protected:
  bool Exists(const std::string& relative) const {
    return GetFileAttributesA(temp.Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  // Undo of a new folder or a copy sends it to the recycle bin, which the shell confirms.
  void UndoConfirmed() {
    DialogAnswerer yes(IDYES);
    Command(IDM_UNDO);
  }
  HWND Editor() const { return reinterpret_cast<HWND>(SendMessageA(Panes.mainTree, TVM_GETEDITCONTROL, 0, 0)); }
  // Types |text| into the label editor of |node| and presses Enter (Esc for null).
  void TypeName(FolderNode* node, const char* text) {
    // Taking the focus from an open editor would end the edit.
    if (!Editor()) {
      SetFocus(Panes.mainTree);
      SendMessageA(Panes.mainTree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node->mainItem));
    }
    ASSERT_TRUE(Editor());
    if (text) SetWindowTextA(Editor(), text);
    SendMessageA(Panes.mainTree, TVM_ENDEDITLABELNOW, text ? FALSE : TRUE, 0);
    PumpMessages();
  }
};

// The program's dialogs have a target path field; message boxes have none.
bool IsMessageBox(HWND dialog) { return !GetDlgItem(dialog, IDC_TARGET_PATH); }

// Opens Create Folder, types |typed| and confirms; a refusal is answered and
// the dialog cancelled.  Returns the message shown, if any.
std::string CreateFolder(HWND window, const std::string& typed, int* offered = nullptr) {
  HWND dialog = nullptr;
  std::string message;
  DialogAnswerer answers([&](HWND shown) {
    if (IsMessageBox(shown)) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return IDOK;
    }
    dialog = shown;
    HWND combo = GetDlgItem(shown, IDC_TARGET_PATH);
    if (offered) *offered = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    SetWindowTextA(combo, typed.c_str());
    return IDOK;
  });
  SendMessageA(window, WM_COMMAND, IDM_CREATE_FOLDER, 0);
  return answers.seen().size() > 1 ? answers.seen()[1].text : "";
}

TEST_F(FileOperations, RenameInTheTreeAndCreateFolder) {
  temp.Make({"start", "start\\x", "start\\Keep", "start\\data.1", "start\\odd", "start\\taken"});
  Open("start");
  Command(IDM_EXPAND_ONE_LEVEL);
  FolderNode* x = Child("x");
  TypeName(x, "renamed");
  EXPECT_TRUE(Exists("start\\renamed") && !Exists("start\\x")) << "renamed on disk";
  EXPECT_EQ("renamed", TreeItemText(Panes.mainTree, x->mainItem));
  char path[MAX_PATH] = {};
  SHGetPathFromIDListA(x->absoluteIdList, path);
  EXPECT_EQ(temp.Path("start\\renamed"), path) << "the node's identifier lists follow";
  char undo[128];
  EXPECT_TRUE(QueryUndo(undo, sizeof undo));
  EXPECT_EQ(ResourceString(IDS_UNDO_RENAME), undo) << "the undo button names the rename";
  Command(IDM_UNDO);
  EXPECT_TRUE(Exists("start\\x") && !Exists("start\\renamed")) << "undo restores the old name";
  EXPECT_EQ("x", TreeItemText(Panes.mainTree, x->mainItem));
  EXPECT_FALSE(QueryUndo(undo, sizeof undo)) << "nothing more to undo";

  TypeName(Child("Keep"), "KEEP");
  WIN32_FIND_DATAA found = {};
  FindClose(FindFirstFileA(temp.Path("start\\Keep").c_str(), &found));
  EXPECT_STREQ("KEEP", found.cFileName) << "a change of case is performed, as the disk spells it";
  TypeName(Child("data.1"), "data");
  EXPECT_TRUE(Exists("start\\data.1") && !Exists("start\\data")) << "the extension is kept";

  // A bad name is told and the editor opens again; Esc then leaves all as it was.
  const struct {
    const char* typed;
    UINT message;
  } REFUSED[] = {{"", IDS_EMPTY_NAME}, {"a?b", IDS_FORBIDDEN_NAME_CHARACTERS}};
  FolderNode* odd = Child("odd");
  for (const auto& refused : REFUSED) {
    DialogAnswerer answers(IDOK);
    TypeName(odd, refused.typed);
    ASSERT_TRUE(PumpUntil([&] { return answers.seen().size() == 1 && Editor(); })) << refused.typed;
    EXPECT_EQ(ResourceString(refused.message), answers.seen()[0].text);
    TypeName(odd, nullptr);
    EXPECT_EQ("odd", TreeItemText(Panes.mainTree, odd->mainItem)) << refused.typed;
    EXPECT_TRUE(Exists("start\\odd"));
  }

  EXPECT_EQ("", CreateFolder(window, "p\\q"));
  EXPECT_TRUE(Exists("start\\p\\q")) << "both levels are made";
  EXPECT_EQ(ResourceString(IDS_CANNOT_CREATE_FOLDER), CreateFolder(window, "taken"));

  UndoConfirmed();
  EXPECT_FALSE(Exists("start\\p")) << "undo sends the new folders to the recycle bin";

  HistoryList history;
  for (int i = 1; i <= 8; ++i) AddToHistory(&history, ("n" + std::to_string(i)).c_str());
  SaveHistory(&history, CREATE_FOLDER_HISTORY);
  int offered = 0;
  CreateFolder(window, "n9", &offered);
  EXPECT_EQ(8, offered) << "the dialog offers the history";
  LoadHistory(&history, CREATE_FOLDER_HISTORY);
  EXPECT_STREQ("n9", history.slots[0].get()) << "the typed name joins the history";
  FreeHistory(&history);
}

// Opens Copy To or Move To on the current folder and confirms |typed|.
// |located| receives the tree's selection after the locate button.
void CopyOrMove(HWND window, UINT command, const std::string& typed, std::string* located = nullptr) {
  DialogAnswerer answers([&](HWND shown) {
    if (IsMessageBox(shown)) return IDOK;
    SetDlgItemTextA(shown, IDC_TARGET_PATH, typed.c_str());
    if (located) {
      SendMessageA(shown, WM_COMMAND, IDC_LOCATE_PATH, 0);
      HWND tree = GetDlgItem(shown, IDC_NAMESPACE_TREE);
      *located = TreeItemText(tree, TreeNext(tree, nullptr, TVGN_CARET));
    }
    return IDOK;
  });
  SendMessageA(window, WM_COMMAND, command, 0);
}

TEST_F(FileOperations, CopyMoveAndDelete) {
  // A name no other run uses, for the folder sent to the recycle bin.
  const std::string leaf = "recycled-" + PathComponents(temp.Path()).back();
  temp.Make({"start", "start\\" + leaf, "start\\a", "start\\a\\f.bin:3000", "start\\b", "start\\c",
             "start\\c\\g.bin:2000", "start\\d"});
  MonitorDriverMissing = true;  // changes reach the tree through change notifications
  Open("start");
  Command(IDM_EXPAND_ONE_LEVEL);
  Select(Child("a"));
  std::string located;
  CopyOrMove(window, IDM_COPY_TO, temp.Path("start\\b"), &located);
  EXPECT_EQ("b", located) << "the typed folder is found in the namespace tree";
  EXPECT_TRUE(Exists("start\\b\\a\\f.bin") && Exists("start\\a\\f.bin")) << "a copy arrives, the source stays";
  UndoConfirmed();
  EXPECT_FALSE(Exists("start\\b\\a")) << "undo sends the copy to the recycle bin";

  Select(Child("c"));
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(CurrentFolder) && IsWatched(start); }));
  const int64_t before = start->subtreeBytes;
  CopyOrMove(window, IDM_MOVE_TO, temp.Path());
  EXPECT_TRUE(Exists("c\\g.bin") && !Exists("start\\c")) << "moved";
  EXPECT_TRUE(PumpUntil([&] { return Child("c") == nullptr; })) << "the tree follows";
  EXPECT_EQ(before - 2000, start->subtreeBytes) << "and so do the totals";

  Select(Child("a"));
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(CurrentFolder) && IsWatched(start); }));
  CopyOrMove(window, IDM_COPY_TO, temp.Path("start"));
  EXPECT_TRUE(Exists("start\\a\\f.bin")) << "the source stays";
  char copyName[MAX_PATH];
  std::snprintf(copyName, sizeof copyName, ResourceString(IDS_COPY_NAME).c_str(), "a");
  EXPECT_TRUE(Exists(std::string("start\\") + copyName + "\\f.bin")) << "onto its own parent: a renamed copy";
  EXPECT_TRUE(PumpUntil([&] { return Child(copyName) != nullptr; })) << "the tree follows";

  const struct {
    std::string name;
    UINT command;
    int answer;
    bool stays;
  } DELETIONS[] = {{"d", IDM_DELETE, IDNO, true}, {"d", IDM_DELETE, IDYES, false}, {leaf, IDM_RECYCLE, IDYES, false}};
  for (const auto& deletion : DELETIONS) {
    ASSERT_TRUE(PumpUntil([&] { return Child(deletion.name) != nullptr; })) << deletion.name;
    SetFocus(Panes.mainTree);
    Select(Child(deletion.name));
    DialogAnswerer answers(deletion.answer);
    Command(deletion.command);
    EXPECT_EQ(1u, answers.seen().size()) << "the shell asks first";
    EXPECT_EQ(deletion.stays, Exists("start\\" + deletion.name)) << deletion.name << " " << deletion.answer;
  }
  // The run's own recycle bin holds the folder sent there.
  char trash[MAX_PATH] = "Z:";
  ASSERT_TRUE(GetEnvironmentVariableA("XDG_DATA_HOME", trash + 2, MAX_PATH - 2));
  std::string recycled = std::string(trash) + "/Trash/files/" + leaf;
  for (char& c : recycled) c = c == '/' ? '\\' : c;
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(recycled.c_str())) << recycled;
}

}  // namespace
