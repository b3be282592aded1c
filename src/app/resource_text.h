// Texts from the string table, in the user's language.
#pragma once
#include <windows.h>

#include <string>

std::string ResourceString(UINT id);
// A message box with |textId| and the window title (string 3) as caption.
int ShowMessage(HWND owner, UINT textId, UINT style);
