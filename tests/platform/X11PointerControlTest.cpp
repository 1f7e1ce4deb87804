// The X server's pointer control, read back from the server (a virtual X server under ctest).

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "TestSupport.h"
#include "platform/posix/X11PointerControl.h"

// Last: Xlib's macros (None, Bool, True) clash with names in the headers above.
#include <X11/Xlib.h>

namespace q9 {
namespace {

TEST(X11AccelerationTest, TableLevelsBecomeOneFactorPastOneThreshold) {
  EXPECT_EQ(X11AccelerationOf({0, 0, 0}), (X11Acceleration{1, 1, 0}));
  EXPECT_EQ(X11AccelerationOf({7, 0, 1}), (X11Acceleration{2, 1, 7}));
  EXPECT_EQ(X11AccelerationOf({4, 6, 2}), (X11Acceleration{4, 1, 6}));
  EXPECT_EQ(X11AccelerationOf({4, 0, 1}), (X11Acceleration{2, 1, 4}));
  // Values the server would answer with an error that ends the program.
  EXPECT_EQ(X11AccelerationOf({-3, 0, 1}), (X11Acceleration{2, 1, 0}));
  EXPECT_EQ(X11AccelerationOf({4, -5, 2}), (X11Acceleration{4, 1, 0}));
  EXPECT_EQ(X11AccelerationOf({4, 6, 9}), (X11Acceleration{4, 1, 6}));
  EXPECT_EQ(X11AccelerationOf({4, 6, -1}), (X11Acceleration{1, 1, 0}));
}

class X11PointerControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    display_ = XOpenDisplay(nullptr);
    if (!display_) GTEST_SKIP() << "the X server " << name << " does not answer";
    saved_ = Current();
  }
  void TearDown() override {
    if (!display_) return;
    XChangePointerControl(display_, True, True, saved_.numerator, saved_.denominator, saved_.threshold);
    XCloseDisplay(display_);
  }
  X11Acceleration Current() const {
    X11Acceleration current;
    XGetPointerControl(display_, &current.numerator, &current.denominator, &current.threshold);
    return current;
  }

  Display* display_ = nullptr;
  X11Acceleration saved_;
};

TEST_F(X11PointerControlTest, LevelsReadBackFromTheServer) {
  X11PointerControl control;
  control.SetAcceleration({4, 6, 2});
  EXPECT_EQ(Current(), (X11Acceleration{4, 1, 6}));
  control.SetAcceleration({7, 0, 1});
  EXPECT_EQ(Current(), (X11Acceleration{2, 1, 7}));
  control.SetAcceleration({0, 0, 0});
  EXPECT_EQ(Current(), (X11Acceleration{1, 1, 0}));
}

TEST_F(X11PointerControlTest, NamedDisplayAndWorkerThread) {
  X11PointerControl control(DisplayString(display_));
  std::thread worker([&] { control.SetAcceleration({4, 0, 1}); });
  worker.join();
  EXPECT_EQ(Current(), (X11Acceleration{2, 1, 4}));
}

TEST_F(X11PointerControlTest, WithoutAServerNothingChangesAndNothingFails) {
  X11PointerControl(DisplayString(display_)).SetAcceleration({7, 0, 1});
  {
    const test::ScopedEnv noDisplay("DISPLAY", nullptr);
    X11PointerControl().SetAcceleration({4, 6, 2});
  }
  X11PointerControl unreachable(":97531");
  unreachable.SetAcceleration({4, 6, 2});
  unreachable.SetPointerSpeed(20);
  unreachable.SetWheelScrollLines(3);
  unreachable.SetDoubleClickTime(300);
  EXPECT_EQ(Current(), (X11Acceleration{2, 1, 7}));
}

}  // namespace
}  // namespace q9
