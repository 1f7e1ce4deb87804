#include "model/FactoryDefaults.h"

#include <cstring>

#include "model/CpiStepTable.h"

namespace q9 {

namespace {

struct DefaultButton {
  Word functionIndex;
  Byte functionType;
  Integer deviceCode;
  Word fireClicks;
};

// Buttons 3 and 4 are crossed on purpose: the front side button goes forward.
constexpr DefaultButton kDefaultButtons[8] = {
    {0, kFunctionMouseButton, 1, 0},         // Click
    {1, kFunctionMouseButton, 2, 0},         // Right Click
    {2, kFunctionMouseButton, 3, 0},         // Middle Button
    {4, kFunctionMouseButton, 5, 0},         // Forward
    {3, kFunctionMouseButton, 4, 0},         // Backward
    {30, kFunctionSensitivityOrMode, 8, 0},  // DPI Switch
    {29, kFunctionFireKey, 18, 2},           // Fire Key(Multi-Click), 2 clicks
    {29, kFunctionFireKey, 18, 3},           // Fire Key(Multi-Click), 3 clicks
};
constexpr Word kDefaultFireDelayMs = 60;

void SetDefaultButtons(TMouseButtonConfigInfoEasyShiftEx& group) {
  for (Word b = 0; b < 8; ++b) {
    TBUTTONFUNCINFO& button = group.ButtonFuncInfo[b];
    button.nButtonIndex = b;
    button.nMenuID = 0;
    button.nFunctionIndex = kDefaultButtons[b].functionIndex;
    button.nFunctionType = kDefaultButtons[b].functionType;
    button.nDeviceCode = kDefaultButtons[b].deviceCode;
    if (button.nFunctionType == kFunctionFireKey) {
      button.FireKeyInfo.nLoopCount = kDefaultButtons[b].fireClicks;
      button.FireKeyInfo.DelyValue = kDefaultFireDelayMs;
    }
  }
}

void SetDefaultSensitivity(TMouseSettingInfoEasyShiftEx& settings, int sensorType) {
  static constexpr Word kSteps[4] = {1, 3, 5, 7};
  static constexpr Word kCpis[4] = {800, 1600, 2500, 5000};
  const Word* levels = sensorType == kSensorTypeStepIndexes ? kSteps : sensorType == kSensorTypeCpiValues ? kCpis : nullptr;
  if (!levels) return;
  for (int i = 0; i < 4; ++i) {
    settings.CPIState[i] = TCPILEVELINFO{levels[i], levels[i], 1};
    settings.UseDiffentXY[i] = 0;
  }
  settings.CurrentCPIIndex = 1;
}

}  // namespace

Byte DefaultLanguageIndex(std::string_view systemLangId) {
  if (systemLangId == "0804") return 1;
  if (systemLangId == "0404") return 2;
  return 0;
}

void MakeFactorySettings(TALLPROFILESETTINGINFO& record, std::string_view systemLangId) {
  std::memset(&record, 0, sizeof record);
  for (TGAMESET& entry : record.Allgameset) {
    entry.nFlag = 0;
    entry.StorageType = kStoredInRegistry;
    entry.szFilePath[0] = u'\0';
  }
  record.CurrentProfileIndex = 0;
  record.Allgameset[0].nFlag = 1;
  record.CurrentLanguage = DefaultLanguageIndex(systemLangId);
  record.ReservedData.IntegerData[kSlotStartWithWindows] = 1;
  record.ReservedData.IntegerData[kSlotMode1Profile] = 0;
  record.ReservedData.IntegerData[kSlotMode2Profile] = 1;
  record.EasyShiftOptions = TEasyShiftOptions{1, 0, 1, 1, 1, 1};
}

void MakeFactoryProfile(TMouseProfileInfoEasyShiftEx& profile, int sensorType) {
  std::memset(&profile, 0, sizeof profile);
  TMouseSettingInfoEasyShiftEx& settings = profile.MouseSettingInfo;
  settings.ButtonCount = 8;
  SetDefaultButtons(profile.MouseButtonConfigInfoSet[0]);
  settings.VWheelSpeed = 3;
  settings.DoubleClickSpeed = 550;
  settings.PointerSpeed = 10;
  settings.ReportRate = 500;
  settings.CPILevel = 4;
  settings.PointerAcceleration = 0;
  settings.LEDConfig.R = 255;
  settings.LEDConfig.G = 0;
  settings.LEDConfig.B = 0;
  settings.LEDConfig.BRIGHT_LEVEL = 1;
  settings.LEDConfig.BREATH_SPEED = 1;
  SetDefaultSensitivity(settings, sensorType);
  for (int group = 1; group <= 3; ++group) profile.MouseButtonConfigInfoSet[group] = profile.MouseButtonConfigInfoSet[0];
}

}  // namespace q9
