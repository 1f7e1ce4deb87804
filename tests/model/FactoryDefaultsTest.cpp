#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "model/FactoryDefaults.h"

namespace q9 {
namespace {

using test::BytesOf;
using test::Fixture;

TEST(FactoryDefaults, SettingsRecordMatchesTheGoldenImagePerLanguage) {
  auto record = std::make_unique<TALLPROFILESETTINGINFO>();
  const std::pair<const char*, const char*> cases[] = {{"0409", "factory_settings_0409.bin"},
                                                       {"0804", "factory_settings_0804.bin"},
                                                       {"0404", "factory_settings_0404.bin"},
                                                       {"0411", "factory_settings_0409.bin"},
                                                       {"0C04", "factory_settings_0409.bin"}};
  for (const auto& [langId, fixture] : cases) {
    std::memset(record.get(), 0xAB, sizeof *record);
    MakeFactorySettings(*record, langId);
    EXPECT_EQ(BytesOf(*record), Fixture(fixture)) << langId;
  }
}

TEST(FactoryDefaults, ProfileMatchesTheGoldenImagePerSensorType) {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  std::memset(profile.get(), 0xCD, sizeof *profile);
  MakeFactoryProfile(*profile, 81);
  EXPECT_EQ(BytesOf(*profile), Fixture("factory_profile.GPX"));
  MakeFactoryProfile(*profile, 16);
  EXPECT_EQ(BytesOf(*profile), Fixture("factory_profile_sensor16.GPX"));
  EXPECT_EQ(profile->MouseSettingInfo.CPIState[3].nCPIX, 5000) << "sensor 16 stores CPI values, not steps";
}

TEST(FactoryDefaults, ProfileGroupsAndMacroLists) {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  MakeFactoryProfile(*profile, 81);
  for (int g = 1; g <= 3; ++g) EXPECT_EQ(BytesOf(profile->MouseButtonConfigInfoSet[g]), BytesOf(profile->MouseButtonConfigInfo));
  EXPECT_EQ(BytesOf(profile->MouseButtonConfigInfoWin), test::Bytes(sizeof(TMouseButtonConfigInfoEasyShiftEx), 0));
  for (const TMACROKEYINFOLIST& list : profile->MacroKeyInfoListSet)
    EXPECT_EQ(BytesOf(list), test::Bytes(sizeof list, 0));
  const TBUTTONFUNCINFO* buttons = profile->MouseButtonConfigInfo.ButtonFuncInfo;
  EXPECT_EQ(buttons[3].nDeviceCode, 5) << "button 3 goes forward";
  EXPECT_EQ(buttons[4].nDeviceCode, 4) << "button 4 goes backward";
  EXPECT_EQ(buttons[8].nButtonIndex, 0) << "entries past the eighth stay zero";
}

TEST(FactoryDefaults, UnknownSensorTypeLeavesSensitivityZero) {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  MakeFactoryProfile(*profile, 3);
  EXPECT_EQ(profile->MouseSettingInfo.CurrentCPIIndex, 0);
  EXPECT_EQ(profile->MouseSettingInfo.CPIState[0].nEnabled, 0);
  EXPECT_EQ(profile->MouseSettingInfo.ReportRate, 500);
}

}  // namespace
}  // namespace q9
