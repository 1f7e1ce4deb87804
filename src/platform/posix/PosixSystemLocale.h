#pragma once
// The system language from LC_ALL, LC_MESSAGES or LANG (the first one set), as a Windows language id.

#include "platform/SystemLocale.h"

namespace q9 {

class PosixSystemLocale : public SystemLocale {
 public:
  std::string SystemDefaultLangId() const override;
  std::vector<LocaleEntry> Locales() const override;
};

}  // namespace q9
