#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "gui/uiLanguageWidgets.h"
#include "lang/uiLanguage.h"
#include "platform/fake/FakeSystemLocale.h"

namespace q9 {
namespace {

// A form with one of every kind of text the walk handles, found by object name.
struct Form {
  QWidget* window = new QWidget;
  QLabel* label = new QLabel("Macro Manager", window);
  QPushButton* button = new QPushButton("APPLY", window);
  QGroupBox* group = new QGroupBox("Gaming Options", window);
  QLabel* inGroup = new QLabel("Pointer Speed", group);
  QComboBox* combo = new QComboBox(window);
  QTabWidget* tabs = new QTabWidget(window);
  QMenuBar* menuBar = new QMenuBar(window);
  QMenu* menu = new QMenu("Options", window);
  QMenu* submenu = new QMenu("Languages");  // reached only through its action
  QAction* copy = nullptr;
  QAction* tipped = nullptr;
  QListWidget* list = new QListWidget(window);
  QTreeWidget* tree = new QTreeWidget(window);

  Form() {
    window->setWindowTitle("Q9 Gaming Mouse");
    button->setToolTip("Restore to default");
    combo->addItems({"Low", "Middle", "High"});
    tabs->addTab(new QWidget, "Basic");
    tabs->addTab(new QWidget, "Advanced");
    tabs->setTabToolTip(1, "More options for professtional users");
    copy = menu->addAction("Copy");
    tipped = menu->addAction("Paste");
    tipped->setToolTip("Select All");
    menu->addMenu(submenu);
    submenu->addAction("Chinese (Simplified)");
    menuBar->addMenu(menu);
    list->addItems({"Load Profile", "Save Profile"});
    list->item(0)->setToolTip("Game Profiles");
    tree->setHeaderLabels({"Actions", "Delay(ms):"});
    new QTreeWidgetItem(tree, QStringList{"Mouse Event", "ms"});
  }
  ~Form() {
    delete window;
    delete submenu;
  }

  // Every text of the form, in a fixed order.
  QStringList Texts() const {
    QStringList texts{window->windowTitle(), label->text(),     button->text(),  button->toolTip(),
                      group->title(),        inGroup->text(),   tabs->tabText(0), tabs->tabText(1),
                      tabs->tabToolTip(1),   menu->title(),     copy->text(),    copy->toolTip(),
                      tipped->text(),        tipped->toolTip(), submenu->title()};
    for (QAction* action : submenu->actions()) texts << action->text();
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text() << list->item(i)->toolTip();
    for (int c = 0; c < tree->columnCount(); ++c) texts << tree->headerItem()->text(c) << tree->topLevelItem(0)->text(c);
    return texts;
  }
};

class uiLanguageWidgetsTest : public QObject {
  Q_OBJECT

 private:
  FakeSystemLocale locale_;
  std::unique_ptr<TuiLanguage> language_;

  QString Tr(const QString& english) const { return QString::fromStdString(language_->Translate(english.toStdString())); }
  QStringList Translated(const QStringList& english) const {
    QStringList texts;
    for (const QString& text : english) texts << Tr(text);
    return texts;
  }

 private slots:
  void init() {
    language_ = std::make_unique<TuiLanguage>(locale_, std::filesystem::path(Q9_SOURCE_DATA));
    QVERIFY2(language_->GetLanguageIndexByShortID("0804") == 1, language_->LoadError().c_str());
  }

  void translatesEveryKindOfTextAndRestoresTheOriginals() {
    Form form;
    const QStringList originals = form.Texts();
    RegisterFormWidgets(*language_, form.window);
    QCOMPARE(form.Texts(), originals);

    for (const char* lang : {"0804", "0404"}) {
      language_->SetLang(lang);
      QCOMPARE(form.Texts(), Translated(originals));
    }
    QCOMPARE(form.label->text(), QStringLiteral("巨集管理員"));
    for (int i = 0; i < originals.size(); ++i)
      QVERIFY2(originals[i].isEmpty() || form.Texts()[i] != originals[i], qPrintable("no translation: " + originals[i]));

    for (int round = 0; round < 3; ++round) {
      language_->SetLang("en");
      QCOMPARE(form.Texts(), originals);
      language_->SetLang("0804");
      language_->SetLang("0404");
    }
    language_->SetLang("en");
    QCOMPARE(form.Texts(), originals);
  }

  void optedOutWidgetsAndActionsAreUntouched() {
    QWidget form;
    auto* macroName = new QLabel("Macro", &form);
    macroName->setProperty(kNoTranslateProperty, true);
    auto* keys = new QComboBox(&form);
    keys->addItems({"Delete", "Stop"});
    keys->setProperty(kNoTranslateProperty, true);
    auto* panel = new QWidget(&form);
    panel->setProperty(kNoTranslateProperty, true);
    panel->setToolTip("Warning!");
    auto* inPanel = new QPushButton("OK", panel);
    auto* menuButton = new QToolButton(&form);
    auto* named = new QAction("Loop", menuButton);
    named->setProperty(kNoTranslateProperty, true);
    menuButton->addAction(named);
    auto* other = new QAction("Run", menuButton);
    menuButton->addAction(other);
    auto* translated = new QLabel("Warning!", &form);

    RegisterFormWidgets(*language_, &form);
    language_->SetLang("0804");
    QCOMPARE(translated->text(), Tr("Warning!"));
    QCOMPARE(other->text(), Tr("Run"));
    // The opt-out covers what is inside: the panel's button.
    QCOMPARE((QStringList{macroName->text(), keys->itemText(0), keys->itemText(1), panel->toolTip(), inPanel->text(),
                          named->text()}),
             (QStringList{"Macro", "Delete", "Stop", "Warning!", "OK", "Loop"}));
  }

  void textsSetByTheProgramAreTheNewOriginals() {
    QWidget form;
    auto* record = new QPushButton("Start Record", &form);
    auto* combo = new QComboBox(&form);
    combo->addItems({"HIGH", "MIDDLE"});
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, "Basic");
    tabs->addTab(new QWidget, "Advanced");
    auto* action = new QAction("Cut", &form);
    form.addAction(action);
    RegisterFormWidgets(*language_, &form);
    language_->SetLang("0804");

    action->setText("Paste");
    QCOMPARE(action->toolTip(), QStringLiteral("Paste"));  // a tool tip never set still follows the text
    record->setText("Stop Record");
    combo->setItemText(1, "LOW");
    combo->insertItem(0, "High");  // "High" and "HIGH" share a translation
    tabs->insertTab(0, new QWidget, "Macro");
    language_->SetLang("0404");
    QCOMPARE(record->text(), Tr("Stop Record"));
    QCOMPARE(combo->itemText(0), Tr("High"));
    QCOMPARE(combo->itemText(2), Tr("LOW"));
    QCOMPARE(tabs->tabText(0), Tr("Macro"));
    QCOMPARE(tabs->tabText(2), Tr("Advanced"));

    language_->SetLang("en");
    QCOMPARE(record->text(), QStringLiteral("Stop Record"));
    QCOMPARE(combo->itemText(0), QStringLiteral("High"));
    QCOMPARE(combo->itemText(1), QStringLiteral("HIGH"));  // each item keeps its own original
    QCOMPARE(combo->itemText(2), QStringLiteral("LOW"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Macro"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Basic"));

    // Set while English is shown, then a change.
    record->setText("Start Record");
    language_->SetLang("0804");
    QCOMPARE(record->text(), Tr("Start Record"));
  }

  void destroyedFormsAreNoLongerWalked() {
    auto* first = new QWidget;
    auto* firstLabel = new QLabel("OK", first);
    auto* second = new QWidget;
    RegisterFormWidgets(*language_, first);
    const int secondId = RegisterFormWidgets(*language_, second);
    QVERIFY(secondId > 0);
    QCOMPARE(language_->uiParentFormCount(), 2);
    delete second;
    QCOMPARE(language_->uiParentFormCount(), 1);
    language_->SetLang("0804");
    QCOMPARE(firstLabel->text(), Tr("OK"));

    // The language going first leaves nothing for the form's destruction to unregister.
    language_.reset();
    delete first;
  }

  void dialogsRegisterThemselves() {
    QWidget main;
    RegisterFormWidgets(*language_, &main);
    language_->SetLang("0804");

    auto* dialog = new QDialog(&main);
    dialog->setWindowTitle("Warning!");
    auto* text = new QLabel("Please connect your mouse device before apply new settings!", dialog);
    RegisterFormWidgets(*language_, dialog);
    QCOMPARE(dialog->windowTitle(), Tr("Warning!"));  // translated when it registers
    QCOMPARE(language_->uiParentFormCount(), 2);

    language_->SetLang("0404");
    QCOMPARE(text->text(), Tr("Please connect your mouse device before apply new settings!"));
    QCOMPARE(dialog->windowTitle(), Tr("Warning!"));
    delete dialog;
    QCOMPARE(language_->uiParentFormCount(), 1);
  }

  void languageChangedIsToldOnceAfterEveryFormIsTranslated() {
    QWidget first;
    auto* firstLabel = new QLabel("Save", &first);
    QWidget second;
    auto* secondLabel = new QLabel("Cancel", &second);
    RegisterFormWidgets(*language_, &first);
    RegisterFormWidgets(*language_, &second);
    QStringList told;
    language_->OnLanguageChanged = [&](const std::string& id, const std::string&) {
      told << QString::fromStdString(id) + ":" + firstLabel->text() + ":" + secondLabel->text();
    };
    language_->SetLang("0804");
    const QString chinese = "0804:" + Tr("Save") + ":" + Tr("Cancel");
    language_->SetLang("en");
    QCOMPARE(told, (QStringList{chinese, "en:Save:Cancel"}));
  }
};

}  // namespace
}  // namespace q9

QTEST_MAIN(q9::uiLanguageWidgetsTest)
#include "uiLanguageWidgetsTest.moc"
