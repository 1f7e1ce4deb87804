#include "gui/SkinWidgets.h"

#include <QPainter>

#include "gui/Skin.h"

namespace q9 {

TBackgroundImage::TBackgroundImage(QWidget* parent) : QWidget(parent) {}

void TBackgroundImage::SetImage(const QImage& image) {
  image_ = image;
  update();
}

void TBackgroundImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) {
    painter.setRenderHint(QPainter::Antialiasing);
    skin::PaintWindowBackground(painter, rect());
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), image_);
}

TBitmapStateButton::TBitmapStateButton(QWidget* parent) : QAbstractButton(parent) {
  setAttribute(Qt::WA_Hover);
}

void TBitmapStateButton::SetStateImage(TButtonState state, const QImage& image) {
  images_[Slot(state)] = image;
  updateGeometry();
  update();
  emit StateImageChanged(state);
}

const QImage& TBitmapStateButton::ShownImage() const {
  const QImage& normal = StateImage(TButtonState::Normal);
  if (isDown() && !StateImage(TButtonState::Down).isNull()) return StateImage(TButtonState::Down);
  if (underMouse() && !StateImage(TButtonState::Hot).isNull()) return StateImage(TButtonState::Hot);
  return normal;
}

QSize TBitmapStateButton::sizeHint() const {
  const QImage& normal = StateImage(TButtonState::Normal);
  if (normal.isNull()) return QAbstractButton::sizeHint();
  return (QSizeF(normal.size()) / normal.devicePixelRatio()).toSize();
}

void TBitmapStateButton::paintEvent(QPaintEvent*) {
  const QImage& image = ShownImage();
  if (image.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), image);
}

void TBitmapStateButton::enterEvent(QEnterEvent* event) {
  update();
  QAbstractButton::enterEvent(event);
}

void TBitmapStateButton::leaveEvent(QEvent* event) {
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace q9
