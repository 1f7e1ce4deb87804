#include "gui/FramelessWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace q9 {

void CentreOnOwnerWindow(QWidget& window) {
  const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
  QRect area;
  if (owner && owner->isVisible()) {
    area = owner->frameGeometry();
  } else if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (!area.isValid()) return;
  QRect frame(QPoint(), window.size());
  frame.moveCenter(area.center());
  window.move(frame.topLeft());
}

bool WindowDrag::Press(QWidget& window, const QMouseEvent& event) {
  if (event.button() != Qt::LeftButton) return false;
  if (window.windowHandle() && window.windowHandle()->startSystemMove()) return true;
  offset_ = event.globalPosition().toPoint() - window.frameGeometry().topLeft();
  return true;
}

bool WindowDrag::Move(QWidget& window, const QMouseEvent& event) {
  if (!offset_ || !(event.buttons() & Qt::LeftButton)) return false;
  window.move(event.globalPosition().toPoint() - *offset_);
  return true;
}

}  // namespace q9
