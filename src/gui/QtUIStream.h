#pragma once
// TUIStream over widgets: the bound component is a QWidget (usually a TBackgroundImage), its
// bitmap-state buttons are the TBitmapStateButton widgets placed directly on it, the skins are
// QImages and the wait cursor is the application's override cursor.

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "components/uistream.h"

namespace q9 {

/// The image's pixels as 0xAARRGGBB, not premultiplied; a null image gives an empty bitmap.
TSkinBitmap SkinBitmapFromImage(const QImage& image);
/// The bitmap as a QImage in Format_ARGB32; an empty bitmap gives a null image.
QImage ImageFromSkinBitmap(const TSkinBitmap& bitmap);

/// The wait cursor as an override cursor; Qt's cursor stack nests it.
class QtUIStreamWaitCursor final : public TUIStreamWaitCursor {
 public:
  void Show() override;
  void Release() override;
};

class QtUIStream {
 public:
  QtUIStream();
  QtUIStream(const QtUIStream&) = delete;
  QtUIStream& operator=(const QtUIStream&) = delete;

  /// Not owned. A widget destroyed after it was set counts as none.
  QWidget* BoundComponent() const { return bound_.widget; }
  void SetBoundComponent(QWidget* widget) { bound_.widget = widget; }

  /// See TUIStream::SetActiveUI: writing false runs the cut.
  bool ActiveUI() const { return stream_.ActiveUI(); }
  void SetActiveUI(bool value);

  QImage Bitmap() const { return ImageFromSkinBitmap(stream_.Bitmap()); }
  void SetBitmap(const QImage& image) { stream_.SetBitmap(SkinBitmapFromImage(image)); }
  QImage BitmapDown() const { return ImageFromSkinBitmap(stream_.BitmapDown()); }
  void SetBitmapDown(const QImage& image) { stream_.SetBitmapDown(SkinBitmapFromImage(image)); }
  QImage BitmapHot() const { return ImageFromSkinBitmap(stream_.BitmapHot()); }
  void SetBitmapHot(const QImage& image) { stream_.SetBitmapHot(SkinBitmapFromImage(image)); }

  float BoundComponentWidth() const { return stream_.BoundComponentWidth(); }
  float UIBackgroundBitmapWidth() const { return stream_.UIBackgroundBitmapWidth(); }
  float UIRate() const { return stream_.UIRate(); }

 private:
  class BoundWidget final : public TUIStreamBoundComponent {
   public:
    const void* Identity() const override { return widget.data(); }
    float Width() const override { return static_cast<float>(widget->width()); }
    void ForEachChild(const std::function<void(TUIStreamChild&)>& visit) override;

    QPointer<QWidget> widget;
  };

  QtUIStreamWaitCursor cursor_;
  BoundWidget bound_;
  TUIStream stream_;
};

}  // namespace q9
