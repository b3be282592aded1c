// Descriptors applied to real controls: what the user would see checked, enabled, shown and written.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "app/process_state.h"
#include "criteria/dialog_descriptors.h"
#include "support/canvas.h"

namespace {

// Three radio buttons with consecutive ids, so a run naming the outer two
// spans the middle one too; three-state check boxes; eight plain controls
// P, P + 1 ... P + 7; texts and a list box.
constexpr int RADIO_1 = 1071, RADIO_2 = 1072, RADIO_3 = 1073;
constexpr int CHECK_1 = 1050, CHECK_2 = 1051;
constexpr int P = 1060;
constexpr int TEXT_1 = 1047, TEXT_2 = 1048, TEXT_3 = 1049;
constexpr int LIST = 1090;

class DialogDescriptors : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 400, nullptr, nullptr, AppInstance, nullptr);
    int y = 0;
    auto add = [&](const char* cls, int id, DWORD style, const char* text) {
      // Non-automatic buttons, so nothing but the interpreter changes a state.
      CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, y += 20, 80, 18, dialog_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
    };
    for (int id : {RADIO_1, RADIO_2, RADIO_3}) add("BUTTON", id, BS_RADIOBUTTON, "radio");
    for (int id : {CHECK_1, CHECK_2}) add("BUTTON", id, BS_3STATE, "check");
    for (int i = 0; i < 8; ++i) add("EDIT", P + i, WS_BORDER, "");
    for (int id : {TEXT_1, TEXT_2, TEXT_3}) add("STATIC", id, SS_LEFT, "before");
    add("LISTBOX", LIST, WS_BORDER, "");
    // Shown without activation: Wine hands an activated window to the window
    // manager and then waits 2 s for one to withdraw it on DestroyWindow.
    ShowWindow(dialog_, SW_SHOWNA);
  }
  void TearDown() override { DestroyWindow(dialog_); }

  // Per control: the check state of a button, then E enabled and shown, e
  // enabled and hidden, D and d the same disabled.
  std::string States(std::initializer_list<int> ids) const {
    std::string states;
    for (int id : ids) {
      HWND item = GetDlgItem(dialog_, id);
      char cls[16] = "";
      GetClassNameA(item, cls, sizeof cls);
      if (!lstrcmpiA(cls, "Button")) states += char('0' + IsDlgButtonChecked(dialog_, id));
      const bool shown = IsWindowVisible(item);
      states += IsWindowEnabled(item) ? (shown ? "E " : "e ") : (shown ? "D " : "d ");
    }
    states.pop_back();
    return states;
  }
  // The first |count| plain controls.
  std::string Plain(int count) const {
    std::string states;
    for (int i = 0; i < count; ++i) states += States({P + i});
    return states;
  }
  std::string Text(int id) const {
    char text[64] = "";
    GetDlgItemTextA(dialog_, id, text, sizeof text);
    return text;
  }
  LRESULT ListCount() const { return SendDlgItemMessageA(dialog_, LIST, LB_GETCOUNT, 0, 0); }

  HWND dialog_ = nullptr;
};

TEST_F(DialogDescriptors, RadioButtonsTheirRunsAndGroupsThatNestAndRestoreTheStateBeforeThem) {
  ApplyDescriptor(dialog_, "rr D(b)", {RADIO_1, 1, RADIO_2, 0, 0, P});
  EXPECT_EQ("1E 0E D", States({RADIO_1, RADIO_2, P})) << "a switched-off group is disabled but stays visible";
  ApplyDescriptor(dialog_, "rr D(b)", {RADIO_1, 0, RADIO_2, 1, 1, P});
  EXPECT_EQ("0E 1E E", States({RADIO_1, RADIO_2, P})) << "the next call with the new state enables it again";
  ApplyDescriptor(dialog_, "rrr", {RADIO_3, 0, RADIO_1, 1, RADIO_2, 1});
  EXPECT_EQ("1E 0E 0E", States({RADIO_1, RADIO_2, RADIO_3})) << "the first selected id wins, whatever their order";
  CheckDlgButton(dialog_, RADIO_2, BST_CHECKED);
  ApplyDescriptor(dialog_, "r  r", {RADIO_1, 0, RADIO_3, 0});
  EXPECT_EQ("0E", States({RADIO_2})) << "blanks stay inside the run; the unnamed middle button is cleared";
  CheckDlgButton(dialog_, RADIO_2, BST_CHECKED);
  ApplyDescriptor(dialog_, "r b r", {RADIO_1, 0, P, RADIO_3, 0});
  EXPECT_EQ("1E", States({RADIO_2})) << "a 'b' ends the run, so the two runs span only their own ids";

  EnableWindow(GetDlgItem(dialog_, RADIO_3), FALSE);
  ShowWindow(GetDlgItem(dialog_, RADIO_2), SW_HIDE);
  ApplyDescriptor(dialog_, "D(rr)", {1, RADIO_2, 1, RADIO_3, 0});
  EXPECT_EQ("1e 0E", States({RADIO_2, RADIO_3})) << "radio buttons inside a group are enabled, never shown";
  ApplyDescriptor(dialog_, "D(rr)", {0, RADIO_2, 1, RADIO_3, 0});
  EXPECT_EQ("1d 0D", States({RADIO_2, RADIO_3})) << "a disabled radio button still takes its value";

  // Outside every group only values change.
  EnableWindow(GetDlgItem(dialog_, RADIO_1), FALSE);
  EnableWindow(GetDlgItem(dialog_, CHECK_1), FALSE);
  ShowWindow(GetDlgItem(dialog_, TEXT_1), SW_HIDE);
  ApplyDescriptor(dialog_, "r D c s b", {RADIO_1, 1, 0, CHECK_1, 1, TEXT_1, "set", P});
  EXPECT_EQ("1D 1D e E", States({RADIO_1, CHECK_1, TEXT_1, P})) << "a condition outside a group switches nothing";
  EXPECT_EQ("set", Text(TEXT_1));

  // Groups nest and restore the state from before them, as the size page shows.
  ApplyDescriptor(dialog_, "D(b D(b)) D(b D(b))", {0, P, 1, P + 1, 1, P + 2, 0, P + 3});
  EXPECT_EQ("DDED", Plain(4)) << "an inner D cannot enable what the outer group disabled";
  ApplyDescriptor(dialog_, "D( D(b) b ) D( D(b) b )", {1, 0, P, P + 1, 0, 1, P + 2, P + 3});
  EXPECT_EQ("DEDD", Plain(4)) << "closing returns to the state from before the closed group's D";
  ApplyDescriptor(dialog_, "D( (b) b ) (b)", {0, P, P + 1, P + 2});
  EXPECT_EQ("DDE", Plain(3)) << "a group opened without D returns to the state at its '('";
  ApplyDescriptor(dialog_, "(D b) D( (b) b )", {1, P, 0, P + 1, P + 2});
  EXPECT_EQ("EDD", Plain(3)) << "a D inside a group, opening none, leaves nothing for a later group";
  ApplyDescriptor(dialog_, "S( S(b) b D(b) ) (b)", {1, 0, P, P + 1, 0, P + 2, P + 3});
  EXPECT_EQ("eEDE", Plain(4)) << "S nests like D, independently of it";
  ApplyDescriptor(dialog_, "D(D(D(D(D(D(D(D(D(D(b)b))))))))b)", {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, P, P + 1, P + 2});
  EXPECT_EQ("DEE", Plain(3)) << "the tenth level has its own slot to come back from";

  auto sizePage = [&](bool testOn, bool between) {
    ApplyDescriptor(
        dialog_, "rr D(bbbb S(bbbb))",
        {RADIO_1, !testOn, RADIO_2, testOn, testOn, P, P + 1, P + 2, P + 3, between, P + 4, P + 5, P + 6, P + 7});
    return Plain(8);
  };
  EXPECT_EQ("DDDDDDDD", sizePage(false, true)) << "size test off, relation between";
  EXPECT_EQ("EEEEeeee", sizePage(true, false)) << "size test on, relation not between";
  EXPECT_EQ("EEEEEEEE", sizePage(true, true));
}

TEST_F(DialogDescriptors, CheckBoxesTheKeepStateFlagUnknownLettersTextsAndListBoxes) {
  ApplyDescriptor(dialog_, "c(c)", {CHECK_1, 2, CHECK_2, 2});
  EXPECT_EQ("2E 1E", States({CHECK_1, CHECK_2})) << "a third state passes through outside a group, not inside";
  ApplyDescriptor(dialog_, "(T c) (c)", {1, CHECK_1, 2, CHECK_2, 2});
  EXPECT_EQ("2E 1E", States({CHECK_1, CHECK_2})) << "T keeps the state; closing a group clears T";
  CheckDlgButton(dialog_, CHECK_1, BST_UNCHECKED);
  CheckDlgButton(dialog_, CHECK_2, BST_UNCHECKED);
  ApplyDescriptor(dialog_, "(T1 c T c)", {1, CHECK_1, 2, 0, CHECK_2, 2});
  EXPECT_EQ("2E 1E", States({CHECK_1, CHECK_2})) << "an unknown '1' takes no argument; T with 0 clears the flag";

  Recorder log;
  ApplyDescriptor(dialog_, "cx D(?b) c", {CHECK_1, 1, 0, P, CHECK_2, 1});
  const std::string unknown = "Unrecognized format command. : Set tab new";
  EXPECT_EQ(unknown + unknown, log.diagnostics());
  EXPECT_EQ("1E D 1E", States({CHECK_1, P, CHECK_2})) << "the last letter still gets its own two arguments";
  ApplyDescriptor(dialog_, nullptr, {CHECK_1, 0});
  ApplyDescriptor(dialog_, "c", {CHECK_2});
  EXPECT_EQ("1E 0E", States({CHECK_1, CHECK_2})) << "a null descriptor does nothing; a missing argument reads as 0";
  EXPECT_EQ(unknown + unknown, log.diagnostics());

  // Texts: empty shows None, null ends the call; a list box is refilled or left alone.
  CheckDlgButton(dialog_, CHECK_1, BST_UNCHECKED);
  EnableWindow(GetDlgItem(dialog_, P), TRUE);
  ApplyDescriptor(dialog_, "D(s s s c b)", {0, TEXT_1, "Drive C:", TEXT_2, "", TEXT_3, nullptr, CHECK_1, 1, P});
  EXPECT_EQ("Drive C:|None|before", Text(TEXT_1) + "|" + Text(TEXT_2) + "|" + Text(TEXT_3))
      << "the null text is not set";
  EXPECT_EQ("D D E 0E E", States({TEXT_1, TEXT_2, TEXT_3, CHECK_1, P}))
      << "the control with the null text and every letter after it are left alone";

  SendDlgItemMessageA(dialog_, LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
  ApplyDescriptor(dialog_, "l", {LIST, "C:\\\0D:\\\0"});
  ASSERT_EQ(2, ListCount());
  char entry[16] = "";
  SendDlgItemMessageA(dialog_, LIST, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ("D:\\", entry);
  ApplyDescriptor(dialog_, "D(l)", {0, LIST, nullptr});
  EXPECT_EQ(2, ListCount()) << "a null list keeps the entries";
  EXPECT_EQ("D", States({LIST})) << "but the box still follows its group";
  ApplyDescriptor(dialog_, "D(l)", {1, LIST, ""});
  EXPECT_EQ(0, ListCount()) << "an empty list empties the box";
  EXPECT_EQ("E", States({LIST}));
}

}  // namespace
