#pragma once
// Windows' own mouse settings through SystemParametersInfoW and SetDoubleClickTime. Every change is
// stored in the user's profile and broadcast to the running programs. Both calls are safe from any
// thread.

#include "platform/SystemMouseSettings.h"

namespace q9 {

class WinSystemMouseSettings : public SystemMouseSettings {
 public:
  void SetAcceleration(const AccelerationParameters& parameters) override;
  void SetPointerSpeed(int speed) override;
  void SetWheelScrollLines(int lines) override;
  void SetDoubleClickTime(int milliseconds) override;
};

}  // namespace q9
