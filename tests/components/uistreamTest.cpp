#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "components/uistream.h"

namespace q9 {
namespace {

// A skin whose every pixel tells where it is: 0xFF, then x, then y, then the state's tag.
TSkinBitmap Skin(int width, int height, std::uint8_t tag) {
  TSkinBitmap skin(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) skin.SetPixel(x, y, 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | tag);
  return skin;
}

// The region of `skin` from (left, top), width × height, pixel for pixel.
TSkinBitmap Region(const TSkinBitmap& skin, int left, int top, int width, int height) {
  TSkinBitmap region(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) region.SetPixel(x, y, skin.Pixel(left + x, top + y));
  return region;
}

struct FakeButton : TUIStreamChild {
  FakeButton(const void* parent, TUIStreamRect bounds, bool bitmapState = true)
      : parent(parent), bounds(bounds), bitmapState(bitmapState) {}
  const void* Parent() const override { return parent; }
  bool IsBitmapStateButton() const override { return bitmapState; }
  TUIStreamRect BoundsInParent() const override { return bounds; }
  void SetStateImage(TButtonState state, const TSkinBitmap& image) override {
    if (failOnImage) throw std::runtime_error("no memory for the image");
    images[state] = image;
  }
  void Repaint() override { ++repaints; }

  const void* parent;
  TUIStreamRect bounds;
  bool bitmapState;
  bool failOnImage = false;
  std::map<TButtonState, TSkinBitmap> images;
  int repaints = 0;
};

struct FakeBound : TUIStreamBoundComponent {
  explicit FakeBound(float width) : width(width) {}
  const void* Identity() const override { return this; }
  float Width() const override { return width; }
  void ForEachChild(const std::function<void(TUIStreamChild&)>& visit) override {
    for (auto& child : children) visit(*child);
  }
  FakeButton& Add(TUIStreamRect bounds, bool bitmapState = true, const void* parent = nullptr) {
    children.push_back(std::make_unique<FakeButton>(parent ? parent : this, bounds, bitmapState));
    return *children.back();
  }

  float width;
  std::vector<std::unique_ptr<FakeButton>> children;
};

struct CountingCursor : TUIStreamWaitCursor {
  void Show() override {
    ++shows;
    ++depth;
  }
  void Release() override { --depth; }
  int shows = 0;
  int depth = 0;
};

class UIStreamTest : public ::testing::Test {
 protected:
  UIStreamTest() : stream(&cursor) { stream.SetBoundComponent(&bound); }
  void Cut() { stream.SetActiveUI(false); }

  CountingCursor cursor;
  FakeBound bound{100};
  TUIStream stream;
};

TEST_F(UIStreamTest, SkinsAsWideAsTheComponentGiveEachButtonTheRegionUnderIt) {
  const TSkinBitmap normal = Skin(100, 60, 1), down = Skin(100, 60, 2), hot = Skin(100, 60, 3);
  stream.SetBitmap(normal);
  stream.SetBitmapDown(down);
  stream.SetBitmapHot(hot);
  FakeButton& ok = bound.Add({10, 20, 40, 35});
  FakeButton& cancel = bound.Add({50, 5, 95, 55});
  Cut();
  EXPECT_EQ(stream.UIRate(), 1.0f);
  EXPECT_EQ(stream.BoundComponentWidth(), 100.0f);
  EXPECT_EQ(stream.UIBackgroundBitmapWidth(), 100.0f);
  EXPECT_EQ(ok.images.at(TButtonState::Normal), Region(normal, 10, 20, 30, 15));
  EXPECT_EQ(ok.images.at(TButtonState::Down), Region(down, 10, 20, 30, 15));
  EXPECT_EQ(ok.images.at(TButtonState::Hot), Region(hot, 10, 20, 30, 15));
  EXPECT_EQ(cancel.images.at(TButtonState::Hot), Region(hot, 50, 5, 45, 50));
  EXPECT_EQ(ok.repaints, 3);
  EXPECT_TRUE(stream.ActiveUI());
}

TEST_F(UIStreamTest, SkinsTwiceAsWideCutARegionTwiceTheButtonsSize) {
  const TSkinBitmap normal = Skin(200, 120, 1);
  stream.SetBitmap(normal);
  FakeButton& button = bound.Add({10, 20, 40, 35});
  Cut();
  EXPECT_EQ(stream.UIRate(), 2.0f);
  EXPECT_EQ(button.images.at(TButtonState::Normal), Region(normal, 20, 40, 60, 30));
  EXPECT_EQ(button.images.size(), 1u);
}

TEST_F(UIStreamTest, AFractionalRateRoundsTheSizeAndTakesThePixelUnderEachCentre) {
  stream.SetBitmap(Skin(150, 90, 1));
  FakeButton& button = bound.Add({1, 1, 4, 4});
  Cut();
  ASSERT_EQ(stream.UIRate(), 1.5f);
  // Scaled: 1.5 .. 6 in both directions, 4.5 pixels rounded to 5; centres at 1.95, 2.85 ... 5.55.
  const TSkinBitmap& image = button.images.at(TButtonState::Normal);
  ASSERT_EQ(image.Width(), 5);
  ASSERT_EQ(image.Height(), 5);
  EXPECT_EQ(image, Region(stream.Bitmap(), 1, 1, 5, 5));
}

TEST_F(UIStreamTest, TheRateComesFromTheFirstSkinThatIsNotEmpty) {
  stream.SetBitmapHot(Skin(200, 120, 3));
  FakeButton& button = bound.Add({10, 10, 20, 20});
  Cut();
  EXPECT_EQ(stream.UIBackgroundBitmapWidth(), 200.0f);
  EXPECT_EQ(stream.UIRate(), 2.0f);
  ASSERT_EQ(button.images.size(), 1u);
  EXPECT_EQ(button.images.at(TButtonState::Hot), Region(stream.BitmapHot(), 20, 20, 20, 20));

  // The normal skin, when there is one, decides even when a later one is wider.
  stream.SetBitmap(Skin(50, 30, 1));
  Cut();
  EXPECT_EQ(stream.UIRate(), 0.5f);
}

TEST_F(UIStreamTest, WithoutSkinsOrWidthTheRateIsOne) {
  bound.Add({10, 10, 20, 20});
  stream.SetBitmapDown(Skin(300, 10, 2));
  FakeBound flat(0);
  FakeButton& button = flat.Add({0, 0, 10, 10});
  stream.SetBoundComponent(&flat);
  Cut();
  EXPECT_EQ(stream.UIRate(), 1.0f);
  EXPECT_EQ(button.images.at(TButtonState::Down), Region(stream.BitmapDown(), 0, 0, 10, 10));

  TUIStream empty;
  empty.SetBoundComponent(&bound);
  empty.SetActiveUI(false);
  EXPECT_EQ(empty.UIRate(), 1.0f);
  EXPECT_EQ(empty.UIBackgroundBitmapWidth(), 0.0f);
  EXPECT_EQ(empty.BoundComponentWidth(), 100.0f);
  EXPECT_TRUE(bound.children[0]->images.empty());
}

TEST_F(UIStreamTest, OnlyBitmapStateButtonsThatAreDirectChildrenAreCut) {
  stream.SetBitmap(Skin(100, 60, 1));
  FakeButton& plain = bound.Add({0, 0, 20, 20}, false);
  int grandparent = 0;
  FakeButton& nested = bound.Add({0, 0, 20, 20}, true, &grandparent);
  FakeButton& direct = bound.Add({0, 0, 20, 20});
  Cut();
  EXPECT_TRUE(plain.images.empty());
  EXPECT_EQ(plain.repaints, 0);
  EXPECT_TRUE(nested.images.empty());
  EXPECT_EQ(nested.repaints, 0);
  EXPECT_EQ(direct.images.size(), 1u);
}

TEST_F(UIStreamTest, ButtonsOfOnePixelOrLessKeepTheirImages) {
  stream.SetBitmap(Skin(100, 60, 1));
  FakeButton& thin = bound.Add({10, 10, 11, 40});
  FakeButton& flat = bound.Add({10, 10, 40, 11.4f});
  FakeButton& inverted = bound.Add({40, 40, 10, 10});
  FakeButton& justTwo = bound.Add({10, 10, 11.6f, 11.5f});
  const TSkinBitmap earlier(5, 5, 0xFF123456);
  thin.images[TButtonState::Normal] = earlier;
  Cut();
  EXPECT_EQ(thin.images.at(TButtonState::Normal), earlier);
  EXPECT_TRUE(flat.images.empty());
  EXPECT_TRUE(inverted.images.empty());
  EXPECT_EQ(thin.repaints + flat.repaints + inverted.repaints, 0);
  EXPECT_EQ(justTwo.images.at(TButtonState::Normal).Width(), 2);
}

TEST_F(UIStreamTest, APartOutsideTheSkinIsTransparent) {
  // Every pixel vector is exactly as large as its bitmap, so a read outside it shows under the
  // address sanitizer; the values show it in any build.
  const TSkinBitmap skin = Skin(100, 60, 1);
  stream.SetBitmap(skin);
  FakeButton& corner = bound.Add({90, 50, 110, 70});
  FakeButton& beforeTheStart = bound.Add({-5, -3, 5, 7});
  FakeButton& beyond = bound.Add({200, 200, 210, 210});
  Cut();
  const TSkinBitmap& image = corner.images.at(TButtonState::Normal);
  ASSERT_EQ(image.Pixels().size(), 400u);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(image.Pixel(x, y), x < 10 && y < 10 ? skin.Pixel(90 + x, 50 + y) : 0u) << x << "," << y;
  const TSkinBitmap& before = beforeTheStart.images.at(TButtonState::Normal);
  EXPECT_EQ(before.Pixel(4, 2), 0u);
  EXPECT_EQ(before.Pixel(5, 2), 0u);
  EXPECT_EQ(before.Pixel(4, 3), 0u);
  EXPECT_EQ(before.Pixel(5, 3), skin.Pixel(0, 0));
  EXPECT_EQ(beyond.images.at(TButtonState::Normal), TSkinBitmap(10, 10, 0));
}

TEST_F(UIStreamTest, OnlyWritingFalseWhileTrueCuts) {
  stream.SetBitmap(Skin(100, 60, 1));
  FakeButton& button = bound.Add({0, 0, 20, 20});
  stream.SetActiveUI(true);
  EXPECT_TRUE(button.images.empty());
  EXPECT_EQ(cursor.shows, 0);
  EXPECT_EQ(stream.UIRate(), 1.0f);
  EXPECT_EQ(stream.BoundComponentWidth(), 0.0f);

  // A button that asks for another cut while it is given its image does not start one.
  struct Reentrant : FakeButton {
    using FakeButton::FakeButton;
    void Repaint() override {
      ++repaints;
      stream->SetActiveUI(false);
    }
    TUIStream* stream = nullptr;
  };
  auto reentrant = std::make_unique<Reentrant>(&bound, TUIStreamRect{0, 0, 20, 20});
  reentrant->stream = &stream;
  Reentrant& again = *reentrant;
  bound.children.push_back(std::move(reentrant));
  Cut();
  EXPECT_EQ(again.repaints, 1);
  EXPECT_EQ(cursor.shows, 1);
  EXPECT_TRUE(stream.ActiveUI());
}

TEST_F(UIStreamTest, WithoutABoundComponentNothingHappens) {
  stream.SetBitmap(Skin(100, 60, 1));
  stream.SetBoundComponent(nullptr);
  Cut();
  EXPECT_EQ(cursor.shows, 0);
  EXPECT_EQ(stream.BoundComponentWidth(), 0.0f);
  EXPECT_TRUE(stream.ActiveUI());
}

TEST_F(UIStreamTest, AFailingCutReleasesTheWaitCursorAndCanRunAgain) {
  stream.SetBitmap(Skin(100, 60, 1));
  FakeButton& button = bound.Add({0, 0, 20, 20});
  button.failOnImage = true;
  cursor.Show();  // an outer holder of the wait cursor
  EXPECT_THROW(Cut(), std::runtime_error);
  EXPECT_EQ(cursor.depth, 1);
  EXPECT_TRUE(stream.ActiveUI());
  button.failOnImage = false;
  Cut();
  EXPECT_EQ(cursor.shows, 3);
  EXPECT_EQ(cursor.depth, 1);
  EXPECT_EQ(button.images.size(), 1u);
}

TEST(SkinBitmap, CopiesAreIndependentAndBadSizesAreEmpty) {
  TSkinBitmap original(3, 2, 0xFF00FF00);
  TUIStream stream;
  stream.SetBitmap(original);
  original.SetPixel(0, 0, 0);
  EXPECT_EQ(stream.Bitmap().Pixel(0, 0), 0xFF00FF00u);
  EXPECT_TRUE(TSkinBitmap(-3, 5).Empty());
  EXPECT_TRUE(TSkinBitmap(3, 0).Empty());
  EXPECT_EQ(TSkinBitmap(0, 7).Height(), 0);
}

TEST(CutSkin, RefusesRectanglesThatAreNoNumbersOrAbsurdlyLarge) {
  const TSkinBitmap skin(10, 10, 0xFFFFFFFF);
  EXPECT_FALSE(CutSkin(skin, {0, 0, std::numeric_limits<float>::infinity(), 10}, 1));
  EXPECT_FALSE(CutSkin(skin, {0, 0, std::numeric_limits<float>::quiet_NaN(), 10}, 1));
  EXPECT_FALSE(CutSkin(skin, {0, 0, 10, 10}, std::numeric_limits<float>::quiet_NaN()));
  EXPECT_FALSE(CutSkin(skin, {0, 0, 1e9f, 10}, 1));
  EXPECT_TRUE(CutSkin(skin, {0, 0, 10, 10}, 1));
}

}  // namespace
}  // namespace q9
