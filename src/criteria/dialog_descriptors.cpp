#include "criteria/dialog_descriptors.h"

#include <climits>

#include "app/diagnostics.h"

namespace {

// Groups nest at most this deep; the D or S opening the deepest group saves
// its value in the last slot.
constexpr int STACK_SLOTS = 10;
constexpr char EMPTY_TEXT_SHOWN[] = "None";
constexpr char UNKNOWN_LETTER_TEXT[] = "Unrecognized format command. : Set tab new";

// One of the two things a group can take away (being enabled, being shown),
// with, for every open group, the value to return to when it closes.
class GroupSwitch {
 public:
  bool off() const { return off_; }

  // D or S at |depth|: the next group is off unless |condition| holds, and it
  // returns to the value from before this letter when it closes.
  void Condition(int depth, bool condition) {
    if (depth < STACK_SLOTS) {
      saved_[depth] = off_;
      savedByCondition_[depth] = true;
    }
    if (!off_) off_ = !condition;
  }

  // '(' at |depth| (before it counts): a group no condition opened returns to
  // the value it starts with.
  void Open(int depth) {
    if (depth < STACK_SLOTS && !savedByCondition_[depth]) saved_[depth] = off_;
    if (depth + 1 < STACK_SLOTS) savedByCondition_[depth + 1] = false;
  }

  // ')' back at |depth|.
  void Close(int depth) {
    if (depth >= STACK_SLOTS) return;
    off_ = saved_[depth];
    savedByCondition_[depth] = false;
  }

 private:
  bool off_ = false;
  bool saved_[STACK_SLOTS] = {};
  bool savedByCondition_[STACK_SLOTS] = {};
};

class Interpreter {
 public:
  Interpreter(HWND dialog, std::initializer_list<DescriptorArg> args)
      : dialog_(dialog), next_(args.begin()), end_(args.end()) {}

  void Run(const char* descriptor) {
    for (const char* p = descriptor; *p;) {
      if (*p == 'r') {
        p = RadioRun(p);
      } else if (!Letter(*p++)) {
        return;
      }
    }
  }

 private:
  const DescriptorArg& Take() {
    static const DescriptorArg missing(0);
    return next_ != end_ ? *next_++ : missing;
  }
  UINT TakeNumber() { return static_cast<UINT>(Take().number()); }
  bool TakeFlag() { return Take().number() != 0; }

  // Returns false when the letter ends the call.
  bool Letter(char letter) {
    switch (letter) {
      case ' ':
        return true;
      case '(':
        disabled_.Open(depth_);
        hidden_.Open(depth_);
        ++depth_;
        return true;
      case ')':
        // An unbalanced ')' is outside the language; it closes nothing.
        if (depth_ == 0) return true;
        --depth_;
        disabled_.Close(depth_);
        hidden_.Close(depth_);
        keepState_ = false;
        return true;
      case 'D':
        disabled_.Condition(depth_, TakeFlag());
        return true;
      case 'S':
        hidden_.Condition(depth_, TakeFlag());
        return true;
      case 'T':
        keepState_ = TakeFlag();
        return true;
      case 'c': {
        UINT id = TakeNumber();
        UINT state = TakeNumber();
        if (depth_ >= 1 && !keepState_) state = state ? BST_CHECKED : BST_UNCHECKED;
        CheckDlgButton(dialog_, id, state);
        FollowGroup(id);
        return true;
      }
      case 'b':
        FollowGroup(TakeNumber());
        return true;
      case 's': {
        UINT id = TakeNumber();
        const char* text = Take().text();
        if (!text) return false;
        SetDlgItemTextA(dialog_, id, *text ? text : EMPTY_TEXT_SHOWN);
        FollowGroup(id);
        return true;
      }
      case 'l': {
        UINT id = TakeNumber();
        if (const char* list = Take().text()) FillList(id, list);
        FollowGroup(id);
        return true;
      }
      default:
        DiagnosticSink(1, UNKNOWN_LETTER_TEXT);
        return true;
    }
  }

  // Reads one run of 'r' letters and returns where the run ends.  Radio
  // buttons follow the group's enabled state but are never hidden or shown.
  const char* RadioRun(const char* p) {
    UINT lowest = UINT_MAX, highest = 0, selection = 0;
    for (; *p == 'r' || *p == ' '; ++p) {
      if (*p == ' ') continue;
      UINT id = TakeNumber();
      bool selected = TakeFlag();
      if (selected && selection == 0) selection = id;
      if (id < lowest) lowest = id;
      if (id > highest) highest = id;
      if (depth_ >= 1) {
        if (HWND radio = GetDlgItem(dialog_, id)) EnableWindow(radio, !disabled_.off());
      }
    }
    // With no selection this clears every button of the range, named or not.
    CheckRadioButton(dialog_, lowest, highest, selection);
    return p;
  }

  void FillList(UINT id, const char* list) {
    SendDlgItemMessageA(dialog_, id, LB_RESETCONTENT, 0, 0);
    for (const char* entry = list; *entry; entry += lstrlenA(entry) + 1)
      SendDlgItemMessageA(dialog_, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }

  // Outside every group a letter only sets a value, so a dialog may manage
  // those controls' states itself.
  void FollowGroup(UINT id) {
    if (id == 0 || depth_ < 1) return;
    HWND control = GetDlgItem(dialog_, id);
    if (!control) return;
    EnableWindow(control, !disabled_.off());
    ShowWindow(control, hidden_.off() ? SW_HIDE : SW_SHOW);
  }

  HWND dialog_;
  const DescriptorArg* next_;
  const DescriptorArg* end_;
  int depth_ = 0;
  bool keepState_ = false;
  GroupSwitch disabled_;
  GroupSwitch hidden_;
};

}  // namespace

void ApplyDescriptor(HWND dialog, const char* descriptor, std::initializer_list<DescriptorArg> args) {
  if (!descriptor || !*descriptor) return;
  Interpreter(dialog, args).Run(descriptor);
}
