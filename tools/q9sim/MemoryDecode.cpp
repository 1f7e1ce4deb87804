#include "MemoryDecode.h"

#include <cstdio>

#include "input/uiKeyCode.h"
#include "model/CpiStepTable.h"
#include "protocol/CommandFrame.h"

namespace q9 {

using nlohmann::json;

namespace {

const char* const kGroupNames[4] = {"plain", "alt", "ctrl", "shift"};


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

json DecodeMacroSlot(std::span<const std::uint8_t> m, std::size_t slotAddress, int length) {
  json steps = json::array();
  const int bounded = std::min(length, int(kMacroSlotSize)) / 3 * 3;
  for (int at = 0; at < bounded; at += 3) steps.push_back(DecodeMacroStep(m.data() + slotAddress + at));
  return steps;
}

json DecodeEntry(std::span<const std::uint8_t> m, int location, int group, int button) {
  const std::size_t block = ButtonBlockAddress(kButtonBlockBase, location, group);
  const std::uint8_t* e = m.data() + block + 1 + 4 * button;
  const int c = e[0];
  json entry{{"button", button + 1}, {"code", c}};
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
      break;
    case 17: {
      const int length = e[2] | (e[3] << 8);
      name("Macro");
      entry["slot"] = e[1];
      entry["steps"] = e[1] < kMacroSlotsPerGroup
                           ? DecodeMacroSlot(m, block + kButtonTableSize + kMacroSlotSize * e[1], length)
                           : json::array();
      break;
    }
    case 18:
      name("Fire Key(Multi-Click)");
      entry["clicks"] = e[1];
      entry["delayMs"] = 10 * (e[2] | (e[3] << 8));
      break;
    default: name("Code " + std::to_string(c));
  }
  return entry;
}

json DecodeSensitivity(std::span<const std::uint8_t> m, std::size_t at) {
  json levels = json::array();
  for (int k = 0; k < 4; ++k) {
    const int deviceIndex = m[at + 3 + 3 * k];
    // Steps 7 and 8 share a device index; the lower step names it.
    int cpi = -1;
    for (const CpiStep& step : CpiStepTable)
      if (step.deviceIndex == deviceIndex) {
        cpi = step.cpi;
        break;
      }
    levels.push_back({{"level", k + 1}, {"enabled", m[at + 2 + 3 * k] != 0}, {"deviceIndex", deviceIndex}, {"cpi", cpi}});
  }
  return {{"levelCount", m[at]}, {"currentLevel", m[at + 1] + 1}, {"levels", levels}};
}

json DecodeLight(std::span<const std::uint8_t> m, std::size_t at) {
  char color[8];
  std::snprintf(color, sizeof color, "#%02X%02X%02X", 255 - m[at], 255 - m[at + 1], 255 - m[at + 2]);
  return {{"color", color}, {"brightness", m[at + 3]}, {"breathing", m[at + 4]}};
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

}  // namespace

std::string HidUsageName(int usage, bool consumer) {
  if (usage == 0) return "";
  for (const auto* table : {&KeyInfoTable(), &ExtendedKeyInfoTable()})
    for (const TKeyboardInfoTable& row : *table) {
      const bool consumerRow = row.VKCode >= 166 && row.VKCode <= 183;
      if (row.HIDCode == usage && consumerRow == consumer) return row.KeyDescription;
    }
  return (consumer ? "consumer usage " : "usage ") + Hex(usage);
}

json DecodeMemory(std::span<const std::uint8_t> memory, const std::optional<SimulatedMouse::State>& state) {
  json locations = json::array();
  for (int location = 0; location < 2; ++location) {
    json groups = json::object();
    for (int group = 0; group < 4; ++group) {
      const std::size_t block = ButtonBlockAddress(kButtonBlockBase, location, group);
      const int count = std::min<int>(memory[block], 16);
      json buttons = json::array();
      for (int b = 0; b < count; ++b) buttons.push_back(DecodeEntry(memory, location, group, b));
      groups[kGroupNames[group]] = buttons;
    }
    locations.push_back({{"location", location},
                         {"name", location == 0 ? "Mode1" : "Mode2"},
                         {"buttonGroups", groups},
                         {"sensitivity", DecodeSensitivity(memory, kAddressSensitivity[location])},
                         {"light", DecodeLight(memory, kAddressLight[location])}});
  }
  const int interval = memory[kAddressReportInterval];
  json decoded{{"reportInterval", interval},
               {"reportRateHz", ReportRateOf(interval)},
               {"currentProfile", memory[kAddressCurrentProfile]},
               {"locations", locations}};
  if (state) {
    decoded["activeLocation"] = state->memoryLocation;
    decoded["writeState"] = state->writeState;
    decoded["rateChanges"] = state->rateChanges;
    decoded["frames"] = state->frames;
  }
  return decoded;
}

void PrintDecodedMemory(std::ostream& out, const json& d) {
  out << "report rate: " << int(d["reportRateHz"]) << " Hz (interval " << int(d["reportInterval"]) << ")\n"
      << "current profile: " << int(d["currentProfile"]) << "\n";
  if (d.contains("activeLocation")) out << "active location: Mode" << int(d["activeLocation"]) + 1 << "\n";
  for (const json& l : d["locations"]) {
    out << std::string(l["name"]) << ":\n";
    for (const char* group : kGroupNames) {
      out << "  " << group << " group:\n";
      for (const json& b : l["buttonGroups"][group]) {
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
            else out << " ?;";
          }
        }
        out << "\n";
      }
    }
    out << "  CPI:";
    for (const json& level : l["sensitivity"]["levels"])
      out << " " << int(level["level"]) << "=" << int(level["cpi"]) << (level["enabled"] ? "" : " (off)");
    out << "; active level " << int(l["sensitivity"]["currentLevel"]) << "\n";
    out << "  light: " << std::string(l["light"]["color"]) << ", brightness " << int(l["light"]["brightness"])
        << ", breathing " << int(l["light"]["breathing"]) << "\n";
  }
}

}  // namespace q9
