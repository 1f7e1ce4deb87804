#pragma once
// TuiLanguage, the part that needs no widgets: the language file of the program's folder, the
// current language and its dictionary, the locale table, and the registered forms that are
// re-translated when the language changes. The widget walk over a form's texts, tool tips and
// titles lives with the windows and registers itself here as a form's re-translation.

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "lang/LanguageFile.h"
#include "platform/SystemLocale.h"

namespace q9 {

class TuiLanguage {
 public:
  /// Told once after a language change, when every form is translated.
  using TOnLanguageChanged = std::function<void(const std::string& LanguageShortID, const std::string& LanguageLongName)>;
  /// Re-translates one form with the component's current dictionary.
  using FormTranslation = std::function<void(const TuiLanguage& language)>;

  /// Loads `folder`/ui.local when it exists (a damaged file leaves the language list empty).
  TuiLanguage(const SystemLocale& locale, const std::filesystem::path& folder);
  /// The resources of a file already read (the designer's own languages).
  TuiLanguage(const SystemLocale& locale, LanguageResources resources);

  const std::string& Lang() const { return FLanguageName; }
  /// Selects a language: "en" returns every text to its original; a name of the file makes its
  /// translations current; any other name leaves the translation as it is. Every registered form
  /// is translated again, then OnLanguageChanged is told once.
  void SetLang(const std::string& Value);

  /// A text in the current language. During a collection run every text asked for is gathered.
  std::string Translate(const std::string& text) const;
  /// The original of a text shown in the current language.
  std::string Original(const std::string& text) const { return OriginalOfText(dictionary_, text); }

  std::string GetOSDefaultLang() const { return locale_.SystemDefaultLangId(); }
  int GetLanguageIndexByShortID(const std::string& ShortID) const { return q9::GetLanguageIndexByShortID(resources_, ShortID); }
  std::string GetLanguageShortIDByIndex(int Index) const { return q9::GetLanguageShortIDByIndex(resources_, Index); }
  std::string GetLanguageLongNameByLangID(const std::string& LangID) const;
  std::string GetLanguageLongNameByShortID(const std::string& ShortID) const { return GetLanguageLongNameByLangID(ShortID); }

  int RegisterForm(FormTranslation translate);
  void UnregisterForm(int form);
  int uiParentFormCount() const { return static_cast<int>(forms_.size()); }

  const LanguageResources& Resources() const { return resources_; }
  /// Replaces the originals and languages (a saved designer's): the selected language stays
  /// selected when the new list has it, else the texts return to their originals; every form is
  /// translated again.
  void SetResources(LanguageResources resources);

  /// True while a collection run is on.
  bool Active() const { return FActive; }
  /// The collection run: every registered form is translated once with no dictionary, and each text
  /// asked for meanwhile joins the originals, then the texts below; `openDesigner` is called with the
  /// component (it shows the translation designer modally). The language selected before is then
  /// selected again. A run asked for during a run does nothing.
  void RunCollection(const std::function<void(TuiLanguage&)>& openDesigner);
  /// Why the language file was not loaded ("" when it was, or when there is none).
  const std::string& LoadError() const { return loadError_; }

  TOnLanguageChanged OnLanguageChanged;

 private:
  void SelectDictionary(const std::string& name);
  void TranslateForms();

  const SystemLocale& locale_;
  LanguageResources resources_;
  const TLanguageResource* dictionary_ = nullptr;
  std::string FLanguageName;
  std::map<int, FormTranslation> forms_;
  int nextForm_ = 1;
  std::string loadError_;
  bool FActive = false;
  mutable std::set<std::string>* gathered_ = nullptr;
};

/// The texts a collection run adds to every component's originals besides those its forms show.
inline constexpr const char* kCollectedFixedTexts[] = {
    "Down", "Up", "ms", "Mouse Click", "Mouse Right Click", "Mouse Middle Click", "Backward(Mouse)",
    "Forward(Mouse)", "Wheel up(Mouse)", "Wheel Down(Mouse)"};

}  // namespace q9
