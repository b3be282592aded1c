// Identifier lists, display names in each of the shell's return forms, and paths through the shell and back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/shell_items.h"
#include "support/spy_folder.h"
#include "support/temp_folder.h"

namespace {

IShellFolder* Desktop() {
  static IShellFolder* desktop = nullptr;
  if (!desktop) SHGetDesktopFolder(&desktop);
  return desktop;
}

// Answers GetDisplayNameOf with |answer|; a wide answer is a copy of |wide|.
class NamingFolder : public SpyFolder {
 public:
  NamingFolder() : SpyFolder(Desktop()) {}
  STRRET answer = {};
  std::wstring wide;

  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET* out) override {
    *out = answer;
    const size_t bytes = (wide.size() + 1) * sizeof(WCHAR);
    if (answer.uType == STRRET_WSTR) out->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (answer.uType == STRRET_WSTR) std::memcpy(out->pOleStr, wide.c_str(), bytes);
    return S_OK;
  }
};

TEST(DisplayNames, EveryReturnFormEndsInTheBufferWithoutOverrunningIt) {
  NamingFolder folder;
  char out[SHELL_TEXT_MAX + 8];
  auto name = [&](UINT form, LPCITEMIDLIST item = nullptr) {
    folder.answer.uType = form;
    std::memset(out, '#', sizeof out);
    return std::to_string(DisplayNameOf(&folder, item, SHGDN_NORMAL, out)) + " " + out;
  };
  lstrcpyA(folder.answer.cStr, "C form");
  EXPECT_EQ("1 C form", name(STRRET_CSTR));
  folder.wide = L"wide form";
  EXPECT_EQ("1 wide form", name(STRRET_WSTR));
  // The offset form points into the identifier list itself.
  BYTE item[16] = {14, 0, 0, 0, 'i', 'n', ' ', 'i', 't', 'e', 'm', 0, 0, 0, 0, 0};
  folder.answer.uOffset = 4;
  EXPECT_EQ("1 in item", name(STRRET_OFFSET, reinterpret_cast<LPCITEMIDLIST>(item)));
  folder.wide = std::wstring(400, L'w');
  EXPECT_EQ("0 ", name(STRRET_WSTR).substr(0, 2)) << "too long for the buffer";
  EXPECT_LT(std::strlen(out), size_t(SHELL_TEXT_MAX));
  EXPECT_EQ('#', out[SHELL_TEXT_MAX]) << "nothing is written past it";
  EXPECT_EQ(0, DisplayNameOf(nullptr, nullptr, SHGDN_NORMAL, out));
  EXPECT_STREQ("", out);
}

TEST(ShellItems, IdentifierListSizesCountTheTerminatorJoinsKeepBothAndPathsGoThroughTheShellAndBack) {
  BYTE two[10] = {5, 0, 'a', 'b', 'c', 3, 0, 'd', 0, 0};  // items of 5 and 3 bytes
  auto* list = reinterpret_cast<LPCITEMIDLIST>(two);
  EXPECT_EQ(std::make_pair(0u, 10u), std::make_pair(IdListSize(nullptr), IdListSize(list)));
  EXPECT_EQ(two + 5, reinterpret_cast<const BYTE*>(NextIdItem(list)));
  LPITEMIDLIST both = ConcatIdLists(list, list);
  const std::string whole(reinterpret_cast<const char*>(two), 10);
  EXPECT_EQ(whole.substr(0, 8) + whole, std::string(reinterpret_cast<const char*>(both), IdListSize(both)));
  FreeIdList(both);

  TempFolder temp;
  // A Chinese name in the ANSI code page must survive the round trip.
  const std::string chinese = Narrow(L"\u6570\u636E");
  ASSERT_FALSE(chinese.empty()) << "the tests run in a Chinese code page";
  temp.MakeFolder(chinese);
  const std::string path = temp.Path(chinese);
  IShellFolder* parent = nullptr;
  ASSERT_EQ(S_OK, FolderFromPath(temp.Path().c_str(), &parent));
  LPITEMIDLIST relative = IdListFromPath(chinese.c_str(), parent, nullptr);
  ASSERT_NE(nullptr, relative);
  char name[SHELL_TEXT_MAX];
  ASSERT_EQ(1, DisplayNameOf(parent, relative, SHGDN_NORMAL, name));
  EXPECT_EQ(chinese, name);
  ASSERT_EQ(1, DisplayNameOf(parent, relative, SHGDN_FORPARSING, name));
  EXPECT_EQ(0, lstrcmpiA(path.c_str(), name));
  FreeIdList(relative);
  parent->Release();

  EXPECT_EQ(nullptr, IdListFromPath(temp.Path("missing").c_str(), nullptr, nullptr));
  IShellFolder* none = reinterpret_cast<IShellFolder*>(1);
  EXPECT_TRUE(FAILED(FolderFromPath(temp.Path("missing").c_str(), &none)));
  EXPECT_EQ(nullptr, none);
}

}  // namespace
