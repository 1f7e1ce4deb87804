#pragma once
// TuiLanguageDesignForm, the translation designer: one page per language of a language component,
// each a table of the original texts (read-only) and their translations (editable), and the tools
// to add and delete languages and original texts and to save everything to a language file.
//
// Opened on a component (the collection run), it edits that component and closes once saved.
// Opened on its own, it makes its own component from its language file when first shown.
// A save replaces the language file whole or not at all; a failure is shown and keeps the pages.

#include <QDialog>
#include <filesystem>
#include <memory>

#include "lang/LanguageDesign.h"
#include "platform/DurableFile.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QToolBar;

namespace q9 {

class SystemLocale;
class TuiLanguage;

inline constexpr const char* kLanguageDesignerCaption = "Language Translate v1.1";

class TuiLanguageDesignForm final : public QDialog {
  Q_OBJECT

 public:
  /// `languageFile`: read when the window is shown without a component, and written by a save.
  TuiLanguageDesignForm(const SystemLocale& locale, std::filesystem::path languageFile, QWidget* parent = nullptr);
  ~TuiLanguageDesignForm() override;

  /// Edits `language`: a page for each of its languages named by a language id of the locale list.
  void LoadLanguageAndCreateTranslateTabList(TuiLanguage& language);

  const LanguageDesign& Design() const { return design_; }
  TuiLanguage* Language() const { return FLang; }

  /// Fault seam for tests, handed to the file write of a save.
  DurableWriteHook saveHook;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void BtnAddLanguageClick();
  void BtnDeletClick();
  void BtnPrevPageMouseUp();
  void BtnNextPageMouseUp();
  void BTNADDConstTextClick();
  void BTNDELCONSTTEXTClick();
  void BtnSaveClick();
  void BtnSaveTextListClick();
  void SpeedButton2Click();

  QPushButton* MakeButton(const char* name, const char* text);
  QTableWidget* MakeTable();
  void FillTable(int page);
  void FillAllTables();
  void RebuildPages();
  void ShowPageStrip();
  void TableEdited(QTableWidget* table, int row, int column);
  int PageOfTable(const QTableWidget* table) const;
  void UpdateAccessibleNames();
  QString Tr(const char* text) const;

  const SystemLocale& locale_;
  std::filesystem::path languageFile_;
  LanguageDesign design_;
  TuiLanguage* FLang = nullptr;
  std::unique_ptr<TuiLanguage> ownLanguage_;
  bool filling_ = false;

  QToolBar* ToolBar1 = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* LangCombo = nullptr;
  QPushButton* BtnAddLanguage = nullptr;
  QPushButton* BtnDelet = nullptr;
  QPushButton* BtnPrevPage = nullptr;
  QPushButton* BtnNextPage = nullptr;
  QTabWidget* TabControl1 = nullptr;
  QDialog* PopupTextList = nullptr;
  QPlainTextEdit* MemoTextList = nullptr;
  QPushButton* BtnSaveTextList = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* Text1 = nullptr;
  QLineEdit* TBConstText = nullptr;
  QPushButton* BTNADDConstText = nullptr;
  QPushButton* BTNDELCONSTTEXT = nullptr;
  QPushButton* sbtnsavelanguagetofile = nullptr;
  QPushButton* SpeedButton2 = nullptr;
};

}  // namespace q9
