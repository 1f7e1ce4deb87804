#pragma once
// The factory values of the program-wide settings record and of a game profile.

#include <string_view>

#include "model/ProfileRecords.h"

namespace q9 {

/// The language index a fresh settings record takes for a system language id ("0804" -> 1,
/// "0404" -> 2, anything else -> 0), matching the order of the shipped language file.
Byte DefaultLanguageIndex(std::string_view systemLangId);

/// Overwrites `record` whole with the factory settings record.
void MakeFactorySettings(TALLPROFILESETTINGINFO& record, std::string_view systemLangId);

/// Overwrites `profile` whole with the factory game profile for the sensor type (81 or 16).
void MakeFactoryProfile(TMouseProfileInfoEasyShiftEx& profile, int sensorType);

}  // namespace q9
