#include "platform/posix/PosixSystemLocale.h"

#include <cstdlib>

#include "platform/LocaleTable.h"

namespace q9 {

std::string PosixSystemLocale::SystemDefaultLangId() const {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (!value || !*value) continue;
    const std::string id = LangIdOfPosixLocale(value);
    return id.empty() ? "0409" : id;
  }
  return "0409";
}

std::vector<LocaleEntry> PosixSystemLocale::Locales() const { return BuiltInLocaleEntries(); }

}  // namespace q9
