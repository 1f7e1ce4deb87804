// libFuzzer harness for the readable profile reader: any text is refused with ProfileJsonError or
// read; what is read writes back to a text that reads as the same image.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ProfileJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> image;
  try {
    image = q9::ProfileImageFromJson(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const q9::ProfileJsonError&) {
    return 0;
  }
  if (q9::ProfileImageFromJson(q9::ProfileImageToJson(image)) != image) std::abort();
  q9::DescribeProfileChanges(image, image);
  return 0;
}
