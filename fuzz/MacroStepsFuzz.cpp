// libFuzzer harness for the macro step text: any text is refused with MacroStepError or read into
// at most 60 entries; what is read prints to a text that reads back to the same entries and loop.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "MacroSteps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q9::ParsedMacroSteps steps;
  try {
    steps = q9::ParseMacroSteps(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const q9::MacroStepError&) {
    return 0;
  }
  if (steps.entries.size() > q9::kMacroStepCount) std::abort();
  q9::TMACROKEYINFO macro{};
  std::copy(steps.entries.begin(), steps.entries.end(), macro.MacroList);
  macro.MacroListCount = static_cast<q9::Integer>(steps.entries.size());
  macro.nLoopCount = steps.loopCount.value_or(0);
  const q9::ParsedMacroSteps again = q9::ParseMacroSteps(q9::MacroStepsText(macro));
  if (again.entries.size() != steps.entries.size() || again.loopCount.value_or(0) != macro.nLoopCount) std::abort();
  for (std::size_t i = 0; i < steps.entries.size(); ++i)
    if (std::memcmp(&again.entries[i], &steps.entries[i], sizeof(q9::TMACROENTRY)) != 0) std::abort();
  return 0;
}
