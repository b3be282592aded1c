#include "plain_walk.h"

#include <windows.h>

#include <cstring>
#include <deque>

TreeCounts PlainWalk(const std::string& root) {
  TreeCounts counts = {0, 0, 0};
  std::deque<std::string> queue = {root};
  WIN32_FIND_DATAA entry;
  while (!queue.empty()) {
    const std::string folder = std::move(queue.front());
    queue.pop_front();
    counts.folders += 1;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        counts.files += 1;
        counts.bytes += entry.nFileSizeLow;  // the scanner counts the low 32 bits too
        continue;
      }
      if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      queue.push_back(folder + "\\" + entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  return counts;
}
