#include "app/resource_text.h"

#include "app/process_state.h"
#include "resource.h"

std::string ResourceString(UINT id) {
  char text[1024];
  int length = LoadStringA(AppInstance, id, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

int ShowMessage(HWND owner, UINT textId, UINT style) {
  return MessageBoxA(owner, ResourceString(textId).c_str(), ResourceString(IDS_WINDOW_TITLE).c_str(), style);
}
