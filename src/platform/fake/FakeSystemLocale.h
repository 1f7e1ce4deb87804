#pragma once

#include "platform/LocaleTable.h"
#include "platform/SystemLocale.h"

namespace q9 {

class FakeSystemLocale : public SystemLocale {
 public:
  explicit FakeSystemLocale(std::string langId = "0409") : langId_(std::move(langId)) {}
  std::string SystemDefaultLangId() const override { return langId_; }
  std::vector<LocaleEntry> Locales() const override { return BuiltInLocaleEntries(); }
  void SetLangId(std::string langId) { langId_ = std::move(langId); }

 private:
  std::string langId_;
};

}  // namespace q9
