#pragma once
// The system's own pointer settings: acceleration, pointer speed, wheel scroll lines and the
// double-click time. Every call may come from any thread (the pointer settings of an apply are
// handed over on a short-lived worker thread); a backend that must work on one thread forwards.
// A value the system refuses is not reported: the caller has nothing to fall back to.

namespace q9 {

/// The mouse parameters of one acceleration level: the two movement thresholds and the
/// acceleration factor (0 = none, 1 = doubled past the first threshold, 2 = also quadrupled past
/// the second).
struct AccelerationParameters {
  int firstThreshold = 0;
  int secondThreshold = 0;
  int acceleration = 0;
  friend bool operator==(const AccelerationParameters&, const AccelerationParameters&) = default;
};

class SystemMouseSettings {
 public:
  virtual ~SystemMouseSettings() = default;
  virtual void SetAcceleration(const AccelerationParameters& parameters) = 0;
  /// 1 (slowest) .. 20 (fastest); 10 is the system's default.
  virtual void SetPointerSpeed(int speed) = 0;
  virtual void SetWheelScrollLines(int lines) = 0;
  virtual void SetDoubleClickTime(int milliseconds) = 0;
};

}  // namespace q9
