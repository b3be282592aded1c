#include "sparse_tree.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Our own generator rather than <random>'s distributions, whose results may
// differ between library versions: the trees must be the same on every build.
class Generator {
 public:
  explicit Generator(uint64_t seed) : state_(seed) {}
  int Between(int low, int high) {
    state_ = Mix(state_);
    return low + static_cast<int>(state_ % static_cast<uint64_t>(high - low + 1));
  }

 private:
  uint64_t state_;
};

// Each folder's seed comes from its parent's and its index, so a deeper tree
// with the same seed holds the shallower one unchanged.
uint64_t ChildSeed(uint64_t parent, int index) { return Mix(parent ^ (static_cast<uint64_t>(index + 1) * 0x100000001B3ull)); }

bool MakeSparseFile(const std::string& path, uint32_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = size;
  // Moving the end without writing leaves a hole: the host file system stores no data.
  bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

bool MakeFolder(const std::string& path, TreeCounts* made) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) {
    std::fprintf(stderr, "cannot create %s (error %lu)\n", path.c_str(), GetLastError());
    return false;
  }
  made->folders += 1;
  return true;
}

bool MakeFiles(const std::string& folder, int count, Generator* sizes, TreeCounts* made) {
  char name[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "\\f%02d.bin", i);
    const int size = sizes->Between(0, static_cast<int>(MAX_FILE_BYTES));
    if (!MakeSparseFile(folder + name, static_cast<uint32_t>(size))) {
      std::fprintf(stderr, "cannot create %s%s (error %lu)\n", folder.c_str(), name, GetLastError());
      return false;
    }
    made->files += 1;
    made->bytes += size;
  }
  return true;
}

bool MakeLevel(const std::string& path, const TreeShape& shape, int level, uint64_t seed, TreeCounts* made) {
  if (!MakeFolder(path, made)) return false;
  Generator generator(seed);
  // Both counts are drawn before the sizes, so the shape does not depend on them.
  const int files = generator.Between(shape.minFiles, shape.maxFiles);
  const int subfolders = level < shape.depth ? generator.Between(shape.minSubfolders, shape.maxSubfolders) : 0;
  if (!MakeFiles(path, files, &generator, made)) return false;
  char name[32];
  for (int i = 0; i < subfolders; ++i) {
    std::snprintf(name, sizeof name, "\\d%d", i);
    if (!MakeLevel(path + name, shape, level + 1, ChildSeed(seed, i), made)) return false;
  }
  return true;
}

bool MakeWide(const std::string& path, const TreeShape& shape, uint64_t seed, TreeCounts* made) {
  if (!MakeFolder(path, made)) return false;
  Generator sizes(seed);
  char name[32];
  for (int i = 0; i < shape.wideSubfolders; ++i) {
    std::snprintf(name, sizeof name, "\\w%04d", i);
    if (!MakeFolder(path + name, made) || !MakeFiles(path + name, shape.wideFiles, &sizes, made)) return false;
  }
  return true;
}

}  // namespace

bool MakeSparseTree(const std::string& path, const TreeShape& shape, uint64_t seed, TreeCounts* made) {
  *made = {0, 0, 0};
  if (shape.wideSubfolders > 0) return MakeWide(path, shape, seed, made);
  return MakeLevel(path, shape, 0, seed, made);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    std::vector<std::string> folders;
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        folders.push_back(path + "\\" + name);
      else
        DeleteFileA((path + "\\" + name).c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    for (const std::string& folder : folders) RemoveTree(folder);
  }
  RemoveDirectoryA(path.c_str());
}
