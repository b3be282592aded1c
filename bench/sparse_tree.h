// The seeded folder trees the benchmark measures: files are sparse, so a
// tree of a quarter of a million files takes next to no disk space.
#pragma once
#include <cstdint>
#include <string>

struct TreeShape {
  const char* name;      // also the tree's folder name
  int depth;             // levels of subfolders below the tree's own folder
  int minSubfolders, maxSubfolders;
  int minFiles, maxFiles;
  int wideSubfolders;    // > 0: one folder of this many subfolders instead
  int wideFiles;         // files in each of those subfolders
};

constexpr uint32_t MAX_FILE_BYTES = 200000;

struct TreeCounts {
  int64_t folders;  // the tree's own folder included
  int64_t files;
  int64_t bytes;
};

// Creates |shape| under |path| (which must not exist yet); false with a
// message on stderr when a folder or file cannot be made.
bool MakeSparseTree(const std::string& path, const TreeShape& shape, uint64_t seed, TreeCounts* made);

// Deletes |path| and everything below it.
void RemoveTree(const std::string& path);
