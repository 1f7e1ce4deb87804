#include "lang/LanguageDesign.h"

#include <algorithm>
#include <set>

namespace q9 {

namespace {

bool FileCanHoldOriginal(const std::string& text) {
  return !text.empty() && text.find_first_of("=\r\n") == std::string::npos;
}

}  // namespace

LanguageDesign::LanguageDesign(const std::vector<LocaleEntry>& locales) {
  std::set<std::string> seen;
  for (const LocaleEntry& entry : locales)
    if (!entry.langId.empty() && seen.insert(entry.langId).second) locales_.push_back(entry);
}

int LanguageDesign::LocaleOfIdentifier(const std::string& identifier) const {
  for (std::size_t i = 0; i < locales_.size(); ++i)
    if (locales_[i].langId == identifier) return static_cast<int>(i);
  return -1;
}

void LanguageDesign::Load(const LanguageResources& resources) {
  loaded_ = resources;
  originals_.assign(resources.originals.begin(), resources.originals.end());
  pages_.clear();
  current_ = -1;
  firstShown_ = 0;
  for (const TLanguageResource& language : resources.languages) {
    const int locale = LocaleOfIdentifier(language.name);
    const bool hasPage = std::any_of(pages_.begin(), pages_.end(),
                                     [&](const DesignPage& page) { return page.identifier == language.name; });
    if (locale < 0 || hasPage) continue;
    pages_.push_back({language.name, locales_[static_cast<std::size_t>(locale)].nativeName, language.translations,
                      static_cast<int>(originals_.size()) + kSpareRows});
  }
  // The strip starts at the first page; the last page it shows is selected.
  if (!pages_.empty()) current_ = std::min(PageCount(), kPagesShown) - 1;
}

void LanguageDesign::SelectPage(int page) {
  if (ValidPage(page)) current_ = page;
}

void LanguageDesign::ShowPage(int page) {
  current_ = page;
  if (page < firstShown_) firstShown_ = page;
  if (page >= firstShown_ + kPagesShown) firstShown_ = page - kPagesShown + 1;
}

std::string LanguageDesign::ShownTranslation(int page, int row) const {
  if (!ValidPage(page) || row < 0 || row >= static_cast<int>(originals_.size())) return {};
  const std::string& original = originals_[static_cast<std::size_t>(row)];
  const auto& translations = pages_[static_cast<std::size_t>(page)].translations;
  const auto found = translations.find(original);
  return found == translations.end() ? original : found->second;
}

bool LanguageDesign::SetTranslation(int page, int row, const std::string& text) {
  if (!ValidPage(page) || row < 0 || row >= static_cast<int>(originals_.size())) return false;
  const std::string& original = originals_[static_cast<std::size_t>(row)];
  auto& translations = pages_[static_cast<std::size_t>(page)].translations;
  if (text == ShownTranslation(page, row)) return true;
  translations[original] = text;
  return true;
}

int LanguageDesign::AddLanguage(int localeIndex) {
  if (localeIndex < 0 || localeIndex >= static_cast<int>(locales_.size())) return -1;
  const LocaleEntry& locale = locales_[static_cast<std::size_t>(localeIndex)];
  for (int page = 0; page < PageCount(); ++page)
    if (pages_[static_cast<std::size_t>(page)].caption == locale.nativeName) {
      ShowPage(page);
      return page;
    }
  const int index = GetLanguageIndexByShortID(loaded_, locale.langId);
  DesignPage page{locale.langId, locale.nativeName, {}, static_cast<int>(originals_.size()) + kSpareRows};
  if (index >= 0) page.translations = loaded_.languages[static_cast<std::size_t>(index)].translations;
  pages_.push_back(std::move(page));
  ShowPage(PageCount() - 1);
  return current_;
}

bool LanguageDesign::DeleteLanguage() {
  if (!ValidPage(current_)) return false;
  pages_.erase(pages_.begin() + current_);
  current_ = pages_.empty() ? -1 : std::max(current_ - 1, 0);
  firstShown_ = std::max(0, std::min(firstShown_, PageCount() - kPagesShown));
  if (current_ >= 0) ShowPage(current_);
  return true;
}

void LanguageDesign::GrowRows() {
  const int needed = static_cast<int>(originals_.size());
  for (DesignPage& page : pages_)
    while (page.rowCount < needed) page.rowCount += kRowGrowth;
}

bool LanguageDesign::AddConstText(const std::string& text) {
  if (!FileCanHoldOriginal(text)) return false;
  const auto place = std::lower_bound(originals_.begin(), originals_.end(), text);
  if (place != originals_.end() && *place == text) return false;
  originals_.insert(place, text);
  GrowRows();
  return true;
}

bool LanguageDesign::DeleteOriginal(int row) {
  if (row < 0 || row >= static_cast<int>(originals_.size())) return false;
  const std::string original = originals_[static_cast<std::size_t>(row)];
  originals_.erase(originals_.begin() + row);
  for (DesignPage& page : pages_) page.translations.erase(original);
  return true;
}

std::string LanguageDesign::TextList(int page) const {
  std::string lines;
  if (!ValidPage(page)) return lines;
  for (std::size_t row = 0; row < originals_.size(); ++row) {
    if (row > 0) lines += '\n';
    lines += originals_[row] + "=" + ShownTranslation(page, static_cast<int>(row));
  }
  return lines;
}

bool LanguageDesign::SetTextList(int page, const std::string& lines) {
  if (!ValidPage(page)) return false;
  const auto& old = pages_[static_cast<std::size_t>(page)].translations;
  std::map<std::string, std::string> translations;
  std::size_t start = 0;
  while (start <= lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    std::string line = lines.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto equals = line.find('=');
    if (equals != std::string::npos && equals > 0) {
      std::string original = line.substr(0, equals);
      std::string translation = line.substr(equals + 1);
      // A text shown as itself stays untranslated unless the page had it translated so.
      const bool untranslated = translation == original && !old.contains(original);
      if (std::binary_search(originals_.begin(), originals_.end(), original) && !untranslated)
        translations.emplace(std::move(original), std::move(translation));
    }
    start = end + 1;
  }
  pages_[static_cast<std::size_t>(page)].translations = std::move(translations);
  return true;
}

LanguageResources LanguageDesign::Resources() const {
  LanguageResources resources;
  resources.originals.insert(originals_.begin(), originals_.end());
  for (const DesignPage& page : pages_) {
    TLanguageResource language{page.identifier, {}};
    for (const auto& [original, translation] : page.translations)
      if (!translation.empty() && resources.originals.contains(original) && FileCanHoldOriginal(original))
        language.translations.emplace(original, translation);
    resources.languages.push_back(std::move(language));
  }
  for (const TLanguageResource& language : loaded_.languages)
    if (LocaleOfIdentifier(language.name) < 0) resources.languages.push_back(language);
  return resources;
}

bool LanguageDesign::NextPage() {
  if (PageCount() - firstShown_ < kPagesShown + 1) return false;
  ++firstShown_;
  return true;
}

bool LanguageDesign::PrevPage() {
  if (firstShown_ <= 0) return false;
  --firstShown_;
  return true;
}

}  // namespace q9
