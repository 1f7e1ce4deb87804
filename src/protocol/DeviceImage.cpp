#include "protocol/DeviceImage.h"

#include <algorithm>

#include "input/uiKeyCode.h"
#include "model/CpiStepTable.h"
#include "model/LittleEndian.h"

namespace q9 {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw DeviceImageError(what); }

std::uint8_t FitByte(long long value, const std::string& what) {
  if (value < 0 || value > 255) Fail(what + " " + std::to_string(value) + " does not fit in a byte");
  return static_cast<std::uint8_t>(value);
}

std::string ButtonName(int group, int button) {
  return "group " + std::to_string(group) + " button " + std::to_string(button + 1);
}

int ButtonCountOf(const TMouseProfileInfoEasyShiftEx& profile) {
  const Integer count = profile.MouseSettingInfo.ButtonCount;
  if (count < 0 || count > kButtonsPerGroup) Fail("button count " + std::to_string(count) + " is outside 0..16");
  return count;
}

// The byte length of a macro's slot: three bytes a step, three more for the loop step.
std::uint32_t MacroSlotBytes(const TMACROKEYINFO& macro, const std::string& what) {
  const Integer steps = macro.MacroListCount;
  if (steps < 0 || steps > kMacroStepCount) Fail(what + " has " + std::to_string(steps) + " steps (0..60)");
  const std::uint32_t length = 3u * static_cast<std::uint32_t>(steps + (macro.nLoopCount > 0 ? 1 : 0));
  if (length > kMacroSlotSize) Fail(what + " has 60 steps and a loop: the loop step does not fit");
  return length;
}

void PutEntry(ButtonTable& table, int button, std::uint8_t c, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3) {
  const std::size_t at = 1 + 4 * static_cast<std::size_t>(button);
  table[at] = c;
  table[at + 1] = p1;
  table[at + 2] = p2;
  table[at + 3] = p3;
}

// A consumer key (browser, volume, media, launch) is sent as a media entry with its usage, whatever
// the usage's value: Mute's 226 in a key entry would be Left Alt.
void PutMediaEntry(ButtonTable& table, int button, std::int32_t code) {
  PutEntry(table, button, kDeviceCodeMedia, 0, code & 0xFF, static_cast<std::uint8_t>((code >> 8) & 0xFF));
}

std::string KeyNameOf(std::int32_t vk, std::int32_t extended) {
  return "\"" + VKToKeyName(vk, extended) + "\" (virtual key " + std::to_string(vk) + ")";
}

int PositionIn(const std::vector<int>& list, int value) {
  const auto it = std::find(list.begin(), list.end(), value);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void EncodeButton(ButtonTable& table, int button, const TBUTTONFUNCINFO& r, const std::vector<int>& macros,
                  const std::string& what) {
  const std::uint8_t c = FitByte(r.nDeviceCode, what + " device code");
  switch (c) {
    case kDeviceCodeParam11:
    case kDeviceCodeParam12:
      PutEntry(table, button, c, FitByte(r.nFunctionParam, what + " parameter"), 0, 0);
      break;
    case kDeviceCodeMedia:
      PutEntry(table, button, c, 0, FitByte(r.MediaKeyInfo.nKeyValue1, what + " media byte"),
               FitByte(r.MediaKeyInfo.nKeyValue2, what + " media byte"));
      break;
    case kDeviceCodeCombo: {
      const TCOMBOKEYINFO& k = r.ComboKeyInfo;
      const std::int32_t h1 = VKToHIDCode(k.nKeyValue1, k.nKey1Extended);
      // A media key first: the mouse sends it alone, without the modifiers and the second key.
      if (IsConsumerKey(k.nKeyValue1)) return PutMediaEntry(table, button, h1);
      // A media key second has no place in a keyboard report; sending its usage as a keyboard key
      // would press another key.
      if (IsConsumerKey(k.nKeyValue2))
        Fail(what + " combines a key with the media key " + KeyNameOf(k.nKeyValue2, k.nKey2Extended) +
             ", which the mouse cannot send in a key combination");
      PutEntry(table, button, c, ModifierToHIDModifier(static_cast<std::uint8_t>(k.nModifier)),
               FitByte(h1, what + " first key's code"), FitByte(VKToHIDCode(k.nKeyValue2, k.nKey2Extended), what + " second key's code"));
      break;
    }
    case kDeviceCodeSingleKey: {
      const std::int32_t h = VKToHIDCode(r.SingleKeyInfo.nKeyValue1, r.SingleKeyInfo.nKey1Extended);
      if (IsConsumerKey(r.SingleKeyInfo.nKeyValue1)) return PutMediaEntry(table, button, h);
      PutEntry(table, button, c, 0, FitByte(h, what + " key's code"), 0);
      break;
    }
    case kDeviceCodeMacro: {
      const std::uint32_t length = MacroSlotBytes(r.MacroKeyInfo, what + " macro");
      const int position = PositionIn(macros, r.MacroKeyInfo.nMacroIndex);
      PutEntry(table, button, c, static_cast<std::uint8_t>(std::max(position, 0)), length & 0xFF,
               static_cast<std::uint8_t>(length >> 8));
      break;
    }
    case kDeviceCodeFireKey: {
      const std::uint32_t delay = DivideBy10HalfEven(r.FireKeyInfo.DelyValue);
      PutEntry(table, button, c, FitByte(r.FireKeyInfo.nLoopCount, what + " click count"), delay & 0xFF,
               static_cast<std::uint8_t>(delay >> 8));
      break;
    }
    default:
      PutEntry(table, button, c, 0, 0, 0);
  }
}

MacroStep EncodeEntry(const TMACROENTRY& t, const std::string& what) {
  switch (t.nEntryType) {
    case kMacroEntryKey:
      // A macro plays keyboard keys only: a media key's usage would arrive as another key.
      if (IsConsumerKey(t.nValueLo))
        Fail(what + " plays the media key " + KeyNameOf(t.nValueLo, t.nValueHi) + ", which a macro cannot send");
      return EncodeMacroStep(kMacroEntryKey, t.nEntryState, FitByte(VKToHIDCode(t.nValueLo, t.nValueHi), what + " key code"),
                             t.nValueHi);
    case kMacroEntryDelay:
      return EncodeMacroStep(kMacroEntryDelay, 0, t.nValueLo, t.nValueHi);
    default:
      if (t.nEntryType > 127) Fail(what + " step type " + std::to_string(t.nEntryType) + " does not fit in a byte");
      return EncodeMacroStep(t.nEntryType, t.nEntryState, t.nValueLo, t.nValueHi);
  }
}

void EncodeMacro(MacroImage& image, int slotIndex, const TMACROKEYINFO& macro, const std::string& what) {
  const std::uint32_t length = MacroSlotBytes(macro, what);
  const std::size_t slot = kMacroSlotSize * static_cast<std::size_t>(slotIndex);
  for (int k = 0; k < macro.MacroListCount; ++k) {
    const MacroStep step = EncodeEntry(macro.MacroList[k], what + " step " + std::to_string(k + 1));
    std::copy(step.begin(), step.end(), image.begin() + static_cast<std::ptrdiff_t>(slot + 3 * k));
  }
  if (macro.nLoopCount > 0) {
    const MacroStep loop = EncodeMacroStep(kMacroStepLoop, 0, macro.nLoopCount & 0xFF,
                                           static_cast<std::uint8_t>(macro.nLoopCount >> 8));
    std::copy(loop.begin(), loop.end(), image.begin() + static_cast<std::ptrdiff_t>(slot + 3 * macro.MacroListCount));
  }
  const std::size_t lengthAt = 3600 + 4 * static_cast<std::size_t>(slotIndex);
  StoreLE32(image.data() + lengthAt, length);
}

}  // namespace

std::uint32_t DivideBy10HalfEven(std::uint32_t n) {
  const std::uint32_t quotient = n / 10;
  const std::uint32_t remainder = n % 10;
  if (remainder > 5 || (remainder == 5 && (quotient & 1))) return quotient + 1;
  return quotient;
}

MacroStep EncodeMacroStep(std::uint16_t Type, std::uint16_t State, std::uint8_t Lo, std::uint8_t Hi) {
  if (State > 1) return {0, 0, 0};
  if (Type == kMacroEntryDelay) {
    const std::uint32_t v = std::max<std::uint32_t>(DivideBy10HalfEven(Lo + 256u * Hi), 1);
    return {kMacroEntryDelay, static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)};
  }
  return {static_cast<std::uint8_t>(Type + 128 * State), Lo, Hi};
}

std::vector<int> GroupMacroList(const TMouseProfileInfoEasyShiftEx& Profile, int Group) {
  std::vector<int> list;
  const int count = ButtonCountOf(Profile);
  for (int b = 0; b < count; ++b) {
    const TBUTTONFUNCINFO& button = Profile.MouseButtonConfigInfoSet[Group].ButtonFuncInfo[b];
    if (button.nFunctionType != kFunctionMacro || PositionIn(list, button.MacroKeyInfo.nMacroIndex) >= 0) continue;
    if (list.size() == kMacrosPerDeviceGroup)
      Fail("group " + std::to_string(Group) + " uses more than five macros: the mouse has five macro slots a group");
    list.push_back(button.MacroKeyInfo.nMacroIndex);
  }
  return list;
}

ButtonTables BuildButtonTables(const TMouseProfileInfoEasyShiftEx& Profile) {
  ButtonTables tables{};
  const int count = ButtonCountOf(Profile);
  for (int g = 0; g < kDeviceButtonGroupCount; ++g) {
    const std::vector<int> macros = GroupMacroList(Profile, g);
    tables[g][0] = static_cast<std::uint8_t>(count);
    for (int b = 0; b < count; ++b)
      EncodeButton(tables[g], b, Profile.MouseButtonConfigInfoSet[g].ButtonFuncInfo[b], macros, ButtonName(g, b));
  }
  return tables;
}

MacroImage BuildMacroImage(const TMouseProfileInfoEasyShiftEx& Profile) {
  MacroImage image{};
  for (int g = 0; g < kDeviceButtonGroupCount; ++g) {
    const std::vector<int> macros = GroupMacroList(Profile, g);
    const TMACROKEYINFOLIST& list = Profile.MacroKeyInfoListSet[g];
    if (list.nMacroInfoCount > kMacrosPerList)
      Fail("group " + std::to_string(g) + " claims " + std::to_string(list.nMacroInfoCount) + " macros (at most 21)");
    for (int m = 0; m < list.nMacroInfoCount; ++m) {
      const TMACROKEYINFO& macro = list.MacroInfos[m];
      const int slot = PositionIn(macros, macro.nMacroIndex);
      if (slot < 0) continue;  // no button of the group plays it
      EncodeMacro(image, kMacrosPerDeviceGroup * g + slot, macro,
                  "group " + std::to_string(g) + " macro " + std::to_string(m + 1));
    }
  }
  return image;
}

SensitivityRecord BuildSensitivityRecord(const TMouseProfileInfoEasyShiftEx& Profile) {
  const TMouseSettingInfoEasyShiftEx& s = Profile.MouseSettingInfo;
  SensitivityRecord record{};
  record[0] = FitByte(s.CPILevel, "CPI level count");
  record[1] = FitByte(s.CurrentCPIIndex, "current CPI level");
  for (int k = 0; k < 4; ++k) {
    const TCPILEVELINFO& level = s.CPIState[k];
    const int code = DeviceIndexOfStep(level.nCPIX);
    if (code < 0) Fail("CPI level " + std::to_string(k + 1) + " has step " + std::to_string(level.nCPIX) + " (0..8)");
    record[2 + 3 * k] = FitByte(level.nEnabled, "CPI level enable flag");
    // Y carries the X step as well: the two move together.
    record[3 + 3 * k] = record[4 + 3 * k] = static_cast<std::uint8_t>(code);
  }
  return record;
}

LightRecord BuildLightRecord(const TMouseProfileInfoEasyShiftEx& Profile) {
  const TLEDCONFIG& l = Profile.MouseSettingInfo.LEDConfig;
  return {static_cast<std::uint8_t>(~l.R), static_cast<std::uint8_t>(~l.G), static_cast<std::uint8_t>(~l.B),
          l.BRIGHT_LEVEL, l.BREATH_SPEED, l.BREATH_SECOND};
}

std::array<std::uint8_t, 5> LightCommandBytes(const TLEDCONFIG& l) {
  return {static_cast<std::uint8_t>(~l.R), static_cast<std::uint8_t>(~l.G), static_cast<std::uint8_t>(~l.B),
          l.BRIGHT_LEVEL, l.BREATH_SPEED};
}

std::uint8_t ReportIntervalCode(const TMouseProfileInfoEasyShiftEx& Profile) {
  switch (Profile.MouseSettingInfo.ReportRate) {
    case 125: return 8;
    case 250: return 4;
    case 333: return 3;
    case 500: return 2;
    case 1000: return 1;
    default: Fail("report rate " + std::to_string(Profile.MouseSettingInfo.ReportRate) + " Hz is not one the mouse has");
  }
}

LocationImages BuildLocationImages(const TMouseProfileInfoEasyShiftEx& Profile) {
  return {BuildButtonTables(Profile), BuildMacroImage(Profile), BuildLightRecord(Profile), BuildSensitivityRecord(Profile)};
}

}  // namespace q9
