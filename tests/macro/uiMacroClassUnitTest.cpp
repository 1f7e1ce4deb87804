#include <gtest/gtest.h>

#include "macro/uiMacroClassUnit.h"
#include "model/WideText.h"

namespace q9 {
namespace {

TMACROKEYINFOLIST ListOf(std::initializer_list<std::u16string_view> names) {
  TMACROKEYINFOLIST list{};
  for (auto name : names) {
    TMACROKEYINFO& macro = list.MacroInfos[list.nMacroInfoCount];
    SetWideField(macro.szMacroName, kMacroNameLength, name);
    macro.nMacroIndex = list.nMacroInfoCount++;
  }
  return list;
}

std::vector<int> Indexes(const TuiMacroClass& macros) {
  std::vector<int> result;
  for (const auto& macro : macros.Macros()) result.push_back(macro.nMacroIndex);
  return result;
}

TEST(TuiMacroClass, EmptyListHasNoCurrentMacro) {
  const auto macros = TuiMacroClass::CtlCreate(TMACROKEYINFOLIST{});
  EXPECT_EQ(macros.GetMacroListCount(), 0);
  EXPECT_EQ(macros.FMacroListIndex(), -1);
  EXPECT_EQ(macros.IndexOfMacroName(u""), -1);
}

TEST(TuiMacroClass, CtlCreateTakesNoMoreThanTheRecordHolds) {
  TMACROKEYINFOLIST list = ListOf({u"Reload", u"Jump"});
  list.MacroInfos[1].MacroListCount = 7;
  const auto two = TuiMacroClass::CtlCreate(list);
  ASSERT_EQ(two.GetMacroListCount(), 2);
  EXPECT_EQ(two.FMacroListIndex(), 0);
  EXPECT_EQ(two.Macros()[1].MacroListCount, 7);

  list.nMacroInfoCount = 0xFFFF;
  EXPECT_EQ(TuiMacroClass::CtlCreate(list).GetMacroListCount(), kMacrosPerList);
}

TEST(TuiMacroClass, NamesMatchExactly) {
  TMACROKEYINFOLIST list = ListOf({u"Reload", u"宏一"});
  std::fill_n(list.MacroInfos[2].szMacroName, kMacroNameLength, u'x');  // no terminator
  list.nMacroInfoCount = 3;
  const auto macros = TuiMacroClass::CtlCreate(list);
  EXPECT_FALSE(macros.MacroExists(u"reload")) << "letter case counts";
  EXPECT_FALSE(macros.MacroExists(u"Rel")) << "whole string";
  EXPECT_EQ(macros.IndexOfMacroName(u"宏一"), 1);
  EXPECT_EQ(macros.IndexOfMacroName(std::u16string(kMacroNameLength, u'x')), 2);
}

TEST(TuiMacroClass, DuplicateNamesResolveToTheFirst) {
  auto macros = TuiMacroClass::CtlCreate(ListOf({u"A", u"Twin", u"Twin"}));
  EXPECT_EQ(macros.IndexOfMacroName(u"Twin"), 1);
  macros.DeleteMacro(u"Twin");
  ASSERT_EQ(macros.GetMacroListCount(), 2);
  EXPECT_EQ(macros.IndexOfMacroName(u"Twin"), 1);
}

TEST(TuiMacroClass, DeleteRenumbersAndKeepsTheCurrentPositionInRange) {
  auto macros = TuiMacroClass::CtlCreate(ListOf({u"A", u"B", u"C"}));
  macros.DeleteMacro(u"missing");
  EXPECT_EQ(macros.GetMacroListCount(), 3);
  macros.DeleteMacro(u"A");
  EXPECT_EQ(Indexes(macros), (std::vector<int>{0, 1}));
  EXPECT_EQ(MacroName(macros.Macros()[0]), u"B");

  macros.CreateNewMacro(u"D");
  ASSERT_EQ(macros.FMacroListIndex(), 2);
  macros.DeleteMacro(u"D");
  EXPECT_EQ(macros.FMacroListIndex(), 1);
  macros.DeleteMacro(u"B");
  macros.DeleteMacro(u"C");
  EXPECT_EQ(macros.FMacroListIndex(), -1);
}

TEST(TuiMacroClass, CreateNewMacroAppendsAnEmptyCurrentMacro) {
  TuiMacroClass macros;
  macros.CreateNewMacro(u"First");
  macros.CreateNewMacro(u"Second");
  ASSERT_EQ(macros.GetMacroListCount(), 2);
  EXPECT_EQ(macros.FMacroListIndex(), 1);
  EXPECT_EQ(Indexes(macros), (std::vector<int>{0, 1}));
  const TMACROKEYINFO& second = macros.Macros()[1];
  EXPECT_EQ(second.MacroListCount, 0);
  EXPECT_EQ(second.MacroList[0].nEntryType, 0);
  EXPECT_TRUE(macros.MacroExists(u"Second"));
}

TEST(TuiMacroClass, LongNamesAreCutToTheField) {
  TuiMacroClass macros;
  macros.CreateNewMacro(std::u16string(60, u'n'));
  const TMACROKEYINFO& cut = macros.Macros()[0];
  EXPECT_EQ(MacroName(cut), std::u16string(kMacroNameMaxUnits, u'n'));
  EXPECT_EQ(cut.szMacroName[kMacroNameLength - 1], u'\0');

  // A pair that would straddle the cut is dropped whole.
  macros.CreateNewMacro(std::u16string(48, u'n') + u"\U0001F3AE");
  EXPECT_EQ(MacroName(macros.Macros()[1]), std::u16string(48, u'n'));

  macros.CreateNewMacro(std::u16string(u"ab\0cd", 5));
  EXPECT_EQ(MacroName(macros.Macros()[2]), u"ab");
}

TEST(TuiMacroClass, GetMacroKeyInfoListWritesOnlyTheRecordsSlots) {
  TMACROKEYINFOLIST out = ListOf({u"A", u"B", u"Old"});
  const auto one = TuiMacroClass::CtlCreate(ListOf({u"New"}));
  one.GetMacroKeyInfoList(out);
  EXPECT_EQ(out.nMacroInfoCount, 1);
  EXPECT_EQ(MacroName(out.MacroInfos[0]), u"New");
  EXPECT_EQ(MacroName(out.MacroInfos[2]), u"Old") << "slots past the count are left";

  TuiMacroClass many;
  for (int i = 0; i <= kMacrosPerList; ++i) many.CreateNewMacro(u"M");
  many.GetMacroKeyInfoList(out);
  EXPECT_EQ(out.nMacroInfoCount, kMacrosPerList);
  EXPECT_EQ(out.MacroInfos[kMacrosPerList - 1].nMacroIndex, kMacrosPerList - 1);
}

TEST(TuiMacroClass, DelayIsLittleEndianMilliseconds) {
  EXPECT_EQ(MacroDelayMs(TMACROENTRY{kMacroEntryDelay, 0, 0xF4, 0x01}), 500);
  EXPECT_EQ(MacroDelayMs(TMACROENTRY{kMacroEntryDelay, 0, 0xFF, 0xFF}), 65535);
}

}  // namespace
}  // namespace q9
