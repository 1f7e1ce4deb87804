#include "ProfileJson.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "MacroSteps.h"
#include "input/uiKeyCode.h"
#include "macro/uiMacroClassUnit.h"
#include "model/ButtonFunctionTable.h"
#include "model/CpiStepTable.h"
#include "model/WideText.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {

namespace {

// Insertion order is kept, so a file reads in the order of the pages.
using json = nlohmann::ordered_json;
using Record = TMouseProfileInfoEasyShiftEx;

constexpr int kShownButtons = 8;
constexpr int kCpiLevels = 4;
constexpr std::size_t kLargestImage = 16u * 1024u * 1024u;
const char* const kGroupNames[kDeviceButtonGroupCount] = {"plain", "alt", "ctrl", "shift"};
const char* const kLevelNames[4] = {"off", "low", "middle", "high"};
const int kReportRates[] = {125, 250, 333, 500, 1000};

[[noreturn]] void Fail(const std::string& path, const std::string& why) { throw ProfileJsonError(path + ": " + why); }

std::string Indexed(const std::string& path, std::size_t index) { return path + "[" + std::to_string(index) + "]"; }
std::string Member(const std::string& path, const char* name) { return path.empty() ? name : path + "." + name; }

const json& Required(const json& object, const std::string& path, const char* name) {
  if (!object.is_object()) Fail(path.empty() ? "(document)" : path, "expected an object");
  const auto found = object.find(name);
  if (found == object.end()) Fail(Member(path, name), "missing");
  return *found;
}

std::int64_t IntegerIn(const json& value, const std::string& path, std::int64_t low, std::int64_t high) {
  if (!value.is_number_integer()) Fail(path, "expected a whole number, found " + std::string(value.type_name()));
  const std::int64_t n = value.is_number_unsigned() && value.get<std::uint64_t>() > INT64_MAX ? INT64_MAX : value.get<std::int64_t>();
  if (n < low || n > high) Fail(path, std::to_string(n) + " is outside " + std::to_string(low) + ".." + std::to_string(high));
  return n;
}

const std::string& StringAt(const json& value, const std::string& path) {
  if (!value.is_string()) Fail(path, "expected a string, found " + std::string(value.type_name()));
  return value.get_ref<const std::string&>();
}

const json& ArrayAt(const json& value, const std::string& path, std::size_t most) {
  if (!value.is_array()) Fail(path, "expected an array, found " + std::string(value.type_name()));
  if (value.size() > most) Fail(path, "more than " + std::to_string(most) + " entries");
  return value;
}

Word WordAt(const json& value, const std::string& path) { return static_cast<Word>(IntegerIn(value, path, 0, 0xFFFF)); }

// ---- base64 of the carried image ----

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    const std::uint32_t v = (bytes[i] << 16) | ((left > 1 ? bytes[i + 1] : 0) << 8) | (left > 2 ? bytes[i + 2] : 0);
    text += kBase64[(v >> 18) & 63];
    text += kBase64[(v >> 12) & 63];
    text += left > 1 ? kBase64[(v >> 6) & 63] : '=';
    text += left > 2 ? kBase64[v & 63] : '=';
  }
  return text;
}

int Base64Digit(char c) {
  const char* at = std::strchr(kBase64, c);
  return c != '\0' && at ? static_cast<int>(at - kBase64) : -1;
}

std::vector<std::uint8_t> FromBase64(const std::string& text, const std::string& path) {
  if (text.size() % 4 != 0) Fail(path, "not base64 (the length is not a multiple of 4)");
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
      const int digit = k >= 4 - pad ? 0 : Base64Digit(text[i + k]);
      if (digit < 0) Fail(path, "not base64 (character " + std::to_string(i + k) + ")");
      v = (v << 6) | static_cast<std::uint32_t>(digit);
    }
    bytes.push_back(static_cast<std::uint8_t>(v >> 16));
    if (pad < 2) bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    if (pad < 1) bytes.push_back(static_cast<std::uint8_t>(v));
  }
  return bytes;
}

// ---- keys ----

json KeyJson(int vk, int extended) {
  if (extended == 0 || extended == 1) {
    const std::string described = VKToKeyName(vk, extended);
    const std::string name = extended ? "EXT:" + described : described;
    std::int32_t foundVk = -1, foundExtended = -1;
    if (!described.empty() && FindKeyByName(name, foundVk, foundExtended) && foundVk == vk && foundExtended == extended)
      return name;
  }
  return json{{"vk", vk}, {"extended", extended}};
}

struct Key {
  Word vk;
  Word extended;
};

Key KeyFrom(const json& value, const std::string& path) {
  if (value.is_object()) return {WordAt(Required(value, path, "vk"), Member(path, "vk")),
                                 WordAt(Required(value, path, "extended"), Member(path, "extended"))};
  const std::string& name = StringAt(value, path);
  Key key{0, 0};
  switch (LookUpSendableKey(name, key.vk, key.extended)) {
    case KeyLookup::Found:
      return key;
    case KeyLookup::Unknown:
      Fail(path, "unknown key \"" + name + "\" (q9ctl keys lists them)");
    case KeyLookup::NotSendable:
      Fail(path, "the mouse cannot send the key \"" + name + "\": it has no HID code");
  }
  Fail(path, "unknown key \"" + name + "\"");
}

// ---- buttons ----

std::string ModifierNames(int modifier) {
  std::string text = ModifierToText(static_cast<std::uint8_t>(modifier));
  if (!text.empty() && text.back() == '+') text.pop_back();
  return text;
}

json ReadableButton(const TBUTTONFUNCINFO& b) {
  const std::string caption(CaptionOfFunctionIndex(b.nFunctionIndex));
  json j{{"function", caption}};
  switch (MenuIDOfFunctionIndex(b.nFunctionIndex)) {
    case kMenuSingleKey:
      j["key"] = KeyJson(b.SingleKeyInfo.nKeyValue1, b.SingleKeyInfo.nKey1Extended);
      break;
    case kMenuComboKey: {
      const TCOMBOKEYINFO& c = b.ComboKeyInfo;
      json keys = json::array({KeyJson(c.nKeyValue1, c.nKey1Extended)});
      if (c.nKeyValue2 || c.nKey2Extended) keys.push_back(KeyJson(c.nKeyValue2, c.nKey2Extended));
      j["modifiers"] = ModifierNames(c.nModifier);
      j["keys"] = keys;
      break;
    }
    case kMenuFireKey:
      j["clicks"] = b.FireKeyInfo.nLoopCount;
      j["delayMs"] = b.FireKeyInfo.DelyValue;
      break;
    case kMenuMacroKeys:
      j["macro"] = Utf8FromUtf16(MacroName(b.MacroKeyInfo));
      break;
    default:
      break;
  }
  return j;
}

json RawButton(const TBUTTONFUNCINFO& b) {
  return {{"functionIndex", b.nFunctionIndex}, {"functionType", b.nFunctionType}, {"deviceCode", b.nDeviceCode},
          {"menuID", b.nMenuID}};
}

void ApplyMacroButton(TMouseButtonConfigInfoEasyShiftEx& group, int slot, const TMACROKEYINFOLIST& macros,
                      const json& j, const std::string& path) {
  const std::string& name = StringAt(Required(j, path, "macro"), Member(path, "macro"));
  const int index = TuiMacroClass::CtlCreate(macros).IndexOfMacroName(Utf16FromUtf8(name));
  if (index < 0) Fail(Member(path, "macro"), "the group has no macro \"" + name + "\"");
  if (!AssignMacro(group, slot, macros, index))
    Fail(Member(path, "macro"), "buttons 1 to 10 of a group use at most " + std::to_string(kMaxMacrosPerGroup) + " macros");
}

void ApplyFunction(TMouseButtonConfigInfoEasyShiftEx& group, int slot, const TMACROKEYINFOLIST& macros, const json& j,
                   const std::string& path) {
  TBUTTONFUNCINFO& record = group.ButtonFuncInfo[slot];
  if (j.is_object() && j.contains("functionIndex")) {
    record.nFunctionIndex = WordAt(j["functionIndex"], Member(path, "functionIndex"));
    record.nFunctionType = static_cast<Byte>(IntegerIn(Required(j, path, "functionType"), Member(path, "functionType"), 0, 255));
    record.nDeviceCode = static_cast<Integer>(IntegerIn(Required(j, path, "deviceCode"), Member(path, "deviceCode"), INT32_MIN, INT32_MAX));
    record.nMenuID = static_cast<Integer>(IntegerIn(Required(j, path, "menuID"), Member(path, "menuID"), INT32_MIN, INT32_MAX));
    return;
  }
  const std::string functionPath = Member(path, "function");
  const std::string& caption = StringAt(Required(j, path, "function"), functionPath);
  const int index = FunctionIndexOfCaption(caption);
  if (index < 0) Fail(functionPath, "unknown function \"" + caption + "\"");
  switch (const int menuID = MenuIDOfFunctionIndex(index)) {
    case kMenuSingleKey: {
      const Key key = KeyFrom(Required(j, path, "key"), Member(path, "key"));
      return AssignSingleKey(record, {key.vk, key.extended});
    }
    case kMenuComboKey: {
      const std::string modifiersPath = Member(path, "modifiers");
      std::uint8_t modifier = 0;
      const std::string& modifiers = StringAt(Required(j, path, "modifiers"), modifiersPath);
      if (!modifiers.empty() && !ParseModifiers(modifiers, modifier))
        Fail(modifiersPath, "unknown modifiers \"" + modifiers + "\" (Alt, Ctrl, Shift, Win joined by +)");
      const std::string keysPath = Member(path, "keys");
      const json& keys = ArrayAt(Required(j, path, "keys"), keysPath, 2);
      if (keys.empty()) Fail(keysPath, "a combination has one or two keys");
      const Key first = KeyFrom(keys[0], Indexed(keysPath, 0));
      const Key second = keys.size() == 2 ? KeyFrom(keys[1], Indexed(keysPath, 1)) : Key{0, 0};
      return AssignComboKey(record, {first.vk, first.extended, second.vk, second.extended, modifier});
    }
    case kMenuFireKey:
      return AssignFireKey(record, {static_cast<Word>(IntegerIn(Required(j, path, "clicks"), Member(path, "clicks"), 1, 30)),
                                    static_cast<Word>(IntegerIn(Required(j, path, "delayMs"), Member(path, "delayMs"), 10, 5000))});
    case kMenuMacroKeys:
      return ApplyMacroButton(group, slot, macros, j, path);
    default:
      AssignMenuFunction(record, menuID);
  }
}

void ApplyButton(TMouseButtonConfigInfoEasyShiftEx& group, int slot, const TMACROKEYINFOLIST& macros, const json& j,
                 const std::string& path) {
  ApplyFunction(group, slot, macros, j, path);
  if (j.is_object() && !j.contains("functionIndex") && j.contains("menuID"))
    group.ButtonFuncInfo[slot].nMenuID =
        static_cast<Integer>(IntegerIn(j["menuID"], Member(path, "menuID"), INT32_MIN, INT32_MAX));
}

// The readable form when it gives back exactly this record; the raw codes otherwise (an unknown
// function, a key without a name, a fire key outside its ranges, a macro copy that differs from
// the group's macro of that name, ...).
json ButtonJson(const TMouseButtonConfigInfoEasyShiftEx& group, int slot, const TMACROKEYINFOLIST& macros) {
  const TBUTTONFUNCINFO& record = group.ButtonFuncInfo[slot];
  if (!CaptionOfFunctionIndex(record.nFunctionIndex).empty()) {
    json readable = ReadableButton(record);
    auto copy = std::make_unique<TMouseButtonConfigInfoEasyShiftEx>(group);
    try {
      ApplyButton(*copy, slot, macros, readable, "");
      TBUTTONFUNCINFO& made = copy->ButtonFuncInfo[slot];
      // A record another program made may hold another menu item ID (the factory records hold 0).
      if (made.nMenuID != record.nMenuID) {
        readable["menuID"] = record.nMenuID;
        made.nMenuID = record.nMenuID;
      }
      if (std::memcmp(&made, &record, sizeof record) == 0) return readable;
    } catch (const ProfileJsonError&) {
    }
  }
  return RawButton(record);
}

// ---- macros ----

json StepJson(const TMACROENTRY& step) {
  const bool pressOrRelease = step.nEntryState <= 1;
  if (step.nEntryType == kMacroEntryKey && pressOrRelease)
    return {{step.nEntryState ? "keyDown" : "keyUp", KeyJson(step.nValueLo, step.nValueHi)}};
  if (step.nEntryType == kMacroEntryMouse && pressOrRelease && step.nValueHi == 0)
    if (const MacroMouseButton* button = MacroMouseButtonOfCode(step.nValueLo))
      return {{step.nEntryState ? "mouseDown" : "mouseUp", button->word}};
  if (step.nEntryType == kMacroEntryDelay && step.nEntryState == 0) return {{"delayMs", MacroDelayMs(step)}};
  return {{"raw", {step.nEntryType, step.nEntryState, step.nValueLo, step.nValueHi}}};
}

TMACROENTRY StepFrom(const json& j, const std::string& path) {
  if (!j.is_object() || j.size() != 1) Fail(path, "a step is one of keyDown, keyUp, mouseDown, mouseUp, delayMs, raw");
  const std::string kind = j.begin().key();
  const json& value = j.begin().value();
  const std::string at = Member(path, kind.c_str());
  if (kind == "keyDown" || kind == "keyUp") {
    const Key key = KeyFrom(value, at);
    if (key.vk > 255 || key.extended > 255) Fail(at, "a macro key has a code of at most 255");
    return {kMacroEntryKey, Word(kind == "keyDown"), static_cast<Byte>(key.vk), static_cast<Byte>(key.extended)};
  }
  if (kind == "mouseDown" || kind == "mouseUp") {
    const std::string& button = StringAt(value, at);
    const auto known = std::find_if(std::begin(kMacroMouseButtons), std::end(kMacroMouseButtons),
                                    [&](const MacroMouseButton& b) { return button == b.word; });
    const Byte code = known == std::end(kMacroMouseButtons) ? 0 : known->code;
    if (!code) Fail(at, "unknown mouse button \"" + button + "\" (left, right, middle)");
    return {kMacroEntryMouse, Word(kind == "mouseDown"), code, 0};
  }
  if (kind == "delayMs") {
    const Word ms = WordAt(value, at);
    return {kMacroEntryDelay, 0, static_cast<Byte>(ms & 0xFF), static_cast<Byte>(ms >> 8)};
  }
  if (kind == "raw") {
    const json& raw = ArrayAt(value, at, 4);
    if (raw.size() != 4) Fail(at, "a raw step is [type, state, low byte, high byte]");
    return {WordAt(raw[0], Indexed(at, 0)), WordAt(raw[1], Indexed(at, 1)),
            static_cast<Byte>(IntegerIn(raw[2], Indexed(at, 2), 0, 255)), static_cast<Byte>(IntegerIn(raw[3], Indexed(at, 3), 0, 255))};
  }
  Fail(path, "unknown step \"" + kind + "\" (keyDown, keyUp, mouseDown, mouseUp, delayMs, raw)");
}

json MacroJson(const TMACROKEYINFO& macro) {
  json steps = json::array();
  const int count = std::clamp<int>(macro.MacroListCount, 0, kMacroStepCount);
  for (int i = 0; i < count; ++i) steps.push_back(StepJson(macro.MacroList[i]));
  json j{{"name", Utf8FromUtf16(MacroName(macro))}, {"loopCount", macro.nLoopCount}, {"autoDelay", macro.nAutoAddDelay}, {"steps", steps}};
  if (macro.MacroListCount != count) j["storedStepCount"] = macro.MacroListCount;
  return j;
}

void ApplyMacro(TMACROKEYINFO& macro, int position, const json& j, const std::string& path) {
  const std::string& name = StringAt(Required(j, path, "name"), Member(path, "name"));
  const json& steps = ArrayAt(Required(j, path, "steps"), Member(path, "steps"), kMacroStepCount);
  TMACROKEYINFO made = macro;
  std::memset(made.MacroList, 0, sizeof made.MacroList);
  for (std::size_t i = 0; i < steps.size(); ++i) made.MacroList[i] = StepFrom(steps[i], Indexed(Member(path, "steps"), i));
  made.MacroListCount = static_cast<Integer>(steps.size());
  if (j.contains("storedStepCount"))
    made.MacroListCount = static_cast<Integer>(IntegerIn(j["storedStepCount"], Member(path, "storedStepCount"), INT32_MIN, INT32_MAX));
  made.nLoopCount = WordAt(Required(j, path, "loopCount"), Member(path, "loopCount"));
  made.nAutoAddDelay = WordAt(Required(j, path, "autoDelay"), Member(path, "autoDelay"));
  made.nMacroIndex = static_cast<Word>(position);
  if (!SetWideField(made.szMacroName, kMacroNameLength, Utf16FromUtf8(name)))
    Fail(Member(path, "name"), "longer than " + std::to_string(kMacroNameMaxUnits) + " characters");
  macro = made;
}

void ApplyMacroList(TMACROKEYINFOLIST& list, const json& given, const json& carried, const std::string& path) {
  ArrayAt(given, path, kMacrosPerList);
  for (std::size_t i = 0; i < given.size(); ++i)
    if (i >= carried.size() || given[i] != carried[i]) ApplyMacro(list.MacroInfos[i], static_cast<int>(i), given[i], Indexed(path, i));
  if (given.size() != carried.size()) list.nMacroInfoCount = static_cast<Word>(given.size());
}

// ---- CPI, rate, light, pointer ----

json CpiJson(int step) {
  const int cpi = CpiOfStep(step);
  return cpi > 0 ? json(cpi) : json{{"step", step}};
}

Word CpiStepFrom(const json& value, const std::string& path) {
  if (value.is_object()) return WordAt(Required(value, path, "step"), Member(path, "step"));
  const std::int64_t cpi = IntegerIn(value, path, INT32_MIN, INT32_MAX);
  for (const CpiStep& step : CpiStepTable)
    if (step.cpi == cpi) return static_cast<Word>(step.step);
  Fail(path, std::to_string(cpi) + " is not a CPI step (400, 800, 1200, 1600, 2000, 2500, 3000, 3500, 4000)");
}

json LevelJson(int level) { return level >= 0 && level < 4 ? json(kLevelNames[level]) : json(level); }

Byte LevelFrom(const json& value, const std::string& path) {
  if (value.is_number_integer()) return static_cast<Byte>(IntegerIn(value, path, 0, 255));
  const std::string& name = StringAt(value, path);
  for (int i = 0; i < 4; ++i)
    if (name == kLevelNames[i]) return static_cast<Byte>(i);
  Fail(path, "unknown level \"" + name + "\" (off, low, middle, high)");
}

std::string ColorText(const TLEDCONFIG& light) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", light.R, light.G, light.B);
  return text;
}

void ApplyColor(TLEDCONFIG& light, const json& value, const std::string& path) {
  const std::string& text = StringAt(value, path);
  const bool hex = text.size() == 7 && text[0] == '#' &&
                   std::all_of(text.begin() + 1, text.end(), [](unsigned char c) { return std::isxdigit(c); });
  if (!hex) Fail(path, "\"" + text + "\" is not a colour \"#RRGGBB\"");
  const unsigned long rgb = std::stoul(text.substr(1), nullptr, 16);
  light.R = static_cast<Byte>(rgb >> 16);
  light.G = static_cast<Byte>(rgb >> 8);
  light.B = static_cast<Byte>(rgb);
}

json RateJson(int rate) {
  return std::find(std::begin(kReportRates), std::end(kReportRates), rate) != std::end(kReportRates) ? json(rate)
                                                                                                       : json{{"raw", rate}};
}

Word RateFrom(const json& value, const std::string& path) {
  if (value.is_object()) return WordAt(Required(value, path, "raw"), Member(path, "raw"));
  const std::int64_t rate = IntegerIn(value, path, INT32_MIN, INT32_MAX);
  if (std::find(std::begin(kReportRates), std::end(kReportRates), rate) == std::end(kReportRates))
    Fail(path, std::to_string(rate) + " Hz is not a report rate (125, 250, 333, 500, 1000)");
  return static_cast<Word>(rate);
}

json EnabledJson(int enabled) { return enabled == 0 || enabled == 1 ? json(enabled == 1) : json(enabled); }

Word EnabledFrom(const json& value, const std::string& path) {
  if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
  if (!value.is_number_integer()) Fail(path, "expected true or false, found " + std::string(value.type_name()));
  return WordAt(value, path);
}

// ---- the whole profile ----

std::unique_ptr<Record> RecordOf(std::span<const std::uint8_t> image) {
  auto record = std::make_unique<Record>();
  std::memset(record.get(), 0, sizeof(Record));
  std::memcpy(record.get(), image.data(), std::min(image.size(), sizeof(Record)));
  return record;
}

json ReadableFields(const Record& p) {
  const TMouseSettingInfoEasyShiftEx& s = p.MouseSettingInfo;
  json groups = json::object(), macros = json::object();
  for (int g = 0; g < kDeviceButtonGroupCount; ++g) {
    json buttons = json::array();
    for (int b = 0; b < kShownButtons; ++b) buttons.push_back(ButtonJson(p.MouseButtonConfigInfoSet[g], b, p.MacroKeyInfoListSet[g]));
    groups[kGroupNames[g]] = buttons;
    json list = json::array();
    const TMACROKEYINFOLIST& l = p.MacroKeyInfoListSet[g];
    for (int m = 0; m < std::min<int>(l.nMacroInfoCount, kMacrosPerList); ++m) list.push_back(MacroJson(l.MacroInfos[m]));
    macros[kGroupNames[g]] = list;
  }
  json levels = json::array();
  for (int i = 0; i < kCpiLevels; ++i)
    levels.push_back({{"enabled", EnabledJson(s.CPIState[i].nEnabled)}, {"x", CpiJson(s.CPIState[i].nCPIX)}, {"y", CpiJson(s.CPIState[i].nCPIY)}});
  return {{"buttonGroups", groups},
          {"macros", macros},
          {"cpiLevels", levels},
          {"reportRateHz", RateJson(s.ReportRate)},
          {"light", {{"color", ColorText(s.LEDConfig)}, {"brightness", LevelJson(s.LEDConfig.BRIGHT_LEVEL)},
                     {"breathing", LevelJson(s.LEDConfig.BREATH_SPEED)}}},
          {"pointer", {{"speed", s.PointerSpeed}, {"acceleration", s.PointerAcceleration}, {"wheelLines", s.VWheelSpeed},
                       {"doubleClickMs", s.DoubleClickSpeed}}}};
}

// Applies what differs from the carried image's own readable fields; `given` is the document.
void ApplyCpiLevels(TMouseSettingInfoEasyShiftEx& s, const json& given, const json& carried) {
  const json& levels = ArrayAt(given, "cpiLevels", kCpiLevels);
  if (levels.size() != kCpiLevels) Fail("cpiLevels", "there are " + std::to_string(kCpiLevels) + " levels");
  if (levels == carried) return;
  bool anyOn = false, wasOn = false;
  for (int i = 0; i < kCpiLevels; ++i) {
    const std::string path = Indexed("cpiLevels", i);
    TCPILEVELINFO& level = s.CPIState[i];
    wasOn = wasOn || level.nEnabled == 1;
    const json& l = levels[i];
    if (l == carried[i]) {
      anyOn = anyOn || level.nEnabled == 1;
      continue;
    }
    for (const char* axis : {"x", "y"}) {
      const json& value = Required(l, path, axis);
      if (value != carried[i][axis]) (axis[0] == 'x' ? level.nCPIX : level.nCPIY) = CpiStepFrom(value, Member(path, axis));
    }
    const json& enabled = Required(l, path, "enabled");
    if (enabled != carried[i]["enabled"]) level.nEnabled = EnabledFrom(enabled, Member(path, "enabled"));
    anyOn = anyOn || level.nEnabled == 1;
  }
  if (wasOn && !anyOn) Fail("cpiLevels", "one level always stays on");
}

void ApplyLight(TLEDCONFIG& light, const json& given, const json& carried) {
  if (given == carried) return;
  const json& color = Required(given, "light", "color");
  if (color != carried["color"]) ApplyColor(light, color, "light.color");
  const json& brightness = Required(given, "light", "brightness");
  if (brightness != carried["brightness"]) light.BRIGHT_LEVEL = LevelFrom(brightness, "light.brightness");
  const json& breathing = Required(given, "light", "breathing");
  if (breathing != carried["breathing"]) light.BREATH_SPEED = LevelFrom(breathing, "light.breathing");
}

void ApplyPointer(TMouseSettingInfoEasyShiftEx& s, const json& given, const json& carried) {
  const std::pair<const char*, Word*> fields[] = {
      {"speed", &s.PointerSpeed}, {"acceleration", &s.PointerAcceleration}, {"wheelLines", &s.VWheelSpeed}, {"doubleClickMs", &s.DoubleClickSpeed}};
  for (const auto& [name, field] : fields) {
    const json& value = Required(given, "pointer", name);
    if (value != carried[name]) *field = WordAt(value, Member("pointer", name));
  }
}

void ApplyReadable(Record& p, const json& doc, const json& carried) {
  const json& groups = Required(doc, "", "buttonGroups");
  const json& macros = Required(doc, "", "macros");
  for (int g = 0; g < kDeviceButtonGroupCount; ++g) {
    const std::string macroPath = Member("macros", kGroupNames[g]);
    const json& list = Required(macros, "macros", kGroupNames[g]);
    if (list != carried["macros"][kGroupNames[g]]) ApplyMacroList(p.MacroKeyInfoListSet[g], list, carried["macros"][kGroupNames[g]], macroPath);
  }
  for (int g = 0; g < kDeviceButtonGroupCount; ++g) {
    const std::string path = Member("buttonGroups", kGroupNames[g]);
    const json& buttons = ArrayAt(Required(groups, "buttonGroups", kGroupNames[g]), path, kShownButtons);
    if (buttons.size() != kShownButtons) Fail(path, "a group has " + std::to_string(kShownButtons) + " buttons");
    for (int b = 0; b < kShownButtons; ++b)
      if (buttons[b] != carried["buttonGroups"][kGroupNames[g]][b])
        ApplyButton(p.MouseButtonConfigInfoSet[g], b, p.MacroKeyInfoListSet[g], buttons[b], Indexed(path, b));
  }
  TMouseSettingInfoEasyShiftEx& s = p.MouseSettingInfo;
  ApplyCpiLevels(s, Required(doc, "", "cpiLevels"), carried["cpiLevels"]);
  const json& rate = Required(doc, "", "reportRateHz");
  if (rate != carried["reportRateHz"]) s.ReportRate = RateFrom(rate, "reportRateHz");
  ApplyLight(s.LEDConfig, Required(doc, "", "light"), carried["light"]);
  ApplyPointer(s, Required(doc, "", "pointer"), carried["pointer"]);
}

// The carried image with the readable fields of `doc` applied. The image keeps its length; an edit
// of a field past the end of a short image lengthens it to the whole record.
std::vector<std::uint8_t> ApplyToImage(std::span<const std::uint8_t> image, const json& doc) {
  const auto record = RecordOf(image);
  ApplyReadable(*record, doc, ReadableFields(*RecordOf(image)));
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(record.get());
  std::vector<std::uint8_t> result(image.begin(), image.end());
  const bool editedPastEnd =
      image.size() < sizeof(Record) && std::any_of(bytes + image.size(), bytes + sizeof(Record), [](std::uint8_t b) { return b != 0; });
  if (editedPastEnd) result.resize(sizeof(Record), 0);
  std::memcpy(result.data(), bytes, std::min(result.size(), sizeof(Record)));
  return result;
}

// ---- changes, for the dry run ----

std::string Text(const json& value) { return value.is_string() ? value.get<std::string>() : value.dump(); }

std::string ButtonText(const json& b) {
  if (b.contains("functionIndex"))
    return "function index " + Text(b["functionIndex"]) + " (device code " + Text(b["deviceCode"]) + ")";
  std::string text = Text(b["function"]);
  if (b.contains("key")) text += " " + Text(b["key"]);
  if (b.contains("keys")) {
    text += " " + (b["modifiers"].get<std::string>().empty() ? "" : Text(b["modifiers"]) + "+");
    for (std::size_t i = 0; i < b["keys"].size(); ++i) text += (i ? "+" : "") + Text(b["keys"][i]);
  }
  if (b.contains("clicks")) text += " " + Text(b["clicks"]) + " clicks, " + Text(b["delayMs"]) + " ms apart";
  if (b.contains("macro")) text += " \"" + Text(b["macro"]) + "\"";
  return text;
}

void Change(std::vector<std::string>& lines, const std::string& what, const json& before, const json& after,
            const std::string& unit = "") {
  if (before != after) lines.push_back(what + ": " + Text(before) + unit + " -> " + Text(after) + unit);
}

std::string MacroText(const json& m) {
  return "\"" + Text(m["name"]) + "\" (" + std::to_string(m["steps"].size()) + " steps, loop " + Text(m["loopCount"]) + ")";
}

void MacroChanges(std::vector<std::string>& lines, const char* group, const json& before, const json& after) {
  for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
    const std::string what = "macro " + std::to_string(i + 1) + " of group " + group;
    if (i >= before.size()) lines.push_back(what + ": added " + MacroText(after[i]));
    else if (i >= after.size()) lines.push_back(what + ": removed " + MacroText(before[i]));
    else if (before[i] != after[i]) lines.push_back(what + ": " + MacroText(before[i]) + " -> " + MacroText(after[i]));
  }
}

}  // namespace

std::string ProfileImageToJson(std::span<const std::uint8_t> image) {
  json doc{{"schemaVersion", kProfileJsonSchemaVersion}};
  const json readable = ReadableFields(*RecordOf(image));
  for (const auto& [key, value] : readable.items()) doc[key] = value;
  doc["imageLength"] = image.size();
  doc["image"] = Base64(image);
  return doc.dump(2) + "\n";
}

std::vector<std::uint8_t> ProfileImageFromJson(std::string_view text) {
  json doc;
  try {
    doc = json::parse(text.begin(), text.end());
  } catch (const json::exception& e) {
    throw ProfileJsonError(std::string("not JSON: ") + e.what());
  }
  if (!doc.is_object()) Fail("(document)", "expected an object, found " + std::string(doc.type_name()));
  const std::int64_t version = IntegerIn(Required(doc, "", "schemaVersion"), "schemaVersion", 1, INT64_MAX);
  if (version > kProfileJsonSchemaVersion)
    Fail("schemaVersion", "version " + std::to_string(version) + " is newer than this program reads (" +
                              std::to_string(kProfileJsonSchemaVersion) + ")");
  const auto length = static_cast<std::size_t>(IntegerIn(Required(doc, "", "imageLength"), "imageLength", 1, kLargestImage));
  const std::vector<std::uint8_t> image = FromBase64(StringAt(Required(doc, "", "image"), "image"), "image");
  if (image.size() != length)
    Fail("image", "holds " + std::to_string(image.size()) + " bytes, imageLength says " + std::to_string(length));
  return ApplyToImage(image, doc);
}

std::vector<std::string> DescribeProfileChanges(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after) {
  const json a = ReadableFields(*RecordOf(before));
  const json b = ReadableFields(*RecordOf(after));
  std::vector<std::string> lines;
  for (const char* group : kGroupNames) {
    MacroChanges(lines, group, a["macros"][group], b["macros"][group]);
    for (int i = 0; i < kShownButtons; ++i) {
      const json& x = a["buttonGroups"][group][i];
      const json& y = b["buttonGroups"][group][i];
      if (x != y)
        lines.push_back("button group " + std::string(group) + ", button " + std::to_string(i + 1) + ": " + ButtonText(x) + " -> " + ButtonText(y));
    }
  }
  for (int i = 0; i < kCpiLevels; ++i) {
    const std::string level = "CPI level " + std::to_string(i + 1);
    Change(lines, level + " X", a["cpiLevels"][i]["x"], b["cpiLevels"][i]["x"]);
    Change(lines, level + " Y", a["cpiLevels"][i]["y"], b["cpiLevels"][i]["y"]);
    Change(lines, level + " enabled", a["cpiLevels"][i]["enabled"], b["cpiLevels"][i]["enabled"]);
  }
  Change(lines, "report rate", a["reportRateHz"], b["reportRateHz"], " Hz");
  Change(lines, "light colour", a["light"]["color"], b["light"]["color"]);
  Change(lines, "light brightness", a["light"]["brightness"], b["light"]["brightness"]);
  Change(lines, "light breathing", a["light"]["breathing"], b["light"]["breathing"]);
  Change(lines, "pointer speed", a["pointer"]["speed"], b["pointer"]["speed"]);
  Change(lines, "pointer acceleration", a["pointer"]["acceleration"], b["pointer"]["acceleration"]);
  Change(lines, "wheel lines", a["pointer"]["wheelLines"], b["pointer"]["wheelLines"]);
  Change(lines, "double-click time", a["pointer"]["doubleClickMs"], b["pointer"]["doubleClickMs"], " ms");
  // The bytes the readable fields do not explain: `before` with every readable field of `after`.
  std::vector<std::uint8_t> explained(before.begin(), before.end());
  try {
    explained = ApplyToImage(before, b);
  } catch (const ProfileJsonError&) {
    // A damaged field of `after` that cannot be applied again: its bytes count as other bytes.
  }
  std::size_t differ = explained.size() > after.size() ? explained.size() - after.size() : after.size() - explained.size();
  for (std::size_t i = 0; i < std::min(explained.size(), after.size()); ++i) differ += explained[i] != after[i];
  if (differ) lines.push_back("other bytes: " + std::to_string(differ) + " bytes differ");
  return lines;
}

}  // namespace q9
