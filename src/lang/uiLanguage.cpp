#include "lang/uiLanguage.h"

namespace q9 {

TuiLanguage::TuiLanguage(const SystemLocale& locale, const std::filesystem::path& folder) : locale_(locale) {
  const std::filesystem::path file = folder / kLanguageFileName;
  std::error_code ec;
  if (std::filesystem::exists(file, ec) && !LoadLanguageFile(file, resources_, loadError_)) resources_ = {};
}

TuiLanguage::TuiLanguage(const SystemLocale& locale, LanguageResources resources)
    : locale_(locale), resources_(std::move(resources)) {}

void TuiLanguage::SelectDictionary(const std::string& name) {
  if (name == "en") {
    dictionary_ = nullptr;
  } else if (const int index = q9::GetLanguageIndexByShortID(resources_, name); index >= 0) {
    dictionary_ = &resources_.languages[static_cast<std::size_t>(index)];
  }
}

void TuiLanguage::TranslateForms() {
  // A form's translation may register or unregister forms: walk a copy.
  const std::map<int, FormTranslation> forms = forms_;
  for (const auto& [id, translate] : forms)
    if (translate) translate(*this);
}

void TuiLanguage::SetLang(const std::string& Value) {
  SelectDictionary(Value);
  FLanguageName = Value;
  TranslateForms();
  if (OnLanguageChanged) OnLanguageChanged(FLanguageName, GetLanguageLongNameByShortID(FLanguageName));
}

std::string TuiLanguage::Translate(const std::string& text) const {
  if (gathered_ && !text.empty()) gathered_->insert(text);
  return TranslateText(dictionary_, text);
}

void TuiLanguage::SetResources(LanguageResources resources) {
  // The dictionary points into the old list.
  dictionary_ = nullptr;
  resources_ = std::move(resources);
  SelectDictionary(FLanguageName);
  TranslateForms();
}

void TuiLanguage::RunCollection(const std::function<void(TuiLanguage&)>& openDesigner) {
  if (FActive) return;
  FActive = true;
  std::set<std::string> gathered;
  dictionary_ = nullptr;
  gathered_ = &gathered;
  TranslateForms();
  gathered_ = nullptr;
  for (const char* text : kCollectedFixedTexts) gathered.insert(text);
  resources_.originals.merge(gathered);
  if (openDesigner) openDesigner(*this);
  SelectDictionary(FLanguageName);
  TranslateForms();
  FActive = false;
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
