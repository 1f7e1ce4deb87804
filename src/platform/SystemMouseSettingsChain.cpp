#include "platform/SystemMouseSettingsChain.h"

namespace q9 {

void SystemMouseSettingsChain::Add(std::unique_ptr<SystemMouseSettings> backend) {
  if (backend) backends_.push_back(std::move(backend));
}

void SystemMouseSettingsChain::SetAcceleration(const AccelerationParameters& parameters) {
  for (const auto& backend : backends_) backend->SetAcceleration(parameters);
}

void SystemMouseSettingsChain::SetPointerSpeed(int speed) {
  for (const auto& backend : backends_) backend->SetPointerSpeed(speed);
}

void SystemMouseSettingsChain::SetWheelScrollLines(int lines) {
  for (const auto& backend : backends_) backend->SetWheelScrollLines(lines);
}

void SystemMouseSettingsChain::SetDoubleClickTime(int milliseconds) {
  for (const auto& backend : backends_) backend->SetDoubleClickTime(milliseconds);
}

}  // namespace q9
