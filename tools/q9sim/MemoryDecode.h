#pragma once
// What a memory image of the mouse holds, by name: per memory location and button group the
// button functions (keys by name, macros with their steps), the CPI levels, the light, and the
// report interval, current profile and active location.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>

#include "SimulatedMouse.h"

namespace q9 {

/// Decodes a memory image (64 KiB) and, when known, the mouse's state.
nlohmann::json DecodeMemory(std::span<const std::uint8_t> memory, const std::optional<SimulatedMouse::State>& state);
/// The readable form of DecodeMemory's result.
void PrintDecodedMemory(std::ostream& out, const nlohmann::json& decoded);

/// The name of a keyboard usage (HID page 7) or, with `consumer`, of a consumer-page usage.
std::string HidUsageName(int usage, bool consumer);

}  // namespace q9
