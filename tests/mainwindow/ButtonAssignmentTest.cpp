#include <gtest/gtest.h>

#include <cstring>

#include "macro/uiMacroClassUnit.h"
#include "mainwindow/ButtonAssignment.h"
#include "model/WideText.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {
namespace {

class ButtonAssignmentTest : public ::testing::Test {
 protected:
  void SetUp() override { dm = CreateDataModule(store, locale); }

  TBUTTONFUNCINFO& Slot(int slot) { return dm->FCurrentButtonConfigInfo.ButtonFuncInfo[slot]; }
  const TBUTTONFUNCINFO& Stored(int slot) const {
    return dm->FCurrentProfileInfo.MouseButtonConfigInfoSet[dm->FButtonConfigIndex].ButtonFuncInfo[slot];
  }

  void AddMacro(const std::u16string& name) {
    TMACROKEYINFOLIST& list = dm->FCurrentButtonMacroSetInfo;
    TMACROKEYINFO& macro = list.MacroInfos[list.nMacroInfoCount];
    macro = TMACROKEYINFO{};
    SetWideField(macro.szMacroName, kMacroNameLength, name);
    macro.MacroListCount = 1;
    macro.MacroList[0].nEntryType = kMacroEntryKey;
    macro.MacroList[0].nValueLo = static_cast<Byte>('A' + list.nMacroInfoCount);
    macro.nMacroIndex = list.nMacroInfoCount++;
  }

  AssignResult Choose(int slot, int menuID, const AssignmentDialogs& dialogs = {}) {
    return assignment->AssignFunction(slot, menuID, dialogs);
  }

  FakeRegistryStore store;
  FakeSystemLocale locale{"0409"};
  std::unique_ptr<TDM> dm;
  std::unique_ptr<ButtonAssignment> assignment;
  void MakeAssignment() { assignment = std::make_unique<ButtonAssignment>(*dm); }
};

TEST_F(ButtonAssignmentTest, ClickOverAMacroKeepsTheMacroBytesAndReachesTheProfile) {
  MakeAssignment();
  AddMacro(u"Jump");
  ASSERT_EQ(Choose(2, kMenuFirstMacro).outcome, AssignOutcome::kAssigned);
  const TMACROKEYINFO macro = Slot(2).MacroKeyInfo;
  EXPECT_EQ(Slot(2).nDeviceCode, 17);

  ASSERT_EQ(Choose(2, 1).outcome, AssignOutcome::kAssigned);
  EXPECT_EQ(Slot(2).nFunctionType, kFunctionMouseButton);
  EXPECT_EQ(Slot(2).nFunctionIndex, 0);
  EXPECT_EQ(Slot(2).nDeviceCode, 1);
  EXPECT_EQ(Slot(2).nMenuID, 1);
  EXPECT_EQ(std::memcmp(&Slot(2).MacroKeyInfo, &macro, sizeof macro), 0);
  EXPECT_EQ(std::memcmp(&Stored(2), &Slot(2), sizeof(TBUTTONFUNCINFO)), 0) << "written back into the profile";
}

TEST_F(ButtonAssignmentTest, DialogsGetTheSlotsValueAndOnlyOkChangesIt) {
  MakeAssignment();
  Slot(4).SingleKeyInfo = {13, 1};
  Slot(4).ComboKeyInfo = {65, 0, 0, 0, 6};
  Slot(4).FireKeyInfo = {5, 100};
  const TBUTTONFUNCINFO before = Slot(4);
  AssignmentDialogs refuse;
  TSINGLEKEYINFO seenKey{};
  TCOMBOKEYINFO seenCombo{};
  TFIREKEYINFO seenFire{};
  refuse.singleKey = [&](TSINGLEKEYINFO& key) { seenKey = key; key = {66, 0}; return false; };
  refuse.comboKey = [&](TCOMBOKEYINFO& combo) { seenCombo = combo; combo.nModifier = 1; return false; };
  refuse.fireKey = [&](TFIREKEYINFO& fire) { seenFire = fire; fire.nLoopCount = 9; return false; };
  for (int id : {kMenuSingleKey, kMenuComboKey, kMenuFireKey}) EXPECT_EQ(Choose(4, id, refuse).outcome, AssignOutcome::kUnchanged);
  EXPECT_EQ(std::memcmp(&Slot(4), &before, sizeof before), 0);
  EXPECT_EQ(seenKey.nKeyValue1, 13);
  EXPECT_EQ(seenCombo.nModifier, 6);
  EXPECT_EQ(seenFire.DelyValue, 100);
  EXPECT_EQ(Choose(4, kMenuSingleKey).outcome, AssignOutcome::kUnchanged) << "no dialog counts as cancelled";

  AssignmentDialogs accept;
  accept.fireKey = [](TFIREKEYINFO& fire) { fire = {5, 100}; return true; };
  ASSERT_EQ(Choose(4, kMenuFireKey, accept).outcome, AssignOutcome::kAssigned);
  EXPECT_EQ(Slot(4).nFunctionIndex, 29);
  EXPECT_EQ(Slot(4).nDeviceCode, 18);
  EXPECT_EQ(ButtonHint(Slot(4), [](const std::string& text) { return text; }), "5 clicks, 100 ms apart");
}

TEST_F(ButtonAssignmentTest, OneMacroOnEverySlotIsAllowedASixthDifferentOneIsRefused) {
  MakeAssignment();
  for (char16_t c = u'A'; c <= u'F'; ++c) AddMacro(std::u16string(u"M") + c);
  for (int slot = 0; slot < 8; ++slot) ASSERT_EQ(Choose(slot, kMenuFirstMacro).outcome, AssignOutcome::kAssigned);
  for (int slot = 1; slot < 5; ++slot) ASSERT_EQ(Choose(slot, kMenuFirstMacro + slot).outcome, AssignOutcome::kAssigned);
  const TBUTTONFUNCINFO kept = Slot(5);
  int warnings = 0;
  AssignmentDialogs dialogs;
  dialogs.macroLimitWarning = [&] { ++warnings; };
  EXPECT_EQ(Choose(5, kMenuFirstMacro + 5, dialogs).outcome, AssignOutcome::kRefused);
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(std::memcmp(&Slot(5), &kept, sizeof kept), 0);
  EXPECT_EQ(Choose(5, kMenuFirstMacro + 4, dialogs).outcome, AssignOutcome::kAssigned) << "a macro already used is no sixth";
}

TEST_F(ButtonAssignmentTest, TheMacroManagerRelinksByNameAndLeavesNoMacroAsDisable) {
  MakeAssignment();
  AddMacro(u"Jump");
  AddMacro(u"Fire");
  ASSERT_EQ(Choose(0, kMenuFirstMacro).outcome, AssignOutcome::kAssigned);
  ASSERT_EQ(Choose(1, kMenuFirstMacro + 1).outcome, AssignOutcome::kAssigned);
  int seen = -2;
  AssignmentDialogs dialogs;
  // The editor deletes "Jump" and renames "Fire" in place of nothing: "Fire" moves to position 0.
  dialogs.macroManager = [&](int& current) {
    seen = current;
    TMACROKEYINFOLIST& list = dm->FCurrentButtonMacroSetInfo;
    list.MacroInfos[0] = list.MacroInfos[1];
    list.MacroInfos[0].nMacroIndex = 0;
    list.MacroInfos[1] = TMACROKEYINFO{};
    list.nMacroInfoCount = 1;
    current = 0;
    return true;
  };
  const AssignResult result = Choose(1, kMenuMacroManager, dialogs);
  EXPECT_EQ(seen, 1) << "the editor opens on the slot's macro";
  EXPECT_TRUE(result.macrosChanged);
  EXPECT_EQ(Slot(1).nMenuID, kMenuFirstMacro);
  EXPECT_EQ(Slot(1).MacroKeyInfo.nMacroIndex, 0);
  EXPECT_EQ(MacroName(Slot(1).MacroKeyInfo), u"Fire");
  // Slot 0's "Jump" is gone: Disable without a menu item of its own.
  EXPECT_EQ(Slot(0).nMenuID, 0);
  EXPECT_EQ(Slot(0).nFunctionIndex, 34);
  EXPECT_EQ(Slot(0).nFunctionType, kFunctionMedia);
  EXPECT_EQ(Slot(0).nDeviceCode, 14);
  EXPECT_EQ(ShownMenuID(Slot(0)), kMenuDisable);

  dialogs.macroManager = [](int& current) { current = -1; return true; };
  Choose(1, kMenuMacroManager, dialogs);
  EXPECT_EQ(Slot(1).nFunctionIndex, 34) << "leaving the editor with no macro chosen";
  const TBUTTONFUNCINFO before = Slot(2);
  dialogs.macroManager = [](int& current) { current = 0; return false; };
  EXPECT_EQ(Choose(2, kMenuMacroManager, dialogs).outcome, AssignOutcome::kUnchanged);
  EXPECT_EQ(std::memcmp(&Slot(2), &before, sizeof before), 0);
}

TEST_F(ButtonAssignmentTest, MenuAndCaptions) {
  TuiMenuEx menu;
  BuildAssignmentMenu(menu);
  ASSERT_EQ(menu.Items.Count(), 17);
  EXPECT_EQ(MenuCaptionOfID(menu, 4), "Backward");
  EXPECT_EQ(MenuCaptionOfID(menu, 803), "Paste");
  EXPECT_EQ(MenuCaptionOfID(menu, 906), "Lock PC");
  EXPECT_EQ(MenuCaptionOfID(menu, 1007), "Mute");
  EXPECT_EQ(MenuCaptionOfID(menu, 1101), "Macro Manager...");
  for (std::int64_t none : {0LL, -1LL, 18LL, 100LL, 809LL, 1102LL, 10101LL, 1000000LL}) EXPECT_EQ(MenuCaptionOfID(menu, none), "") << none;
  EXPECT_EQ(menu.FindItemByID(1005)->Caption, "Volume Up");

  TMACROKEYINFOLIST empty{};
  RebuildMacroMenu(menu, empty, [](const std::string& text) { return text; });
  EXPECT_EQ(menu.Items[10].SubItems.Count(), 1) << "only the Macro Manager";
  dm->FCurrentButtonMacroSetInfo = empty;
  AddMacro(u"Jump");
  AddMacro(u"Fire");
  RebuildMacroMenu(menu, dm->FCurrentButtonMacroSetInfo, [](const std::string& text) { return text == "Macro" ? "宏" : text; });
  EXPECT_EQ(MenuCaptionOfID(menu, 1102), "1.宏<Jump>");
  EXPECT_EQ(menu.FindItemByID(1103)->Caption, "2.宏<Fire>");

  TBUTTONFUNCINFO record{};
  record.nFunctionIndex = 3;
  EXPECT_EQ(MenuCaptionOfID(menu, ShownMenuID(record)), "Backward");
  record.nFunctionIndex = 40;
  EXPECT_EQ(MenuCaptionOfID(menu, ShownMenuID(record)), "");
}

TEST_F(ButtonAssignmentTest, HintsNameKeysAndCombinations) {
  const auto same = [](const std::string& text) { return text; };
  TBUTTONFUNCINFO record{};
  AssignComboKey(record, {65, 0, 0, 0, 6});
  EXPECT_EQ(ButtonHint(record, same), "Ctrl+Shift+A");
  AssignMenuFunction(record, 801);
  EXPECT_EQ(ButtonHint(record, same), "") << "a Basic item names no key";
  AssignSingleKey(record, {2, 0});
  EXPECT_EQ(ButtonHint(record, [](const std::string&) { return std::string("translated"); }), "Mouse Right Click")
      << "key names are never translated";
}

}  // namespace
}  // namespace q9
