#include "components/uistream.h"

#include <array>
#include <cmath>
#include <utility>

namespace q9 {

namespace {

// Holds the wait cursor for one scope, whatever way the scope is left.
class WaitCursorHold {
 public:
  explicit WaitCursorHold(TUIStreamWaitCursor* cursor) : cursor_(cursor) {
    if (cursor_) cursor_->Show();
  }
  ~WaitCursorHold() {
    if (cursor_) cursor_->Release();
  }
  WaitCursorHold(const WaitCursorHold&) = delete;
  WaitCursorHold& operator=(const WaitCursorHold&) = delete;

 private:
  TUIStreamWaitCursor* cursor_;
};

// Sets a flag back to true when the scope is left.
class Rearm {
 public:
  explicit Rearm(bool& flag) : flag_(flag) {}
  ~Rearm() { flag_ = true; }
  Rearm(const Rearm&) = delete;
  Rearm& operator=(const Rearm&) = delete;

 private:
  bool& flag_;
};

// Wider or higher than this many pixels, a cut image is taken as a sign of a wrong rate or
// rectangle rather than allocated.
constexpr double kLargestSide = 1 << 15;

}  // namespace

TSkinBitmap::TSkinBitmap(int width, int height, TSkinPixel fill) {
  if (width <= 0 || height <= 0) return;
  FWidth = width;
  FHeight = height;
  FPixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

std::optional<TSkinBitmap> CutSkin(const TSkinBitmap& skin, const TUIStreamRect& bounds, float rate) {
  const double left = static_cast<double>(bounds.Left) * rate;
  const double top = static_cast<double>(bounds.Top) * rate;
  const double spanX = static_cast<double>(bounds.Right) * rate - left;
  const double spanY = static_cast<double>(bounds.Bottom) * rate - top;
  if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(spanX) || !std::isfinite(spanY)) return std::nullopt;
  const double roundedWidth = std::round(spanX);
  const double roundedHeight = std::round(spanY);
  if (roundedWidth <= 1 || roundedHeight <= 1 || roundedWidth > kLargestSide || roundedHeight > kLargestSide)
    return std::nullopt;
  const int width = static_cast<int>(roundedWidth);
  const int height = static_cast<int>(roundedHeight);
  const double stepX = spanX / width;
  const double stepY = spanY / height;
  TSkinBitmap image(width, height);
  for (int y = 0; y < height; ++y) {
    const double sourceY = std::floor(top + (y + 0.5) * stepY);
    for (int x = 0; x < width; ++x) {
      const double sourceX = std::floor(left + (x + 0.5) * stepX);
      if (sourceX < 0 || sourceY < 0 || sourceX >= skin.Width() || sourceY >= skin.Height()) continue;
      image.SetPixel(x, y, skin.Pixel(static_cast<int>(sourceX), static_cast<int>(sourceY)));
    }
  }
  return image;
}

void TUIStream::SetActiveUI(bool value) {
  if (value || !FActiveUI) return;
  FActiveUI = false;
  Rearm rearm(FActiveUI);
  Cut();
}

void TUIStream::Cut() {
  if (!FBoundComponent) return;
  WaitCursorHold wait(FWaitCursor);
  MeasureRate();
  const void* bound = FBoundComponent->Identity();
  FBoundComponent->ForEachChild([&](TUIStreamChild& child) {
    if (child.IsBitmapStateButton() && child.Parent() == bound) SkinButton(child);
  });
}

void TUIStream::MeasureRate() {
  FBoundComponentWidth = FBoundComponent->Width();
  FUIBackgroundBitmapWidth = 0;
  for (const TSkinBitmap* skin : {&FBitmap, &FBitmapDown, &FBitmapHot}) {
    if (skin->Empty()) continue;
    FUIBackgroundBitmapWidth = static_cast<float>(skin->Width());
    break;
  }
  FUIRate = 1;
  if (FUIBackgroundBitmapWidth > 0 && FBoundComponentWidth > 0) {
    const float quotient = FUIBackgroundBitmapWidth / FBoundComponentWidth;
    if (quotient != 0 && std::isfinite(quotient)) FUIRate = quotient;
  }
}

void TUIStream::SkinButton(TUIStreamChild& button) {
  const std::array<std::pair<TButtonState, const TSkinBitmap*>, 3> skins{
      {{TButtonState::Normal, &FBitmap}, {TButtonState::Down, &FBitmapDown}, {TButtonState::Hot, &FBitmapHot}}};
  const TUIStreamRect bounds = button.BoundsInParent();
  for (const auto& [state, skin] : skins) {
    if (skin->Empty()) continue;
    std::optional<TSkinBitmap> image = CutSkin(*skin, bounds, FUIRate);
    if (!image) continue;
    button.SetStateImage(state, *image);
    button.Repaint();
  }
}

}  // namespace q9
