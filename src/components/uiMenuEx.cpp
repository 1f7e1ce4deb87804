#include "components/uiMenuEx.h"

#include <algorithm>

#include "model/AsciiText.h"

namespace q9 {

namespace {

constexpr int kBuiltInItemHeight = 40;
constexpr int kSmallestCustomItemHeight = 20;
constexpr int kListHeightExtra = 5;
constexpr int kListWidthExtra = 100;
const std::string kBuiltInFont = "楷体_GB2312";
constexpr int kBuiltInFontSize = 18;

bool NameTaken(const TuiMenuItemsEx& list, const std::string& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (EqualsIgnoringAsciiCase(list[i].Name, name)) return true;
  return false;
}

template <typename Visit>
void ForEachList(TuiMenuItemsEx& list, const Visit& visit) {
  visit(list);
  for (int i = 0; i < list.Count(); ++i) ForEachList(list[i].SubItems, visit);
}

bool IsLeadByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// Characters of a caption: UTF-8 lead bytes.
std::size_t CharacterCount(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), IsLeadByte));
}

std::string FirstCharacter(const std::string& text) {
  std::size_t end = text.empty() ? 0 : 1;
  while (end < text.size() && !IsLeadByte(text[end])) ++end;
  return text.substr(0, end);
}

}  // namespace

TuiMenuItemEx& TuiMenuItemsEx::Add(const std::string& caption, const std::string& name) {
  std::string itemName = name;
  std::uint32_t id = 0;
  if (itemName.empty()) {
    std::uint32_t n = 1;
    while (NameTaken(*this, "Item" + std::to_string(n))) ++n;
    itemName = "Item" + std::to_string(n);
    id = parent_ ? parent_->ItemID() * 100 + n : n;
  }
  items_.push_back(std::make_unique<TuiMenuItemEx>(root_, itemName, id));
  items_.back()->Caption = caption;
  return *items_.back();
}

void TuiMenuItemsEx::Delete(int index) {
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

void TuiMenuItemsEx::SetItemCheckedState(int AItemIndex, bool AState) {
  if (AItemIndex >= 0 && AItemIndex < Count()) (*this)[AItemIndex].Checked = AState;
}

TuiMenuItemEx* TuiMenuEx::FindItemByID(std::uint32_t id) {
  TuiMenuItemEx* found = nullptr;
  ForEachList(Items, [&](TuiMenuItemsEx& list) {
    for (int i = 0; i < list.Count() && !found; ++i)
      if (list[i].ItemID() == id) found = &list[i];
  });
  return found;
}

MenuItemFont TuiMenuEx::ItemFont(const TuiMenuItemsEx& list) const {
  if (!UseCustomMenuParams && list.UseParentParameter) return {kBuiltInFont, kBuiltInFontSize, true};
  const TMenuParams& look = list.UseParentParameter ? Parameters : list.Parameters;
  return {look.FontFamily, look.FontSize, look.FontBold};
}

MenuListLayout TuiMenuEx::BuildList(const TuiMenuItemsEx& list, int screenHeight, const MeasureText& measure,
                                    const TranslateText& translate) const {
  const bool own = !list.UseParentParameter;
  const TMenuParams& root = Parameters;
  const TMenuParams& look = own ? list.Parameters : root;
  int itemHeight = kBuiltInItemHeight;
  if (UseCustomMenuParams) itemHeight = own ? list.Parameters.ItemHeight : std::max(root.ItemHeight, kSmallestCustomItemHeight);

  MenuListLayout layout;
  int sum = 0;
  int longest = -1;
  for (int i = 0; i < list.Count(); ++i) {
    const TuiMenuItemEx& item = list[i];
    const int height = item.ItemHeight != 0 ? static_cast<int>(item.ItemHeight) : itemHeight;
    layout.itemHeights.push_back(height);
    sum += height;
    if (layout.selectedIndex < 0 && selectedID_ != 0 && item.ItemID() == selectedID_) layout.selectedIndex = i;
    const std::size_t length = CharacterCount(item.Caption);
    if (length >= 2 && (longest < 0 || length > CharacterCount(list[longest].Caption))) longest = i;
  }
  if (layout.selectedIndex < 0) layout.selectedIndex = list.ItemIndex;

  layout.height = sum + kListHeightExtra + (UseCustomMenuParams ? root.MarginTop + root.MarginBottom : 0);
  const int customHeight = own && list.Parameters.CustomHeight ? list.Parameters.CustomHeight : root.CustomHeight;
  if (customHeight) layout.height = own ? std::max(layout.height, customHeight) : customHeight;
  layout.height = std::min(layout.height, screenHeight);

  const bool customLook = UseCustomMenuParams || own;
  const MenuItemFont font = ItemFont(list);
  const int margins = customLook ? look.MarginLeft + look.MarginRight : 0;
  if (customLook) {
    layout.marginLeft = look.MarginLeft;
    layout.marginRight = look.MarginRight;
  }
  if (UseCustomMenuParams) {
    layout.marginTop = root.MarginTop;
    layout.marginBottom = root.MarginBottom;
  }
  if (own && !list.Parameters.ItemAutoSize) {
    layout.width = list.Parameters.ItemWidth + margins;
  } else {
    const std::string caption = longest >= 0 ? list[longest].Caption : std::string();
    const int textWidth = longest >= 0 && measure ? measure(translate ? translate(caption) : caption, font.family, font.size) : 0;
    layout.width = textWidth + kListWidthExtra + margins;
  }
  const int customWidth = own && list.Parameters.CustomWidth ? list.Parameters.CustomWidth : root.CustomWidth;
  if (customWidth) layout.width = customWidth;
  return layout;
}

int TuiMenuEx::ItemForKey(const TuiMenuItemsEx& list, int current, Key key, char character) {
  std::vector<std::string> captions;
  for (int i = 0; i < list.Count(); ++i) captions.push_back(list[i].Caption);
  return ItemForKey(captions, current, key, std::string(1, character));
}

int TuiMenuEx::ItemForKey(const std::vector<std::string>& texts, int current, Key key, const std::string& character) {
  const int count = static_cast<int>(texts.size());
  if (count == 0) return current;
  switch (key) {
    case Key::Home: return 0;
    case Key::End: return count - 1;
    case Key::Previous: return std::max(current - 1, 0);
    case Key::Next: return std::min(current + 1, count - 1);
    case Key::Character: {
      const std::string wanted = FirstCharacter(character);
      if (wanted.empty()) return current;
      for (int i = 0; i < count; ++i)
        if (EqualsIgnoringAsciiCase(FirstCharacter(texts[static_cast<std::size_t>(i)]), wanted)) return i;
      return current;
    }
  }
  return current;
}

void TuiMenuEx::PressItem(TuiMenuItemsEx& list, int index) {
  if (index < 0 || index >= list.Count()) return;
  pressedList_ = &list;
  pressedIndex_ = index;
  list.ItemIndex = index;
}

bool TuiMenuEx::ReleaseOver(TuiMenuItemsEx& list, int index) {
  const bool samePress = pressedList_ == &list && pressedIndex_ == index;
  pressedList_ = nullptr;
  pressedIndex_ = -1;
  if (index < 0 || index >= list.Count() || list[index].SubItems.Count() > 0) return false;
  if (OnCloseLists) OnCloseLists();
  ResetSelections(&list);
  if (!samePress) return false;
  DoItemClick(list[list.ItemIndex >= 0 ? list.ItemIndex : index]);
  return true;
}

void TuiMenuEx::ResetSelections(const TuiMenuItemsEx* keep) {
  ForEachList(Items, [&](TuiMenuItemsEx& list) {
    if (&list != keep) list.ItemIndex = -1;
  });
}

void TuiMenuEx::DoItemClick(TuiMenuItemEx& item) {
  std::vector<std::uint8_t> buffer;
  if (FunctionManager && FunctionItemIndex >= 0 && FunctionItemIndex < FunctionManager->Items().Count()) {
    const TuiFunctionItem& function = FunctionManager->Items()[FunctionItemIndex];
    buffer.resize(function.GetBufferSize());
    function.GetBuffer(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
  }
  const void* data = buffer.empty() ? nullptr : buffer.data();
  const int size = static_cast<int>(buffer.size());
  if (item.OnClick) item.OnClick(item, data, size);
  else if (OnItemsClick) OnItemsClick(item.Name, item.ItemID(), data, size);
}

}  // namespace q9
