#pragma once
// The readable text of a macro's steps, used by `q9ctl macro` both ways:
//   "A down, 150ms, A up, Left Button down, 10ms, Left Button up, Right Click, loop 2"
// Steps are separated by commas. A key step is a key name (as `q9ctl keys` lists it, "EXT:" for
// the extended variant) followed by "down" or "up"; a mouse step names the button as the macro
// editor's Mouse Event menu does ("Left Button", "Right Button", "Middle Button") followed by "down"
// or "up", or is "Left Click", "Right Click", "Middle Click" (press, 10 ms, release); a delay is a
// number of milliseconds followed by "ms"; an entry no other form describes is "raw TYPE STATE LOW
// HIGH". A last "loop N" gives the loop count. Keywords and key names ignore letter case.
//
// The key and mouse names are the ones the readable profile form (ProfileJson) uses as well.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/ProfileRecords.h"

namespace q9 {

/// A mouse button of macro steps: its code in nValueLo, its word in the readable profile form and
/// its name in the macro editor's Mouse Event menu.
struct MacroMouseButton {
  Byte code;
  const char* word;
  const char* menuName;
};
inline constexpr MacroMouseButton kMacroMouseButtons[] = {
    {1, "left", "Left Button"}, {2, "right", "Right Button"}, {4, "middle", "Middle Button"}};

/// The button of a mouse entry's nValueLo; nullptr for any other value.
const MacroMouseButton* MacroMouseButtonOfCode(int code);

/// A name of the key that FindKeyByName reads back to exactly this vk and extended flag ("EXT:"
/// before the name of an extended key); "" when the key has no such name.
std::string ReadableKeyName(int vk, int extended);

enum class KeyLookup { Found, Unknown, NotSendable };
/// Looks a key name up for a step or button: Unknown when no key has the name, NotSendable when
/// the mouse has no HID code for it (vk and extended are set in both Found and NotSendable).
KeyLookup LookUpSendableKey(std::string_view name, Word& vk, Word& extended);

/// A step text that cannot be read; what() names the step ("step 3 \"Q down\": ...").
class MacroStepError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ParsedMacroSteps {
  std::vector<TMACROENTRY> entries;  ///< at most kMacroStepCount
  std::optional<Word> loopCount;     ///< from a last "loop N"
};

/// Reads a step text; an empty or blank text is a macro without steps. Throws MacroStepError on an
/// unknown key or step, a delay above 65535 ms, more than kMacroStepCount entries.
ParsedMacroSteps ParseMacroSteps(std::string_view text);

/// The step text of a macro's stored entries (and "loop N" when its loop count is not 0), which
/// ParseMacroSteps reads back to the same entries and loop count.
std::string MacroStepsText(const TMACROKEYINFO& macro);

}  // namespace q9
