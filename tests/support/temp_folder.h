// A scratch folder under the Wine user's temp directory, removed with
// everything in it when the object goes away.
#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  // Under |base| (for example "D:\\") instead of the temp directory.
  explicit TempFolder(const std::string& base);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Full path of |relative| inside the folder, with a trailing backslash for "".
  std::string Path(const std::string& relative = "") const;
  void MakeFolder(const std::string& relative) const;
  // A file of |size| bytes; sizes above 4 GiB are made sparse (no disk space).
  void MakeFile(const std::string& relative, uint64_t size) const;
  void Remove(const std::string& relative) const;
  // Folders ("sub") and files with their sizes ("sub\\d.bin:5000"), in order.
  void Make(std::initializer_list<std::string> entries) const;

 private:
  std::string root_;  // ends in a backslash
};

// Deletes a file or a whole folder; wide \\?\ paths, so long paths work too.
void RemoveRecursively(const std::wstring& path);
std::wstring Widen(const std::string& text);
// In the ANSI code page; empty when the code page cannot hold every character.
std::string Narrow(const std::wstring& text);
// The names of |path| ("C:", "a", "b" for "C:\\a\\b\\"), split at separators
// only: in code pages 936 and 950 a trail byte may be 0x5C.
std::vector<std::string> PathComponents(const std::string& path);
// A whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// A name whose last byte is 0x5C, the backslash, in code page 936 or 950
// (in any other code page an empty text).
std::string NameEndingInBackslashByte();
