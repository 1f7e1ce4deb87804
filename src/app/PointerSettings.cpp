#include "app/PointerSettings.h"

#include <cstring>

namespace q9 {

void ApplyPointerSettings(const PointerSettingsBlock& block, SystemMouseSettings& settings) {
  if (block.Acceleration < 0 || block.Acceleration >= static_cast<std::int32_t>(AccelerationTable.size())) return;
  settings.SetAcceleration(AccelerationTable[static_cast<std::size_t>(block.Acceleration)]);
  settings.SetPointerSpeed(block.PointerSpeed);
  if (block.WheelScrollLines >= 0) settings.SetWheelScrollLines(block.WheelScrollLines);
}

void ApplyPointerSettingsBuffer(const std::uint8_t* buffer, std::uint32_t size, SystemMouseSettings& settings) {
  if (!buffer || size != sizeof(PointerSettingsBlock)) return;
  PointerSettingsBlock block{};
  std::memcpy(&block, buffer, sizeof block);
  ApplyPointerSettings(block, settings);
}

}  // namespace q9
