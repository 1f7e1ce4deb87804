#include "app/SettingsEditing.h"

#include <memory>

#include "model/CpiStepTable.h"

namespace q9 {

namespace {
bool IsLevel(int level) { return level >= 0 && level < 4; }
}  // namespace

bool IsReportRate(int hz) { return hz == 125 || hz == 250 || hz == 333 || hz == 500 || hz == 1000; }

bool SetCpiLevelStep(TMouseSettingInfoEasyShiftEx& settings, int level, int step) {
  if (!IsLevel(level) || CpiOfStep(step) < 0) return false;
  settings.CPIState[level].nCPIX = settings.CPIState[level].nCPIY = static_cast<Word>(step);
  return true;
}

bool SetCpiLevelEnabled(TMouseSettingInfoEasyShiftEx& settings, int level, bool on) {
  if (!IsLevel(level)) return false;
  bool othersOn = false;
  for (int k = 0; k < 4; ++k) othersOn = othersOn || (k != level && settings.CPIState[k].nEnabled == 1);
  const bool accepted = on || othersOn;
  if (accepted) settings.CPIState[level].nEnabled = on ? 1 : 0;
  for (int k = 0; k < 4; ++k)
    if (settings.CPIState[k].nEnabled == 1) {
      settings.CurrentCPIIndex = k;
      break;
    }
  settings.CPILevel = 4;
  return accepted;
}

bool SetReportRate(TDM& dm, int hz) {
  if (!IsReportRate(hz)) return false;
  dm.FCurrentMouseSettingInfo.ReportRate = static_cast<Word>(hz);
  dm.SaveBackToCurrentProfileInfo();
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  for (int i = 0; i < kGameProfileCount; ++i) {
    dm.ReadProfileInfo(*profile, i);
    profile->MouseSettingInfo.ReportRate = static_cast<Word>(hz);
    dm.SaveBackToProfileInfo(*profile, i);
  }
  return true;
}

}  // namespace q9
