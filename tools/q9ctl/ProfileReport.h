#pragma once
// What the settings say, decoded for people and scripts: button functions by name, CPI levels in
// CPI, report rate, light, pointer settings, macros and where each profile is stored.

#include <nlohmann/json.hpp>

#include <ostream>

#include "model/ProfileRecords.h"

namespace q9 {

/// The current game profile as the program takes it: the stored one, or 0 when that is out of range.
int CurrentProfileOf(const TALLPROFILESETTINGINFO& settings);
nlohmann::json DescribeSettings(const TALLPROFILESETTINGINFO& settings);
nlohmann::json DescribeProfile(const TMouseProfileInfoEasyShiftEx& profile, int profileIndex, int sensorType);
nlohmann::json DescribeButton(const TBUTTONFUNCINFO& button);
nlohmann::json DescribeMacro(const TMACROKEYINFO& macro);

/// The readable text form of DescribeSettings / DescribeProfile results.
void PrintSettings(std::ostream& out, const nlohmann::json& settings);
void PrintProfile(std::ostream& out, const nlohmann::json& profile);

}  // namespace q9
