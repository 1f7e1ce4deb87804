// libFuzzer harness for q9sim decode: any memory image and state, however damaged, decodes to JSON
// and text without a crash, a leak or a read outside the image, and every warning appears in the
// text form.
//
// Input, so that the fuzzer can reach every field without mutating 64 KiB: byte 0 bit 0 says
// whether a state follows (24 bytes as SaveImage writes them after the memory), then patches of
// the zeroed memory: u16 address (little-endian), u8 length, `length` bytes.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "MemoryDecode.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool withState = data[0] & 1;
  std::size_t at = 1;
  std::vector<std::uint8_t> image(q9::SimulatedMouse::kMemorySize, 0);
  std::vector<std::uint8_t> state;
  if (withState) {
    if (size < at + 24) return 0;
    state.assign(data + at, data + at + 24);
    std::memcpy(state.data(), "Q9SIMST1", 8);
    at += 24;
  }
  while (at + 3 <= size) {
    const std::size_t address = data[at] | (data[at + 1] << 8);
    const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
    const std::size_t fits = std::min(length, image.size() - address);
    std::memcpy(image.data() + address, data + at + 3, fits);
    at += 3 + length;
  }
  image.insert(image.end(), state.begin(), state.end());
  q9::SimulatedMouse mouse;
  Check(mouse.LoadImage(image));
  std::optional<q9::SimulatedMouse::State> decodedState;
  if (withState) decodedState = mouse.CurrentState();
  const auto memory = mouse.Memory();
  const nlohmann::json decoded = q9::DecodeMemory(memory, decodedState);
  Check(!decoded.dump().empty());
  std::ostringstream text;
  q9::PrintDecodedMemory(text, decoded);
  const std::string printed = text.str();
  for (const auto& warning : decoded["warnings"])
    Check(printed.find("warning: " + warning.get<std::string>() + "\n") != std::string::npos);
  for (const auto& location : decoded["locations"])
    for (const auto& [group, buttons] : location["buttonGroups"].items()) Check(buttons.size() <= 16);
  return 0;
}
