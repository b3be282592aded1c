// One interpreter for the dialogs whose radio buttons and check boxes switch
// other controls on and off.  A dialog describes its controls with a text of
// one-letter commands; each letter takes its arguments from the list in order:
//   c id, state      check box
//   r id, selected   radio button; a run of r (blanks allowed) is one group
//   b id             a control that only follows its group
//   s id, text       control text; "" shows "None", null ends the call
//   l id, list       list box strings, each NUL-ended, the list ended by ""
//   D condition      the next group is enabled only while it holds
//   S condition      the next group is shown only while it holds
//   T flag           check boxes of this group keep a third state as given
//   ( )              a group; outside every group letters only set values
// Blanks stand anywhere and take nothing; an unknown letter is reported and
// takes nothing, so the letters after it still get their own arguments.
//
// The scan dialog, for example:
//   ApplyDescriptor(dialog, "r D(rb D(c))",
//                   {IDC_SCAN_CURRENT_DRIVE, !folderChosen, !currentIsDriveRoot,
//                    IDC_SCAN_CURRENT_FOLDER, folderChosen, IDC_SCAN_FOLDER_PATH,
//                    folderChosen, IDC_SCAN_INCLUDE_SUBFOLDERS, includeSubfolders});
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

// One argument: a number (control id, state, flag, condition) or a text or
// string-list pointer.  Any integer, bool or enum converts implicitly, so a
// call lists its values as they are.
class DescriptorArg {
 public:
  template <typename T, typename = std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>>>
  DescriptorArg(T value) : number_(static_cast<uint64_t>(value)) {}  // NOLINT(google-explicit-constructor)
  DescriptorArg(const char* text) : text_(text) {}                   // NOLINT(google-explicit-constructor)
  DescriptorArg(std::nullptr_t) {}                                   // NOLINT(google-explicit-constructor)

  // A text taken where a number is due counts as non-zero when it is set.
  uint64_t number() const { return text_ ? reinterpret_cast<uintptr_t>(text_) : number_; }
  // A number taken where a text is due reads as no text.
  const char* text() const { return text_; }

 private:
  uint64_t number_ = 0;
  const char* text_ = nullptr;
};

// Sets the values and the enabled and shown states of |dialog|'s controls in
// one pass, so a dialog calls it with its complete state after every change.
// A null or empty descriptor does nothing; arguments missing at the end read
// as 0 (a missing text as null).
void ApplyDescriptor(HWND dialog, const char* descriptor, std::initializer_list<DescriptorArg> args);
