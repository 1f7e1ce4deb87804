#pragma once
// What the translation designer edits, without the window: the original texts, one page per
// language with its translations, the language list the translator chooses from, and the page strip.
//
// A page shows one row per original text (in sorted order) and its translation. A row without a
// translation shows the original itself; such a row, and one whose translation is empty, leaves no
// line in the saved file, so a file saved without edits holds the lines it was read with.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "lang/LanguageFile.h"
#include "platform/SystemLocale.h"

namespace q9 {

struct DesignPage {
  std::string identifier;  ///< the language's name in the file: its four-digit language id
  std::string caption;     ///< the locale's display name
  std::map<std::string, std::string> translations;  ///< by original; an empty one is kept apart from none
  int rowCount = 0;        ///< rows of the page's table (originals plus spare rows)
};

class LanguageDesign {
 public:
  static constexpr int kPagesShown = 8;
  static constexpr int kSpareRows = 100;
  static constexpr int kRowGrowth = 30;

  /// The languages to choose from: every locale, once per language id, in the given order.
  explicit LanguageDesign(const std::vector<LocaleEntry>& locales);

  /// Replaces everything with a language file's resources: a page for each language named by a
  /// language id of the locale list (the first language of each id). The page strip starts at the
  /// first page, and the last page it shows is selected.
  void Load(const LanguageResources& resources);

  const std::vector<LocaleEntry>& Locales() const { return locales_; }
  const std::vector<std::string>& Originals() const { return originals_; }
  const std::vector<DesignPage>& Pages() const { return pages_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  /// The selected page, -1 with none.
  int CurrentPage() const { return current_; }
  void SelectPage(int page);

  /// Column 2 of a row: the translation, the original without one, "" past the originals.
  std::string ShownTranslation(int page, int row) const;
  /// A cell of column 2 edited. An unchanged original stays untranslated. False past the originals.
  bool SetTranslation(int page, int row, const std::string& text);

  /// Selects the page of the locale at `localeIndex` when one has its caption, else adds a page
  /// filled from the loaded language of that id (or empty) and selects it; the strip moves to show
  /// the selected page. The page index, -1 for
  /// an index outside the locale list.
  int AddLanguage(int localeIndex);
  /// Removes the selected page and selects the one before it (or the first). False without one.
  bool DeleteLanguage();

  /// Adds a text to the originals; false for an empty text, one already there, or one that a
  /// language file cannot hold as an original ('=' or a line break in it).
  bool AddConstText(const std::string& text);
  /// Removes the original at `row` from the originals and from every page. False past them.
  bool DeleteOriginal(int row);

  /// The page's rows as lines "original=translation", separated by '\n'.
  std::string TextList(int page) const;
  /// Replaces the page's translations with such lines (CR LF or LF); lines of texts that are not
  /// originals, or without '=', are passed over. False for a page that does not exist.
  bool SetTextList(int page, const std::string& lines);

  /// The language file to save: the originals; a language per page, in page order, named by its
  /// identifier, with a line for every non-empty translation; then the loaded languages no page
  /// could show (names that are no language id), as they were.
  LanguageResources Resources() const;

  /// The page strip: kPagesShown pages from FirstShown().
  int FirstShown() const { return firstShown_; }
  bool IsShown(int page) const { return page >= firstShown_ && page < firstShown_ + kPagesShown; }
  /// One page on while at least kPagesShown + 1 pages remain from the first shown.
  bool NextPage();
  /// One page back while the first shown is not the first.
  bool PrevPage();

 private:
  bool ValidPage(int page) const { return page >= 0 && page < PageCount(); }
  int LocaleOfIdentifier(const std::string& identifier) const;
  void GrowRows();
  void ShowPage(int page);

  std::vector<LocaleEntry> locales_;
  std::vector<std::string> originals_;
  std::vector<DesignPage> pages_;
  LanguageResources loaded_;
  int current_ = -1;
  int firstShown_ = 0;
};

}  // namespace q9
