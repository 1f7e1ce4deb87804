#include "lang/Languagetranslate.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "gui/uiLanguageWidgets.h"
#include "lang/uiLanguage.h"
#include "mainwindow/showdialog.h"

namespace q9 {

namespace {

constexpr int kOriginalColumnWidth = 380;
constexpr int kTranslationColumnWidth = 440;

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

TuiLanguageDesignForm::TuiLanguageDesignForm(const SystemLocale& locale, std::filesystem::path languageFile, QWidget* parent)
    : QDialog(parent), locale_(locale), languageFile_(std::move(languageFile)), design_(locale.Locales()) {
  FormCreate();
}

TuiLanguageDesignForm::~TuiLanguageDesignForm() = default;

QPushButton* TuiLanguageDesignForm::MakeButton(const char* name, const char* text) {
  auto* button = new QPushButton(QString::fromLatin1(text), this);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(true);  // Enter presses the focused button
  return button;
}

void TuiLanguageDesignForm::FormCreate() {
  setObjectName("TuiLanguageDesignForm");
  setWindowTitle(QString::fromLatin1(kLanguageDesignerCaption));
  resize(900, 640);

  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  Label1 = new QLabel(QStringLiteral(u"Langs List："), this);
  Label1->setObjectName("Label1");
  LangCombo = new QComboBox(this);
  LangCombo->setObjectName("LangCombo");
  LangCombo->setProperty(kNoTranslateProperty, true);  // the locales' own names
  for (const LocaleEntry& entry : design_.Locales()) LangCombo->addItem(FromUtf8(entry.nativeName));
  LangCombo->setCurrentIndex(-1);
  Label1->setBuddy(LangCombo);
  BtnAddLanguage = MakeButton("BtnAddLanguage", "Add Language");
  BtnDelet = MakeButton("BtnDelet", "Delete Language");
  BtnPrevPage = MakeButton("BtnPrevPage", "Prev Page");
  BtnNextPage = MakeButton("BtnNextPage", "Next Page");
  for (QWidget* widget : std::initializer_list<QWidget*>{Label1, LangCombo, BtnAddLanguage, BtnDelet, BtnPrevPage, BtnNextPage})
    ToolBar1->addWidget(widget);

  TabControl1 = new QTabWidget(this);
  TabControl1->setObjectName("TabControl1");
  TabControl1->setProperty(kNoTranslateProperty, true);  // page captions are locale names
  TabControl1->tabBar()->setUsesScrollButtons(false);
  TabControl1->tabBar()->setExpanding(false);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  Text1 = new QLabel("Type Text to translate:", this);
  Text1->setObjectName("Text1");
  TBConstText = new QLineEdit(this);
  TBConstText->setObjectName("TBConstText");
  Text1->setBuddy(TBConstText);
  BTNADDConstText = MakeButton("BTNADDConstText", "Add Const Text");
  BTNDELCONSTTEXT = MakeButton("BTNDELCONSTTEXT", "Delete Item From List");
  sbtnsavelanguagetofile = MakeButton("sbtnsavelanguagetofile", "Save to language file");
  SpeedButton2 = MakeButton("SpeedButton2", "Get/Set Text List");
  StatusBar1->addWidget(Text1);
  StatusBar1->addWidget(TBConstText, 1);
  for (QWidget* widget : std::initializer_list<QWidget*>{BTNADDConstText, BTNDELCONSTTEXT, sbtnsavelanguagetofile, SpeedButton2})
    StatusBar1->addWidget(widget);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(ToolBar1);
  layout->addWidget(TabControl1, 1);
  layout->addWidget(StatusBar1);

  PopupTextList = new QDialog(this);
  PopupTextList->setObjectName("PopupTextList");
  PopupTextList->setWindowTitle("Get/Set Text List");
  PopupTextList->resize(760, 480);
  MemoTextList = new QPlainTextEdit(PopupTextList);
  MemoTextList->setObjectName("MemoTextList");
  MemoTextList->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoTextList->setTabChangesFocus(true);
  BtnSaveTextList = new QPushButton("Save", PopupTextList);
  BtnSaveTextList->setObjectName("BtnSaveTextList");
  BtnSaveTextList->setAutoDefault(true);
  auto* popupLayout = new QVBoxLayout(PopupTextList);
  popupLayout->addWidget(MemoTextList, 1);
  auto* popupButtons = new QHBoxLayout;
  popupButtons->addStretch(1);
  popupButtons->addWidget(BtnSaveTextList);
  popupLayout->addLayout(popupButtons);

  setTabOrder(LangCombo, BtnAddLanguage);
  setTabOrder(BtnAddLanguage, BtnDelet);
  setTabOrder(BtnDelet, BtnPrevPage);
  setTabOrder(BtnPrevPage, BtnNextPage);
  setTabOrder(BtnNextPage, TabControl1);
  setTabOrder(TabControl1, TBConstText);
  setTabOrder(TBConstText, BTNADDConstText);
  setTabOrder(BTNADDConstText, BTNDELCONSTTEXT);
  setTabOrder(BTNDELCONSTTEXT, sbtnsavelanguagetofile);
  setTabOrder(sbtnsavelanguagetofile, SpeedButton2);

  connect(BtnAddLanguage, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnAddLanguageClick);
  connect(BtnDelet, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnDeletClick);
  // A push button is clicked when the mouse button goes up over it (or by Space and Enter).
  connect(BtnPrevPage, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnPrevPageMouseUp);
  connect(BtnNextPage, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnNextPageMouseUp);
  connect(BTNADDConstText, &QPushButton::clicked, this, &TuiLanguageDesignForm::BTNADDConstTextClick);
  connect(TBConstText, &QLineEdit::returnPressed, this, &TuiLanguageDesignForm::BTNADDConstTextClick);
  connect(BTNDELCONSTTEXT, &QPushButton::clicked, this, &TuiLanguageDesignForm::BTNDELCONSTTEXTClick);
  connect(sbtnsavelanguagetofile, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnSaveClick);
  // Ctrl+S saves from anywhere in the window, the table's cells included.
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &TuiLanguageDesignForm::BtnSaveClick);
  connect(SpeedButton2, &QPushButton::clicked, this, &TuiLanguageDesignForm::SpeedButton2Click);
  connect(BtnSaveTextList, &QPushButton::clicked, this, &TuiLanguageDesignForm::BtnSaveTextListClick);
  connect(TabControl1, &QTabWidget::currentChanged, this, [this](int page) {
    if (!filling_) design_.SelectPage(page);
  });
  UpdateAccessibleNames();
}

QString TuiLanguageDesignForm::Tr(const char* text) const {
  return FLang ? TranslatedText(*FLang, text) : QString::fromUtf8(text);
}

void TuiLanguageDesignForm::UpdateAccessibleNames() {
  const auto name = [this](QWidget* widget, const char* text) { widget->setAccessibleName(Tr(text)); };
  name(ToolBar1, "Tool bar");
  name(LangCombo, "Language to add");
  name(BtnAddLanguage, "Add Language");
  name(BtnDelet, "Delete Language");
  name(BtnPrevPage, "Prev Page");
  name(BtnNextPage, "Next Page");
  name(TabControl1, "Languages");
  name(TBConstText, "Type Text to translate:");
  name(BTNADDConstText, "Add Const Text");
  name(BTNDELCONSTTEXT, "Delete Item From List");
  name(sbtnsavelanguagetofile, "Save to language file");
  name(SpeedButton2, "Get/Set Text List");
  name(MemoTextList, "Text list of the page, one text per line");
  name(BtnSaveTextList, "Save");
  for (int page = 0; page < TabControl1->count(); ++page) {
    auto* table = qobject_cast<QTableWidget*>(TabControl1->widget(page));
    if (!table) continue;
    table->setAccessibleName(Tr("Translations") + ": " + TabControl1->tabText(page));
    table->setHorizontalHeaderLabels({Tr("Original Text"), Tr("Translation")});
  }
}

void TuiLanguageDesignForm::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TuiLanguageDesignForm::FormShow() {
  if (FLang) return;
  LanguageResources resources;
  std::string error;
  std::error_code ec;
  if (std::filesystem::exists(languageFile_, ec) && !LoadLanguageFile(languageFile_, resources, error)) {
    // Told as soon as the window is on screen, before it can save over the file.
    QTimer::singleShot(0, this, [this, error] {
      ShowMessageDialog(Tr("Warning!"), Tr("The language file could not be read.") + "\n" + FromUtf8(error), 0, this);
    });
  }
  ownLanguage_ = std::make_unique<TuiLanguage>(locale_, std::move(resources));
  ownLanguage_->SetLang(locale_.SystemDefaultLangId());
  LoadLanguageAndCreateTranslateTabList(*ownLanguage_);
}

void TuiLanguageDesignForm::LoadLanguageAndCreateTranslateTabList(TuiLanguage& language) {
  const bool first = FLang == nullptr;
  FLang = &language;
  design_.Load(language.Resources());
  RebuildPages();
  if (first) {
    RegisterFormWidgets(language, this);
    RegisterFormWidgets(language, PopupTextList);
    OnLanguageChanged(language, this, [this] { UpdateAccessibleNames(); });
  }
  UpdateAccessibleNames();
}

QTableWidget* TuiLanguageDesignForm::MakeTable() {
  auto* table = new QTableWidget(0, 2);
  table->setColumnWidth(0, kOriginalColumnWidth);
  table->setColumnWidth(1, kTranslationColumnWidth);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setTabKeyNavigation(false);
  table->verticalHeader()->setDefaultSectionSize(22);
  table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  connect(table, &QTableWidget::cellChanged, this, [this, table](int row, int column) { TableEdited(table, row, column); });
  return table;
}

void TuiLanguageDesignForm::FillTable(int page) {
  auto* table = qobject_cast<QTableWidget*>(TabControl1->widget(page));
  if (!table) return;
  filling_ = true;
  const DesignPage& model = design_.Pages()[static_cast<std::size_t>(page)];
  table->setRowCount(model.rowCount);
  const int originals = static_cast<int>(design_.Originals().size());
  for (int row = 0; row < model.rowCount; ++row) {
    const QString original = row < originals ? FromUtf8(design_.Originals()[static_cast<std::size_t>(row)]) : QString();
    auto* first = new QTableWidgetItem(original);
    first->setFlags(first->flags() & ~Qt::ItemIsEditable);
    table->setItem(row, 0, first);
    auto* second = new QTableWidgetItem(FromUtf8(design_.ShownTranslation(page, row)));
    if (row >= originals) second->setFlags(second->flags() & ~Qt::ItemIsEditable);
    table->setItem(row, 1, second);
  }
  filling_ = false;
}

void TuiLanguageDesignForm::FillAllTables() {
  for (int page = 0; page < TabControl1->count(); ++page) FillTable(page);
}

void TuiLanguageDesignForm::RebuildPages() {
  filling_ = true;
  while (TabControl1->count() > 0) {
    QWidget* page = TabControl1->widget(0);
    TabControl1->removeTab(0);
    delete page;
  }
  for (const DesignPage& page : design_.Pages()) {
    const int index = TabControl1->addTab(MakeTable(), FromUtf8(page.caption));
    TabControl1->setTabToolTip(index, FromUtf8(page.identifier));
  }
  filling_ = false;
  FillAllTables();
  filling_ = true;
  if (design_.CurrentPage() >= 0) TabControl1->setCurrentIndex(design_.CurrentPage());
  filling_ = false;
  ShowPageStrip();
  UpdateAccessibleNames();
}

void TuiLanguageDesignForm::ShowPageStrip() {
  for (int page = 0; page < TabControl1->count(); ++page) TabControl1->setTabVisible(page, design_.IsShown(page));
  BtnPrevPage->setEnabled(design_.FirstShown() > 0);
  BtnNextPage->setEnabled(design_.PageCount() - design_.FirstShown() > LanguageDesign::kPagesShown);
}

int TuiLanguageDesignForm::PageOfTable(const QTableWidget* table) const {
  for (int page = 0; page < TabControl1->count(); ++page)
    if (TabControl1->widget(page) == table) return page;
  return -1;
}

void TuiLanguageDesignForm::TableEdited(QTableWidget* table, int row, int column) {
  if (filling_ || column != 1) return;
  const QTableWidgetItem* item = table->item(row, column);
  design_.SetTranslation(PageOfTable(table), row, item ? ToUtf8(item->text()) : std::string());
}

void TuiLanguageDesignForm::BtnAddLanguageClick() {
  const int locale = LangCombo->currentIndex();
  if (locale < 0) return;
  const int before = design_.PageCount();
  const int page = design_.AddLanguage(locale);
  if (page < 0) return;
  if (design_.PageCount() != before) {
    RebuildPages();
  } else {
    ShowPageStrip();
    TabControl1->setCurrentIndex(page);
  }
}

void TuiLanguageDesignForm::BtnDeletClick() {
  if (design_.DeleteLanguage()) RebuildPages();
}

void TuiLanguageDesignForm::BtnPrevPageMouseUp() {
  if (design_.PrevPage()) ShowPageStrip();
}

void TuiLanguageDesignForm::BtnNextPageMouseUp() {
  if (design_.NextPage()) ShowPageStrip();
}

void TuiLanguageDesignForm::BTNADDConstTextClick() {
  if (design_.AddConstText(ToUtf8(TBConstText->text()))) {
    FillAllTables();
    TBConstText->clear();
  }
}

void TuiLanguageDesignForm::BTNDELCONSTTEXTClick() {
  auto* table = qobject_cast<QTableWidget*>(TabControl1->currentWidget());
  if (!table || table->currentRow() < 0) return;
  const int row = table->currentRow();
  const QTableWidgetItem* item = table->item(row, 0);
  if (!item || item->text().isEmpty()) return;
  if (design_.DeleteOriginal(row)) FillAllTables();
}

void TuiLanguageDesignForm::SpeedButton2Click() {
  const int page = design_.CurrentPage();
  if (page < 0) return;
  MemoTextList->setPlainText(FromUtf8(design_.TextList(page)));
  PopupTextList->setWindowTitle(Tr("Get/Set Text List") + " - " + TabControl1->tabText(page));
  PopupTextList->exec();
}

void TuiLanguageDesignForm::BtnSaveTextListClick() {
  const int page = design_.CurrentPage();
  if (design_.SetTextList(page, ToUtf8(MemoTextList->toPlainText()))) FillTable(page);
  PopupTextList->accept();
}

void TuiLanguageDesignForm::BtnSaveClick() {
  if (!FLang) return;
  LanguageResources resources = design_.Resources();
  std::string error;
  if (!WriteFileDurably(languageFile_, SerializeLanguageFile(resources), error, saveHook)) {
    ShowMessageDialog(Tr("Warning!"), Tr("The language file could not be saved. The old file is unchanged.") + "\n" + FromUtf8(error), 0, this);
    return;
  }
  const bool openedOnComponent = !ownLanguage_;
  FLang->SetResources(std::move(resources));
  if (openedOnComponent) accept();
}

}  // namespace q9
