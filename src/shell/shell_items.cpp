#include "shell/shell_items.h"

#include <cstdio>
#include <cstring>

namespace {

// Copies at most |max| - 1 bytes and always terminates.
void CopyBounded(char* out, const char* text, size_t max) {
  size_t n = 0;
  while (n + 1 < max && text[n]) {
    out[n] = text[n];
    ++n;
  }
  out[n] = 0;
}

}  // namespace

int DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST item, DWORD flags, char* out) {
  out[0] = 0;
  if (!folder) return 0;
  STRRET ret;
  ret.uType = STRRET_CSTR;
  ret.cStr[0] = 0;
  if (FAILED(folder->GetDisplayNameOf(item, flags, &ret))) return 0;
  switch (ret.uType) {
    case STRRET_WSTR: {
      if (!ret.pOleStr) return 0;
      int n = WideCharToMultiByte(CP_ACP, 0, ret.pOleStr, -1, out, SHELL_TEXT_MAX, nullptr, nullptr);
      out[SHELL_TEXT_MAX - 1] = 0;
      CoTaskMemFree(ret.pOleStr);
      return n > 0 ? 1 : 0;
    }
    case STRRET_OFFSET:
      // The text lives inside the identifier list itself, not in the STRRET.
      if (!item) return 0;
      CopyBounded(out, reinterpret_cast<const char*>(item) + ret.uOffset, SHELL_TEXT_MAX);
      return 1;
    case STRRET_CSTR:
      CopyBounded(out, ret.cStr, sizeof ret.cStr < SHELL_TEXT_MAX ? sizeof ret.cStr : SHELL_TEXT_MAX);
      return 1;
    default:
      return 0;
  }
}

LPITEMIDLIST IdListFromPath(const char* path, IShellFolder* folder, ULONG* attributes) {
  if (!path) return nullptr;
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator))) return nullptr;
  IShellFolder* desktop = nullptr;
  if (!folder) {
    if (FAILED(SHGetDesktopFolder(&desktop))) {
      allocator->Release();
      return nullptr;
    }
    folder = desktop;
  }
  WCHAR wide[SHELL_WIDE_MAX];
  LPITEMIDLIST result = nullptr;
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, SHELL_WIDE_MAX) > 0) {
    LPITEMIDLIST parsed = nullptr;
    ULONG eaten = 0;
    if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, wide, &eaten, &parsed, attributes)) && parsed) {
      result = CopyIdList(allocator, parsed);
      allocator->Free(parsed);
    }
  }
  if (desktop) desktop->Release();
  allocator->Release();
  return result;
}

HRESULT FolderFromPath(const char* path, IShellFolder** out) {
  *out = nullptr;
  IMalloc* allocator = nullptr;
  HRESULT hr = SHGetMalloc(&allocator);
  if (FAILED(hr)) return hr;
  IShellFolder* desktop = nullptr;
  hr = SHGetDesktopFolder(&desktop);
  if (SUCCEEDED(hr)) {
    WCHAR wide[SHELL_WIDE_MAX];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, SHELL_WIDE_MAX) <= 0) {
      hr = E_INVALIDARG;
    } else {
      LPITEMIDLIST parsed = nullptr;
      ULONG eaten = 0;
      hr = desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &parsed, nullptr);
      if (SUCCEEDED(hr)) {
        hr = desktop->BindToObject(parsed, nullptr, IID_IShellFolder, reinterpret_cast<void**>(out));
        allocator->Free(parsed);
      }
    }
    desktop->Release();
  }
  allocator->Release();
  return hr;
}

HRESULT FolderFromIdList(LPCITEMIDLIST absolute, IShellFolder** out) {
  *out = nullptr;
  if (!absolute) return E_INVALIDARG;
  IShellFolder* desktop = nullptr;
  HRESULT hr = SHGetDesktopFolder(&desktop);
  if (FAILED(hr)) return hr;
  hr = desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(out));
  desktop->Release();
  return hr;
}

bool SameIdList(IShellFolder* desktop, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (!desktop || !a || !b) return false;
  // The shell compares item by item by type and name: equal bytes are equal items.
  return IdListBytesEqual(a, b) || desktop->CompareIDs(0, a, b) == 0;
}

bool IdListBytesEqual(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (!a || !b) return a == b;
  UINT size = IdListSize(a);
  return size == IdListSize(b) && std::memcmp(a, b, size) == 0;
}

bool EndsWithItem(LPCITEMIDLIST absolute, LPCITEMIDLIST last, UINT* prefixSize) {
  if (!absolute || !last || !last->mkid.cb || NextIdItem(last)->mkid.cb) return false;
  const UINT lastSize = last->mkid.cb;
  UINT offset = 0;
  for (LPCITEMIDLIST item = absolute; item->mkid.cb; item = NextIdItem(item)) {
    if (!NextIdItem(item)->mkid.cb) {
      if (item->mkid.cb != lastSize || std::memcmp(item, last, lastSize) != 0) return false;
      *prefixSize = offset;
      return true;
    }
    offset += item->mkid.cb;
  }
  return false;
}

UINT IdListSize(LPCITEMIDLIST list) {
  if (!list) return 0;
  UINT size = 0;
  while (list->mkid.cb) {
    size += list->mkid.cb;
    list = NextIdItem(list);
  }
  return size + 2;
}

LPITEMIDLIST NextIdItem(LPCITEMIDLIST item) {
  return reinterpret_cast<LPITEMIDLIST>(reinterpret_cast<BYTE*>(const_cast<ITEMIDLIST*>(item)) + item->mkid.cb);
}

bool IdListHolds(LPCITEMIDLIST list, LPCITEMIDLIST part) {
  if (!list || !part) return false;
  const auto* start = reinterpret_cast<const BYTE*>(list);
  const auto* at = reinterpret_cast<const BYTE*>(part);
  return at >= start && at < start + IdListSize(list);
}

void* AllocZeroed(SIZE_T size) {
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator))) return nullptr;
  void* memory = allocator->Alloc(size);
  if (memory) std::memset(memory, 0, size);
  allocator->Release();
  return memory;
}

LPITEMIDLIST ConcatIdLists(LPCITEMIDLIST first, LPCITEMIDLIST second) {
  UINT firstSize = first ? IdListSize(first) - 2 : 0;
  UINT secondSize = IdListSize(second);
  if (!second) secondSize = 2;  // an empty second list still needs its terminator
  auto* result = static_cast<BYTE*>(AllocZeroed(firstSize + secondSize));
  if (!result) return nullptr;
  if (firstSize) std::memcpy(result, first, firstSize);
  if (second) std::memcpy(result + firstSize, second, secondSize);
  return reinterpret_cast<LPITEMIDLIST>(result);
}

LPITEMIDLIST CopyIdList(IMalloc* allocator, LPCITEMIDLIST list) {
  if (!allocator || !list) return nullptr;
  UINT size = IdListSize(list);
  void* copy = allocator->Alloc(size);
  if (copy) std::memcpy(copy, list, size);
  return static_cast<LPITEMIDLIST>(copy);
}

void FreeIdList(LPITEMIDLIST list) {
  if (!list) return;
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator))) return;
  allocator->Free(list);
  allocator->Release();
}

HIMAGELIST SystemSmallIconList() {
  char windows[MAX_PATH];
  if (!GetWindowsDirectoryA(windows, MAX_PATH)) return nullptr;
  SHFILEINFOA info = {};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(windows, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

int SystemIconIndex(LPCITEMIDLIST absolute, UINT flags) {
  SHFILEINFOA info;
  std::memset(&info, 0, sizeof info);
  SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof info, flags);
  return info.iIcon;
}

void ItemIcons(LPCITEMIDLIST absolute, TVITEMA* item) {
  item->iImage = SystemIconIndex(absolute, SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON);
  item->iSelectedImage = SystemIconIndex(absolute, SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON | SHGFI_OPENICON);
}

namespace {

// The shell gives a folder an icon of its own only when the folder is marked
// system or read-only and its desktop.ini names one; every other folder shows
// the icon of the folder class.
bool MayHaveOwnIcon(const char* path, DWORD fileAttributes) {
  if (fileAttributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)) return true;
  char settings[MAX_PATH];
  int length = std::snprintf(settings, sizeof settings, "%sdesktop.ini", path);
  if (length < 0 || length >= int(sizeof settings)) return true;
  return GetFileAttributesA(settings) != INVALID_FILE_ATTRIBUTES;
}

// Both indexes of the ordinary folder icon, 31 bits each, and a bit that
// says they are known; 0 until the shell has been asked once.
volatile LONG64 g_ordinaryFolderIcons = 0;
constexpr LONG64 ICONS_KNOWN = LONG64(1) << 62;
constexpr LONG64 INDEX_MASK = 0x7FFFFFFF;

// The two indexes with SHGetFileInfoA's own success; a failed answer is not kept.
bool AskedIcons(LPCITEMIDLIST absolute, TVITEMA* item) {
  constexpr UINT FLAGS = SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON;
  SHFILEINFOA info = {};
  bool answered = SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof info, FLAGS) != 0;
  item->iImage = info.iIcon;
  info = {};
  answered = SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof info, FLAGS | SHGFI_OPENICON) != 0 &&
             answered;
  item->iSelectedImage = info.iIcon;
  return answered && item->iImage >= 0 && item->iSelectedImage >= 0;
}

}  // namespace

void FolderIcons(LPCITEMIDLIST absolute, const char* path, DWORD fileAttributes, TVITEMA* item) {
  if (MayHaveOwnIcon(path, fileAttributes)) {
    ItemIcons(absolute, item);
    return;
  }
  const LONG64 known = g_ordinaryFolderIcons;
  if (known & ICONS_KNOWN) {
    item->iImage = int(known & INDEX_MASK);
    item->iSelectedImage = int((known >> 31) & INDEX_MASK);
    return;
  }
  if (AskedIcons(absolute, item))
    InterlockedExchange64(&g_ordinaryFolderIcons,
                          ICONS_KNOWN | (LONG64(item->iSelectedImage) << 31) | LONG64(item->iImage));
}

HRESULT InvokeMenuVerb(IContextMenu* menu, HWND owner, UINT verb) {
  CMINVOKECOMMANDINFO invoke = {};
  invoke.cbSize = sizeof invoke;
  invoke.hwnd = owner;
  invoke.lpVerb = MAKEINTRESOURCEA(verb);
  invoke.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&invoke);
}
