#pragma once
// Pointer settings that record every call, in order, for the tests of the window and the apply.

#include <mutex>
#include <string>
#include <vector>

#include "platform/SystemMouseSettings.h"

namespace q9 {

class FakeSystemMouseSettings : public SystemMouseSettings {
 public:
  struct Call {
    enum Kind { Acceleration, PointerSpeed, WheelScrollLines, DoubleClickTime } kind;
    AccelerationParameters parameters;  ///< Acceleration only
    int value = 0;                      ///< the other three
  };

  void SetAcceleration(const AccelerationParameters& parameters) override { Record({Call::Acceleration, parameters, 0}); }
  void SetPointerSpeed(int speed) override { Record({Call::PointerSpeed, {}, speed}); }
  void SetWheelScrollLines(int lines) override { Record({Call::WheelScrollLines, {}, lines}); }
  void SetDoubleClickTime(int milliseconds) override { Record({Call::DoubleClickTime, {}, milliseconds}); }

  std::vector<Call> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  /// The calls of one kind, oldest first.
  std::vector<Call> CallsOf(Call::Kind kind) const {
    std::vector<Call> found;
    for (const Call& call : Calls())
      if (call.kind == kind) found.push_back(call);
    return found;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }

 private:
  void Record(const Call& call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
  }

  mutable std::mutex mutex_;  // the worker thread of an apply records too
  std::vector<Call> calls_;
};

}  // namespace q9
