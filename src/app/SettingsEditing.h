#pragma once
// The edits the pages make to the working copies, as rules the window and the command line share.

#include "app/DataModule.h"

namespace q9 {

/// The report rates the mouse has, in Hz.
bool IsReportRate(int hz);

/// Stores a CPI step (0..8) as X and Y of level 0..3; false for an index out of range.
bool SetCpiLevelStep(TMouseSettingInfoEasyShiftEx& settings, int level, int step);
/// Switches level 0..3 on or off. The last level that is on stays on (false). Afterwards the
/// current level is the first one that is on, and the level count is 4.
bool SetCpiLevelEnabled(TMouseSettingInfoEasyShiftEx& settings, int level, bool on);
/// The report rate is the same in every profile: sets it in the working copy and in all five.
bool SetReportRate(TDM& dm, int hz);

}  // namespace q9
