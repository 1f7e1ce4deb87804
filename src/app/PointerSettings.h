#pragma once
// The pointer settings of a profile as they go to the system: the block an apply hands to its
// worker thread, the mouse parameters of the four acceleration levels, and the routine the worker
// runs with them.

#include <array>
#include <cstdint>

#include "platform/SystemMouseSettings.h"

namespace q9 {

/// Pointer speed, wheel scroll lines and acceleration level, handed to the worker that applies them.
struct PointerSettingsBlock {
  std::int32_t PointerSpeed;
  std::int32_t WheelScrollLines;
  std::int32_t Acceleration;
};
static_assert(sizeof(PointerSettingsBlock) == 12);

/// The mouse parameters of acceleration levels 0 "None", 1 "Low", 2 "Middle" and 3 "High".
inline constexpr std::array<AccelerationParameters, 4> AccelerationTable{{
    {0, 0, 0},
    {7, 0, 1},
    {4, 6, 2},
    {4, 0, 1},
}};

/// Hands the block to the system in this order: the acceleration level's parameters, the pointer
/// speed, the wheel scroll lines. A level outside the table changes nothing at all (the block is
/// damaged); a negative number of lines leaves the wheel as it is.
void ApplyPointerSettings(const PointerSettingsBlock& block, SystemMouseSettings& settings);

/// The same from the private copy of a worker thread: a buffer of another size than the block's
/// changes nothing.
void ApplyPointerSettingsBuffer(const std::uint8_t* buffer, std::uint32_t size, SystemMouseSettings& settings);

}  // namespace q9
