#include <gtest/gtest.h>

#include "components/uiMenuEx.h"

namespace q9 {
namespace {

// Captions measure 10 pixels a byte, whatever the font.
int Measure(const std::string& text, const std::string&, int) { return 10 * static_cast<int>(text.size()); }

struct Click {
  std::string name;
  std::uint32_t id;
  int size;
};

class MenuTest : public ::testing::Test {
 protected:
  MenuTest() {
    for (int i = 1; i <= 11; ++i) menu.Items.Add("Top " + std::to_string(i));
    for (const char* sub : {"Cut", "Copy", "Paste"}) menu.Items[7].SubItems.Add(sub);
    menu.OnItemsClick = [this](const std::string& name, std::uint32_t id, const void*, int size) {
      clicks.push_back({name, id, size});
    };
    menu.OnCloseLists = [this] { ++closes; };
  }
  TuiMenuEx menu;
  std::vector<Click> clicks;
  int closes = 0;
};

TEST_F(MenuTest, NamesAndIdsFollowTheirPositionAndParent) {
  TuiMenuEx fresh;
  for (int i = 0; i < 3; ++i) fresh.Items.Add();
  for (int i = 0; i < 3; ++i) fresh.Items[1].SubItems.Add();
  EXPECT_EQ(fresh.Items[2].Name, "Item3");
  EXPECT_EQ(fresh.Items[2].ItemID(), 3u);
  EXPECT_EQ(fresh.Items[1].SubItems[2].ItemID(), 203u);
  fresh.Items.Delete(1);
  TuiMenuItemEx& again = fresh.Items.Add();
  EXPECT_EQ(again.Name, "Item2");
  EXPECT_EQ(again.ItemID(), 2u);
  TuiMenuEx named;
  named.Items.Add("", "item1");
  EXPECT_EQ(named.Items.Add().Name, "Item2") << "names are compared ignoring case";
  EXPECT_EQ(menu.Items[7].SubItems[2].ItemID(), 803u);
  EXPECT_EQ(menu.FindItemByID(803), &menu.Items[7].SubItems[2]);
  EXPECT_EQ(menu.FindItemByID(804), nullptr);
}

TEST_F(MenuTest, SelectedIdIsShownInItsOwnSubList) {
  menu.ShowMainMenu(803);
  EXPECT_EQ(menu.BuildList(menu.Items, 1080, Measure).selectedIndex, -1);
  EXPECT_EQ(menu.BuildList(menu.Items[7].SubItems, 1080, Measure).selectedIndex, 2);
}

TEST_F(MenuTest, AClickNeedsPressAndReleaseOnTheSameItem) {
  TuiMenuItemsEx& sub = menu.Items[7].SubItems;
  menu.PressItem(sub, 0);
  EXPECT_FALSE(menu.ReleaseOver(sub, 1));
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(closes, 1) << "a release on another item still closes the tree";
  menu.Items.ItemIndex = 4;
  menu.PressItem(sub, 1);
  EXPECT_TRUE(menu.ReleaseOver(sub, 1));
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].name, "Item2");
  EXPECT_EQ(clicks[0].id, 802u);
  EXPECT_EQ(menu.Items.ItemIndex, -1) << "the other lists forget their selection";
  EXPECT_EQ(sub.ItemIndex, 1);
  menu.PressItem(menu.Items, 7);
  EXPECT_FALSE(menu.ReleaseOver(menu.Items, 7)) << "an item with a sub-menu assigns nothing";
  EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(MenuTest, OwnHandlerAndFunctionBuffer) {
  TuiFunctionManager manager;
  const std::uint8_t data[3] = {1, 2, 3};
  manager.Items().Add().SetBuffer(data, 3);
  menu.FunctionManager = &manager;
  menu.FunctionItemIndex = 0;
  int ownClicks = 0;
  menu.Items[0].OnClick = [&](TuiMenuItemEx&, const void* buffer, int size) {
    ++ownClicks;
    EXPECT_EQ(size, 3);
    EXPECT_EQ(static_cast<const std::uint8_t*>(buffer)[2], 3);
  };
  menu.DoItemClick(menu.Items[0]);
  EXPECT_EQ(ownClicks, 1);
  EXPECT_TRUE(clicks.empty()) << "an item's own handler takes the click";
  menu.DoItemClick(menu.Items[1]);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].size, 3);
}

TEST_F(MenuTest, ListSizes) {
  TuiMenuItemsEx& sub = menu.Items[7].SubItems;
  MenuListLayout layout = menu.BuildList(sub, 1080, Measure);
  EXPECT_EQ(layout.itemHeights, (std::vector<int>{40, 40, 40}));
  EXPECT_EQ(layout.height, 125);
  EXPECT_EQ(layout.width, 150) << "the longest caption (\"Paste\") and 100";
  menu.UseCustomMenuParams = true;
  menu.Parameters.ItemHeight = 10;
  menu.Parameters.MarginTop = menu.Parameters.MarginBottom = 3;
  menu.Parameters.MarginLeft = 7;
  sub[0].ItemHeight = 33;
  layout = menu.BuildList(sub, 1080, Measure);
  EXPECT_EQ(layout.itemHeights, (std::vector<int>{33, 20, 20})) << "at least 20 a custom item";
  EXPECT_EQ(layout.height, 33 + 20 + 20 + 5 + 6);
  EXPECT_EQ(layout.width, 157);
  EXPECT_EQ(layout.marginLeft, 7);
  EXPECT_EQ(layout.marginTop, 3);
  EXPECT_EQ(layout.marginBottom, 3);
  menu.Parameters.CustomHeight = 999;
  menu.Parameters.CustomWidth = 222;
  layout = menu.BuildList(sub, 600, Measure);
  EXPECT_EQ(layout.height, 600) << "never taller than the screen";
  EXPECT_EQ(layout.width, 222);
  TuiMenuEx single;
  single.Items.Add("A");
  EXPECT_EQ(single.BuildList(single.Items, 1080, Measure).width, 100) << "one-character captions are not measured";
}

TEST_F(MenuTest, ItemFontComesFromTheLookInUse) {
  TuiMenuItemsEx& sub = menu.Items[7].SubItems;
  const MenuItemFont builtIn = menu.ItemFont(sub);
  EXPECT_EQ(builtIn.family, "楷体_GB2312");
  EXPECT_EQ(builtIn.size, 18);
  EXPECT_TRUE(builtIn.bold);
  sub.UseParentParameter = false;
  sub.Parameters.FontFamily = "Arial";
  sub.Parameters.FontSize = 14;
  sub.Parameters.FontBold = true;
  EXPECT_EQ(menu.ItemFont(sub).family, "Arial") << "a list with its own look, even under the built-in one";
  menu.UseCustomMenuParams = true;
  menu.Parameters.FontFamily = "Tahoma";
  EXPECT_EQ(menu.ItemFont(menu.Items).family, "Tahoma");
  EXPECT_FALSE(menu.ItemFont(menu.Items).bold);
  EXPECT_EQ(menu.ItemFont(sub).size, 14);
}

TEST_F(MenuTest, KeysAndCheckStates) {
  TuiMenuItemsEx& sub = menu.Items[7].SubItems;
  EXPECT_EQ(TuiMenuEx::ItemForKey(sub, -1, TuiMenuEx::Key::Character, 'p'), 2);
  EXPECT_EQ(TuiMenuEx::ItemForKey(sub, 1, TuiMenuEx::Key::Character, 'z'), 1);
  EXPECT_EQ(TuiMenuEx::ItemForKey(sub, 0, TuiMenuEx::Key::Previous), 0);
  EXPECT_EQ(TuiMenuEx::ItemForKey(sub, 2, TuiMenuEx::Key::Next), 2);
  EXPECT_EQ(TuiMenuEx::ItemForKey(sub, 0, TuiMenuEx::Key::End), 2);
  const std::vector<std::string> shown = {"Über", "ausblenden", "Ändern", "Zoom"};
  EXPECT_EQ(TuiMenuEx::ItemForKey(shown, 0, TuiMenuEx::Key::Character, "Ä"), 2) << "a whole UTF-8 character";
  EXPECT_EQ(TuiMenuEx::ItemForKey(shown, 0, TuiMenuEx::Key::Character, "A"), 1);
  EXPECT_EQ(TuiMenuEx::ItemForKey(shown, 3, TuiMenuEx::Key::Character, "\xC3"), 3) << "not the first byte alone";
  EXPECT_EQ(TuiMenuEx::ItemForKey(shown, 3, TuiMenuEx::Key::Character, ""), 3);
  sub.SetItemCheckedState(1, true);
  sub.SetItemCheckedState(9, true);
  EXPECT_TRUE(sub[1].Checked);
}

}  // namespace
}  // namespace q9
