// libFuzzer harness for the language file reader: any input is refused or read without a crash,
// a leak or an unbounded allocation, and whatever is read writes back to a file that reads the same.

#include <cstdint>
#include <cstdlib>

#include "lang/LanguageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  q9::LanguageResources resources;
  std::string error;
  if (!q9::ParseLanguageFile({data, size}, resources, error)) return 0;
  const std::vector<std::uint8_t> written = q9::SerializeLanguageFile(resources);
  q9::LanguageResources again;
  if (!q9::ParseLanguageFile(written, again, error) || again.originals != resources.originals ||
      again.languages.size() != resources.languages.size())
    std::abort();
  return 0;
}
