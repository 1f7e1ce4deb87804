#pragma once
// The system's languages, named by Windows language ids written as four upper-case hexadecimal
// digits ("0409" English (United States), "0804" Chinese (PRC), "0404" Chinese (Taiwan)).

#include <string>
#include <vector>

namespace q9 {

struct LocaleEntry {
  std::string langId;      ///< "0804"
  std::string nativeName;  ///< the language's own name of itself, UTF-8
};

class SystemLocale {
 public:
  virtual ~SystemLocale() = default;
  /// The system default language id; "0409" when the system names none the table knows.
  virtual std::string SystemDefaultLangId() const = 0;
  /// The locales the system offers, each with its native name.
  virtual std::vector<LocaleEntry> Locales() const = 0;
};

}  // namespace q9
