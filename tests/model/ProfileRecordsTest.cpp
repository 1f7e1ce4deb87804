// Offsets of the stored format as they are reached through nested records, checked on the raw
// bytes of a whole image (the records' own static_asserts pin each record in isolation).

#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "model/ButtonFunctionTable.h"
#include "model/CpiStepTable.h"
#include "model/MemoryLocations.h"
#include "model/ProfileRecords.h"
#include "model/WideText.h"

namespace q9 {
namespace {

using test::Bytes;
using test::BytesOf;
using test::U16At;
using test::U32At;

TEST(ProfileRecords, GroupViewsNameTheSameBytes) {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  profile->MouseButtonConfigInfoShift.ButtonFuncInfo[2].nDeviceCode = 77;
  profile->MacroKeyInfoListCtrl.nMacroInfoCount = 5;
  EXPECT_EQ(profile->MouseButtonConfigInfoSet[3].ButtonFuncInfo[2].nDeviceCode, 77);
  EXPECT_EQ(profile->MacroKeyInfoListSet[2].nMacroInfoCount, 5);
  profile->MouseButtonConfigInfoSet[1].ButtonFuncInfo[0].nFunctionType = 9;
  EXPECT_EQ(profile->MouseButtonConfigInfoAlt.ButtonFuncInfo[0].nFunctionType, 9);
}

TEST(ProfileRecords, ButtonAndMacroListOffsetsInAProfileImage) {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  for (int g = 0; g < kButtonGroupCount; ++g) {
    for (int b = 0; b < kButtonsPerGroup; b += 5) {
      TBUTTONFUNCINFO& button = profile->MouseButtonConfigInfoSet[g].ButtonFuncInfo[b];
      button.nFunctionType = static_cast<Byte>(10 + g);
      button.nDeviceCode = 0x01020300 + b;
      button.MacroKeyInfo.nMacroIndex = static_cast<Word>(100 + b);
    }
    profile->MacroKeyInfoListSet[g].nMacroInfoCount = static_cast<Word>(g + 1);
  }
  const Bytes image = BytesOf(*profile);
  for (int g = 0; g < kButtonGroupCount; ++g) {
    for (int b = 0; b < kButtonsPerGroup; b += 5) {
      const std::size_t at = 15144 + 53632 * g + 3352 * b;
      EXPECT_EQ(image[at + 3336], 10 + g) << "group " << g << " button " << b;
      EXPECT_EQ(U32At(image, at + 3340), 0x01020300u + b);
      EXPECT_EQ(U16At(image, at + 392), 100 + b);  // nMacroIndex within the button record
    }
    EXPECT_EQ(U16At(image, 283304 + 9916 * g + 9912), g + 1);
  }
}

TEST(ProfileRecords, SettingsOffsetsInAProfileImage) {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  TMouseSettingInfoEasyShiftEx& s = profile->MouseSettingInfo;
  for (int i = 0; i < 4; ++i) s.CPIState[i] = {static_cast<Word>(i + 1), static_cast<Word>(i + 11), 1};
  s.ReportRate = 500;
  s.ButtonCount = 8;
  s.LEDConfig = {1, 2, 3, 4, 5, 6};
  const Bytes image = BytesOf(*profile);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(U16At(image, 2748 + 6 * i), i + 1);
    EXPECT_EQ(U16At(image, 2748 + 6 * i + 2), i + 11);
    EXPECT_EQ(U16At(image, 2748 + 6 * i + 4), 1);
  }
  EXPECT_EQ(image[2708], 0xF4);  // 500, little-endian
  EXPECT_EQ(image[2709], 0x01);
  EXPECT_EQ(U32At(image, 13088), 8u);
  EXPECT_EQ(Bytes(image.begin() + 13078, image.begin() + 13083), (Bytes{1, 2, 3, 4, 5}));
}

TEST(ProfileRecords, ProgramWideSlotOffsets) {
  auto settings = std::make_unique<TALLPROFILESETTINGINFO>();
  settings->ReservedData.IntegerData[kSlotStartWithWindows] = 1;
  settings->ReservedData.IntegerData[kSlotMode1Profile] = 3;
  settings->ReservedData.IntegerData[kSlotMode2Profile] = 4;
  settings->CurrentLanguage = 2;
  settings->Allgameset[4].StorageType = 1;
  const Bytes image = BytesOf(*settings);
  EXPECT_EQ(U32At(image, 30956), 1u);
  EXPECT_EQ(U32At(image, 30960), 3u);
  EXPECT_EQ(U32At(image, 30964), 4u);
  EXPECT_EQ(image[30952], 2);
  EXPECT_EQ(image[6190 * 4 + 6188], 1);
}

TEST(ProfileRecords, MemoryLocationProfilesOutOfRangeFallBack) {
  auto settings = std::make_unique<TALLPROFILESETTINGINFO>();
  settings->ReservedData.IntegerData[kSlotMode1Profile] = 4;
  settings->ReservedData.IntegerData[kSlotMode2Profile] = 2;
  EXPECT_EQ(MemoryLocationProfile(*settings, 0), 4);
  EXPECT_EQ(MemoryLocationProfile(*settings, 1), 2);
  for (Integer bad : {-1, 5, 1000}) {
    settings->ReservedData.IntegerData[kSlotMode1Profile] = bad;
    settings->ReservedData.IntegerData[kSlotMode2Profile] = bad;
    EXPECT_EQ(MemoryLocationProfile(*settings, 0), 0) << bad;
    EXPECT_EQ(MemoryLocationProfile(*settings, 1), 1) << bad;
  }
}

TEST(ProfileRecords, MacroNameOf49CharactersFitsAnd50DoNot) {
  TMACROKEYINFO macro{};
  const std::u16string name49(49, u'm');
  EXPECT_TRUE(SetWideField(macro.szMacroName, kMacroNameLength, name49));
  EXPECT_EQ(macro.szMacroName[49], u'\0');
  EXPECT_EQ(WideFieldText(macro.szMacroName, kMacroNameLength), name49);
  EXPECT_FALSE(SetWideField(macro.szMacroName, kMacroNameLength, std::u16string(50, u'x')));
  EXPECT_EQ(WideFieldText(macro.szMacroName, kMacroNameLength), name49) << "a refused name changes nothing";
}

TEST(CpiStepTable, StepsCpiAndDeviceIndexes) {
  const int cpis[] = {400, 800, 1200, 1600, 2000, 2500, 3000, 3500, 4000};
  const int devices[] = {0, 1, 2, 3, 4, 5, 6, 7, 7};
  for (int step = 0; step < 9; ++step) {
    EXPECT_EQ(CpiOfStep(step), cpis[step]);
    EXPECT_EQ(DeviceIndexOfStep(step), devices[step]);
  }
  EXPECT_EQ(DeviceIndexOfStep(-1), -1);
  EXPECT_EQ(DeviceIndexOfStep(9), -1);
  EXPECT_EQ(CpiOfStep(9), -1);
}

TEST(ButtonFunctionTable, LookupsBothWays) {
  for (int i = 0; i < kButtonFunctionCount; ++i) {
    EXPECT_EQ(ButtonFunctionTable[i].functionIndex, i);
    EXPECT_EQ(FunctionIndexOfMenuID(MenuIDOfFunctionIndex(i)), i);
    EXPECT_EQ(FunctionIndexOfCaption(CaptionOfFunctionIndex(i)), i);
  }
  EXPECT_EQ(FunctionIndexOfMenuID(805), 11);   // "Find"
  EXPECT_EQ(FunctionIndexOfMenuID(1007), 27);  // "Mute"
  EXPECT_EQ(FunctionIndexOfMenuID(8), 8) << "a menu ID of no row (the \"Basic\" sub-menu) is returned itself";
  EXPECT_EQ(FunctionIndexOfMenuID(1101), 1101);
  EXPECT_EQ(MenuIDOfFunctionIndex(35), -1);
  EXPECT_EQ(MenuIDOfFunctionIndex(-1), -1);
  EXPECT_EQ(DeviceCodeOfFunctionIndex(34), 14);  // "Disable" is the media code 0
  EXPECT_EQ(DeviceCodeOfFunctionIndex(33), 19);
  EXPECT_EQ(FunctionIndexOfCaption("click"), -1);
}

}  // namespace
}  // namespace q9
