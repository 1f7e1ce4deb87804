#pragma once
// What the program's frameless dialogs share: their place over the owner's window and moving them
// by dragging their background.

#include <QPoint>
#include <optional>

class QMouseEvent;
class QWidget;

namespace q9 {

/// Centres `window` on its parent's window while that is shown, else on the parent's (or the
/// primary) screen.
void CentreOnOwnerWindow(QWidget& window);

/// Moves a window while the left button is held on its background: through the window manager where
/// it offers that, otherwise by following the pointer. Each handler returns true when it took the
/// event.
class WindowDrag {
 public:
  bool Press(QWidget& window, const QMouseEvent& event);
  bool Move(QWidget& window, const QMouseEvent& event);
  void Release() { offset_.reset(); }

 private:
  std::optional<QPoint> offset_;  ///< pointer position inside the window while dragging by hand
};

}  // namespace q9
