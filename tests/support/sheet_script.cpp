#include "support/sheet_script.h"

#include <commctrl.h>
#include <colordlg.h>

namespace {

bool IsColourDialog(HWND dialog) { return GetDlgItem(dialog, COLOR_RED) && GetDlgItem(dialog, COLOR_BLUE); }

INPUT MouseAt(POINT screen, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  return input;
}

}  // namespace

SheetScript::SheetScript(std::vector<SheetStep> steps, int close, COLORREF colour)
    : steps_(std::move(steps)),
      close_(close),
      colour_(colour),
      answerer_([this](HWND dialog) { return Answer(dialog); }) {}

int SheetScript::Answer(HWND dialog) {
  if (finished()) return 0;  // its sheet is closed; a later one is another script's
  if (IsColourDialog(dialog)) {
    SetDlgItemInt(dialog, COLOR_RED, GetRValue(colour_), FALSE);
    SetDlgItemInt(dialog, COLOR_GREEN, GetGValue(colour_), FALSE);
    SetDlgItemInt(dialog, COLOR_BLUE, GetBValue(colour_), FALSE);
    return IDOK;
  }
  if (!CurrentPage(dialog) || !IsWindowEnabled(dialog)) return 0;
  if (next_ < steps_.size()) {
    steps_[next_++](dialog);
    return 0;
  }
  ++next_;
  return close_;
}

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

HWND PageControl(HWND sheet, int id) { return GetDlgItem(CurrentPage(sheet), id); }

void ClickButton(HWND sheet, int id) { SendMessageA(PageControl(sheet, id), BM_CLICK, 0, 0); }

SheetStep TurnTo(int index) {
  return [index](HWND sheet) { SendMessageA(sheet, PSM_SETCURSEL, index, 0); };
}

void MouseDrag(HWND window, const std::vector<POINT>& client) {
  std::vector<INPUT> inputs;
  for (size_t i = 0; i < client.size(); ++i) {
    POINT screen = client[i];
    ClientToScreen(window, &screen);
    DWORD flags = 0;
    if (i == 0) flags = MOUSEEVENTF_LEFTDOWN;
    inputs.push_back(MouseAt(screen, flags));
    if (i + 1 == client.size()) inputs.push_back(MouseAt(screen, MOUSEEVENTF_LEFTUP));
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
