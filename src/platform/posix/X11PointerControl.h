#pragma once
// The X server's pointer control: the acceleration as a factor past a movement threshold. The X
// server keeps no pointer speed, wheel lines or double-click time; those calls do nothing. Every
// call opens its own connection, so any thread may call; without an X server it does nothing.

#include <string>

#include "platform/SystemMouseSettings.h"

namespace q9 {

/// What XChangePointerControl takes: movement past `threshold` pixels is multiplied by
/// numerator / denominator.
struct X11Acceleration {
  int numerator = 1;
  int denominator = 1;
  int threshold = 0;
  friend bool operator==(const X11Acceleration&, const X11Acceleration&) = default;
};

/// X has one stage where the acceleration table may have two: the doubling past the first
/// threshold, or for acceleration 2 the quadrupling past the second. No acceleration is 1/1.
X11Acceleration X11AccelerationOf(const AccelerationParameters& parameters);

class X11PointerControl : public SystemMouseSettings {
 public:
  /// `displayName` empty: the display that DISPLAY names.
  explicit X11PointerControl(std::string displayName = {});

  void SetAcceleration(const AccelerationParameters& parameters) override;
  void SetPointerSpeed(int) override {}
  void SetWheelScrollLines(int) override {}
  void SetDoubleClickTime(int) override {}

 private:
  std::string displayName_;
};

}  // namespace q9
