#include "app/help.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/ansi_paths.h"

HelpViewerFunction HelpViewer = WinHelpA;

namespace {

constexpr char HELP_FILE[] = "Brisklan.hlp";
BOOL g_helpOpened = FALSE;

// The help file lives beside the executable.
bool HelpFilePath(char* out, size_t size) {
  char module[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
  if (length == 0 || length >= sizeof module) return false;
  char drive[_MAX_DRIVE], directory[_MAX_DIR];
  _splitpath(module, drive, directory, nullptr, nullptr);
  const char* separator = !directory[0] || EndsWithSeparator(directory) ? "" : "\\";
  int written = std::snprintf(out, size, "%s%s%s%s", drive, directory, separator, HELP_FILE);
  if (written < 0 || size_t(written) >= size) return false;
  return true;
}

}  // namespace

void ShowHelp(HWND owner, DWORD context) {
  char path[MAX_PATH];
  if (!HelpFilePath(path, sizeof path)) return;
  g_helpOpened = context ? HelpViewer(owner, path, HELP_CONTEXT, context) : HelpViewer(owner, path, HELP_FINDER, 0);
}

void CloseHelp(HWND owner) {
  if (!g_helpOpened) return;
  char path[MAX_PATH];
  if (HelpFilePath(path, sizeof path)) HelpViewer(owner, path, HELP_QUIT, 0);
}
