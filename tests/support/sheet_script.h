// Drives a modal property sheet that the code under test opens on this
// thread, through its real controls, so no test waits for a user.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "support/dialog_answerer.h"

using SheetStep = std::function<void(HWND sheet)>;

class SheetScript {
 public:
  // Runs each step in turn once the sheet is up and no dialog of its own is
  // open, then closes it with |close| (IDOK or IDCANCEL).  A colour dialog
  // opened by a step is confirmed with |colour|.
  SheetScript(std::vector<SheetStep> steps, int close, COLORREF colour = 0);

  bool finished() const { return next_ > steps_.size(); }

 private:
  int Answer(HWND dialog);

  std::vector<SheetStep> steps_;
  size_t next_ = 0;
  int close_;
  COLORREF colour_;
  DialogAnswerer answerer_;
};

// The sheet's current page, a control on it, and a click on a button of it.
HWND CurrentPage(HWND sheet);
HWND PageControl(HWND sheet, int id);
void ClickButton(HWND sheet, int id);
// A step that turns to page |index|.
SheetStep TurnTo(int index);
// Mouse input at |client| points of |window|: the button goes down at the
// first point, moves through the others and comes up at the last.
void MouseDrag(HWND window, const std::vector<POINT>& client);
