#include "support/temp_folder.h"

#include <stdexcept>

std::wstring Widen(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (n <= 1 || lossy) return std::string();
  std::string narrow(n - 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], n, nullptr, nullptr);
  return narrow;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

std::string NameEndingInBackslashByte() {
  // The second byte of 淺 is 0x5C in code page 936, that of 功 in 950.
  return Narrow(GetACP() == 950 ? L"\u6DFA\u529F" : L"\u529F\u6DFA");
}

void RemoveRecursively(const std::wstring& path) {
  std::wstring full = path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
  while (!full.empty() && full.back() == L'\\') full.pop_back();
  DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(full.c_str());
    return;
  }
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((full + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      RemoveRecursively(full + L"\\" + name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(full.c_str());
}

namespace {

std::string TempDirectory() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  return base;
}

}  // namespace

TempFolder::TempFolder() : TempFolder(TempDirectory()) {}

TempFolder::TempFolder(const std::string& base) {
  static int counter = 0;
  char name[MAX_PATH];
  wsprintfA(name, "%spv%lu_%d\\", base.c_str(), GetCurrentProcessId(), ++counter);
  root_ = name;
  RemoveRecursively(Widen(root_));
  if (!CreateDirectoryA(root_.c_str(), nullptr)) throw std::runtime_error("cannot create " + root_);
}

TempFolder::~TempFolder() { RemoveRecursively(Widen(root_)); }

std::string TempFolder::Path(const std::string& relative) const { return root_ + relative; }

void TempFolder::MakeFolder(const std::string& relative) const {
  std::wstring wide = L"\\\\?\\" + Widen(Path(relative));
  if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw std::runtime_error("cannot create folder " + relative);
}

void TempFolder::MakeFile(const std::string& relative, uint64_t size) const {
  std::wstring wide = L"\\\\?\\" + Widen(Path(relative));
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create file " + relative);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
}

void TempFolder::Remove(const std::string& relative) const { RemoveRecursively(Widen(Path(relative))); }

void TempFolder::Make(std::initializer_list<std::string> entries) const {
  for (const std::string& entry : entries) {
    const size_t colon = entry.rfind(':');  // never a byte of a name, nor a trail byte
    if (colon == std::string::npos)
      MakeFolder(entry);
    else
      MakeFile(entry.substr(0, colon), std::stoull(entry.substr(colon + 1)));
  }
}

std::vector<std::string> PathComponents(const std::string& path) {
  std::vector<std::string> names;
  const char* from = path.c_str();
  for (const char* p = from;; p = CharNextA(p)) {
    if (*p && *p != '\\') continue;
    if (p != from) names.emplace_back(from, p);
    if (!*p) return names;
    from = p + 1;
  }
}
