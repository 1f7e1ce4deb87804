#include "ProfileReport.h"

#include <cstdio>
#include <cstring>

#include "input/uiKeyCode.h"
#include "macro/uiMacroClassUnit.h"
#include "model/ButtonFunctionTable.h"
#include "model/CpiStepTable.h"
#include "model/MemoryLocations.h"
#include "model/WideText.h"

namespace q9 {

using nlohmann::json;

namespace {

const char* const kGroupNames[kDeviceButtonGroupCount] = {"plain", "alt", "ctrl", "shift"};
const char* const kLevelNames[4] = {"off", "low", "middle", "high"};

std::string LevelName(int level) { return level >= 0 && level < 4 ? kLevelNames[level] : std::to_string(level); }

json KeyOf(int vk, int extended) {
  return json{{"vk", vk}, {"extended", extended != 0}, {"name", VKToKeyName(vk, extended)}};
}

std::string HexColor(const TLEDCONFIG& light) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", light.R, light.G, light.B);
  return text;
}

int CpiShown(int value, int sensorType) { return sensorType == kSensorTypeStepIndexes ? CpiOfStep(value) : value; }

json DescribeMacroStep(const TMACROENTRY& step) {
  switch (step.nEntryType) {
    case kMacroEntryKey:
      return {{"type", "key"}, {"action", step.nEntryState ? "press" : "release"}, {"vk", step.nValueLo},
              {"extended", step.nValueHi != 0}, {"name", VKToKeyName(step.nValueLo, step.nValueHi)}};
    case kMacroEntryMouse: {
      const char* button = step.nValueLo == 1 ? "left" : step.nValueLo == 2 ? "right" : step.nValueLo == 4 ? "middle" : "?";
      return {{"type", "mouse"}, {"action", step.nEntryState ? "press" : "release"}, {"button", button}};
    }
    case kMacroEntryDelay:
      return {{"type", "delay"}, {"ms", step.nValueLo | (step.nValueHi << 8)}};
    default:
      return {{"type", "unknown"}, {"code", step.nEntryType}};
  }
}

std::string StepText(const json& step) {
  const std::string type = step["type"];
  if (type == "key") return std::string(step["action"]) + " " + std::string(step["name"]);
  if (type == "mouse") return std::string(step["action"]) + " " + std::string(step["button"]);
  if (type == "delay") return "wait " + std::to_string(int(step["ms"])) + " ms";
  return "unknown step " + std::to_string(int(step["code"]));
}

std::string ButtonDetail(const json& b) {
  if (b.contains("key")) return " (" + std::string(b["key"]["name"]) + ")";
  if (b.contains("combo")) return " (" + std::string(b["combo"]["text"]) + ")";
  if (b.contains("fireKey"))
    return " (" + std::to_string(int(b["fireKey"]["clicks"])) + " clicks, " + std::to_string(int(b["fireKey"]["delayMs"])) +
           " ms apart)";
  if (b.contains("macro")) return " (\"" + std::string(b["macro"]["name"]) + "\")";
  if (b.contains("mediaCode")) return " (code " + std::to_string(int(b["mediaCode"])) + ")";
  return "";
}

// The active CPI level, 1..4; null for a stored index that names no level (the mouse refuses it).
json CurrentCpiLevel(const TMouseSettingInfoEasyShiftEx& s) {
  constexpr int kLevels = 4;
  return s.CurrentCPIIndex >= 0 && s.CurrentCPIIndex < kLevels ? json(s.CurrentCPIIndex + 1) : json(nullptr);
}

std::string StoredNote(const json& s, const char* field) {
  return s.contains(field) ? " (stored " + std::to_string(int(s[field])) + ", out of range)" : "";
}

}  // namespace

int CurrentProfileOf(const TALLPROFILESETTINGINFO& settings) {
  return settings.CurrentProfileIndex < kGameProfileCount ? settings.CurrentProfileIndex : 0;
}

json DescribeMacro(const TMACROKEYINFO& macro) {
  json steps = json::array();
  const int count = macro.MacroListCount;
  // A damaged record may claim more steps than the record holds; show what is there.
  for (int i = 0; i < count && i < kMacroStepCount; ++i) steps.push_back(DescribeMacroStep(macro.MacroList[i]));
  return {{"index", macro.nMacroIndex},
          {"name", Utf8FromUtf16(MacroName(macro))},
          {"stepCount", count},
          {"loopCount", macro.nLoopCount},
          {"autoDelay", macro.nAutoAddDelay != 0},
          {"steps", steps}};
}

json DescribeButton(const TBUTTONFUNCINFO& button) {
  const std::string_view caption = CaptionOfFunctionIndex(button.nFunctionIndex);
  json b{{"button", button.nButtonIndex + 1},
         {"function", caption.empty() ? "Unknown function " + std::to_string(button.nFunctionIndex) : std::string(caption)},
         {"functionIndex", button.nFunctionIndex},
         {"functionType", button.nFunctionType},
         {"deviceCode", button.nDeviceCode}};
  switch (button.nFunctionType) {
    case kFunctionSingleKey:
      b["key"] = KeyOf(button.SingleKeyInfo.nKeyValue1, button.SingleKeyInfo.nKey1Extended);
      break;
    case kFunctionCombo: {
      const TCOMBOKEYINFO& c = button.ComboKeyInfo;
      json keys = json::array({KeyOf(c.nKeyValue1, c.nKey1Extended)});
      if (c.nKeyValue2) keys.push_back(KeyOf(c.nKeyValue2, c.nKey2Extended));
      b["combo"] = {{"text", ComboKeyText(c)},
                    {"modifiers", ModifierToText(static_cast<std::uint8_t>(c.nModifier))},
                    {"modifierBits", c.nModifier},
                    {"keys", keys}};
      break;
    }
    case kFunctionFireKey:
      b["fireKey"] = {{"clicks", button.FireKeyInfo.nLoopCount}, {"delayMs", button.FireKeyInfo.DelyValue}};
      break;
    case kFunctionMacro:
      b["macro"] = {{"index", button.MacroKeyInfo.nMacroIndex},
                    {"name", Utf8FromUtf16(MacroName(button.MacroKeyInfo))}};
      break;
    case kFunctionMedia:
      b["mediaCode"] = (button.MediaKeyInfo.nKeyValue1 & 0xFF) | ((button.MediaKeyInfo.nKeyValue2 & 0xFF) << 8);
      break;
    default:
      break;
  }
  return b;
}

json DescribeSettings(const TALLPROFILESETTINGINFO& settings) {
  static const char* const kLanguages[] = {"English", "Simplified Chinese", "Traditional Chinese"};
  json storage = json::array();
  for (int i = 0; i < kGameProfileCount; ++i) {
    const TGAMESET& entry = settings.Allgameset[i];
    json e{{"profile", i}, {"storageType", entry.StorageType}};
    e["storedIn"] = entry.StorageType == kStoredInRegistry ? "registry" : entry.StorageType == kStoredInFile ? "file" : "nowhere";
    if (entry.StorageType == kStoredInFile)
      e["path"] = Utf8FromUtf16(WideFieldText(entry.szFilePath, kGameSetPathUsed));
    storage.push_back(e);
  }
  const TEasyShiftOptions& es = settings.EasyShiftOptions;
  const int language = settings.CurrentLanguage;
  json described{{"currentProfile", CurrentProfileOf(settings)},
                 {"language", {{"index", language}, {"name", language < 3 ? kLanguages[language] : "other"}}},
                 {"startWithWindows", settings.ReservedData.IntegerData[kSlotStartWithWindows] != 0},
                 {"mode1Profile", MemoryLocationProfile(settings, 0)},
                 {"mode2Profile", MemoryLocationProfile(settings, 1)},
                 {"easyShift",
                  {{"shortCutsType", es.ShortCutsType},
                   {"enabled", es.EnableFeature == 1},
                   {"groupsEnabled", {es.EnableGroup1 == 1, es.EnableGroup2 == 1, es.EnableGroup3 == 1, es.EnableGroup4 == 1}}}},
                 {"storage", storage}};
  // The program works with the corrected values; a stored value it replaces is shown beside them.
  if (described["currentProfile"] != settings.CurrentProfileIndex)
    described["storedCurrentProfile"] = settings.CurrentProfileIndex;
  const Integer stored[2] = {settings.ReservedData.IntegerData[kSlotMode1Profile],
                             settings.ReservedData.IntegerData[kSlotMode2Profile]};
  for (int location = 0; location < kMemoryLocationCount; ++location)
    if (stored[location] != MemoryLocationProfile(settings, location))
      described[location == 0 ? "storedMode1Profile" : "storedMode2Profile"] = stored[location];
  return described;
}

json DescribeProfile(const TMouseProfileInfoEasyShiftEx& profile, int profileIndex, int sensorType) {
  const TMouseSettingInfoEasyShiftEx& s = profile.MouseSettingInfo;
  json levels = json::array();
  for (int i = 0; i < 4; ++i) {
    const TCPILEVELINFO& level = s.CPIState[i];
    levels.push_back({{"level", i + 1},
                      {"cpiX", CpiShown(level.nCPIX, sensorType)},
                      {"cpiY", CpiShown(level.nCPIY, sensorType)},
                      {"enabled", level.nEnabled == 1},
                      {"linkedXY", s.UseDiffentXY[i] == 0}});
  }
  const int buttonCount = s.ButtonCount >= 0 && s.ButtonCount <= kButtonsPerGroup ? s.ButtonCount : kButtonsPerGroup;
  json groups = json::object();
  json macros = json::object();
  for (int g = 0; g < kDeviceButtonGroupCount; ++g) {
    json buttons = json::array();
    for (int b = 0; b < buttonCount; ++b) buttons.push_back(DescribeButton(profile.MouseButtonConfigInfoSet[g].ButtonFuncInfo[b]));
    groups[kGroupNames[g]] = buttons;
    json list = json::array();
    const TMACROKEYINFOLIST& macroList = profile.MacroKeyInfoListSet[g];
    for (int m = 0; m < macroList.nMacroInfoCount && m < kMacrosPerList; ++m) list.push_back(DescribeMacro(macroList.MacroInfos[m]));
    macros[kGroupNames[g]] = list;
  }
  json described{{"profile", profileIndex},
          {"buttonCount", s.ButtonCount},
          {"buttonGroups", groups},
          {"cpiLevels", levels},
          {"currentCpiLevel", CurrentCpiLevel(s)},
          {"reportRateHz", s.ReportRate},
          {"light",
           {{"color", HexColor(s.LEDConfig)},
            {"r", s.LEDConfig.R},
            {"g", s.LEDConfig.G},
            {"b", s.LEDConfig.B},
            {"brightness", LevelName(s.LEDConfig.BRIGHT_LEVEL)},
            {"breathing", LevelName(s.LEDConfig.BREATH_SPEED)}}},
          {"pointer",
           {{"speed", s.PointerSpeed},
            {"acceleration", s.PointerAcceleration},
            {"wheelLines", s.VWheelSpeed},
            {"doubleClickMs", s.DoubleClickSpeed}}},
          {"macros", macros}};
  if (described["currentCpiLevel"].is_null()) described["storedCurrentCpiIndex"] = s.CurrentCPIIndex;
  return described;
}

void PrintSettings(std::ostream& out, const json& s) {
  out << "Settings\n"
      << "  current profile:    " << int(s["currentProfile"]) << StoredNote(s, "storedCurrentProfile") << "\n"
      << "  language:           " << std::string(s["language"]["name"]) << " (index " << int(s["language"]["index"]) << ")\n"
      << "  start with system:  " << (s["startWithWindows"] ? "yes" : "no") << "\n"
      << "  Mode1 holds:        profile " << int(s["mode1Profile"]) << StoredNote(s, "storedMode1Profile") << "\n"
      << "  Mode2 holds:        profile " << int(s["mode2Profile"]) << StoredNote(s, "storedMode2Profile") << "\n"
      << "  EasyShift:          " << (s["easyShift"]["enabled"] ? "on" : "off") << ", shortcuts type "
      << int(s["easyShift"]["shortCutsType"]) << "\n";
  for (const json& e : s["storage"]) {
    out << "  profile " << int(e["profile"]) << " stored in " << std::string(e["storedIn"]);
    if (e.contains("path")) out << " " << std::string(e["path"]);
    out << "\n";
  }
}

void PrintProfile(std::ostream& out, const json& p) {
  out << "Profile " << int(p["profile"]) << "\n  buttons (" << int(p["buttonCount"]) << "):\n";
  for (const json& b : p["buttonGroups"]["plain"])
    out << "    " << int(b["button"]) << ": " << std::string(b["function"]) << ButtonDetail(b) << "\n";
  for (const char* group : {"alt", "ctrl", "shift"})
    if (p["buttonGroups"][group] != p["buttonGroups"]["plain"]) {
      out << "  " << group << "+ group:\n";
      for (const json& b : p["buttonGroups"][group])
        out << "    " << int(b["button"]) << ": " << std::string(b["function"]) << ButtonDetail(b) << "\n";
    }
  out << "  CPI levels:";
  for (const json& l : p["cpiLevels"]) {
    out << "  " << int(l["level"]) << "=" << int(l["cpiX"]);
    if (!l["linkedXY"]) out << "x" << int(l["cpiY"]);
    if (!l["enabled"]) out << " (off)";
  }
  if (p["currentCpiLevel"].is_null())
    out << "; no active level (stored index " << std::int64_t(p["storedCurrentCpiIndex"]) << ")\n";
  else
    out << "; active level " << int(p["currentCpiLevel"]) << "\n";
  out << "  report rate: " << int(p["reportRateHz"]) << " Hz\n"
      << "  light: " << std::string(p["light"]["color"]) << ", brightness " << std::string(p["light"]["brightness"])
      << ", breathing " << std::string(p["light"]["breathing"]) << "\n"
      << "  pointer: speed " << int(p["pointer"]["speed"]) << ", acceleration " << int(p["pointer"]["acceleration"])
      << ", wheel " << int(p["pointer"]["wheelLines"]) << " lines, double-click " << int(p["pointer"]["doubleClickMs"])
      << " ms\n";
  for (const auto& [group, list] : p["macros"].items())
    for (const json& m : list) {
      out << "  macro [" << group << "] " << int(m["index"]) << " \"" << std::string(m["name"]) << "\":";
      for (const json& step : m["steps"]) out << " " << StepText(step) << ";";
      out << "\n";
    }
}

}  // namespace q9
