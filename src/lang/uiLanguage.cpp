#include "lang/uiLanguage.h"

namespace q9 {

TuiLanguage::TuiLanguage(const SystemLocale& locale, const std::filesystem::path& folder) : locale_(locale) {
  const std::filesystem::path file = folder / kLanguageFileName;
  std::error_code ec;
  if (std::filesystem::exists(file, ec) && !LoadLanguageFile(file, resources_, loadError_)) resources_ = {};
}

TuiLanguage::TuiLanguage(const SystemLocale& locale, LanguageResources resources)
    : locale_(locale), resources_(std::move(resources)) {}

void TuiLanguage::SetLang(const std::string& Value) {
  if (Value == "en") {
    dictionary_ = nullptr;
  } else if (const int index = q9::GetLanguageIndexByShortID(resources_, Value); index >= 0) {
    dictionary_ = &resources_.languages[static_cast<std::size_t>(index)];
  }
  FLanguageName = Value;
  // A form's translation may register or unregister forms: walk a copy.
  const std::map<int, FormTranslation> forms = forms_;
  for (const auto& [id, translate] : forms)
    if (translate) translate(*this);
  if (OnLanguageChanged) OnLanguageChanged(FLanguageName, GetLanguageLongNameByShortID(FLanguageName));
}

std::string TuiLanguage::GetLanguageLongNameByLangID(const std::string& LangID) const {
  for (const LocaleEntry& entry : locale_.Locales())
    if (entry.langId == LangID) return entry.nativeName;
  return {};
}

int TuiLanguage::RegisterForm(FormTranslation translate) {
  const int id = nextForm_++;
  forms_[id] = std::move(translate);
  return id;
}

void TuiLanguage::UnregisterForm(int form) { forms_.erase(form); }

}  // namespace q9
