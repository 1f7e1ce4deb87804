#include "MacroSteps.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "input/uiKeyCode.h"
#include "macro/uiMacroClassUnit.h"

namespace q9 {

namespace {

constexpr std::uint64_t kTooLarge = 1ull << 40;
constexpr Word kClickDelayMs = 10;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The item with its ends trimmed and every run of blanks inside it made one space.
std::string Normalized(std::string_view item) {
  std::string text;
  for (char c : item) {
    if (!IsBlank(c)) text += c;
    else if (!text.empty() && text.back() != ' ') text += ' ';
  }
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// A decimal number of digits only; values past kTooLarge stay there, so any limit check still fails.
std::optional<std::uint64_t> Number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(value * 10 + static_cast<std::uint64_t>(c - '0'), kTooLarge);
  }
  return value;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

class StepReader {
 public:
  explicit StepReader(ParsedMacroSteps& result) : result_(result) {}

  void Read(const std::string& item, bool last, int number) {
    item_ = item;
    number_ = number;
    const std::string lower = Lower(item);
    if (item.empty()) Fail("the step is empty (two commas in a row, or a comma at the end; the comma key is VK_OEM_COMMA)");
    if (EndsWith(lower, "ms") && ReadDelay(Normalized(lower.substr(0, lower.size() - 2)))) return;
    if (lower.rfind("loop ", 0) == 0) return ReadLoop(lower.substr(5), last);
    if (lower.rfind("raw ", 0) == 0) return ReadRaw(lower.substr(4));
    for (const MacroMouseButton& button : kMacroMouseButtons)
      if (lower == Lower(button.word) + " click") return Click(button.code);
    const std::size_t space = lower.rfind(' ');
    const std::string action = space == std::string::npos ? "" : lower.substr(space + 1);
    if (action != "down" && action != "up")
      Fail("expected KEY down, KEY up, a delay such as 150ms, Left Button down/up, Left Click, raw T S LO HI or loop N");
    const Word state = action == "down" ? 1 : 0;
    const std::string subject = item.substr(0, space);
    for (const MacroMouseButton& button : kMacroMouseButtons)
      if (Lower(subject) == Lower(button.menuName)) return Add({kMacroEntryMouse, state, button.code, 0});
    Word vk = 0, extended = 0;
    switch (LookUpSendableKey(subject, vk, extended)) {
      case KeyLookup::Found:
        return Add({kMacroEntryKey, state, static_cast<Byte>(vk), static_cast<Byte>(extended)});
      case KeyLookup::Unknown:
        Fail("unknown key \"" + subject + "\" (q9ctl keys lists them; mouse buttons are Left Button, Right Button, Middle Button)");
      case KeyLookup::NotSendable:
        Fail("the mouse cannot send the key \"" + subject + "\": it has no HID code");
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw MacroStepError("step " + std::to_string(number_) + " \"" + item_ + "\": " + why);
  }

  void Add(const TMACROENTRY& entry) {
    if (result_.entries.size() >= kMacroStepCount)
      Fail("a macro holds at most " + std::to_string(kMacroStepCount) + " entries (a click is three)");
    result_.entries.push_back(entry);
  }

  bool ReadDelay(const std::string& digits) {
    const auto ms = Number(digits);
    if (!ms) return false;
    if (*ms > 0xFFFF) Fail("a delay is at most 65535 ms");
    Add({kMacroEntryDelay, 0, static_cast<Byte>(*ms & 0xFF), static_cast<Byte>(*ms >> 8)});
    return true;
  }

  void ReadLoop(const std::string& rest, bool last) {
    const auto count = Number(Normalized(rest));
    if (!count || *count > 0xFFFF) Fail("the loop count is a number from 0 to 65535");
    if (!last) Fail("the loop count is the last step");
    result_.loopCount = static_cast<Word>(*count);
  }

  void ReadRaw(const std::string& rest) {
    std::vector<std::uint64_t> values;
    const std::string fields = Normalized(rest);
    std::size_t at = 0;
    while (at <= fields.size()) {
      const std::size_t end = std::min(fields.find(' ', at), fields.size());
      const auto value = Number(std::string_view(fields).substr(at, end - at));
      if (!value) Fail("a raw step is raw TYPE STATE LOW HIGH, four numbers");
      values.push_back(*value);
      at = end + 1;
    }
    if (values.size() != 4 || values[0] > 0xFFFF || values[1] > 0xFFFF || values[2] > 255 || values[3] > 255)
      Fail("a raw step is raw TYPE STATE LOW HIGH, four numbers (type and state 0-65535, the bytes 0-255)");
    Add({static_cast<Word>(values[0]), static_cast<Word>(values[1]), static_cast<Byte>(values[2]), static_cast<Byte>(values[3])});
  }

  // What the editor's Click item inserts: press, 10 ms, release.
  void Click(Byte code) {
    Add({kMacroEntryMouse, 1, code, 0});
    Add({kMacroEntryDelay, 0, kClickDelayMs, 0});
    Add({kMacroEntryMouse, 0, code, 0});
  }

  ParsedMacroSteps& result_;
  std::string item_;
  int number_ = 0;
};

std::string StepText(const TMACROENTRY& e) {
  const bool pressOrRelease = e.nEntryState <= 1;
  const char* action = e.nEntryState ? " down" : " up";
  if (e.nEntryType == kMacroEntryKey && pressOrRelease && IsSendableKey(e.nValueLo, e.nValueHi)) {
    const std::string name = ReadableKeyName(e.nValueLo, e.nValueHi);
    if (!name.empty()) return name + action;
  }
  if (e.nEntryType == kMacroEntryMouse && pressOrRelease && e.nValueHi == 0)
    if (const MacroMouseButton* button = MacroMouseButtonOfCode(e.nValueLo)) return button->menuName + std::string(action);
  if (e.nEntryType == kMacroEntryDelay && e.nEntryState == 0) return std::to_string(MacroDelayMs(e)) + "ms";
  return "raw " + std::to_string(e.nEntryType) + " " + std::to_string(e.nEntryState) + " " + std::to_string(e.nValueLo) + " " +
         std::to_string(e.nValueHi);
}

// A name the step text can carry: one without a comma, without blanks at its ends, and read back
// by FindKeyByName to this very key.
bool NamesKey(const std::string& name, int vk, int extended) {
  if (name.empty() || name.find(',') != std::string::npos || Normalized(name) != name) return false;
  std::int32_t foundVk = -1, foundExtended = -1;
  return FindKeyByName(name, foundVk, foundExtended) && foundVk == vk && foundExtended == extended;
}

}  // namespace

const MacroMouseButton* MacroMouseButtonOfCode(int code) {
  for (const MacroMouseButton& button : kMacroMouseButtons)
    if (button.code == code) return &button;
  return nullptr;
}

std::string ReadableKeyName(int vk, int extended) {
  if ((extended != 0 && extended != 1) || vk < 0 || vk >= kKeyTableSize) return "";
  const std::string prefix = extended ? "EXT:" : "";
  const std::string described = prefix + VKToKeyName(vk, extended);
  if (NamesKey(described, vk, extended)) return described;
  // A description the text cannot carry (",<" holds a comma): the symbolic name instead.
  const std::string symbolic = prefix + KeyInfoTable()[static_cast<std::size_t>(vk)].VKName;
  return NamesKey(symbolic, vk, extended) ? symbolic : "";
}

KeyLookup LookUpSendableKey(std::string_view name, Word& vk, Word& extended) {
  std::int32_t foundVk = 0, foundExtended = 0;
  if (!FindKeyByName(name, foundVk, foundExtended)) return KeyLookup::Unknown;
  vk = static_cast<Word>(foundVk);
  extended = static_cast<Word>(foundExtended);
  return IsSendableKey(foundVk, foundExtended) ? KeyLookup::Found : KeyLookup::NotSendable;
}

ParsedMacroSteps ParseMacroSteps(std::string_view text) {
  ParsedMacroSteps result;
  if (Normalized(text).empty()) return result;
  StepReader reader(result);
  std::size_t at = 0;
  for (int number = 1;; ++number) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    reader.Read(Normalized(text.substr(at, comma - at)), comma == text.size(), number);
    if (comma == text.size()) break;
    at = comma + 1;
  }
  return result;
}

std::string MacroStepsText(const TMACROKEYINFO& macro) {
  std::string text;
  const int count = std::clamp<int>(macro.MacroListCount, 0, kMacroStepCount);
  for (int i = 0; i < count; ++i) text += (i ? ", " : "") + StepText(macro.MacroList[i]);
  if (macro.nLoopCount != 0) text += (count ? ", loop " : "loop ") + std::to_string(macro.nLoopCount);
  return text;
}

}  // namespace q9
