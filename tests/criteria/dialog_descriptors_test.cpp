// Descriptors applied to a real modeless dialog built in memory: what the
// user would see checked, enabled, shown and written after each call.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "criteria/dialog_descriptors.h"
#include "resource.h"

namespace {

// Controls of the test dialog, numbered like the scan dialog's where they play
// its part.  Three radio buttons with consecutive ids, so a run naming the
// outer two spans the middle one too.
constexpr int RADIO_1 = 1071, RADIO_2 = 1072, RADIO_3 = 1073;
constexpr int CHECK_1 = 1050, CHECK_2 = 1051;  // three-state check boxes
constexpr int PLAIN_FIRST = 1060;              // eight edits, 1060 to 1067
constexpr int TEXT_1 = 1047, TEXT_2 = 1048, TEXT_3 = 1049;
constexpr int LIST = 1090;

constexpr WORD BUTTON_CLASS = 0x0080, EDIT_CLASS = 0x0081, STATIC_CLASS = 0x0082, LISTBOX_CLASS = 0x0083;

// A dialog template in memory; controls are named by their predefined class atoms.
class TemplateBuilder {
 public:
  explicit TemplateBuilder(DWORD style) {
    AddDword(style);
    AddDword(0);          // extended style
    words_.push_back(0);  // item count, counted in Add
    for (WORD value : {0, 0, 300, 300}) words_.push_back(value);
    for (int i = 0; i < 3; ++i) words_.push_back(0);  // no menu, default class, no title
  }

  void Add(WORD classAtom, int id, DWORD style, const char* text = "") {
    if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD
    AddDword(WS_CHILD | WS_VISIBLE | style);
    AddDword(0);
    const WORD top = static_cast<WORD>(4 + 12 * words_[ITEM_COUNT]++);
    for (WORD value : {WORD{4}, top, WORD{80}, WORD{10}}) words_.push_back(value);
    words_.push_back(static_cast<WORD>(id));
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    for (const char* c = text; *c; ++c) words_.push_back(static_cast<WORD>(*c));
    words_.push_back(0);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void AddDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  static constexpr size_t ITEM_COUNT = 4;  // the word after style and extended style
  std::vector<WORD> words_;
};

// FALSE to WM_INITDIALOG too: no control takes the focus, so none reacts to it.
INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::vector<std::string> g_diagnostics;
void RecordDiagnostic(int, const char* text) { g_diagnostics.push_back(text); }

class DialogDescriptors : public ::testing::Test {
 protected:
  void SetUp() override {
    // Non-automatic buttons, so nothing but the interpreter changes a state.
    TemplateBuilder dialog(WS_POPUP);
    for (int id : {RADIO_1, RADIO_2, RADIO_3}) dialog.Add(BUTTON_CLASS, id, BS_RADIOBUTTON, "radio");
    for (int id : {CHECK_1, CHECK_2}) dialog.Add(BUTTON_CLASS, id, BS_3STATE, "check");
    for (int i = 0; i < 8; ++i) dialog.Add(EDIT_CLASS, PLAIN_FIRST + i, WS_BORDER);
    for (int id : {TEXT_1, TEXT_2, TEXT_3}) dialog.Add(STATIC_CLASS, id, SS_LEFT, "before");
    dialog.Add(LISTBOX_CLASS, LIST, WS_BORDER);
    dialog_ = CreateDialogIndirectParamA(AppInstance, dialog.get(), nullptr, QuietDialogProc, 0);
    ASSERT_NE(nullptr, dialog_);
    // Shown without activation: Wine hands an activated window to the window
    // manager and then waits 2 s for one to withdraw it on DestroyWindow.
    ShowWindow(dialog_, SW_SHOWNA);
    ASSERT_TRUE(IsWindowVisible(dialog_));
    g_diagnostics.clear();
    SetDiagnosticObserver(RecordDiagnostic);
  }
  void TearDown() override {
    SetDiagnosticObserver(nullptr);
    DestroyWindow(dialog_);
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  int Checked(int id) const { return static_cast<int>(IsDlgButtonChecked(dialog_, id)); }
  std::string Text(int id) const {
    char text[64] = "";
    GetDlgItemTextA(dialog_, id, text, sizeof text);
    return text;
  }
  // "E" enabled and shown, "e" enabled and hidden, "D" / "d" the same disabled.
  std::string States(std::initializer_list<int> ids) const {
    std::string states;
    for (int id : ids) {
      const bool shown = IsWindowVisible(Item(id));
      states += IsWindowEnabled(Item(id)) ? (shown ? 'E' : 'e') : (shown ? 'D' : 'd');
    }
    return states;
  }
  // The first |count| plain controls.
  std::string Plain(int count) const {
    std::string states;
    for (int i = 0; i < count; ++i) states += States({PLAIN_FIRST + i});
    return states;
  }

  HWND dialog_ = nullptr;
};

TEST_F(DialogDescriptors, RadioButtonsAndTheGroupTheySwitch) {
  ApplyDescriptor(dialog_, "rr D(b)", {RADIO_1, 1, RADIO_2, 0, 0, PLAIN_FIRST});
  EXPECT_EQ(BST_CHECKED, Checked(RADIO_1));
  EXPECT_EQ(BST_UNCHECKED, Checked(RADIO_2));
  EXPECT_EQ("D", Plain(1)) << "a switched-off group is disabled but stays visible";

  ApplyDescriptor(dialog_, "rr D(b)", {RADIO_1, 0, RADIO_2, 1, 1, PLAIN_FIRST});
  EXPECT_EQ(BST_UNCHECKED, Checked(RADIO_1));
  EXPECT_EQ(BST_CHECKED, Checked(RADIO_2));
  EXPECT_EQ("E", Plain(1)) << "the next call with the new state enables it again";

  ApplyDescriptor(dialog_, "rrr", {RADIO_3, 0, RADIO_1, 1, RADIO_2, 1});
  EXPECT_EQ("100",
            std::to_string(Checked(RADIO_1)) + std::to_string(Checked(RADIO_2)) + std::to_string(Checked(RADIO_3)))
      << "the first selected id wins, whatever the order of the ids";

  EnableWindow(Item(RADIO_3), FALSE);
  ShowWindow(Item(RADIO_2), SW_HIDE);
  ApplyDescriptor(dialog_, "D(rr)", {1, RADIO_2, 1, RADIO_3, 0});
  EXPECT_EQ("eE", States({RADIO_2, RADIO_3})) << "radio buttons inside a group are enabled, never shown";
  ApplyDescriptor(dialog_, "D(rr)", {0, RADIO_2, 1, RADIO_3, 0});
  EXPECT_EQ("dD", States({RADIO_2, RADIO_3}));
  EXPECT_EQ(BST_CHECKED, Checked(RADIO_2)) << "a disabled radio button still takes its value";
}

TEST_F(DialogDescriptors, RunWithoutSelectionClearsItsWholeRange) {
  CheckDlgButton(dialog_, RADIO_2, BST_CHECKED);
  ApplyDescriptor(dialog_, "r  r", {RADIO_1, 0, RADIO_3, 0});
  EXPECT_EQ(BST_UNCHECKED, Checked(RADIO_2)) << "blanks stay inside the run; the unnamed middle button is cleared";

  CheckDlgButton(dialog_, RADIO_2, BST_CHECKED);
  ApplyDescriptor(dialog_, "r b r", {RADIO_1, 0, PLAIN_FIRST, RADIO_3, 0});
  EXPECT_EQ(BST_CHECKED, Checked(RADIO_2)) << "a 'b' ends the run, so the two runs span only their own ids";
}

TEST_F(DialogDescriptors, OutsideEveryGroupOnlyValuesChange) {
  EnableWindow(Item(RADIO_1), FALSE);
  EnableWindow(Item(CHECK_1), FALSE);
  ShowWindow(Item(TEXT_1), SW_HIDE);
  ApplyDescriptor(dialog_, "r D c s b", {RADIO_1, 1, 0, CHECK_1, 1, TEXT_1, "set", PLAIN_FIRST});
  EXPECT_EQ(BST_CHECKED, Checked(RADIO_1));
  EXPECT_EQ(BST_CHECKED, Checked(CHECK_1));
  EXPECT_EQ("set", Text(TEXT_1));
  EXPECT_EQ("D", States({RADIO_1})) << "a condition outside a group switches nothing by itself";
  EXPECT_EQ("D", States({CHECK_1}));
  EXPECT_EQ("e", States({TEXT_1}));
  EXPECT_EQ("E", Plain(1));
}

TEST_F(DialogDescriptors, SizePageHidesTheSecondValueUnlessBetween) {
  const char* descriptor = "rr D(bbbb S(bbbb))";
  const int p = PLAIN_FIRST;
  ApplyDescriptor(dialog_, descriptor,
                  {RADIO_1, 1, RADIO_2, 0, 0, p, p + 1, p + 2, p + 3, 1, p + 4, p + 5, p + 6, p + 7});
  EXPECT_EQ("DDDDDDDD", Plain(8)) << "size test off, relation between";
  ApplyDescriptor(dialog_, descriptor,
                  {RADIO_1, 0, RADIO_2, 1, 1, p, p + 1, p + 2, p + 3, 0, p + 4, p + 5, p + 6, p + 7});
  EXPECT_EQ("EEEEeeee", Plain(8)) << "size test on, relation not between";
  ApplyDescriptor(dialog_, descriptor,
                  {RADIO_1, 0, RADIO_2, 1, 1, p, p + 1, p + 2, p + 3, 1, p + 4, p + 5, p + 6, p + 7});
  EXPECT_EQ("EEEEEEEE", Plain(8));
}

TEST_F(DialogDescriptors, GroupsNestAndRestoreTheStateBeforeThem) {
  const int p = PLAIN_FIRST;
  ApplyDescriptor(dialog_, "D(b D(b)) D(b D(b))", {0, p, 1, p + 1, 1, p + 2, 0, p + 3});
  EXPECT_EQ("DDED", Plain(4)) << "an inner D cannot enable what the outer group disabled";

  ApplyDescriptor(dialog_, "D( D(b) b ) D( D(b) b )", {1, 0, p, p + 1, 0, 1, p + 2, p + 3});
  EXPECT_EQ("DEDD", Plain(4)) << "closing returns to the state from before the closed group's D";

  ApplyDescriptor(dialog_, "D( (b) b ) (b)", {0, p, p + 1, p + 2});
  EXPECT_EQ("DDE", Plain(3)) << "a group opened without D returns to the state at its '('";
  ApplyDescriptor(dialog_, "(D b) D( (b) b )", {1, p, 0, p + 1, p + 2});
  EXPECT_EQ("EDD", Plain(3)) << "a D inside a group, opening none, leaves nothing for a later group";

  ApplyDescriptor(dialog_, "S( S(b) b D(b) ) (b)", {1, 0, p, p + 1, 0, p + 2, p + 3});
  EXPECT_EQ("eEDE", Plain(4)) << "S nests like D, independently of it";

  ApplyDescriptor(dialog_, "D(D(D(D(D(D(D(D(D(D(b)b))))))))b)", {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, p, p + 1, p + 2});
  EXPECT_EQ("DEE", Plain(3)) << "the tenth level has its own slot to come back from";
}

TEST_F(DialogDescriptors, CheckBoxStatesAndTheKeepStateFlag) {
  ApplyDescriptor(dialog_, "c(c)", {CHECK_1, 2, CHECK_2, 2});
  EXPECT_EQ(BST_INDETERMINATE, Checked(CHECK_1)) << "outside a group a third state passes through";
  EXPECT_EQ(BST_CHECKED, Checked(CHECK_2)) << "inside a group without T any state becomes 0 or 1";

  ApplyDescriptor(dialog_, "(T c) (c)", {1, CHECK_1, 2, CHECK_2, 2});
  EXPECT_EQ(BST_INDETERMINATE, Checked(CHECK_1)) << "T keeps the state";
  EXPECT_EQ(BST_CHECKED, Checked(CHECK_2)) << "closing a group clears T";

  CheckDlgButton(dialog_, CHECK_1, BST_UNCHECKED);
  CheckDlgButton(dialog_, CHECK_2, BST_UNCHECKED);
  ApplyDescriptor(dialog_, "(T1 c T c)", {1, CHECK_1, 2, 0, CHECK_2, 2});
  EXPECT_EQ(BST_INDETERMINATE, Checked(CHECK_1)) << "an unknown '1' takes no argument";
  EXPECT_EQ(BST_CHECKED, Checked(CHECK_2)) << "T with 0 clears the flag again";
}

TEST_F(DialogDescriptors, TextsEmptyShowsNoneAndNullEndsTheCall) {
  ApplyDescriptor(dialog_, "D(s s s c b)",
                  {0, TEXT_1, "Drive C:", TEXT_2, "", TEXT_3, nullptr, CHECK_1, 1, PLAIN_FIRST});
  EXPECT_EQ("Drive C:", Text(TEXT_1));
  EXPECT_EQ("None", Text(TEXT_2));
  EXPECT_EQ("DD", States({TEXT_1, TEXT_2}));
  EXPECT_EQ("before", Text(TEXT_3)) << "the null text is not set";
  EXPECT_EQ("E", States({TEXT_3})) << "nor does the control with the null text follow its group";
  EXPECT_EQ(BST_UNCHECKED, Checked(CHECK_1)) << "letters after a null text are not processed";
  EXPECT_EQ("E", Plain(1));
}

TEST_F(DialogDescriptors, ListBoxIsRefilledOrLeftAlone) {
  SendDlgItemMessageA(dialog_, LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
  ApplyDescriptor(dialog_, "l", {LIST, "C:\\\0D:\\\0"});
  ASSERT_EQ(2, SendDlgItemMessageA(dialog_, LIST, LB_GETCOUNT, 0, 0));
  char entry[16] = "";
  SendDlgItemMessageA(dialog_, LIST, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ("D:\\", entry);

  ApplyDescriptor(dialog_, "D(l)", {0, LIST, nullptr});
  EXPECT_EQ(2, SendDlgItemMessageA(dialog_, LIST, LB_GETCOUNT, 0, 0)) << "a null list keeps the entries";
  EXPECT_EQ("D", States({LIST})) << "but the box still follows its group";
  ApplyDescriptor(dialog_, "D(l)", {1, LIST, ""});
  EXPECT_EQ(0, SendDlgItemMessageA(dialog_, LIST, LB_GETCOUNT, 0, 0)) << "an empty list empties the box";
  EXPECT_EQ("E", States({LIST}));
}

TEST_F(DialogDescriptors, UnknownLettersAreReportedAndTakeNoArgument) {
  ApplyDescriptor(dialog_, "cx D(?b) c", {CHECK_1, 1, 0, PLAIN_FIRST, CHECK_2, 1});
  EXPECT_EQ((std::vector<std::string>{"Unrecognized format command. : Set tab new",
                                      "Unrecognized format command. : Set tab new"}),
            g_diagnostics);
  EXPECT_EQ(BST_CHECKED, Checked(CHECK_1));
  EXPECT_EQ("D", Plain(1));
  EXPECT_EQ(BST_CHECKED, Checked(CHECK_2)) << "the last letter still gets its own two arguments";

  ApplyDescriptor(dialog_, nullptr, {CHECK_1, 0});
  EXPECT_EQ(BST_CHECKED, Checked(CHECK_1)) << "a null descriptor does nothing";
  ApplyDescriptor(dialog_, "cc", {CHECK_1, 0, CHECK_2});
  EXPECT_EQ(BST_UNCHECKED, Checked(CHECK_2)) << "an argument missing at the end reads as 0";
  EXPECT_EQ(2u, g_diagnostics.size());
}

TEST_F(DialogDescriptors, ScanDialogScopeOnADriveRootAndInAFolder) {
  const int drive = IDC_SCAN_CURRENT_DRIVE, folder = IDC_SCAN_CURRENT_FOLDER;
  const int path = IDC_SCAN_FOLDER_PATH, subfolders = IDC_SCAN_INCLUDE_SUBFOLDERS;
  const bool driveRoot = true, folderChosen = false;
  ApplyDescriptor(dialog_, "r D(rb D(c))",
                  {drive, !folderChosen, !driveRoot, folder, folderChosen, path, folderChosen, subfolders, 1});
  EXPECT_EQ(BST_CHECKED, Checked(drive));
  EXPECT_EQ("EDDD", States({drive, folder, path, subfolders})) << "on a drive root only the drive can be scanned";
  EXPECT_EQ(BST_CHECKED, Checked(subfolders)) << "the disabled box still shows its setting";

  ApplyDescriptor(dialog_, "r D(rb D(c))", {drive, 1, 1, folder, 0, path, 0, subfolders, 0});
  EXPECT_EQ("EEED", States({drive, folder, path, subfolders}));
  ApplyDescriptor(dialog_, "rr D(c)", {drive, 0, folder, 1, 1, subfolders, 1});
  EXPECT_EQ(BST_UNCHECKED, Checked(drive));
  EXPECT_EQ(BST_CHECKED, Checked(folder));
  EXPECT_EQ("EEEE", States({drive, folder, path, subfolders})) << "choosing the folder enables its subfolder box";
}

}  // namespace
