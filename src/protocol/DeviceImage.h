#pragma once
// A game profile as the mouse holds it: four button tables (groups plain, Alt+, Ctrl+, Shift+),
// one macro image, a sensitivity record and a light record, plus the report interval byte. Every
// conversion is a pure function of one profile. A value that does not fit its byte (or a profile
// the mouse has no room for) is a DeviceImageError, so damaged data is never sent.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/ProfileRecords.h"
#include "protocol/CommandFrame.h"

namespace q9 {

class DeviceImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using SensitivityRecord = std::array<std::uint8_t, kSensitivityRecordSize>;
using LightRecord = std::array<std::uint8_t, kLightRecordSize>;
using MacroStep = std::array<std::uint8_t, 3>;

/// Device function codes of TBUTTONFUNCINFO::nDeviceCode that carry parameters.
enum DeviceCode : int {
  kDeviceCodeParam11 = 11,
  kDeviceCodeParam12 = 12,
  kDeviceCodeMedia = 14,
  kDeviceCodeCombo = 15,
  kDeviceCodeSingleKey = 16,
  kDeviceCodeMacro = 17,
  kDeviceCodeFireKey = 18,
};

/// Macro step kind the image adds after a looping macro.
inline constexpr std::uint8_t kMacroStepLoop = 7;
inline constexpr int kMacrosPerDeviceGroup = 5;

/// n / 10 rounded to the nearest integer, halves to the even neighbour.
std::uint32_t DivideBy10HalfEven(std::uint32_t n);

/// One 3-byte step; a State other than 0 or 1 gives three zero bytes.
MacroStep EncodeMacroStep(std::uint16_t Type, std::uint16_t State, std::uint8_t Lo, std::uint8_t Hi);

/// The macro indexes of the group's macro buttons, in button order, each once (at most five).
std::vector<int> GroupMacroList(const TMouseProfileInfoEasyShiftEx& Profile, int Group);

ButtonTables BuildButtonTables(const TMouseProfileInfoEasyShiftEx& Profile);
MacroImage BuildMacroImage(const TMouseProfileInfoEasyShiftEx& Profile);
SensitivityRecord BuildSensitivityRecord(const TMouseProfileInfoEasyShiftEx& Profile);
LightRecord BuildLightRecord(const TMouseProfileInfoEasyShiftEx& Profile);
/// The report interval in whole milliseconds for 125, 250, 333, 500 and 1000 Hz.
std::uint8_t ReportIntervalCode(const TMouseProfileInfoEasyShiftEx& Profile);
/// The light command's bytes for a light record: inverted red, green, blue, brightness, breathing.
std::array<std::uint8_t, 5> LightCommandBytes(const TLEDCONFIG& light);

/// Everything one memory location receives.
struct LocationImages {
  ButtonTables buttonTables;
  MacroImage macroImage;
  LightRecord light;
  SensitivityRecord sensitivity;
};

LocationImages BuildLocationImages(const TMouseProfileInfoEasyShiftEx& Profile);

}  // namespace q9
