#pragma once
// TuiMenuEx: the item tree of a popup menu and the rules of its lists, without the drawing. Items
// get their names and IDs when they are added ("Item<n>", n the smallest free number; ID n at the
// top, parent ID x 100 + n below). The presentation (popups, painting) asks this core how a list
// is laid out, which item a key selects, and reports presses and releases; a release on the item
// that was pressed fires the single click event of the tree.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/uiFunctionManager.h"

namespace q9 {

class TuiMenuEx;
class TuiMenuItemEx;

/// Click on an item without a handler of its own: its name and ID, and the function item's buffer.
using TuiMenuItemsExEvent = std::function<void(const std::string& AMenuItemName, std::uint32_t AMenuItemID,
                                               const void* ABufferPointer, int ASize)>;
/// An item's own click handler.
using TuiMenuItemExEvent = std::function<void(TuiMenuItemEx& Sender, const void* ABufferPointer, int ASize)>;

/// The colours of a menu's lists, as 0xAARRGGBB.
struct MenuColours {
  std::uint32_t background;
  std::uint32_t itemOver;  ///< the item under the pointer
  std::uint32_t itemDown;  ///< the pressed or selected item
  std::uint32_t check;     ///< the check mark
  std::uint32_t text;
};

/// The look of a menu's lists where it matters to their size, and their colours.
struct TMenuParams {
  int ItemHeight = 30;
  int ItemWidth = 0;
  bool ItemAutoSize = true;
  bool MenuShowSelectedCheckMark = true;
  int CustomWidth = 0;
  int CustomHeight = 0;
  int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
  std::string FontFamily;
  int FontSize = 0;
  bool FontBold = false;
  /// Empty: the presentation's own colours.
  std::optional<MenuColours> Colours;
};

/// The items of one menu level.
class TuiMenuItemsEx {
 public:
  TuiMenuItemsEx(TuiMenuEx& root, TuiMenuItemEx* parent) : root_(root), parent_(parent) {}
  TuiMenuItemsEx(const TuiMenuItemsEx&) = delete;
  TuiMenuItemsEx& operator=(const TuiMenuItemsEx&) = delete;

  /// Adds an item; an empty name gets "Item<n>" and the ID that goes with n.
  TuiMenuItemEx& Add(const std::string& caption = {}, const std::string& name = {});
  void Delete(int index);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  TuiMenuItemEx& operator[](int index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TuiMenuItemEx& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  /// Sets Checked of the item at a position; a position outside the list is ignored.
  void SetItemCheckedState(int AItemIndex, bool AState);
  TuiMenuItemEx* Parent() const { return parent_; }
  TuiMenuEx& Root() const { return root_; }

  int ItemIndex = -1;
  bool UseParentParameter = true;
  TMenuParams Parameters;

 private:
  TuiMenuEx& root_;
  TuiMenuItemEx* parent_;
  std::vector<std::unique_ptr<TuiMenuItemEx>> items_;
};

class TuiMenuItemEx {
 public:
  TuiMenuItemEx(TuiMenuEx& root, std::string name, std::uint32_t id) : SubItems(root, this), Name(std::move(name)), id_(id) {}
  TuiMenuItemEx(const TuiMenuItemEx&) = delete;
  TuiMenuItemEx& operator=(const TuiMenuItemEx&) = delete;

  std::uint32_t ItemID() const { return id_; }

  TuiMenuItemsEx SubItems;
  std::string Name;
  std::string Caption;
  std::string Hint;
  bool Checked = false;
  bool IsSelected = false;
  bool Enabled = true;
  bool Visible = true;
  int ImageIndex = -1;
  double ItemHeight = 0;  ///< 0: the list's item height
  TuiMenuItemExEvent OnClick;

 private:
  std::uint32_t id_;
};

/// How one list is shown.
struct MenuListLayout {
  std::vector<int> itemHeights;
  int selectedIndex = -1;  ///< the box's selected item
  int height = 0;
  int width = 0;
  /// Inner margins of the list, around its items.
  int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
};

/// The font of a list's items; an empty family or a size of 0 means the toolkit's default.
struct MenuItemFont {
  std::string family;
  int size = 0;
  bool bold = false;
};

class TuiMenuEx {
 public:
  /// Width of a caption in the list's font, in pixels.
  using MeasureText = std::function<int(const std::string& text, const std::string& fontFamily, int fontSize)>;
  /// The caption as shown (translated for the current language).
  using TranslateText = std::function<std::string(const std::string& text)>;

  TuiMenuEx() : Items(*this, nullptr) {}
  TuiMenuEx(const TuiMenuEx&) = delete;
  TuiMenuEx& operator=(const TuiMenuEx&) = delete;

  /// Opening with a selected ID remembers it; opening without one keeps the last.
  void ShowMainMenu(std::int64_t SelectedMenuID) { selectedID_ = SelectedMenuID; }
  std::int64_t SelectedID() const { return selectedID_; }

  /// The item with that ID anywhere in the tree, or nullptr.
  TuiMenuItemEx* FindItemByID(std::uint32_t id);

  /// The font a list's items are shown and measured in.
  MenuItemFont ItemFont(const TuiMenuItemsEx& list) const;
  /// Lays a list out for a screen of that height (the width only matters while it is closed).
  MenuListLayout BuildList(const TuiMenuItemsEx& list, int screenHeight, const MeasureText& measure,
                           const TranslateText& translate = {}) const;
  /// The item a key selects in a list of `count` items from `current` (-1 none): a character picks
  /// the first caption starting with it (case ignored); Home, End, Up/Left, Down/Right move.
  enum class Key { Character, Home, End, Previous, Next };
  static int ItemForKey(const TuiMenuItemsEx& list, int current, Key key, char character = 0);
  /// The same over the texts a list shows; `character` is one UTF-8 character, compared with the
  /// first character of each text (ASCII letter case ignored).
  static int ItemForKey(const std::vector<std::string>& texts, int current, Key key, const std::string& character = {});

  /// The presentation reports the pointer: a press on an item, and a release over an item (or none).
  void PressItem(TuiMenuItemsEx& list, int index);
  /// Returns true when the release fired a click (and so closed the tree).
  bool ReleaseOver(TuiMenuItemsEx& list, int index);

  /// Runs the click of an item: its own handler, else the tree's OnItemsClick.
  void DoItemClick(TuiMenuItemEx& item);
  /// Every list's ItemIndex back to -1 but `keep`'s.
  void ResetSelections(const TuiMenuItemsEx* keep);

  TuiMenuItemsEx Items;
  bool UseCustomMenuParams = false;
  TMenuParams Parameters;
  TuiFunctionManager* FunctionManager = nullptr;
  int FunctionItemIndex = -1;
  TuiMenuItemsExEvent OnItemsClick;
  /// Told when a click closes every popup of the tree.
  std::function<void()> OnCloseLists;

 private:
  std::int64_t selectedID_ = 0;
  TuiMenuItemsEx* pressedList_ = nullptr;
  int pressedIndex_ = -1;
};

}  // namespace q9
