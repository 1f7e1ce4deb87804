#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "DialogAnswerer.h"
#include "gui/uiLanguageWidgets.h"
#include "lang/Languagetranslate.h"
#include "lang/uiLanguage.h"
#include "platform/fake/FakeSystemLocale.h"

namespace q9 {
namespace {

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

LanguageResources Reparsed(const std::filesystem::path& file) {
  LanguageResources resources;
  std::string error;
  if (!LoadLanguageFile(file, resources, error)) qWarning("%s", error.c_str());
  return resources;
}

int LocaleIndex(const TuiLanguageDesignForm& form, const std::string& langId) {
  const auto& locales = form.Design().Locales();
  for (std::size_t i = 0; i < locales.size(); ++i)
    if (locales[i].langId == langId) return static_cast<int>(i);
  return -1;
}

int RowOf(const TuiLanguageDesignForm& form, const std::string& original) {
  const auto& originals = form.Design().Originals();
  const auto found = std::find(originals.begin(), originals.end(), original);
  return found == originals.end() ? -1 : static_cast<int>(found - originals.begin());
}

}  // namespace

class LanguageDesignerTest : public QObject {
  Q_OBJECT

 private:
  FakeSystemLocale locale_;
  std::unique_ptr<QTemporaryDir> folder_;
  std::filesystem::path file_;

  std::unique_ptr<TuiLanguageDesignForm> OpenOnItsOwn() {
    auto form = std::make_unique<TuiLanguageDesignForm>(locale_, file_);
    form->show();
    return form;
  }
  template <typename T>
  static T* Find(const QWidget& form, const char* name) {
    T* found = form.findChild<T*>(name);
    if (!found) qFatal("no %s", name);
    return found;
  }
  static QTableWidget* CurrentTable(const QWidget& form) {
    return qobject_cast<QTableWidget*>(Find<QTabWidget>(form, "TabControl1")->currentWidget());
  }
  static void Click(const QWidget& form, const char* button) { QTest::mouseClick(Find<QPushButton>(form, button), Qt::LeftButton); }

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    file_ = std::filesystem::path(folder_->path().toStdString()) / kLanguageFileName;
    std::filesystem::copy_file(std::filesystem::path(Q9_SOURCE_DATA) / kLanguageFileName, file_);
  }
  void cleanup() { folder_.reset(); }

  void everyComponentHasItsNameTextAndAccessibleName() {
    const auto form = OpenOnItsOwn();
    QVERIFY(form->windowTitle().startsWith("Language Translate v1.1"));
    const std::vector<std::pair<const char*, QString>> buttons = {
        {"BtnAddLanguage", "Add Language"},      {"BtnDelet", "Delete Language"},
        {"BtnPrevPage", "Prev Page"},            {"BtnNextPage", "Next Page"},
        {"BTNADDConstText", "Add Const Text"},   {"BTNDELCONSTTEXT", "Delete Item From List"},
        {"sbtnsavelanguagetofile", "Save to language file"}, {"SpeedButton2", "Get/Set Text List"},
        {"BtnSaveTextList", "Save"}};
    for (const auto& [name, text] : buttons) {
      QCOMPARE(Find<QPushButton>(*form, name)->text(), text);
      QVERIFY2(!Find<QPushButton>(*form, name)->accessibleName().isEmpty(), name);
    }
    QCOMPARE(Find<QLabel>(*form, "Label1")->text(), QStringLiteral(u"Langs List："));
    QCOMPARE(Find<QLabel>(*form, "Text1")->text(), QStringLiteral("Type Text to translate:"));
    for (const char* name : {"ToolBar1", "LangCombo", "TabControl1", "MemoTextList", "TBConstText"})
      QVERIFY2(!Find<QWidget>(*form, name)->accessibleName().isEmpty(), name);
    Find<QStatusBar>(*form, "StatusBar1");
    Find<QToolBar>(*form, "ToolBar1");
    QCOMPARE(Find<QPlainTextEdit>(*form, "MemoTextList")->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(Find<QComboBox>(*form, "LangCombo")->count(), static_cast<int>(form->Design().Locales().size()));

    // The shipped file's three languages, one page each, captioned by the locale's name.
    auto* tabs = Find<QTabWidget>(*form, "TabControl1");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(1), QString::fromStdString(form->Design().Locales()[static_cast<std::size_t>(LocaleIndex(*form, "0804"))].nativeName));
    QCOMPARE(tabs->currentIndex(), 2);
    auto* table = qobject_cast<QTableWidget*>(tabs->widget(1));
    const int originals = static_cast<int>(form->Design().Originals().size());
    QCOMPARE(table->rowCount(), originals + 100);
    QCOMPARE(table->columnWidth(0), 380);
    QCOMPARE(table->columnWidth(1), 440);
    QVERIFY(!(table->item(0, 0)->flags() & Qt::ItemIsEditable));
    QVERIFY(table->item(0, 1)->flags() & Qt::ItemIsEditable);
    QVERIFY(!table->accessibleName().isEmpty());
    const int apply = RowOf(*form, "APPLY");
    QCOMPARE(table->item(apply, 1)->text().toStdString(), std::string("应用"));
  }

  void savingTheShippedFileUneditedGivesItBackByteForByteAndOneEditChangesOneEntry() {
    const auto shipped = FileBytes(file_);
    const LanguageResources before = Reparsed(file_);
    {
      const auto form = OpenOnItsOwn();
      Click(*form, "sbtnsavelanguagetofile");
      QVERIFY(form->isVisible());
    }
    QCOMPARE(FileBytes(file_), shipped);

    const auto form = OpenOnItsOwn();
    auto* tabs = Find<QTabWidget>(*form, "TabControl1");
    tabs->setCurrentIndex(2);  // 0404
    QTableWidget* table = CurrentTable(*form);
    const int row = RowOf(*form, "APPLY");
    table->setFocus();
    table->setCurrentCell(row, 1);
    QTest::keyClick(table, Qt::Key_F2);
    auto* editor = table->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Apply now");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(table->item(row, 1)->text(), QStringLiteral("Apply now"));  // committed through the event loop
    Click(*form, "sbtnsavelanguagetofile");

    LanguageResources after = Reparsed(file_);
    QCOMPARE(after.originals, before.originals);
    QCOMPARE(after.languages.size(), before.languages.size());
    QCOMPARE(after.languages[2].translations.at("APPLY"), std::string("Apply now"));
    after.languages[2].translations["APPLY"] = before.languages[2].translations.at("APPLY");
    for (std::size_t i = 0; i < after.languages.size(); ++i) {
      QCOMPARE(after.languages[i].name, before.languages[i].name);
      QVERIFY2(after.languages[i].translations == before.languages[i].translations, after.languages[i].name.c_str());
    }
    QCOMPARE(form->Language()->Resources().languages[2].translations.at("APPLY"), std::string("Apply now"));
  }

  void twoLanguagesWithAnAddedAndADeletedTextAndAnEmptiedCell() {
    std::filesystem::remove(file_);
    const auto form = OpenOnItsOwn();
    auto* combo = Find<QComboBox>(*form, "LangCombo");
    auto* tabs = Find<QTabWidget>(*form, "TabControl1");
    QCOMPARE(tabs->count(), 0);
    Click(*form, "BtnAddLanguage");
    QCOMPARE(tabs->count(), 0);
    Click(*form, "BTNDELCONSTTEXT");
    Click(*form, "SpeedButton2");  // nothing to list without a page

    for (const char* text : {"Up", "Down", "Mouse Click"}) {
      Find<QLineEdit>(*form, "TBConstText")->setText(text);
      Click(*form, "BTNADDConstText");
    }
    combo->setCurrentIndex(LocaleIndex(*form, "0404"));
    Click(*form, "BtnAddLanguage");
    combo->setCurrentIndex(LocaleIndex(*form, "0804"));
    Click(*form, "BtnAddLanguage");
    Click(*form, "BtnAddLanguage");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabToolTip(1), QStringLiteral("0804"));

    // Adding a text that is an original already changes nothing.
    Find<QLineEdit>(*form, "TBConstText")->setText("Up");
    Click(*form, "BTNADDConstText");
    QCOMPARE(form->Design().Originals().size(), 3u);

    QTableWidget* zh = CurrentTable(*form);
    zh->item(0, 1)->setText(QStringLiteral(u"下"));
    zh->item(2, 1)->setText("");
    tabs->setCurrentIndex(0);
    QTableWidget* tw = CurrentTable(*form);
    tw->item(2, 1)->setText(QStringLiteral(u"上"));

    tw->setCurrentCell(1, 0);  // "Mouse Click"
    Click(*form, "BTNDELCONSTTEXT");
    QCOMPARE(tw->item(1, 0)->text(), QStringLiteral("Up"));
    QCOMPARE(tw->item(1, 1)->text(), QStringLiteral(u"上"));
    QCOMPARE(zh->item(1, 0)->text(), QStringLiteral("Up"));
    QVERIFY(tw->item(2, 0)->text().isEmpty());
    Click(*form, "sbtnsavelanguagetofile");

    const LanguageResources saved = Reparsed(file_);
    QCOMPARE(saved.originals, (std::set<std::string>{"Down", "Up"}));
    QCOMPARE(saved.languages.size(), 2u);
    QCOMPARE(saved.languages[0].name, std::string("0404"));
    QCOMPARE(saved.languages[0].translations, (std::map<std::string, std::string>{{"Up", "上"}}));
    QCOMPARE(saved.languages[1].name, std::string("0804"));
    QCOMPARE(saved.languages[1].translations, (std::map<std::string, std::string>{{"Down", "下"}}));

    tabs->setCurrentIndex(1);
    Click(*form, "BtnDelet");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->currentIndex(), 0);
  }

  void twelvePagesShowPagesFiveToTwelveAfterFourNextPages() {
    LanguageResources resources;
    const auto locales = locale_.Locales();
    for (std::size_t i = 0; resources.languages.size() < 12; ++i) resources.languages.push_back({locales[i].langId, {}});
    TuiLanguage language(locale_, resources);
    TuiLanguageDesignForm form(locale_, file_);
    form.LoadLanguageAndCreateTranslateTabList(language);
    form.show();
    auto* tabs = Find<QTabWidget>(form, "TabControl1");
    QCOMPARE(tabs->count(), 12);
    for (int press = 0; press < 6; ++press) Click(form, "BtnNextPage");
    for (int page = 0; page < 12; ++page) QCOMPARE(tabs->isTabVisible(page), page >= 4);
    QVERIFY(!Find<QPushButton>(form, "BtnNextPage")->isEnabled());
    Click(form, "BtnPrevPage");
    QVERIFY(tabs->isTabVisible(3));
    QVERIFY(!tabs->isTabVisible(11));
  }

  void aFailedSaveKeepsTheOldFileAndTellsWhy() {
    const auto shipped = FileBytes(file_);
    const auto form = OpenOnItsOwn();
    CurrentTable(*form)->item(RowOf(*form, "APPLY"), 1)->setText("lost?");
    form->saveHook = [](DurableWriteStep step) { return step != DurableWriteStep::TemporaryWritten; };
    {
      test::DialogAnswerer answerer({"BtnOK"});
      Click(*form, "sbtnsavelanguagetofile");
      QCOMPARE(answerer.texts.size(), 1);
      QVERIFY(answerer.texts[0].startsWith("The language file could not be saved. The old file is unchanged."));
    }
    QCOMPARE(FileBytes(file_), shipped);
    QCOMPARE(CurrentTable(*form)->item(RowOf(*form, "APPLY"), 1)->text(), QStringLiteral("lost?"));
    QVERIFY(form->Language()->Resources().languages[2].translations.at("APPLY") != "lost?");

    // A folder where the file should be: refused, and the message names it.
    std::filesystem::path folderTarget = std::filesystem::path(folder_->path().toStdString()) / "sub";
    std::filesystem::create_directories(folderTarget);
    test::DialogAnswerer answerer({"BtnOK"});
    TuiLanguageDesignForm other(locale_, folderTarget);
    other.show();
    QTRY_COMPARE(answerer.texts.size(), 1);
    QVERIFY(answerer.texts[0].startsWith("The language file could not be read."));
    Click(other, "sbtnsavelanguagetofile");
    QCOMPARE(answerer.texts.size(), 2);
    QVERIFY2(answerer.texts[1].contains(QString::fromStdString(folderTarget.string())), qPrintable(answerer.texts[1]));
    QVERIFY(std::filesystem::is_directory(folderTarget));
  }

  void aDamagedFileIsReportedBeforeAnythingCanBeSavedOverIt() {
    std::ofstream(file_, std::ios::binary | std::ios::trunc);
    test::DialogAnswerer answerer({"BtnOK"});
    const auto form = OpenOnItsOwn();
    QTRY_COMPARE(answerer.texts.size(), 1);
    QVERIFY(answerer.texts[0].startsWith("The language file could not be read."));
    QCOMPARE(Find<QTabWidget>(*form, "TabControl1")->count(), 0);
  }

  void theTextListReplacesThePagesTranslations() {
    const auto form = OpenOnItsOwn();
    auto* tabs = Find<QTabWidget>(*form, "TabControl1");
    tabs->setCurrentIndex(1);  // 0804
    QString listed;
    QTimer::singleShot(50, form.get(), [&] {
      auto* memo = Find<QPlainTextEdit>(*form, "MemoTextList");
      listed = memo->toPlainText();
      memo->setPlainText("APPLY=应用设置\nOK=好");
      Click(*form, "BtnSaveTextList");
    });
    Click(*form, "SpeedButton2");
    QVERIFY(listed.contains(QStringLiteral(u"APPLY=应用\n")));
    QVERIFY(!Find<QWidget>(*form, "PopupTextList")->isVisible());
    QTableWidget* table = CurrentTable(*form);
    QCOMPARE(table->item(RowOf(*form, "APPLY"), 1)->text(), QStringLiteral(u"应用设置"));
    QCOMPARE(table->item(RowOf(*form, "OK"), 1)->text(), QStringLiteral(u"好"));
    QCOMPARE(table->item(RowOf(*form, "Cancel"), 1)->text(), QStringLiteral("Cancel"));
  }

  void theCollectionRunOpensTheDesignerOnTheGatheredTextsAndASaveClosesIt() {
    TuiLanguage language(locale_, Reparsed(file_));
    language.SetLang("0804");
    QWidget window;
    auto* label = new QLabel("A text of no translation", &window);
    RegisterFormWidgets(language, &window);
    bool accepted = false;
    language.RunCollection([&](TuiLanguage& component) {
      TuiLanguageDesignForm designer(locale_, file_);
      designer.LoadLanguageAndCreateTranslateTabList(component);
      QTimer::singleShot(0, &designer, [&] {
        QVERIFY(RowOf(designer, "A text of no translation") >= 0);
        QVERIFY(RowOf(designer, "Wheel up(Mouse)") >= 0);
        QCOMPARE(label->text(), QStringLiteral("A text of no translation"));
        Find<QTabWidget>(designer, "TabControl1")->setCurrentIndex(1);  // 0804, the language shown
        auto* table = CurrentTable(designer);
        table->item(RowOf(designer, "A text of no translation"), 1)->setText(QStringLiteral(u"没有翻译的文字"));
        Click(designer, "sbtnsavelanguagetofile");
      });
      accepted = designer.exec() == QDialog::Accepted;
    });
    QVERIFY(accepted);
    QCOMPARE(label->text(), QStringLiteral(u"没有翻译的文字"));
    const LanguageResources saved = Reparsed(file_);
    QVERIFY(saved.originals.contains("Mouse Middle Click"));
    QCOMPARE(saved.languages[1].translations.at("A text of no translation"), std::string("没有翻译的文字"));
  }
};

}  // namespace q9

QTEST_MAIN(q9::LanguageDesignerTest)
#include "LanguageDesignerTest.moc"
