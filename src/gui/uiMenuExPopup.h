#pragma once
// TuiMenuExPopup: shows a TuiMenuEx as skinned popup lists, one Qt::Popup window per open level.
// Hovering an item with sub-items opens its list beside it; a left press and release on the same
// leaf item closes the whole tree and fires the menu's click. The layout (item heights, width,
// selected item, key moves) and the click rules come from the menu itself; this class measures
// text, places the windows, routes pointer and key events and paints.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "components/uiMenuEx.h"

class QFont;
class QWidget;

namespace q9 {

class TuiMenuBox;

class TuiMenuExPopup : public QObject {
  Q_OBJECT

 public:
  using Translate = std::function<QString(const std::string& caption)>;

  /// How one item of an open list is shown.
  struct ItemView {
    QString text;
    QRect rect;             ///< in the list widget's coordinates
    bool hovered = false;   ///< under the pointer, or the item whose sub-list is open
    bool pressed = false;
    bool selected = false;  ///< never for an item with sub-items
    bool checkMark = false;
    bool arrow = false;     ///< the item has sub-items
  };

  /// `menu` and `window` (the parent of the popups; may be null) must outlive this object. The
  /// popup takes over the menu's OnCloseLists and calls the previous handler after closing.
  TuiMenuExPopup(TuiMenuEx& menu, QWidget* window, Translate translate = {});
  ~TuiMenuExPopup() override;

  /// Opens the top list at a global position; the selected ID stays as it was.
  void ShowMainMenu(const QPoint& globalPos);
  /// Remembers the selected ID, then opens as above.
  void ShowMainMenu(std::int64_t selectedMenuID, const QPoint& globalPos);
  void CloseLists();
  /// The lists open now, top level first (for the window and for tests).
  QList<QWidget*> OpenLists() const;

  /// The items of an open list as they are painted; empty for a widget that is not a list.
  std::vector<ItemView> Items(const QWidget* list) const;
  /// The font a list's items are drawn and measured in.
  QFont ListFont(const QWidget* list) const;

 private:
  friend class TuiMenuBox;

  TuiMenuBox* BoxFor(TuiMenuItemsEx& list);
  void OpenList(TuiMenuItemsEx& list, const QRect& globalTarget, bool besideTarget);
  void CloseFrom(int level);
  void ForgetBoxesOutsideTree();
  int LevelOf(const TuiMenuBox* box) const;
  TuiMenuBox* BoxAt(const QPoint& globalPos) const;

  // Called by the boxes with the event's global position.
  void PointerMoved(const QPoint& globalPos);
  void PointerPressed(const QPoint& globalPos, Qt::MouseButton button);
  void PointerReleased(const QPoint& globalPos, Qt::MouseButton button);
  void HoverItem(TuiMenuBox& box, int index);
  void ActivateItem(TuiMenuBox& box, int index);
  void BoxHidden(TuiMenuBox& box);

  TuiMenuEx& menu_;
  QPointer<QWidget> window_;
  Translate translate_;
  std::function<void()> previousOnClose_;
  std::map<const TuiMenuItemsEx*, QPointer<TuiMenuBox>> boxes_;
  std::vector<TuiMenuBox*> open_;
  TuiMenuBox* pressedBox_ = nullptr;  ///< the list where the left button went down, while it is down
};

}  // namespace q9
