#include "shell/ansi_paths.h"

#include <cstring>

const char* LastSeparator(const char* path) {
  const char* last = nullptr;
  for (const char* p = path; *p; p = CharNextA(p))
    if (*p == '\\') last = p;
  return last;
}

bool HoldsAnyOf(const char* text, const char* characters) {
  for (const char* p = text; *p; p = CharNextA(p))
    if (CharNextA(p) == p + 1 && std::strchr(characters, *p)) return true;
  return false;
}

bool EndsWithSeparator(const char* path) {
  const char* last = LastSeparator(path);
  return last && last[1] == 0;
}

void StripLastComponent(char* path) {
  if (std::strlen(path) <= 3) return;
  char* cut = nullptr;
  for (char* p = path; *p; p = CharNextA(p))
    if (p - path >= 3 && *p == '\\') cut = p;
  if (!cut) cut = path + 3;
  *cut = 0;
}

namespace {

// The same path with every name in its short form, in the code page.
bool ShortPath(LPCITEMIDLIST absolute, char (&path)[MAX_PATH]) {
  WCHAR wide[MAX_PATH];
  WCHAR shortWide[MAX_PATH];
  if (!SHGetPathFromIDListW(absolute, wide)) return false;
  DWORD length = GetShortPathNameW(wide, shortWide, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  BOOL lost = FALSE;
  int converted = WideCharToMultiByte(CP_ACP, 0, shortWide, -1, path, MAX_PATH, nullptr, &lost);
  return converted > 0 && !lost;
}

}  // namespace

bool FileSystemPath(LPCITEMIDLIST absolute, char (&path)[MAX_PATH], bool withSeparator) {
  if (!absolute || !SHGetPathFromIDListA(absolute, path) || !path[0]) return false;
  if (std::strchr(path, '?') && !ShortPath(absolute, path)) return false;
  if (!withSeparator || EndsWithSeparator(path)) return true;
  size_t length = std::strlen(path);
  if (length + 1 >= MAX_PATH) return false;
  path[length] = '\\';
  path[length + 1] = 0;
  return true;
}

bool IsAccessibleDirectory(const char* path) {
  if (path[0] == '\\' && path[1] == '\\') return true;
  char previous[MAX_PATH];
  const DWORD saved = GetCurrentDirectoryA(MAX_PATH, previous);
  if (!SetCurrentDirectoryA(path)) return false;
  if (saved && saved < MAX_PATH) SetCurrentDirectoryA(previous);
  return true;
}
