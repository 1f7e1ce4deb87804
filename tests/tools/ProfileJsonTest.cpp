#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstring>
#include <memory>

#include "ProfileJson.h"
#include "TestSupport.h"
#include "input/uiKeyCode.h"
#include "model/FactoryDefaults.h"
#include "model/ProfileRecords.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {
namespace {

using test::Bytes;
using test::Fixture;
using json = nlohmann::ordered_json;

constexpr std::size_t kLevel2X = offsetof(TMouseProfileInfoEasyShiftEx, MouseSettingInfo) +
                                 offsetof(TMouseSettingInfoEasyShiftEx, CPIState) + sizeof(TCPILEVELINFO);

Bytes RoundTrip(const Bytes& image) { return ProfileImageFromJson(ProfileImageToJson(image)); }

std::size_t DifferingBytes(const Bytes& a, const Bytes& b) {
  std::size_t n = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) n += a[i] != b[i];
  return n;
}

std::unique_ptr<TMouseProfileInfoEasyShiftEx> Factory() {
  auto p = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  MakeFactoryProfile(*p, 81);
  return p;
}

// A profile built here: every kind of function, macros in two groups, odd key variants.
Bytes BuiltRichProfile() {
  auto p = Factory();
  TMACROKEYINFOLIST& macros = p->MacroKeyInfoList;
  macros.nMacroInfoCount = 2;
  for (int m = 0; m < 2; ++m) {
    TMACROKEYINFO& macro = macros.MacroInfos[m];
    macro.nMacroIndex = static_cast<Word>(m);
    macro.szMacroName[0] = u"ab"[m];
    macro.MacroList[0] = {kMacroEntryKey, 1, 'Q', 0};
    macro.MacroList[1] = {kMacroEntryDelay, 0, 0x2C, 0x01};
    macro.MacroList[2] = {kMacroEntryMouse, 1, 2, 0};
    macro.MacroList[3] = {kMacroEntryMouse, 0, 2, 0};
    macro.MacroList[4] = {kMacroEntryKey, 0, 'Q', 0};
    macro.MacroListCount = 5;
    macro.nLoopCount = static_cast<Word>(m + 2);
  }
  TMouseButtonConfigInfoEasyShiftEx& g = p->MouseButtonConfigInfo;
  EXPECT_TRUE(AssignMacro(g, 0, macros, 1));
  AssignComboKey(g.ButtonFuncInfo[1], {'C', 0, 13, 1, Word(kModifierCtrl | kModifierWin)});
  EXPECT_TRUE(AssignMenuFunction(g.ButtonFuncInfo[2], 1005));
  EXPECT_TRUE(AssignMenuFunction(g.ButtonFuncInfo[3], 802));
  AssignSingleKey(g.ButtonFuncInfo[4], {13, 1});
  EXPECT_TRUE(AssignMenuFunction(g.ButtonFuncInfo[5], 906));
  EXPECT_TRUE(AssignMenuFunction(p->MouseButtonConfigInfoCtrl.ButtonFuncInfo[7], 17));
  return test::BytesOf(*p);
}

TEST(ProfileJsonTest, RoundTripsEveryFixtureByteForByte) {
  for (const char* name : {"factory_profile.GPX", "factory_profile_sensor16.GPX", "rich_profile.GPX", "truncated_1000.GPX",
                           "oversized_tail.GPX"}) {
    const Bytes image = Fixture(name);
    EXPECT_EQ(RoundTrip(image), image) << name;
  }
  const Bytes built = BuiltRichProfile();
  EXPECT_EQ(RoundTrip(built), built);
}

TEST(ProfileJsonTest, NamesWhatAUserSets) {
  const json doc = json::parse(ProfileImageToJson(BuiltRichProfile()));
  EXPECT_EQ(doc["schemaVersion"], 1);
  const json& plain = doc["buttonGroups"]["plain"];
  ASSERT_EQ(plain.size(), 8u);
  EXPECT_EQ(plain[0], (json{{"function", "Macro Keys..."}, {"macro", "b"}}));
  EXPECT_EQ(plain[1], (json{{"function", "Combo Key..."}, {"modifiers", "Ctrl+WIN"}, {"keys", {"C", "EXT:ENTER"}}}));
  EXPECT_EQ(plain[2]["function"], "Volume Up");
  EXPECT_EQ(plain[3]["function"], "Copy");
  EXPECT_EQ(plain[4], (json{{"function", "Single Key..."}, {"key", "EXT:ENTER"}}));
  EXPECT_EQ(plain[5]["function"], "Lock PC");
  EXPECT_EQ(plain[6], (json{{"function", "Fire Key(Multi-Click)"}, {"clicks", 2}, {"delayMs", 60}, {"menuID", 0}}));
  EXPECT_EQ(doc["buttonGroups"]["ctrl"][7]["function"], "Disable");
  EXPECT_EQ(doc["macros"]["plain"][1]["steps"],
            (json{{{"keyDown", "Q"}}, {{"delayMs", 300}}, {{"mouseDown", "right"}}, {{"mouseUp", "right"}}, {{"keyUp", "Q"}}}));
  EXPECT_EQ(doc["macros"]["plain"][1]["loopCount"], 3);
  EXPECT_EQ(doc["cpiLevels"][1], (json{{"enabled", true}, {"x", 1600}, {"y", 1600}}));
  EXPECT_EQ(doc["reportRateHz"], 500);
  EXPECT_EQ(doc["light"], (json{{"color", "#FF0000"}, {"brightness", "low"}, {"breathing", "low"}}));
  EXPECT_EQ(doc["pointer"], (json{{"speed", 10}, {"acceleration", 0}, {"wheelLines", 3}, {"doubleClickMs", 550}}));
  EXPECT_EQ(doc["imageLength"], sizeof(TMouseProfileInfoEasyShiftEx));
}

TEST(ProfileJsonTest, OddAndOutOfRangeValuesAreRawAndRoundTrip) {
  auto p = Factory();
  p->MouseSettingInfo.CPIState[0].nCPIX = 12;
  p->MouseSettingInfo.CPIState[1].nEnabled = 7;
  p->MouseSettingInfo.ReportRate = 777;
  p->MouseSettingInfo.LEDConfig.BRIGHT_LEVEL = 5;
  p->MouseButtonConfigInfo.ButtonFuncInfo[0].nFunctionIndex = 40;
  p->MouseButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode = 99;
  AssignSingleKey(p->MouseButtonConfigInfo.ButtonFuncInfo[1], {300, 0});
  p->MouseButtonConfigInfo.ButtonFuncInfo[2].reserved3348[1] = 0xA5;  // odd byte in a reserved place
  p->MacroKeyInfoList.nMacroInfoCount = 1;
  p->MacroKeyInfoList.MacroInfos[0].MacroListCount = 500;
  p->MacroKeyInfoList.MacroInfos[0].MacroList[0] = {9, 3, 1, 2};
  p->ProfileHeader.FFileType[3] = 0x5A;
  const Bytes image = test::BytesOf(*p);
  const json doc = json::parse(ProfileImageToJson(image));
  EXPECT_EQ(doc["cpiLevels"][0]["x"], (json{{"step", 12}}));
  EXPECT_EQ(doc["cpiLevels"][1]["enabled"], 7);
  EXPECT_EQ(doc["reportRateHz"], (json{{"raw", 777}}));
  EXPECT_EQ(doc["light"]["brightness"], 5);
  EXPECT_EQ(doc["buttonGroups"]["plain"][0]["functionIndex"], 40);
  EXPECT_EQ(doc["buttonGroups"]["plain"][0]["deviceCode"], 99);
  EXPECT_EQ(doc["buttonGroups"]["plain"][1]["key"], (json{{"vk", 300}, {"extended", 0}}));
  EXPECT_EQ(doc["macros"]["plain"][0]["storedStepCount"], 500);
  EXPECT_EQ(doc["macros"]["plain"][0]["steps"][0], (json{{"raw", {9, 3, 1, 2}}}));
  EXPECT_EQ(ProfileImageFromJson(doc.dump()), image);

  // Raw forms applied over another image give the same values.
  json onFactory = doc;
  onFactory["image"] = json::parse(ProfileImageToJson(Fixture("factory_profile.GPX")))["image"];
  const Bytes rebuilt = ProfileImageFromJson(onFactory.dump());
  auto q = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  std::memcpy(q.get(), rebuilt.data(), sizeof *q);
  EXPECT_EQ(q->MouseSettingInfo.CPIState[0].nCPIX, 12);
  EXPECT_EQ(q->MouseSettingInfo.ReportRate, 777);
  EXPECT_EQ(q->MouseButtonConfigInfo.ButtonFuncInfo[0].nFunctionIndex, 40);
  EXPECT_EQ(q->MouseButtonConfigInfo.ButtonFuncInfo[1].SingleKeyInfo.nKeyValue1, 300);
  EXPECT_EQ(q->MacroKeyInfoList.MacroInfos[0].MacroListCount, 500);
}

TEST(ProfileJsonTest, AHandEditChangesExactlyThatField) {
  const Bytes image = Fixture("rich_profile.GPX");
  json doc = json::parse(ProfileImageToJson(image));
  doc["cpiLevels"][1]["x"] = 2500;
  const Bytes edited = ProfileImageFromJson(doc.dump());
  ASSERT_EQ(edited.size(), image.size());
  EXPECT_EQ(DifferingBytes(edited, image), 1u);
  EXPECT_EQ(edited[kLevel2X], 5) << "2500 CPI is step 5";
  EXPECT_EQ(edited[kLevel2X + 1], 0);

  json button = json::parse(ProfileImageToJson(image));
  button["buttonGroups"]["alt"][4] = {{"function", "Copy"}};
  const Bytes copy = ProfileImageFromJson(button.dump());
  const std::size_t record = offsetof(TMouseProfileInfoEasyShiftEx, MouseButtonConfigInfoAlt) + 4 * sizeof(TBUTTONFUNCINFO);
  for (std::size_t i = 0; i < copy.size(); ++i)
    if (copy[i] != image[i]) {
      EXPECT_TRUE(i >= record && i < record + sizeof(TBUTTONFUNCINFO)) << "byte " << i;
    }
  EXPECT_EQ(json::parse(ProfileImageToJson(copy))["buttonGroups"]["alt"][4], (json{{"function", "Copy"}}));
}

TEST(ProfileJsonTest, AnEditPastTheEndOfAShortImageLengthensIt) {
  const Bytes image = Fixture("truncated_1000.GPX");
  json doc = json::parse(ProfileImageToJson(image));
  EXPECT_EQ(ProfileImageFromJson(doc.dump()).size(), 1000u);
  doc["reportRateHz"] = 1000;
  const Bytes edited = ProfileImageFromJson(doc.dump());
  ASSERT_EQ(edited.size(), sizeof(TMouseProfileInfoEasyShiftEx));
  EXPECT_TRUE(std::equal(image.begin(), image.end(), edited.begin()));
}

TEST(ProfileJsonTest, MacrosAreEditedByTheirSteps) {
  const Bytes image = BuiltRichProfile();
  json doc = json::parse(ProfileImageToJson(image));
  doc["macros"]["alt"] = json::array({{{"name", "new"}, {"loopCount", 1}, {"autoDelay", 0},
                                       {"steps", {{{"keyDown", "EXT:ENTER"}}, {{"delayMs", 1000}}, {{"keyUp", "EXT:ENTER"}}}}}});
  doc["buttonGroups"]["alt"][3] = {{"function", "Macro Keys..."}, {"macro", "new"}};
  const json back = json::parse(ProfileImageToJson(ProfileImageFromJson(doc.dump())));
  EXPECT_EQ(back["macros"]["alt"], doc["macros"]["alt"]);
  EXPECT_EQ(back["buttonGroups"]["alt"][3], doc["buttonGroups"]["alt"][3]);
}

void ExpectRefused(json doc, const std::string& expected) {
  try {
    ProfileImageFromJson(doc.dump());
    ADD_FAILURE() << "accepted; expected " << expected;
  } catch (const ProfileJsonError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0u) << e.what();
  }
}

TEST(ProfileJsonTest, BadInputNamesTheField) {
  const json doc = json::parse(ProfileImageToJson(BuiltRichProfile()));
  auto with = [&](auto edit) {
    json copy = doc;
    edit(copy);
    return copy;
  };
  EXPECT_THROW(ProfileImageFromJson("{\"schemaVersion\": 1,"), ProfileJsonError);
  EXPECT_THROW(ProfileImageFromJson(""), ProfileJsonError);
  ExpectRefused(json::array(), "(document): expected an object");
  ExpectRefused(with([](json& d) { d["schemaVersion"] = 2; }), "schemaVersion: version 2 is newer");
  ExpectRefused(with([](json& d) { d.erase("schemaVersion"); }), "schemaVersion: missing");
  ExpectRefused(with([](json& d) { d["buttonGroups"]["plain"][2]["function"] = "Clik"; }),
                "buttonGroups.plain[2].function: unknown function \"Clik\"");
  ExpectRefused(with([](json& d) { d["buttonGroups"]["plain"][4]["key"] = "NOKEY"; }),
                "buttonGroups.plain[4].key: unknown key \"NOKEY\"");
  ExpectRefused(with([](json& d) { d["buttonGroups"]["plain"][1]["keys"][1] = 5; }),
                "buttonGroups.plain[1].keys[1]: expected a string");
  ExpectRefused(with([](json& d) { d["buttonGroups"]["plain"][0]["macro"] = "zz"; }),
                "buttonGroups.plain[0].macro: the group has no macro \"zz\"");
  ExpectRefused(with([](json& d) { d["buttonGroups"]["plain"][6]["clicks"] = 0; }), "buttonGroups.plain[6].clicks: 0 is outside 1..30");
  ExpectRefused(with([](json& d) { d["buttonGroups"]["alt"].erase(7); }), "buttonGroups.alt: a group has 8 buttons");
  ExpectRefused(with([](json& d) { d["cpiLevels"][2]["y"] = 1700; }), "cpiLevels[2].y: 1700 is not a CPI step");
  ExpectRefused(with([](json& d) { d["cpiLevels"][0]["x"] = "800"; }), "cpiLevels[0].x: expected a whole number, found string");
  ExpectRefused(with([](json& d) {
                  for (auto& level : d["cpiLevels"]) level["enabled"] = false;
                }),
                "cpiLevels: one level always stays on");
  ExpectRefused(with([](json& d) { d["reportRateHz"] = 600; }), "reportRateHz: 600 Hz is not a report rate");
  ExpectRefused(with([](json& d) { d["light"]["color"] = "red"; }), "light.color: \"red\" is not a colour");
  ExpectRefused(with([](json& d) { d["light"]["breathing"] = "fast"; }), "light.breathing: unknown level \"fast\"");
  ExpectRefused(with([](json& d) { d["pointer"].erase("speed"); }), "pointer.speed: missing");
  ExpectRefused(with([](json& d) { d["pointer"]["wheelLines"] = 70000; }), "pointer.wheelLines: 70000 is outside 0..65535");
  ExpectRefused(with([](json& d) { d["macros"]["plain"][0]["steps"][0] = {{"hop", 1}}; }),
                "macros.plain[0].steps[0]: unknown step \"hop\"");
  ExpectRefused(with([](json& d) { d["macros"]["plain"][0]["name"] = std::string(60, 'x'); }),
                "macros.plain[0].name: longer than 49 characters");
  ExpectRefused(with([](json& d) { d["image"] = "abc"; }), "image: not base64");
  ExpectRefused(with([](json& d) { d["imageLength"] = 5; }), "image: holds 332884 bytes, imageLength says 5");
  ExpectRefused(with([](json& d) { d.erase("light"); }), "light: missing");
}

TEST(ProfileJsonTest, ChangesAreListedFieldByField) {
  const Bytes before = Fixture("factory_profile.GPX");
  json doc = json::parse(ProfileImageToJson(before));
  doc["buttonGroups"]["plain"][2] = {{"function", "Copy"}};
  doc["cpiLevels"][1]["x"] = 2500;
  doc["light"]["color"] = "#00FF00";
  Bytes after = ProfileImageFromJson(doc.dump());
  after[5] = 0x77;
  after[6] = 0x78;
  EXPECT_EQ(DescribeProfileChanges(before, after),
            (std::vector<std::string>{"button group plain, button 3: Middle Button -> Copy", "CPI level 2 X: 1600 -> 2500",
                                      "light colour: #FF0000 -> #00FF00", "other bytes: 2 bytes differ"}));
  EXPECT_TRUE(DescribeProfileChanges(before, before).empty());
}

}  // namespace
}  // namespace q9
