#pragma once
// TUIStream: a form-design tool that cuts a dialog's skin into button images. The dialog is one
// background component (the bound component) with bitmap-state buttons on it; the stream holds the
// whole skin once per button state and, when a designer writes ActiveUI := false, gives every
// bitmap-state button that is a direct child of the bound component the part of each skin under it.
//
// The bound component, its children and the wait cursor are reached through the small interfaces
// below, so the cut itself knows nothing of the window toolkit.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace q9 {

/// A pixel as 0xAARRGGBB, not premultiplied.
using TSkinPixel = std::uint32_t;
static_assert(sizeof(TSkinPixel) == 4);

/// A width × height image of TSkinPixel, rows top to bottom. A bitmap is empty, or holds exactly
/// Width() * Height() pixels.
class TSkinBitmap {
 public:
  TSkinBitmap() = default;
  /// A bitmap of `width` × `height` pixels of `fill`; empty when either side is 0 or less.
  TSkinBitmap(int width, int height, TSkinPixel fill = 0);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FPixels.empty(); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }
  /// The pixel at (x, y); the point must lie inside the bitmap.
  TSkinPixel Pixel(int x, int y) const { return FPixels[Index(x, y)]; }
  void SetPixel(int x, int y, TSkinPixel value) { FPixels[Index(x, y)] = value; }
  const std::vector<TSkinPixel>& Pixels() const { return FPixels; }

  friend bool operator==(const TSkinBitmap&, const TSkinBitmap&) = default;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(x);
  }

  int FWidth = 0;
  int FHeight = 0;
  std::vector<TSkinPixel> FPixels;
};

/// A rectangle in a component's coordinates: left and top inside, right and bottom outside.
struct TUIStreamRect {
  float Left = 0;
  float Top = 0;
  float Right = 0;
  float Bottom = 0;
};

/// The three images of a bitmap-state button.
enum class TButtonState { Normal, Down, Hot };

/// A child of the bound component as the stream sees it.
class TUIStreamChild {
 public:
  virtual ~TUIStreamChild() = default;
  /// The identity of the child's parent, to compare with TUIStreamBoundComponent::Identity().
  virtual const void* Parent() const = 0;
  virtual bool IsBitmapStateButton() const = 0;
  /// The child's rectangle in its parent's coordinates.
  virtual TUIStreamRect BoundsInParent() const = 0;
  virtual void SetStateImage(TButtonState state, const TSkinBitmap& image) = 0;
  virtual void Repaint() = 0;
};

/// The background component whose child buttons are skinned.
class TUIStreamBoundComponent {
 public:
  virtual ~TUIStreamBoundComponent() = default;
  virtual const void* Identity() const = 0;
  virtual float Width() const = 0;
  /// Calls `visit` for every child, also for children of children, in child order.
  virtual void ForEachChild(const std::function<void(TUIStreamChild&)>& visit) = 0;
};

/// The wait cursor. Show and Release come in pairs and nest: the first Show keeps the current
/// cursor, the last Release brings it back.
class TUIStreamWaitCursor {
 public:
  virtual ~TUIStreamWaitCursor() = default;
  virtual void Show() = 0;
  virtual void Release() = 0;
};

/// The part of `skin` under `bounds` scaled by `rate`, as the image of a button: the scaled
/// rectangle's width and height rounded to whole pixels, each pixel the skin pixel under its centre
/// (nearest neighbour), transparent where that lies outside the skin. nullopt when the image would
/// be 1 pixel or less wide or high, or when the rectangle or the rate is not a finite number.
std::optional<TSkinBitmap> CutSkin(const TSkinBitmap& skin, const TUIStreamRect& bounds, float rate);

class TUIStream {
 public:
  /// `waitCursor` (optional, not owned) is shown while a cut runs.
  explicit TUIStream(TUIStreamWaitCursor* waitCursor = nullptr) : FWaitCursor(waitCursor) {}
  TUIStream(const TUIStream&) = delete;
  TUIStream& operator=(const TUIStream&) = delete;

  /// True at rest. Writing false while it is true runs the cut and makes it true again, also when
  /// the cut fails (the failure goes on to the caller); writing true changes nothing.
  bool ActiveUI() const { return FActiveUI; }
  void SetActiveUI(bool value);

  /// Not owned; null for none.
  TUIStreamBoundComponent* BoundComponent() const { return FBoundComponent; }
  void SetBoundComponent(TUIStreamBoundComponent* value) { FBoundComponent = value; }

  const TSkinBitmap& Bitmap() const { return FBitmap; }
  void SetBitmap(const TSkinBitmap& value) { FBitmap = value; }
  const TSkinBitmap& BitmapDown() const { return FBitmapDown; }
  void SetBitmapDown(const TSkinBitmap& value) { FBitmapDown = value; }
  const TSkinBitmap& BitmapHot() const { return FBitmapHot; }
  void SetBitmapHot(const TSkinBitmap& value) { FBitmapHot = value; }

  /// The bound component's width, the skin's width and skin pixels per component unit, all as
  /// found by the last cut.
  float BoundComponentWidth() const { return FBoundComponentWidth; }
  float UIBackgroundBitmapWidth() const { return FUIBackgroundBitmapWidth; }
  float UIRate() const { return FUIRate; }

 private:
  void Cut();
  void MeasureRate();
  void SkinButton(TUIStreamChild& button);

  TUIStreamBoundComponent* FBoundComponent = nullptr;
  float FBoundComponentWidth = 0;
  float FUIBackgroundBitmapWidth = 0;
  float FUIRate = 1;
  bool FActiveUI = true;
  TSkinBitmap FBitmap;
  TSkinBitmap FBitmapDown;
  TSkinBitmap FBitmapHot;
  TUIStreamWaitCursor* FWaitCursor;
};

}  // namespace q9
