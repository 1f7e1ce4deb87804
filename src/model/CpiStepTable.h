#pragma once
// The nine sensitivity steps: what nCPIX/nCPIY hold with sensor type 81, the CPI shown for each,
// and the code the mouse receives for it.

#include <array>

namespace q9 {

struct CpiStep {
  int step;
  int cpi;
  int deviceIndex;
};

inline constexpr std::array<CpiStep, 9> CpiStepTable{{
    {0, 400, 0},
    {1, 800, 1},
    {2, 1200, 2},
    {3, 1600, 3},
    {4, 2000, 4},
    {5, 2500, 5},
    {6, 3000, 6},
    {7, 3500, 7},
    {8, 4000, 7},
}};

/// Sensor types of TDM::FSensorType.
inline constexpr int kSensorTypeStepIndexes = 81;
inline constexpr int kSensorTypeCpiValues = 16;

/// The CPI of a step; -1 for a step outside 0..8.
constexpr int CpiOfStep(int step) {
  return step >= 0 && step < static_cast<int>(CpiStepTable.size()) ? CpiStepTable[step].cpi : -1;
}

/// The device index of a step; -1 for a step outside 0..8.
constexpr int DeviceIndexOfStep(int step) {
  return step >= 0 && step < static_cast<int>(CpiStepTable.size()) ? CpiStepTable[step].deviceIndex : -1;
}

}  // namespace q9
