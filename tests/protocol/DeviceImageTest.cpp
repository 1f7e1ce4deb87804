#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "input/uiKeyCode.h"
#include "model/FactoryDefaults.h"
#include "protocol/DeviceImage.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {
namespace {

using Profile = TMouseProfileInfoEasyShiftEx;

std::unique_ptr<Profile> Factory() {
  auto p = std::make_unique<Profile>();
  MakeFactoryProfile(*p, 81);
  return p;
}

TMACROKEYINFO Macro(int index, std::vector<TMACROENTRY> steps, int loop = 0) {
  TMACROKEYINFO m{};
  for (std::size_t k = 0; k < steps.size(); ++k) m.MacroList[k] = steps[k];
  m.MacroListCount = static_cast<Integer>(steps.size());
  m.nLoopCount = static_cast<Word>(loop);
  m.nMacroIndex = static_cast<Word>(index);
  return m;
}

void PutMacro(Profile& p, int group, int button, const TMACROKEYINFO& macro) {
  TMACROKEYINFOLIST& list = p.MacroKeyInfoListSet[group];
  list.MacroInfos[macro.nMacroIndex] = macro;
  list.nMacroInfoCount = std::max<Word>(list.nMacroInfoCount, macro.nMacroIndex + 1);
  ASSERT_TRUE(AssignMacro(p.MouseButtonConfigInfoSet[group], button, list, macro.nMacroIndex));
}

TEST(EncodeMacroStep, DelaysRoundHalfToEvenAndNeverToZero) {
  const std::pair<int, int> delays[] = {{15, 2}, {25, 2}, {35, 4}, {4, 1}, {0, 1}, {65535, 6554}, {500, 50}};
  for (const auto& [ms, v] : delays)
    EXPECT_EQ(EncodeMacroStep(6, 0, ms & 0xFF, ms >> 8), (MacroStep{6, Byte(v & 0xFF), Byte(v >> 8)})) << ms;
  EXPECT_EQ(EncodeMacroStep(4, 1, 4, 0), (MacroStep{132, 4, 0}));
  EXPECT_EQ(EncodeMacroStep(4, 0, 4, 0), (MacroStep{4, 4, 0}));
  EXPECT_EQ(EncodeMacroStep(1, 1, 2, 0), (MacroStep{129, 2, 0}));
  EXPECT_EQ(EncodeMacroStep(4, 2, 4, 0), (MacroStep{0, 0, 0})) << "a state other than 0 or 1";
  EXPECT_EQ(DivideBy10HalfEven(4), 0u) << "a fire-key delay of 4 ms is 0";
  EXPECT_EQ(DivideBy10HalfEven(45), 4u);
}

TEST(DeviceImage, FactoryButtonTable) {
  const ButtonTables tables = BuildButtonTables(*Factory());
  const test::Bytes expected = {8,  1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 5,  0, 0, 0,
                                4,  0, 0, 0, 8, 0, 0, 0, 18, 2, 6, 0, 18, 3, 6, 0};
  for (const ButtonTable& table : tables) {
    EXPECT_EQ(test::Bytes(table.begin(), table.begin() + 33), expected);
    EXPECT_EQ(test::Bytes(table.begin() + 33, table.end()), test::Bytes(32, 0)) << "bytes 33..64 stay zero";
  }
}

TEST(DeviceImage, MacrosShareSlotsAndOnlyUsedOnesAreWritten) {
  auto p = Factory();
  const TMACROENTRY down{4, 1, 'A', 0}, up{4, 0, 'A', 0};
  std::vector<TMACROENTRY> ten;
  for (int i = 0; i < 5; ++i) ten.insert(ten.end(), {down, up});
  PutMacro(*p, 0, 6, Macro(1, ten, 3));
  PutMacro(*p, 0, 2, Macro(1, ten, 3));  // the same macro on a second button
  PutMacro(*p, 0, 7, Macro(0, {down}));
  p->MacroKeyInfoListSet[0].MacroInfos[2] = Macro(2, {up});  // in the list, on no button
  p->MacroKeyInfoListSet[0].nMacroInfoCount = 3;
  EXPECT_EQ(GroupMacroList(*p, 0), (std::vector<int>{1, 0})) << "in button order, each once";
  const ButtonTables tables = BuildButtonTables(*p);
  const auto entry = [&](int b) { return test::Bytes(tables[0].begin() + 1 + 4 * b, tables[0].begin() + 5 + 4 * b); };
  EXPECT_EQ(entry(2), (test::Bytes{17, 0, 33, 0}));
  EXPECT_EQ(entry(6), (test::Bytes{17, 0, 33, 0}));
  EXPECT_EQ(entry(7), (test::Bytes{17, 1, 3, 0}));
  const MacroImage image = BuildMacroImage(*p);
  EXPECT_EQ(MacroSlotLength(image, 0), 33u);
  EXPECT_EQ(MacroSlotLength(image, 1), 3u);
  EXPECT_EQ(MacroSlotLength(image, 2), 0u) << "the unused macro takes no slot";
  EXPECT_EQ(test::Bytes(image.begin(), image.begin() + 6), (test::Bytes{132, 4, 0, 4, 4, 0}));
  EXPECT_EQ(test::Bytes(image.begin() + 30, image.begin() + 33), (test::Bytes{7, 3, 0})) << "the loop step";
  EXPECT_EQ(test::Bytes(image.begin() + 180, image.begin() + 183), (test::Bytes{132, 4, 0}));
}

TEST(DeviceImage, ConsumerKeysBecomeMediaEntries) {
  auto p = Factory();
  TBUTTONFUNCINFO* buttons = p->MouseButtonConfigInfo.ButtonFuncInfo;
  AssignSingleKey(buttons[0], {166, 1});                   // browser back, usage 548
  AssignComboKey(buttons[1], {166, 1, 'A', 0, 2});         // modifiers and second key dropped
  AssignComboKey(buttons[2], {'A', 0, 'B', 0, 1 | 2 | 4 | 8});
  AssignMenuFunction(buttons[3], 1007);                    // Mute
  AssignMenuFunction(buttons[4], 17);                      // Disable
  AssignSingleKey(buttons[5], {13, 1});                    // keypad Enter
  const ButtonTable table = BuildButtonTables(*p)[0];
  const test::Bytes expected = {14, 0, 0x24, 2, 14, 0, 0x24, 2, 15, 15, 4, 5, 14, 0, 226, 0, 14, 0, 0, 0, 16, 0, 88, 0};
  EXPECT_EQ(test::Bytes(table.begin() + 1, table.begin() + 25), expected);
}

// Mute, the volume and the media keys have consumer usages below 256; they are media entries
// (14, 0, low, high) all the same, as single keys and as the first key of a combination, while the
// keyboard key with the same code value stays a key entry.
TEST(DeviceImage, MediaKeysWithUsagesBelow256AreMediaEntriesToo) {
  auto p = Factory();
  TBUTTONFUNCINFO* buttons = p->MouseButtonConfigInfo.ButtonFuncInfo;
  AssignSingleKey(buttons[0], {173, 0});                 // Mute, usage 226 (0xE2)
  AssignSingleKey(buttons[1], {175, 1});                 // Volume Up, 233 (0xE9); the row serves both flags
  AssignSingleKey(buttons[2], {179, 0});                 // Play/Pause, 205 (0xCD)
  AssignComboKey(buttons[3], {173, 0, 0, 0, 2});         // Ctrl+Mute
  AssignComboKey(buttons[4], {175, 0, 'A', 0, 2 | 4});   // Ctrl+Shift+Volume Up+A
  AssignComboKey(buttons[5], {179, 1, 0, 0, 1});         // Alt+Play/Pause
  AssignSingleKey(buttons[6], {164, 0});                 // L ALT, keyboard usage 226
  AssignComboKey(buttons[7], {'A', 0, 164, 0, 2});       // Ctrl+A+L ALT
  const test::Bytes expected = {14, 0, 0xE2, 0, 14, 0, 0xE9, 0, 14, 0, 0xCD, 0, 14, 0, 0xE2, 0,
                                14, 0, 0xE9, 0, 14, 0, 0xCD, 0, 16, 0, 0xE2, 0, 15, 1, 4, 0xE2};
  const ButtonTables tables = BuildButtonTables(*p);
  EXPECT_EQ(test::Bytes(tables[0].begin() + 1, tables[0].begin() + 33), expected);

  // The other groups keep their factory entries.
  const ButtonTables factory = BuildButtonTables(*Factory());
  for (int g = 1; g < kDeviceButtonGroupCount; ++g) EXPECT_EQ(tables[g], factory[g]) << g;
}

// A media key cannot go where only keyboard keys fit: as the second key of a combination, or as a
// key step of a macro. Sending its usage there would press another key (Mute as Left Alt).
TEST(DeviceImage, MediaKeysWhereOnlyKeyboardKeysFitAreRefused) {
  for (const int media : {173, 174, 175, 176, 177, 178, 179, 166}) {
    auto combo = Factory();
    AssignComboKey(combo->MouseButtonConfigInfoCtrl.ButtonFuncInfo[4], {'A', 0, Word(media), 0, 2});
    try {
      BuildButtonTables(*combo);
      ADD_FAILURE() << "combination with media key " << media << " second";
    } catch (const DeviceImageError& e) {
      EXPECT_NE(std::string(e.what()).find("group 2 button 5"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(VKToKeyName(media, 0)), std::string::npos) << e.what();
    }
    auto macro = Factory();
    PutMacro(*macro, 0, 0, Macro(0, {{4, 1, 'A', 0}, {4, 1, Byte(media), 1}, {4, 0, Byte(media), 1}}));
    EXPECT_THROW(BuildMacroImage(*macro), DeviceImageError) << "macro with media key " << media;
  }
  // The keyboard key sharing Mute's code value plays in a macro as before.
  auto p = Factory();
  PutMacro(*p, 0, 0, Macro(0, {{4, 1, 164, 0}, {4, 0, 164, 0}}));
  const MacroImage image = BuildMacroImage(*p);
  EXPECT_EQ(test::Bytes(image.begin(), image.begin() + 6), (test::Bytes{132, 226, 0, 4, 226, 0}));
}

TEST(DeviceImage, SensitivityLightAndReportInterval) {
  auto p = Factory();
  TMouseSettingInfoEasyShiftEx& s = p->MouseSettingInfo;
  s.CPIState[1] = {8, 2, 0};  // Y is not sent: the Y byte repeats the X step
  s.LEDConfig = {10, 200, 30, 3, 2, 5};
  s.ReportRate = 333;
  const SensitivityRecord record = BuildSensitivityRecord(*p);
  EXPECT_EQ(test::Bytes(record.begin(), record.begin() + 14),
            (test::Bytes{4, 1, 1, 1, 1, 0, 7, 7, 1, 5, 5, 1, 7, 7}));
  EXPECT_EQ(BuildLightRecord(*p), (LightRecord{245, 55, 225, 3, 2, 5}));
  EXPECT_EQ(LightCommandBytes(s.LEDConfig), (std::array<std::uint8_t, 5>{245, 55, 225, 3, 2}));
  const std::pair<int, int> rates[] = {{125, 8}, {250, 4}, {333, 3}, {500, 2}, {1000, 1}};
  for (const auto& [hz, code] : rates) {
    s.ReportRate = static_cast<Word>(hz);
    EXPECT_EQ(ReportIntervalCode(*p), code);
  }
}

// Damaged or foreign data is refused before anything is sent; never read or written out of bounds.
TEST(DeviceImage, DataTheMouseCannotHoldIsAConversionError) {
  const std::vector<std::pair<const char*, std::function<void(Profile&)>>> faults = {
      {"button count", [](Profile& p) { p.MouseSettingInfo.ButtonCount = 17; }},
      {"negative button count", [](Profile& p) { p.MouseSettingInfo.ButtonCount = -1; }},
      {"device code", [](Profile& p) { p.MouseButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode = 300; }},
      {"parameter", [](Profile& p) {
         p.MouseButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode = 11;
         p.MouseButtonConfigInfo.ButtonFuncInfo[0].nFunctionParam = 256;
       }},
      {"media byte", [](Profile& p) {
         p.MouseButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode = 14;
         p.MouseButtonConfigInfo.ButtonFuncInfo[0].MediaKeyInfo.nKeyValue1 = 548;
       }},
      {"second key", [](Profile& p) { AssignComboKey(p.MouseButtonConfigInfo.ButtonFuncInfo[0], {'A', 0, 166, 1, 0}); }},
      {"fire count", [](Profile& p) { p.MouseButtonConfigInfoShift.ButtonFuncInfo[6].FireKeyInfo.nLoopCount = 256; }},
      {"CPI step", [](Profile& p) { p.MouseSettingInfo.CPIState[2].nCPIX = 9; }},
      {"CPI enable", [](Profile& p) { p.MouseSettingInfo.CPIState[0].nEnabled = 256; }},
      {"current level", [](Profile& p) { p.MouseSettingInfo.CurrentCPIIndex = -1; }},
      {"level count", [](Profile& p) { p.MouseSettingInfo.CPILevel = 300; }},
      {"report rate", [](Profile& p) { p.MouseSettingInfo.ReportRate = 400; }},
      {"macro list count", [](Profile& p) {
         PutMacro(p, 1, 0, Macro(0, {{4, 1, 'A', 0}}));
         p.MacroKeyInfoListAlt.nMacroInfoCount = 22;
       }},
      {"macro steps", [](Profile& p) {
         PutMacro(p, 0, 0, Macro(0, {{4, 1, 'A', 0}}));
         p.MacroKeyInfoList.MacroInfos[0].MacroListCount = 61;
       }},
      {"button's macro copy", [](Profile& p) {
         PutMacro(p, 0, 0, Macro(0, {{4, 1, 'A', 0}}));
         p.MouseButtonConfigInfo.ButtonFuncInfo[0].MacroKeyInfo.MacroListCount = -3;
       }},
      {"60 steps and a loop", [](Profile& p) { PutMacro(p, 2, 3, Macro(0, std::vector<TMACROENTRY>(60, {6, 0, 50, 0}), 2)); }},
      {"consumer key in a macro", [](Profile& p) { PutMacro(p, 0, 0, Macro(0, {{4, 1, 166, 1}})); }},
      {"step type", [](Profile& p) { PutMacro(p, 0, 0, Macro(0, {{200, 1, 1, 0}})); }},
      {"sixth macro of a group", [](Profile& p) {
         for (int m = 0; m < 6; ++m) {
           p.MacroKeyInfoList.MacroInfos[m] = Macro(m, {{4, 1, 'A', 0}});
           p.MouseButtonConfigInfo.ButtonFuncInfo[m].nFunctionType = kFunctionMacro;
           p.MouseButtonConfigInfo.ButtonFuncInfo[m].nDeviceCode = 17;
           p.MouseButtonConfigInfo.ButtonFuncInfo[m].MacroKeyInfo = p.MacroKeyInfoList.MacroInfos[m];
         }
         p.MacroKeyInfoList.nMacroInfoCount = 6;
       }},
  };
  for (const auto& [name, damage] : faults) {
    auto p = Factory();
    damage(*p);
    EXPECT_THROW(
        {
          BuildLocationImages(*p);
          ReportIntervalCode(*p);
        },
        DeviceImageError)
        << name;
  }
}

TEST(DeviceImage, SixtyStepsWithoutLoopFillTheSlot) {
  auto p = Factory();
  PutMacro(*p, 3, 1, Macro(0, std::vector<TMACROENTRY>(60, {6, 0, 50, 0})));
  const LocationImages images = BuildLocationImages(*p);
  EXPECT_EQ(MacroSlotLength(images.macroImage, 15), 180u);
  EXPECT_EQ(images.buttonTables[3][1 + 4 + 2], 180);
}

TEST(FunctionAssignment, SixthDifferentMacroIsRefusedAndTheSlotKeepsItsFunction) {
  auto p = Factory();
  TMACROKEYINFOLIST& list = p->MacroKeyInfoList;
  for (int m = 0; m < 6; ++m) list.MacroInfos[m] = Macro(m, {{4, 1, 'A', 0}});
  list.nMacroInfoCount = 6;
  TMouseButtonConfigInfoEasyShiftEx& group = p->MouseButtonConfigInfo;
  for (int slot = 0; slot < 5; ++slot) ASSERT_TRUE(AssignMacro(group, slot, list, slot));
  EXPECT_TRUE(AssignMacro(group, 5, list, 2)) << "a macro already used does not count again";
  const test::Bytes before = test::BytesOf(group.ButtonFuncInfo[6]);
  EXPECT_FALSE(AssignMacro(group, 6, list, 5));
  EXPECT_EQ(test::BytesOf(group.ButtonFuncInfo[6]), before);
  EXPECT_FALSE(AssignMacro(group, 7, list, 6)) << "not a macro of the library";
  EXPECT_EQ(group.ButtonFuncInfo[5].nMenuID, 1104);
  EXPECT_EQ(group.ButtonFuncInfo[5].nDeviceCode, 17);
}

TEST(FunctionAssignment, MenuItemsSetOnlyTheirFields) {
  auto p = Factory();
  TBUTTONFUNCINFO& record = p->MouseButtonConfigInfo.ButtonFuncInfo[0];
  AssignComboKey(record, {'Q', 0, 0, 0, 2});
  ASSERT_TRUE(AssignMenuFunction(record, 1));
  EXPECT_EQ(record.ComboKeyInfo.nKeyValue1, 'Q') << "the old sub-record stays";
  EXPECT_EQ(record.nFunctionType, kFunctionMouseButton);
  EXPECT_EQ(record.nDeviceCode, 1);
  ASSERT_TRUE(AssignMenuFunction(record, 906));  // Lock PC = Win+L
  EXPECT_EQ(record.ComboKeyInfo.nModifier, 8);
  EXPECT_EQ(record.ComboKeyInfo.nKeyValue1, 'L');
  EXPECT_EQ(record.nFunctionIndex, 20);
  EXPECT_EQ(record.nDeviceCode, 15);
  ASSERT_TRUE(AssignMenuFunction(record, 16));
  EXPECT_EQ(record.nDeviceCode, 19);
  for (int id : {0, 6, 7, 8, 11, 12, 18, 809, 1008, 1101}) EXPECT_FALSE(AssignMenuFunction(record, id)) << id;
  EXPECT_EQ(record.nMenuID, 16);
  EXPECT_EQ(MediaKeyList()[0].nKeyValue1, 205) << "Play/Pause";
  EXPECT_EQ(MediaKeyList()[6].nKeyValue1, 226) << "Mute";
}

}  // namespace
}  // namespace q9
