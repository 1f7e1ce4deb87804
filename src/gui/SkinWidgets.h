#pragma once
// The two widgets a skinned form is built from: a background image that the form's controls sit
// on, and a button drawn entirely from one image per state (normal, pressed, mouse over).

#include <QAbstractButton>
#include <QImage>
#include <QWidget>
#include <array>

#include "components/uistream.h"

namespace q9 {

/// A form's background. With an image it shows the image stretched over its area; without one it
/// paints the window background of the skin.
class TBackgroundImage final : public QWidget {
  Q_OBJECT

 public:
  explicit TBackgroundImage(QWidget* parent = nullptr);

  const QImage& Image() const { return image_; }
  void SetImage(const QImage& image);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

/// A button drawn from its state images: the pressed image while it is down, the hot image while
/// the pointer is over it, otherwise the normal image; a state without an image shows the normal
/// one. The image is drawn over the button's whole area, whatever its pixel size.
class TBitmapStateButton final : public QAbstractButton {
  Q_OBJECT

 public:
  explicit TBitmapStateButton(QWidget* parent = nullptr);

  const QImage& StateImage(TButtonState state) const { return images_[Slot(state)]; }
  void SetStateImage(TButtonState state, const QImage& image);
  /// The image the button shows now.
  const QImage& ShownImage() const;

  QSize sizeHint() const override;

 signals:
  void StateImageChanged(q9::TButtonState state);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  static std::size_t Slot(TButtonState state) { return static_cast<std::size_t>(state); }

  std::array<QImage, 3> images_;
};

}  // namespace q9
