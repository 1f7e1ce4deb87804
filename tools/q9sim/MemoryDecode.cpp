#include "MemoryDecode.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "input/uiKeyCode.h"
#include "model/CpiStepTable.h"
#include "protocol/CommandFrame.h"

namespace q9 {

using nlohmann::json;

namespace {

const char* const kGroupNames[4] = {"plain", "alt", "ctrl", "shift"};
constexpr int kButtonTableEntries = (kButtonTableSize - 1) / 4;
constexpr int kSensitivityLevels = 4;

// What a damaged image holds that the mouse cannot make sense of, one line each.
class Warnings {
 public:
  void Add(std::string text) { list_.push_back(std::move(text)); }
  json List() const { return list_; }

 private:
  std::vector<std::string> list_;
};

std::string LocationName(int location) { return location == 0 ? "Mode1" : "Mode2"; }

// Appends "+part" (or just "part" to an empty text).
void AppendPart(std::string& text, const std::string& part) {
  if (!text.empty()) text += '+';
  text += part;
}

std::string ModifierNames(int hidModifier) {
  std::string text;
  const std::pair<int, const char*> bits[] = {{1, "Ctrl"}, {2, "Shift"}, {4, "Alt"}, {8, "Win"}};
  for (const auto& [bit, name] : bits)
    if (hidModifier & bit) AppendPart(text, name);
  return text;
}

// The media items of the assignment menu, by consumer usage.
std::string MediaName(int code) {
  switch (code) {
    case 0: return "Disable";
    case 205: return "Play/Pause";
    case 183: return "Stop";
    case 182: return "Previous";
    case 181: return "Next";
    case 233: return "Volume Up";
    case 234: return "Volume Down";
    case 226: return "Mute";
    default: return HidUsageName(code, true);
  }
}

std::string Hex(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string Color(const std::uint8_t* inverted) {
  char color[8];
  std::snprintf(color, sizeof color, "#%02X%02X%02X", 255 - inverted[0], 255 - inverted[1], 255 - inverted[2]);
  return color;
}

bool IsConsumerRow(int vk) { return vk >= 166 && vk <= 183; }

struct UsageNames {
  std::map<int, std::string> keyboard;
  std::map<int, std::string> consumer;
};

// A usage is named after the key that produces it. Without the extended flag, VK 33..40 are the
// keypad keys read with Num Lock off; their rows carry the names of the navigation keys (the
// extended rows of the same VKs, with other usages). Such a row names its usage only when no
// other row does, so keypad 9 (97) is "NUMPAD 9", not "PAGE UP". The keypad Enter shares its
// name with the main Enter and gets its own here.
UsageNames BuildUsageNames() {
  UsageNames names;
  std::map<int, std::string> borrowed;
  const auto& plain = KeyInfoTable();
  const auto& extended = ExtendedKeyInfoTable();
  for (int vk = 0; vk < kKeyTableSize; ++vk)
    for (const TKeyboardInfoTable* row : {&plain[vk], &extended[vk]}) {
      if (row->HIDCode <= 0) continue;
      if (IsConsumerRow(vk)) {
        names.consumer.emplace(row->HIDCode, row->KeyDescription);
        continue;
      }
      const TKeyboardInfoTable& flagged = extended[vk];
      const bool namedAfterAnotherKey = row == &plain[vk] && flagged.HIDCode > 0 && flagged.HIDCode != row->HIDCode &&
                                        flagged.KeyDescription == row->KeyDescription;
      (namedAfterAnotherKey ? borrowed : names.keyboard).emplace(row->HIDCode, row->KeyDescription);
    }
  names.keyboard.merge(borrowed);  // only usages no other row names
  names.keyboard[88] = "NUMPAD ENTER";
  return names;
}

const UsageNames& Names() {
  static const UsageNames names = BuildUsageNames();
  return names;
}

json DecodeMacroStep(const std::uint8_t* step) {
  const int kind = step[0] & 0x7F;
  const char* action = (step[0] & 0x80) ? "press" : "release";
  switch (kind) {
    case 4: return {{"type", "key"}, {"action", action}, {"key", HidUsageName(step[1], false)}, {"hid", step[1]}};
    case 1: {
      const char* button = step[1] == 1 ? "left" : step[1] == 2 ? "right" : step[1] == 4 ? "middle" : "?";
      return {{"type", "mouse"}, {"action", action}, {"button", button}};
    }
    case 6: return {{"type", "delay"}, {"ms", 10 * (step[1] | (step[2] << 8))}};
    case 7: return {{"type", "loop"}, {"count", step[1] | (step[2] << 8)}};
    default: return {{"type", "unknown"}, {"bytes", {step[0], step[1], step[2]}}};
  }
}

json DecodeMacroSlot(std::span<const std::uint8_t> m, std::size_t slotAddress, int length, const std::string& where,
                     Warnings& warnings) {
  if (length > int(kMacroSlotSize))
    warnings.Add(where + ": macro length " + std::to_string(length) + " is more than the slot's " +
                 std::to_string(kMacroSlotSize) + " bytes");
  else if (length % 3)
    warnings.Add(where + ": macro length " + std::to_string(length) + " is not a whole number of 3-byte steps");
  json steps = json::array();
  const int bounded = std::min(length, int(kMacroSlotSize)) / 3 * 3;
  for (int at = 0; at < bounded; at += 3) steps.push_back(DecodeMacroStep(m.data() + slotAddress + at));
  return steps;
}

json DecodeEntry(std::span<const std::uint8_t> m, int location, int group, int button, Warnings& warnings) {
  const std::size_t block = ButtonBlockAddress(kButtonBlockBase, location, group);
  const std::uint8_t* e = m.data() + block + 1 + 4 * button;
  const int c = e[0];
  const std::string where = LocationName(location) + " " + kGroupNames[group] + " button " + std::to_string(button + 1);
  json entry{{"button", button + 1}, {"code", c}, {"bytes", {e[0], e[1], e[2], e[3]}}};
  auto name = [&](std::string text) { entry["function"] = std::move(text); };
  switch (c) {
    case 1: name("Click"); break;
    case 2: name("Right Click"); break;
    case 3: name("Middle Button"); break;
    case 4: name("Backward"); break;
    case 5: name("Forward"); break;
    case 8: name("DPI Switch"); break;
    case 9: name("DPI-"); break;
    case 10: name("DPI+"); break;
    case 19: name("Mode Switch"); break;
    case 14: {
      const int code = e[2] | (e[3] << 8);
      name(MediaName(code));
      entry["usage"] = code;
      break;
    }
    case 15: {
      std::string keys = ModifierNames(e[1]);
      for (int k : {e[2], e[3]})
        if (k) AppendPart(keys, HidUsageName(k, false));
      name("Combo Key");
      entry["keys"] = keys;
      break;
    }
    case 16:
      name("Single Key");
      entry["key"] = HidUsageName(e[2], false);
      entry["hid"] = e[2];
      break;
    case 17: {
      const int length = e[2] | (e[3] << 8);
      name("Macro");
      entry["slot"] = e[1];
      entry["length"] = length;
      if (e[1] < kMacroSlotsPerGroup) {
        entry["steps"] = DecodeMacroSlot(m, block + kButtonTableSize + kMacroSlotSize * e[1], length, where, warnings);
      } else {
        entry["steps"] = json::array();
        warnings.Add(where + ": macro slot " + std::to_string(e[1]) + " does not exist (0.." +
                     std::to_string(kMacroSlotsPerGroup - 1) + ")");
      }
      break;
    }
    case 18:
      name("Fire Key(Multi-Click)");
      entry["clicks"] = e[1];
      entry["delayMs"] = 10 * (e[2] | (e[3] << 8));
      break;
    default:
      name("Code " + std::to_string(c));
      if (c != 0) warnings.Add(where + ": unknown function code " + std::to_string(c));
  }
  return entry;
}

// One axis of a level: the device index and, when the CPI table has it, its CPI. Steps 7 and 8
// share a device index; the lower step names it.
void DecodeAxis(json& level, const char* axis, int deviceIndex, const std::string& where, Warnings& warnings) {
  level[std::string("deviceIndex") + axis] = deviceIndex;
  for (const CpiStep& step : CpiStepTable)
    if (step.deviceIndex == deviceIndex) {
      level[std::string("cpi") + axis] = step.cpi;
      return;
    }
  level[std::string("cpi") + axis] = nullptr;
  warnings.Add(where + ": " + axis + " step " + std::to_string(deviceIndex) + " is not in the CPI table");
}

json DecodeSensitivity(std::span<const std::uint8_t> m, std::size_t at, int location, Warnings& warnings) {
  const int levelCount = m[at];
  const int current = m[at + 1];
  const std::string where = LocationName(location) + " CPI";
  if (levelCount > kSensitivityLevels)
    warnings.Add(where + ": level count " + std::to_string(levelCount) + " is more than the record's " +
                 std::to_string(kSensitivityLevels));
  if (current >= std::max(1, std::min(levelCount, kSensitivityLevels)))
    warnings.Add(where + ": active level " + std::to_string(current + 1) + " is not one of its levels");
  json levels = json::array();
  for (int k = 0; k < kSensitivityLevels; ++k) {
    const std::size_t level = at + 2 + 3 * k;
    const std::string levelWhere = where + " level " + std::to_string(k + 1);
    if (m[level] > 1) warnings.Add(levelWhere + ": enabled byte " + std::to_string(m[level]) + " is neither 0 nor 1");
    json decoded{{"level", k + 1}, {"enabled", m[level] != 0}};
    DecodeAxis(decoded, "X", m[level + 1], levelWhere, warnings);
    DecodeAxis(decoded, "Y", m[level + 2], levelWhere, warnings);
    levels.push_back(std::move(decoded));
  }
  json sensitivity{{"levelCount", levelCount}, {"currentLevel", current + 1}};
  sensitivity["levels"] = std::move(levels);
  return sensitivity;
}

json DecodeLight(std::span<const std::uint8_t> m, std::size_t at) {
  return {{"color", Color(m.data() + at)},
          {"brightness", m[at + 3]},
          {"breathing", m[at + 4]},
          {"breathSecond", m[at + 5]}};
}

int ReportRateOf(int interval) {
  switch (interval) {
    case 8: return 125;
    case 4: return 250;
    case 3: return 333;
    case 2: return 500;
    case 1: return 1000;
    default: return 0;
  }
}

json DecodeState(const SimulatedMouse::State& state, Warnings& warnings) {
  if (state.memoryLocation > 1)
    warnings.Add("active location " + std::to_string(state.memoryLocation) + " is neither Mode1 (0) nor Mode2 (1)");
  if (state.writeState > 1)
    warnings.Add("write state " + std::to_string(state.writeState) + " is neither open (0) nor closed (1)");
  const auto& l = state.light;
  return {{"activeLocation", state.memoryLocation},
          {"writeState", state.writeState},
          {"command7", state.command7},
          {"lastLight",
           {{"color", Color(l.data())}, {"brightness", l[3]}, {"breathing", l[4]}, {"bytes", {l[0], l[1], l[2], l[3], l[4]}}}},
          {"rateChanges", state.rateChanges},
          {"frames", state.frames}};
}

void PrintButton(std::ostream& out, const json& b) {
  out << "    " << int(b["button"]) << ": " << std::string(b["function"]);
  if (b.contains("key")) out << " " << std::string(b["key"]);
  if (b.contains("keys")) out << " " << std::string(b["keys"]);
  if (b.contains("clicks")) out << " " << int(b["clicks"]) << " clicks, " << int(b["delayMs"]) << " ms";
  if (b.contains("steps")) {
    out << " slot " << int(b["slot"]) << ":";
    for (const json& s : b["steps"]) {
      const std::string type = s["type"];
      if (type == "key") out << " " << std::string(s["action"]) << " " << std::string(s["key"]) << ";";
      else if (type == "mouse") out << " " << std::string(s["action"]) << " " << std::string(s["button"]) << ";";
      else if (type == "delay") out << " wait " << int(s["ms"]) << " ms;";
      else if (type == "loop") out << " loop " << int(s["count"]) << ";";
      else out << " bytes " << int(s["bytes"][0]) << " " << int(s["bytes"][1]) << " " << int(s["bytes"][2]) << ";";
    }
  }
  if (std::string(b["function"]).starts_with("Code "))
    out << " (bytes " << int(b["bytes"][1]) << " " << int(b["bytes"][2]) << " " << int(b["bytes"][3]) << ")";
  out << "\n";
}

std::string AxisText(const json& level, const char* axis) {
  const json& cpi = level[std::string("cpi") + axis];
  return cpi.is_null() ? "step " + std::to_string(int(level[std::string("deviceIndex") + axis])) + "?"
                       : std::to_string(int(cpi));
}

void PrintLevel(std::ostream& out, const json& level) {
  out << " " << int(level["level"]) << "=";
  const std::string x = AxisText(level, "X"), y = AxisText(level, "Y");
  out << (x == y ? x : "X " + x + "/Y " + y) << (level["enabled"] ? "" : " (off)");
}

}  // namespace

std::string HidUsageName(int usage, bool consumer) {
  if (usage == 0) return "";
  const auto& names = consumer ? Names().consumer : Names().keyboard;
  if (const auto found = names.find(usage); found != names.end()) return found->second;
  return (consumer ? "consumer usage " : "usage ") + Hex(usage);
}

json DecodeMemory(std::span<const std::uint8_t> memory, const std::optional<SimulatedMouse::State>& state) {
  Warnings warnings;
  json locations = json::array();
  for (int location = 0; location < 2; ++location) {
    json groups = json::object();
    json counts = json::object();
    for (int group = 0; group < 4; ++group) {
      const std::size_t block = ButtonBlockAddress(kButtonBlockBase, location, group);
      const int count = memory[block];
      if (count > kButtonTableEntries)
        warnings.Add(LocationName(location) + " " + kGroupNames[group] + " group: button count " + std::to_string(count) +
                     " is more than the table's " + std::to_string(kButtonTableEntries) + "; the first " +
                     std::to_string(kButtonTableEntries) + " are shown");
      json buttons = json::array();
      for (int b = 0; b < std::min(count, kButtonTableEntries); ++b)
        buttons.push_back(DecodeEntry(memory, location, group, b, warnings));
      groups[kGroupNames[group]] = std::move(buttons);
      counts[kGroupNames[group]] = count;
    }
    // Moved in, not listed in braces: a braced list copies the whole tree of every value.
    json decodedLocation{{"location", location}, {"name", LocationName(location)}};
    decodedLocation["buttonCounts"] = std::move(counts);
    decodedLocation["buttonGroups"] = std::move(groups);
    decodedLocation["sensitivity"] = DecodeSensitivity(memory, kAddressSensitivity[location], location, warnings);
    decodedLocation["light"] = DecodeLight(memory, kAddressLight[location]);
    locations.push_back(std::move(decodedLocation));
  }
  const int interval = memory[kAddressReportInterval];
  if (ReportRateOf(interval) == 0) warnings.Add("report interval " + std::to_string(interval) + " ms is not a rate the mouse has");
  const int profile = memory[kAddressCurrentProfile];
  if (profile > 4) warnings.Add("current profile " + std::to_string(profile) + " is not one of the five (0..4)");
  json decoded{{"reportInterval", interval},
               {"reportRateHz", ReportRateOf(interval)},
               {"currentProfile", profile}};
  decoded["locations"] = std::move(locations);
  if (state) decoded.update(DecodeState(*state, warnings));
  decoded["warnings"] = warnings.List();
  return decoded;
}

void PrintDecodedMemory(std::ostream& out, const json& d) {
  const int rate = d["reportRateHz"];
  out << "report rate: " << (rate ? std::to_string(rate) + " Hz" : "unknown") << " (interval " << int(d["reportInterval"])
      << ")\n"
      << "current profile: " << int(d["currentProfile"]) << "\n";
  if (d.contains("activeLocation")) {
    const int write = d["writeState"];
    const json& light = d["lastLight"];
    out << "active location: Mode" << int(d["activeLocation"]) + 1 << "\n"
        << "write state: " << (write == 0 ? "open" : write == 1 ? "closed" : "unknown") << " (" << write << ")\n"
        << "command 7: " << int(d["command7"]) << "\n"
        << "last light command: " << std::string(light["color"]) << ", brightness " << int(light["brightness"])
        << ", breathing " << int(light["breathing"]) << "\n"
        << "rate changes: " << std::uint32_t(d["rateChanges"]) << ", frames: " << std::uint32_t(d["frames"]) << "\n";
  }
  for (const json& l : d["locations"]) {
    out << std::string(l["name"]) << ":\n";
    for (const char* group : kGroupNames) {
      out << "  " << group << " group (" << int(l["buttonCounts"][group]) << " buttons):\n";
      for (const json& b : l["buttonGroups"][group]) PrintButton(out, b);
    }
    const json& sensitivity = l["sensitivity"];
    out << "  CPI (" << int(sensitivity["levelCount"]) << " levels):";
    for (const json& level : sensitivity["levels"]) PrintLevel(out, level);
    out << "; active level " << int(sensitivity["currentLevel"]) << "\n";
    out << "  light: " << std::string(l["light"]["color"]) << ", brightness " << int(l["light"]["brightness"])
        << ", breathing " << int(l["light"]["breathing"]) << ", breath second " << int(l["light"]["breathSecond"]) << "\n";
  }
  for (const json& warning : d["warnings"]) out << "warning: " << std::string(warning) << "\n";
}

}  // namespace q9
