#include "gui/uiMenuExPopup.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QResizeEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <utility>

#include "gui/SkinPalette.h"

namespace q9 {

namespace {

const std::string kBuiltInFamily = "楷体_GB2312";
// Fonts of the same kind, in order, for systems without the built-in one.
const QStringList kBuiltInFallbacks = {"AR PL UKai CN", "Noto Sans CJK SC", "DejaVu Sans"};
// Menu font sizes are given in the units the item heights were designed with: a size of 18 fills
// a 40-pixel row the way 15 pixels do here.
constexpr double kPixelsPerFontUnit = 15.0 / 18.0;

constexpr int kListSpare = 5;  // height a list has beyond its items and margins
constexpr int kTopPad = 2;     // of those, the pixels above the first item
constexpr qreal kCornerRadius = 8;
constexpr int kHighlightInset = 4;
constexpr int kCheckCentre = 18;  // from the item's left edge
constexpr int kTextLeft = 34;
constexpr int kArrowSpace = 28;  // kept free of text at the right of an item with sub-items
constexpr int kSubListDrop = 20;

QFont ToQFont(const QFont& base, const MenuItemFont& itemFont) {
  QFont font = base;
  const QString family = QString::fromStdString(itemFont.family);
  if (itemFont.family == kBuiltInFamily)
    font.setFamilies(QStringList{family} + kBuiltInFallbacks);
  else if (!family.isEmpty())
    font.setFamilies({family});
  if (itemFont.size > 0) font.setPixelSize(std::max(1, static_cast<int>(std::lround(itemFont.size * kPixelsPerFontUnit))));
  font.setBold(itemFont.bold);
  return font;
}

// The first character a key typed, as UTF-8; empty for keys that type nothing visible.
std::string TypedCharacter(const QString& text) {
  if (text.isEmpty() || !text.at(0).isPrint()) return {};
  return text.left(text.at(0).isHighSurrogate() ? 2 : 1).toStdString();
}

TuiMenuEx::Key KeyOf(int key) {
  switch (key) {
    case Qt::Key_Home: return TuiMenuEx::Key::Home;
    case Qt::Key_End: return TuiMenuEx::Key::End;
    case Qt::Key_Up:
    case Qt::Key_Left: return TuiMenuEx::Key::Previous;
    case Qt::Key_Down:
    case Qt::Key_Right: return TuiMenuEx::Key::Next;
    default: return TuiMenuEx::Key::Character;
  }
}

void DrawCheckMark(QPainter& painter, const QPointF& centre, const QColor& colour) {
  QPainterPath tick;
  tick.moveTo(centre + QPointF(-5, 0));
  tick.lineTo(centre + QPointF(-1.5, 3.5));
  tick.lineTo(centre + QPointF(5.5, -4));
  painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(tick);
}

void DrawArrow(QPainter& painter, const QPointF& centre, const QColor& colour) {
  const QPointF points[] = {centre + QPointF(-2.5, -5), centre + QPointF(2.5, 0), centre + QPointF(-2.5, 5)};
  painter.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(points, 3);
}

QColor Argb(std::uint32_t argb) { return QColor::fromRgba(argb); }

// Text drawn on a fill keeps the text colour while it stands out; on a light fill it takes the
// list's dark background instead.
QColor TextOn(const QColor& fill, const QColor& text, const QColor& background) {
  const QColor shown = QColor::fromRgbF(fill.redF() * fill.alphaF() + background.redF() * (1 - fill.alphaF()),
                                        fill.greenF() * fill.alphaF() + background.greenF() * (1 - fill.alphaF()),
                                        fill.blueF() * fill.alphaF() + background.blueF() * (1 - fill.alphaF()));
  const auto contrast = [](const QColor& a, const QColor& b) { return std::abs(a.lightnessF() - b.lightnessF()); };
  QColor dark = background;
  dark.setAlpha(255);
  return contrast(shown, text) >= contrast(shown, dark) ? text : dark;
}

}  // namespace

// One open level: paints its items and hands pointer and key events to the popup, which knows
// the other levels.
class TuiMenuBox : public QWidget {
 public:
  TuiMenuBox(TuiMenuExPopup& owner, TuiMenuItemsEx& list, QWidget* parent)
      : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint), owner_(owner), list_(list) {
    setObjectName("uiMenuBox");
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
  }

  TuiMenuItemsEx& List() const { return list_; }
  const QFont& ItemFont() const { return font_; }
  int Count() const { return static_cast<int>(texts_.size()); }
  int ContentTop() const { return layout_.marginTop + kTopPad; }
  int Hovered() const { return hovered_; }

  // Takes over the current states of the items for a new opening.
  void Build(const MenuListLayout& layout, const QFont& font, std::vector<QString> texts) {
    layout_ = layout;
    font_ = font;
    texts_ = std::move(texts);
    utf8Texts_.clear();
    for (const QString& text : texts_) utf8Texts_.push_back(text.toStdString());
    checked_.assign(texts_.size(), false);
    selected_.assign(texts_.size(), false);
    extender_.assign(texts_.size(), false);
    for (int i = 0; i < Count(); ++i) {
      checked_[Index(i)] = list_[i].Checked;
      selected_[Index(i)] = list_[i].IsSelected;
      extender_[Index(i)] = list_[i].SubItems.Count() > 0;
    }
    showSelectedCheckMark_ = list_.Root().Parameters.MenuShowSelectedCheckMark;
    colours_.reset();
    if (list_.Root().UseCustomMenuParams) colours_ = list_.Root().Parameters.Colours;
    hovered_ = pressed_ = expanded_ = itemIndex_ = -1;
    scroll_ = 0;
    contentHeight_ = layout.marginTop + layout.marginBottom + kListSpare;
    for (int height : layout.itemHeights) contentHeight_ += height;
    resize(layout.width, layout.height);
    SetItemIndex(layout.selectedIndex);
  }

  int ItemAt(const QPoint& local) const {
    for (int i = 0; i < Count(); ++i)
      if (ItemRect(i).contains(local) && rect().contains(local)) return i;
    return -1;
  }

  QRect ItemRect(int index) const {
    int top = ContentTop() - scroll_;
    for (int i = 0; i < index; ++i) top += layout_.itemHeights[Index(i)];
    const int width = layout_.width - layout_.marginLeft - layout_.marginRight;
    return {layout_.marginLeft, top, width, layout_.itemHeights[Index(index)]};
  }

  TuiMenuExPopup::ItemView View(int i) const {
    TuiMenuExPopup::ItemView view;
    view.text = texts_[Index(i)];
    view.rect = ItemRect(i);
    view.arrow = extender_[Index(i)];
    view.hovered = hovered_ == i || expanded_ == i;
    view.pressed = pressed_ == i;
    view.selected = !view.arrow && selected_[Index(i)];
    view.checkMark = checked_[Index(i)] || (view.selected && showSelectedCheckMark_);
    return view;
  }

  void SetItemIndex(int index) {
    if (index >= Count()) index = -1;
    if (itemIndex_ >= 0) selected_[Index(itemIndex_)] = false;
    itemIndex_ = index;
    list_.ItemIndex = index;
    if (index >= 0) {
      selected_[Index(index)] = true;
      ScrollTo(index);
    }
    update();
  }

  void SetHovered(int index) { Change(hovered_, index); }
  void SetPressed(int index) { Change(pressed_, index); }
  void SetExpanded(int index) { Change(expanded_, index); }

 protected:
  // Without a compositor the transparent corners would show black: the mask cuts them away.
  void resizeEvent(QResizeEvent* event) override {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
    QWidget::resizeEvent(event);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(skin::kBorder, 1));
    painter.setBrush(colours_ ? Argb(colours_->background) : skin::kPanel);
    painter.drawRoundedRect(panel, kCornerRadius, kCornerRadius);
    QPainterPath inside;
    inside.addRoundedRect(panel.adjusted(1, 1, -1, -1), kCornerRadius - 1, kCornerRadius - 1);
    painter.setClipPath(inside);
    QLinearGradient glow(panel.topLeft(), panel.topRight());
    glow.setColorAt(0, Qt::transparent);
    glow.setColorAt(0.5, skin::kAccent);
    glow.setColorAt(1, Qt::transparent);
    painter.fillRect(QRectF(panel.left(), panel.top() + 0.5, panel.width(), 1.5), glow);
    painter.setFont(font_);
    for (int i = 0; i < Count(); ++i)
      if (ItemRect(i).intersects(rect())) PaintItem(painter, View(i));
  }

  void mouseMoveEvent(QMouseEvent* event) override { owner_.PointerMoved(event->globalPosition().toPoint()); }
  // A Qt popup sees every press while it is the topmost one, also those outside it.
  void mousePressEvent(QMouseEvent* event) override {
    owner_.PointerPressed(event->globalPosition().toPoint(), event->button());
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    owner_.PointerReleased(event->globalPosition().toPoint(), event->button());
  }

  void keyPressEvent(QKeyEvent* event) override {
    const int level = owner_.LevelOf(this);
    if (level < 0) return;
    switch (event->key()) {
      case Qt::Key_Escape: owner_.CloseFrom(level); return;
      case Qt::Key_Return:
      case Qt::Key_Enter: owner_.ActivateItem(*this, itemIndex_); return;
      default: break;
    }
    const TuiMenuEx::Key key = KeyOf(event->key());
    const std::string character = key == TuiMenuEx::Key::Character ? TypedCharacter(event->text()) : std::string();
    if (key == TuiMenuEx::Key::Character && character.empty()) return;
    const int index = TuiMenuEx::ItemForKey(utf8Texts_, itemIndex_, key, character);
    if (index < 0) return;
    owner_.CloseFrom(level + 1);
    SetItemIndex(index);
    SetHovered(index);
  }

  void wheelEvent(QWheelEvent* event) override {
    const int step = layout_.itemHeights.empty() ? 0 : layout_.itemHeights.front();
    SetScroll(scroll_ - event->angleDelta().y() / 120 * step);
  }

  void hideEvent(QHideEvent* event) override {
    QWidget::hideEvent(event);
    hovered_ = pressed_ = expanded_ = -1;
    owner_.BoxHidden(*this);
  }

 private:
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }

  void Change(int& state, int index) {
    if (state == index) return;
    state = index;
    update();
  }

  void SetScroll(int scroll) {
    scroll_ = std::clamp(scroll, 0, std::max(0, contentHeight_ - height()));
    update();
  }

  void ScrollTo(int index) {
    const QRect item = ItemRect(index);
    if (item.top() < 0) SetScroll(scroll_ + item.top() - ContentTop());
    else if (item.bottom() >= height()) SetScroll(scroll_ + item.bottom() + 1 - height() + kListSpare - kTopPad);
  }

  void PaintItem(QPainter& painter, const TuiMenuExPopup::ItemView& view) const {
    if (colours_) return PaintItemInColours(painter, view, *colours_);
    const QRectF area = HighlightArea(view);
    if (view.pressed || view.selected) {
      QColor fill = skin::kAccent;
      fill.setAlpha(view.pressed ? 92 : view.hovered ? 64 : 44);
      painter.setPen(Qt::NoPen);
      painter.setBrush(fill);
      painter.drawRoundedRect(area, 5, 5);
      painter.setBrush(skin::kAccent);
      painter.drawRoundedRect(QRectF(area.left(), area.top() + 6, 3, std::max<qreal>(area.height() - 12, 4)), 1.5, 1.5);
    } else if (view.hovered) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(skin::kHover);
      painter.drawRoundedRect(area, 5, 5);
    }
    PaintMarksAndText(painter, view, skin::kAccent, view.hovered ? skin::kAccent : skin::kTextMuted,
                      view.hovered || view.pressed || view.selected ? skin::kText : skin::kText.darker(112));
  }

  // A menu with colours of its own: the pressed and selected items in the down colour, the item
  // under the pointer in the over colour.
  void PaintItemInColours(QPainter& painter, const TuiMenuExPopup::ItemView& view, const MenuColours& colours) const {
    const QColor background = Argb(colours.background);
    const QColor text = Argb(colours.text);
    QColor fill;
    if (view.hovered && !view.pressed) fill = Argb(colours.itemOver);
    else if (view.pressed || view.selected) fill = Argb(colours.itemDown);
    if (fill.isValid()) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(fill);
      painter.drawRoundedRect(HighlightArea(view), 5, 5);
    }
    const QColor shownText = fill.isValid() ? TextOn(fill, text, background) : text;
    PaintMarksAndText(painter, view, Argb(colours.check), shownText, shownText);
  }

  static QRectF HighlightArea(const TuiMenuExPopup::ItemView& view) {
    return QRectF(view.rect).adjusted(kHighlightInset, 1.5, -kHighlightInset, -1.5);
  }

  void PaintMarksAndText(QPainter& painter, const TuiMenuExPopup::ItemView& view, const QColor& check,
                         const QColor& arrow, const QColor& textColour) const {
    const qreal middle = HighlightArea(view).center().y();
    if (view.checkMark) DrawCheckMark(painter, QPointF(view.rect.left() + kCheckCentre, middle), check);
    if (view.arrow) DrawArrow(painter, QPointF(view.rect.right() - 16, middle), arrow);
    const QRect textArea = view.rect.adjusted(kTextLeft, 0, -(view.arrow ? kArrowSpace : 8), 0);
    painter.setPen(textColour);
    const QString text = QFontMetrics(font_).elidedText(view.text, Qt::ElideRight, textArea.width());
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  }

  TuiMenuExPopup& owner_;
  TuiMenuItemsEx& list_;
  MenuListLayout layout_;
  QFont font_;
  std::vector<QString> texts_;
  std::vector<std::string> utf8Texts_;
  std::vector<bool> checked_, selected_, extender_;
  bool showSelectedCheckMark_ = true;
  std::optional<MenuColours> colours_;
  int itemIndex_ = -1;
  int hovered_ = -1;
  int pressed_ = -1;
  int expanded_ = -1;  // the item whose sub-list is open
  int scroll_ = 0;
  int contentHeight_ = 0;
};

TuiMenuExPopup::TuiMenuExPopup(TuiMenuEx& menu, QWidget* window, Translate translate)
    : menu_(menu), window_(window), translate_(std::move(translate)), previousOnClose_(menu.OnCloseLists) {
  if (!translate_) translate_ = [](const std::string& caption) { return QString::fromStdString(caption); };
  menu_.OnCloseLists = [this] {
    CloseLists();
    if (previousOnClose_) previousOnClose_();
  };
}

TuiMenuExPopup::~TuiMenuExPopup() {
  menu_.OnCloseLists = previousOnClose_;
  CloseLists();
  for (auto& [list, box] : boxes_) delete box.data();
}

void TuiMenuExPopup::ShowMainMenu(const QPoint& globalPos) {
  CloseLists();
  ForgetBoxesOutsideTree();
  OpenList(menu_.Items, QRect(globalPos, QSize(0, 0)), false);
}

void TuiMenuExPopup::ShowMainMenu(std::int64_t selectedMenuID, const QPoint& globalPos) {
  menu_.ShowMainMenu(selectedMenuID);
  ShowMainMenu(globalPos);
}

void TuiMenuExPopup::CloseLists() { CloseFrom(0); }

QList<QWidget*> TuiMenuExPopup::OpenLists() const {
  QList<QWidget*> lists;
  for (TuiMenuBox* box : open_) lists.append(box);
  return lists;
}

std::vector<TuiMenuExPopup::ItemView> TuiMenuExPopup::Items(const QWidget* list) const {
  std::vector<ItemView> views;
  if (const auto* box = dynamic_cast<const TuiMenuBox*>(list))
    for (int i = 0; i < box->Count(); ++i) views.push_back(box->View(i));
  return views;
}

QFont TuiMenuExPopup::ListFont(const QWidget* list) const {
  const auto* box = dynamic_cast<const TuiMenuBox*>(list);
  return box ? box->ItemFont() : QFont();
}

TuiMenuBox* TuiMenuExPopup::BoxFor(TuiMenuItemsEx& list) {
  QPointer<TuiMenuBox>& box = boxes_[&list];
  if (box) return box;
  box = new TuiMenuBox(*this, list, window_);
  // The window may take its popups with it.
  TuiMenuBox* created = box;
  connect(created, &QObject::destroyed, this, [this, created] {
    open_.erase(std::remove(open_.begin(), open_.end(), created), open_.end());
    if (pressedBox_ == created) pressedBox_ = nullptr;
  });
  return created;
}

void TuiMenuExPopup::OpenList(TuiMenuItemsEx& list, const QRect& target, bool besideTarget) {
  TuiMenuBox* box = BoxFor(list);
  QScreen* screen = QGuiApplication::screenAt(besideTarget ? target.center() : target.topLeft());
  if (!screen) screen = window_ ? window_->screen() : QGuiApplication::primaryScreen();
  const QRect screenRect = screen->geometry();

  const QFont font = ToQFont(window_ ? window_->font() : QApplication::font(), menu_.ItemFont(list));
  const auto measure = [&font](const std::string& text, const std::string&, int) {
    return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
  };
  const auto translate = [this](const std::string& caption) { return translate_(caption).toStdString(); };
  const MenuListLayout layout = menu_.BuildList(list, screenRect.height(), measure, translate);
  std::vector<QString> texts;
  for (int i = 0; i < list.Count(); ++i) texts.push_back(translate_(list[i].Caption));
  box->Build(layout, font, std::move(texts));

  const QSize size(layout.width, layout.height);
  QPoint pos;
  if (besideTarget) {
    pos = QPoint(target.left() + target.width(), target.top() - box->ContentTop());
    if (target.left() - screenRect.left() + target.width() + size.width() >= screenRect.width())
      pos += QPoint(-target.width(), kSubListDrop);
    pos.setY(std::max(screenRect.top(), std::min(pos.y(), screenRect.bottom() + 1 - size.height())));
  } else {
    pos = target.topLeft();
    if (pos.x() + size.width() > screenRect.right() + 1) pos.setX(std::max(screenRect.left(), pos.x() - size.width()));
    if (pos.y() + size.height() > screenRect.bottom() + 1) pos.setY(std::max(screenRect.top(), pos.y() - size.height()));
  }
  box->setProperty("level", static_cast<int>(open_.size()));
  box->move(pos);
  open_.push_back(box);
  box->show();
}

void TuiMenuExPopup::CloseFrom(int level) {
  if (level < 0) return;
  const auto keep = static_cast<std::size_t>(level);
  while (open_.size() > keep) {
    TuiMenuBox* box = open_.back();
    open_.pop_back();
    box->hide();
  }
  if (keep > 0 && keep == open_.size()) open_.back()->SetExpanded(-1);
}

void TuiMenuExPopup::ForgetBoxesOutsideTree() {
  std::set<const TuiMenuItemsEx*> lists;
  std::function<void(const TuiMenuItemsEx&)> collect = [&](const TuiMenuItemsEx& list) {
    lists.insert(&list);
    for (int i = 0; i < list.Count(); ++i) collect(list[i].SubItems);
  };
  collect(menu_.Items);
  for (auto it = boxes_.begin(); it != boxes_.end();) {
    if (it->second && lists.count(it->first)) {
      ++it;
      continue;
    }
    delete it->second.data();
    it = boxes_.erase(it);
  }
}

int TuiMenuExPopup::LevelOf(const TuiMenuBox* box) const {
  const auto it = std::find(open_.begin(), open_.end(), box);
  return it == open_.end() ? -1 : static_cast<int>(it - open_.begin());
}

TuiMenuBox* TuiMenuExPopup::BoxAt(const QPoint& globalPos) const {
  // A deeper list lies on top of its parent where they overlap.
  for (auto it = open_.rbegin(); it != open_.rend(); ++it)
    if ((*it)->geometry().contains(globalPos)) return *it;
  return nullptr;
}

void TuiMenuExPopup::PointerMoved(const QPoint& globalPos) {
  TuiMenuBox* target = BoxAt(globalPos);
  for (TuiMenuBox* box : open_)
    if (box != target) box->SetHovered(-1);
  if (target) HoverItem(*target, target->ItemAt(target->mapFromGlobal(globalPos)));
}

void TuiMenuExPopup::HoverItem(TuiMenuBox& box, int index) {
  const int level = LevelOf(&box);
  if (level < 0 || index == box.Hovered()) return;
  box.SetHovered(index);
  if (index < 0) return;
  TuiMenuItemsEx& subItems = box.List()[index].SubItems;
  const auto next = static_cast<std::size_t>(level + 1);
  if (subItems.Count() == 0) {
    CloseFrom(level + 1);
    return;
  }
  if (next < open_.size() && &open_[next]->List() == &subItems) {
    CloseFrom(level + 2);
    return;
  }
  CloseFrom(level + 1);
  box.SetExpanded(index);
  const QRect item = box.ItemRect(index);
  OpenList(subItems, QRect(box.mapToGlobal(item.topLeft()), item.size()), true);
}

void TuiMenuExPopup::ActivateItem(TuiMenuBox& box, int index) {
  if (index < 0 || index >= box.Count()) return;
  TuiMenuItemsEx& list = box.List();
  if (list[index].SubItems.Count() > 0) {
    box.SetHovered(-1);
    HoverItem(box, index);
    return;
  }
  menu_.PressItem(list, index);
  menu_.ReleaseOver(list, index);
}

void TuiMenuExPopup::PointerPressed(const QPoint& globalPos, Qt::MouseButton button) {
  TuiMenuBox* box = BoxAt(globalPos);
  if (!box) {
    CloseLists();
    return;
  }
  const int index = box->ItemAt(box->mapFromGlobal(globalPos));
  if (button != Qt::LeftButton || index < 0) return;
  menu_.PressItem(box->List(), index);
  pressedBox_ = box;
  box->SetPressed(index);
  box->SetItemIndex(box->List().ItemIndex);
}

void TuiMenuExPopup::PointerReleased(const QPoint& globalPos, Qt::MouseButton button) {
  // A release without a press in the tree (the end of the click that opened it) does nothing.
  if (button != Qt::LeftButton || !pressedBox_) return;
  TuiMenuBox* pressed = std::exchange(pressedBox_, nullptr);
  pressed->SetPressed(-1);
  TuiMenuBox* box = BoxAt(globalPos);
  if (!box) {
    menu_.ReleaseOver(pressed->List(), -1);
    return;
  }
  // Last: a click handler may rebuild the tree.
  menu_.ReleaseOver(box->List(), box->ItemAt(box->mapFromGlobal(globalPos)));
}

void TuiMenuExPopup::BoxHidden(TuiMenuBox& box) {
  if (pressedBox_ == &box) pressedBox_ = nullptr;
  CloseFrom(LevelOf(&box));
}

}  // namespace q9
