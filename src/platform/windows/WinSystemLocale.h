#pragma once

#include "platform/SystemLocale.h"

namespace q9 {

class WinSystemLocale : public SystemLocale {
 public:
  std::string SystemDefaultLangId() const override;
  std::vector<LocaleEntry> Locales() const override;
};

}  // namespace q9
