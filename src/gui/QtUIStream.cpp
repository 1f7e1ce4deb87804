#include "gui/QtUIStream.h"

#include <QCursor>
#include <QGuiApplication>
#include <cstring>

#include "gui/SkinWidgets.h"

namespace q9 {

namespace {

class ChildWidget final : public TUIStreamChild {
 public:
  explicit ChildWidget(QWidget& widget) : widget_(widget), button_(qobject_cast<TBitmapStateButton*>(&widget)) {}

  const void* Parent() const override { return widget_.parentWidget(); }
  bool IsBitmapStateButton() const override { return button_ != nullptr; }
  TUIStreamRect BoundsInParent() const override {
    const QRect bounds = widget_.geometry();
    return {static_cast<float>(bounds.left()), static_cast<float>(bounds.top()),
            static_cast<float>(bounds.left() + bounds.width()), static_cast<float>(bounds.top() + bounds.height())};
  }
  void SetStateImage(TButtonState state, const TSkinBitmap& image) override {
    if (button_) button_->SetStateImage(state, ImageFromSkinBitmap(image));
  }
  void Repaint() override { widget_.update(); }

 private:
  QWidget& widget_;
  TBitmapStateButton* button_;
};

}  // namespace

TSkinBitmap SkinBitmapFromImage(const QImage& image) {
  if (image.isNull()) return {};
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  TSkinBitmap bitmap(argb.width(), argb.height());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) bitmap.SetPixel(x, y, row[x]);
  }
  return bitmap;
}

QImage ImageFromSkinBitmap(const TSkinBitmap& bitmap) {
  if (bitmap.Empty()) return {};
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_ARGB32);
  if (image.isNull()) return image;  // no memory for it
  const std::size_t rowBytes = static_cast<std::size_t>(bitmap.Width()) * sizeof(TSkinPixel);
  for (int y = 0; y < bitmap.Height(); ++y)
    std::memcpy(image.scanLine(y), bitmap.Pixels().data() + static_cast<std::size_t>(y) * bitmap.Width(), rowBytes);
  return image;
}

void QtUIStreamWaitCursor::Show() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

void QtUIStreamWaitCursor::Release() { QGuiApplication::restoreOverrideCursor(); }

QtUIStream::QtUIStream() : stream_(&cursor_) {}

void QtUIStream::SetActiveUI(bool value) {
  stream_.SetBoundComponent(bound_.widget ? &bound_ : nullptr);
  stream_.SetActiveUI(value);
}

void QtUIStream::BoundWidget::ForEachChild(const std::function<void(TUIStreamChild&)>& visit) {
  // Every widget below the bound one, so that the stream itself picks the direct children. A
  // handler of a new image may delete widgets; those are passed over.
  QList<QPointer<QWidget>> children;
  for (QWidget* child : widget->findChildren<QWidget*>()) children.append(child);
  for (const QPointer<QWidget>& child : children) {
    if (!child) continue;
    ChildWidget seen(*child);
    visit(seen);
  }
}

}  // namespace q9
