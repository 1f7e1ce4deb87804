#pragma once
// Pointer settings handed on to several backends in turn: on a desktop more than one place keeps
// them (the desktop's settings, the display server, the program's own toolkit).

#include <memory>
#include <vector>

#include "platform/SystemMouseSettings.h"

namespace q9 {

class SystemMouseSettingsChain : public SystemMouseSettings {
 public:
  /// Adds a backend after the others; a null one is left out. Add every backend before the chain
  /// is handed out: the calls read the list from any thread without a lock.
  void Add(std::unique_ptr<SystemMouseSettings> backend);
  std::size_t Size() const { return backends_.size(); }

  void SetAcceleration(const AccelerationParameters& parameters) override;
  void SetPointerSpeed(int speed) override;
  void SetWheelScrollLines(int lines) override;
  void SetDoubleClickTime(int milliseconds) override;

 private:
  std::vector<std::unique_ptr<SystemMouseSettings>> backends_;
};

}  // namespace q9
