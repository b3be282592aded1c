// Drags over and drops on the main tree through its drop target as OLE drives it; the drop source's rules.
#include "shell/drag_drop.h"
#include "support/main_window_test.h"
#include "support/spy_folder.h"

namespace {

constexpr DWORD ANY_EFFECT = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

TEST(DropSource, EscapeCancelsReleasingBothButtonsDropsAndAHeldButtonGoesOn) {
  const struct {
    BOOL escape;
    DWORD keys;
    HRESULT expected;
  } CASES[] = {
      {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {FALSE, 0, DRAGDROP_S_DROP},
      {FALSE, MK_CONTROL, DRAGDROP_S_DROP},
      {FALSE, MK_LBUTTON, S_OK},
      {FALSE, MK_RBUTTON, S_OK},
  };
  TreeDropSource* source = new TreeDropSource;
  for (const auto& c : CASES)
    EXPECT_EQ(c.expected, source->QueryContinueDrag(c.escape, c.keys)) << c.escape << " " << c.keys;
  EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, source->GiveFeedback(DROPEFFECT_MOVE));
  void* other = source;
  EXPECT_EQ(E_NOINTERFACE, source->QueryInterface(IID_IDropTarget, &other));
  EXPECT_EQ(nullptr, other);
  EXPECT_EQ(0u, source->Release());
}

class DropOnTree : public MainWindowTest {
 protected:
  void SetUp() override {
    temp.Make({"a", "b", "c", "c\\inner", "d", "d\\inner", "from", "from\\f.txt:10"});
    Open();
    SendMessageA(Panes.mainTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(start->mainItem));
    target = MainTreeDropTarget();
    ASSERT_NE(nullptr, target);
    data = ShellDataObject(temp.Path("from\\f.txt"));
    ASSERT_NE(nullptr, data);
  }
  void TearDown() override {
    if (data) data->Release();
  }

  // The screen point on |node|'s label, where the cursor is put as well.
  POINTL On(FolderNode* node) {
    RECT label = {};
    ItemRect(Panes.mainTree, node->mainItem, true, &label);
    POINT at = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    ClientToScreen(Panes.mainTree, &at);
    SetCursorPos(at.x, at.y);
    return {at.x, at.y};
  }
  DWORD Over(POINTL at) {
    DWORD effect = ANY_EFFECT;
    EXPECT_EQ(S_OK, target->DragOver(MK_LBUTTON, at, &effect));
    return effect;
  }
  HTREEITEM Highlighted() const { return TreeNext(Panes.mainTree, nullptr, TVGN_DROPHILITE); }
  bool Expanded(FolderNode* node) const {
    return SendMessageA(Panes.mainTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->mainItem), TVIS_EXPANDED) != 0;
  }

  IDropTarget* target = nullptr;
  IDataObject* data = nullptr;
};

// The copy or move itself is the shell's: Wine's folder target only logs the
// drop, so the test reads that the drop with the file reached b's target.
TEST_F(DropOnTree, EachFolderHasTheShellsTargetInTurnTheDropGoesToTheLastAndRestingOpensAFolder) {
  FolderNode *a = Child("a"), *b = Child("b");
  SpyFolder spy(a->parentFolder);
  IShellFolder* real = a->parentFolder;
  a->parentFolder = b->parentFolder = &spy;
  DWORD effect = ANY_EFFECT;
  EXPECT_EQ(S_OK, target->DragEnter(data, MK_LBUTTON, On(a), &effect));
  EXPECT_EQ(DWORD(DROPEFFECT_MOVE), effect);
  EXPECT_NE(DWORD(DROPEFFECT_NONE), Over(On(a))) << "the shell's answer for the folder";
  EXPECT_EQ(a->mainItem, Highlighted());
  Over(On(b));
  EXPECT_EQ(b->mainItem, Highlighted());
  RECT tree;
  GetClientRect(Panes.mainTree, &tree);
  POINT below = {30, tree.bottom - 10};
  ClientToScreen(Panes.mainTree, &below);
  EXPECT_EQ(DWORD(DROPEFFECT_NONE), Over({below.x, below.y})) << "empty space";
  EXPECT_EQ(nullptr, Highlighted());
  Over(On(b));
  effect = DROPEFFECT_MOVE;
  EXPECT_EQ(S_OK, target->Drop(data, MK_LBUTTON, On(b), &effect));
  EXPECT_EQ(nullptr, Highlighted());
  a->parentFolder = b->parentFolder = real;
  const std::string dropped = "drop b: " + temp.Path("from\\f.txt");
  EXPECT_EQ((std::vector<std::string>{"enter a", "over a", "leave a", "enter b", "over b", "leave b", "enter b",
                                      "over b", dropped}),
            spy.events);

  // Passing over a collapsed folder within the second starts no second timer.
  FolderNode *c = Child("c"), *d = Child("d");
  ASSERT_FALSE(Expanded(c));
  effect = ANY_EFFECT;
  target->DragEnter(data, MK_LBUTTON, On(c), &effect);
  Over(On(c));
  Over(On(d));  // within the second: c's timer is stopped with its target, none starts for d
  PumpFor(HOVER_EXPAND_MS + 500);
  EXPECT_FALSE(Expanded(c));
  EXPECT_FALSE(Expanded(d));
  Over(On(d));
  EXPECT_TRUE(PumpUntil([&] { return Expanded(d); }, 10000)) << "resting a second opens the folder";
  EXPECT_FALSE(Expanded(c));
  EXPECT_EQ(S_OK, target->DragLeave());
  EXPECT_EQ(nullptr, Highlighted());
}

}  // namespace
