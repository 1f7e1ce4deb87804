// The program's options in the real window: the options menu with its check marks, the language
// items against the shipped language file, the language chooser, and the EasyShift options window.

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "AccessibilityWalk.h"
#include "WindowTestBench.h"
#include "gui/Skin.h"
#include "gui/uiMenuExPopup.h"
#include "mainwindow/OptionsForm.h"
#include "mainwindow/ProgramOptions.h"
#include "mainwindow/showdialog.h"

using namespace q9;

namespace {


/// With Q9_SCREENSHOT_DIR set (the screenshots of docs/ are taken so), saves `picture` there as NAME.png.
void SaveScreenshotIfAsked(const QPixmap& picture, const QString& name) {
  const QString folder = qEnvironmentVariable("Q9_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QVERIFY2(picture.save(folder + "/" + name + ".png"), qPrintable(name));
}

TOptionsForm* OpenOptionsForm() { return qobject_cast<TOptionsForm*>(QApplication::activeModalWidget()); }

}  // namespace

class OptionsTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // Screenshots show the windows in the program's own look.
    if (!qEnvironmentVariable("Q9_SCREENSHOT_DIR").isEmpty()) skin::ApplySkin(*qApp);
  }
  void init();
  void cleanup();

  void defaultsThenCancelLeavesTheStoredOptions();
  void anUnknownShortcutSetShowsTheRightHandSetAndOkStoresIt();
  void groupOneShowsTheStoredValueAndCannotBeChanged();
  void chineseFromTheMenuIsStoredAndAppliedWhenThePostedMessageArrives();
  void traditionalChineseIsCheckedByItsOwnPosition();
  void theChooserAppliesItsLanguageAtOnce();
  void rate333FromTheMenuGoesIntoEveryProfile();
  void eachSubMenuChecksExactlyTheStoredValue();
  void anUnknownLanguageChangesAndSavesNothing();
  void aChoiceThatCannotBeSavedIsReported();
  void everyControlOfTheOptionsWindowHasAName();

 private:
  TqvGMConfigMain& MakeWindow();
  /// Runs `act` on the options window once it is open (it is modal), then opens it.
  void WithOptionsForm(std::function<void(TOptionsForm&)> act);
  template <class T>
  static T* Find(QWidget* root, const char* name) {
    T* widget = root->findChild<T*>(QString::fromLatin1(name));
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  TEasyShiftOptions& Options() { return dm_->FAllProfileSettingInfo.EasyShiftOptions; }
  /// The program-wide record as the store holds it, read by a fresh data module.
  TALLPROFILESETTINGINFO Stored() { return CreateDataModule(*store_, *locale_)->FAllProfileSettingInfo; }
  void StoreOptions(TEasyShiftOptions options) {
    Options() = options;
    QVERIFY(dm_->SaveBackToAllProfileSettingInfo());
  }
  /// The checked items of sub-menu 1..3, by ID.
  std::vector<std::uint32_t> Checked(std::uint32_t subMenu) {
    std::vector<std::uint32_t> ids;
    TuiMenuItemsEx& items = window_->uiMenuExOptions().FindItemByID(subMenu)->SubItems;
    for (int i = 0; i < items.Count(); ++i)
      if (items[i].Checked) ids.push_back(items[i].ItemID());
    return ids;
  }
  std::vector<FakeWindowMessaging::Delivery> ToMonitor(std::uint32_t message) const {
    std::vector<FakeWindowMessaging::Delivery> found;
    for (const auto& delivery : messaging_->deliveries)
      if (delivery.className == kMonitorWindowClass && delivery.message.message == message) found.push_back(delivery);
    return found;
  }
  /// Answers the next message dialog with Cancel, keeping its text in `told`.
  void AnswerMessageDialog(QString& told) {
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [poll, &told] {
      auto* dialog = qobject_cast<TFrmDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      told = Find<QLabel>(dialog, "LabelText")->text();
      dialog->reject();
      poll->deleteLater();
      poll->stop();
    });
    poll->start(10);
  }
  /// Opens the options menu, rests on sub-menu `top` and clicks its item `index`, as a user does.
  [[nodiscard]] bool ClickMenuItem(int top, int index);
  [[nodiscard]] bool Hover(int level, int index);
  QWidget* List(int level) { return window_->uiMenuExOptionsPopup().OpenLists().value(level); }
  QPoint ItemCentre(int level, int index) {
    return window_->uiMenuExOptionsPopup().Items(List(level)).at(static_cast<std::size_t>(index)).rect.center();
  }
};

void OptionsTest::init() {
  SetUpBench();
  messaging_->AddWindow(kMonitorWindowClass);
}

void OptionsTest::cleanup() { TearDownBench(); }

TqvGMConfigMain& OptionsTest::MakeWindow() {
  TqvGMConfigMain& window = OpenWindow(0);
  messaging_->deliveries.clear();
  return window;
}

void OptionsTest::WithOptionsForm(std::function<void(TOptionsForm&)> act) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    QPointer<TOptionsForm> form = OpenOptionsForm();
    if (!form) return;
    ran = true;
    act(*form);
    // A check that failed inside `act` must not leave the modal window open.
    if (form && form->isVisible()) form->reject();
  });
  window_->ProgramOptions().ShowEasyShiftOptions();
  QVERIFY2(ran, "the options window did not open");
}

bool OptionsTest::Hover(int level, int index) {
  if (!List(level) || !QTest::qWaitForWindowExposed(List(level))) return false;
  for (int attempt = 0; attempt < 20; ++attempt) {
    QTest::mouseMove(List(level), ItemCentre(level, index) + QPoint(1, 1));
    QTest::mouseMove(List(level), ItemCentre(level, index));
    if (QTest::qWaitFor([&] { return window_->uiMenuExOptionsPopup().Items(List(level))[index].hovered; }, 200))
      return true;
  }
  return false;
}

bool OptionsTest::ClickMenuItem(int top, int index) {
  TuiMenuExPopup& popup = window_->uiMenuExOptionsPopup();
  popup.ShowMainMenu(window_->mapToGlobal(QPoint(600, 40)));
  if (!Hover(0, top) || !QTest::qWaitFor([&] { return popup.OpenLists().size() == 2; })) return false;
  if (!Hover(1, index)) return false;
  QTest::mousePress(List(1), Qt::LeftButton, {}, ItemCentre(1, index));
  QTest::mouseRelease(List(1), Qt::LeftButton, {}, ItemCentre(1, index));
  return popup.OpenLists().isEmpty();
}

void OptionsTest::defaultsThenCancelLeavesTheStoredOptions() {
  StoreOptions({3, 0, 1, 0, 1, 0});
  MakeWindow();
  WithOptionsForm([](TOptionsForm& form) {
    QTest::mouseClick(Find<QPushButton>(&form, "BSBTNDEFAULTS"), Qt::LeftButton);
    // Defaults shows the right-hand set, the feature on and every group on at once.
    QCOMPARE(Find<QComboBox>(&form, "ComboBoxShortCuts")->currentIndex(), 1);
    QCOMPARE(Find<QComboBox>(&form, "ComboBoxEnableEasyshift")->currentIndex(), 0);
    for (const char* group : {"CheckBoxGroup1", "CheckBoxGroup2", "CheckBoxGroup3", "CheckBoxGroup4"})
      QVERIFY2(Find<QCheckBox>(&form, group)->isChecked(), group);
    QTest::mouseClick(Find<QPushButton>(&form, "BitmapStateButton2"), Qt::LeftButton);
  });
  for (const TEasyShiftOptions& options : {Options(), Stored().EasyShiftOptions}) {
    QCOMPARE(options.ShortCutsType, 3);
    QCOMPARE(options.EnableFeature, 0);
    QCOMPARE(options.EnableGroup2, 0);
    QCOMPARE(options.EnableGroup4, 0);
  }
  QVERIFY(ToMonitor(MSG_MONITOR_EASYSHIFT).empty());

  // Escape answers Cancel as well.
  WithOptionsForm([](TOptionsForm& form) {
    QTest::mouseClick(Find<QPushButton>(&form, "BSBTNDEFAULTS"), Qt::LeftButton);
    QTest::keyClick(&form, Qt::Key_Escape);
  });
  QCOMPARE(Stored().EasyShiftOptions.ShortCutsType, 3);
}

void OptionsTest::anUnknownShortcutSetShowsTheRightHandSetAndOkStoresIt() {
  StoreOptions({9, 1, 1, 1, 0, 1});
  MakeWindow();
  WithOptionsForm([](TOptionsForm& form) {
    QCOMPARE(Find<QComboBox>(&form, "ComboBoxShortCuts")->currentIndex(), 1);
    QCOMPARE(Find<QComboBox>(&form, "ComboBoxShortCuts")->maxVisibleItems(), 6);
    QVERIFY(!Find<QCheckBox>(&form, "CheckBoxGroup3")->isChecked());
    // The user turns the feature off and group 3 on.
    Find<QComboBox>(&form, "ComboBoxEnableEasyshift")->setCurrentIndex(1);
    Find<QCheckBox>(&form, "CheckBoxGroup3")->click();
    QTest::mouseClick(Find<QPushButton>(&form, "bsbtnOK"), Qt::LeftButton);
  });
  const TALLPROFILESETTINGINFO stored = Stored();
  for (const TEasyShiftOptions& options : {Options(), stored.EasyShiftOptions}) {
    QCOMPARE(options.ShortCutsType, 1);
    QCOMPARE(options.EnableFeature, 0);
    QCOMPARE(options.EnableGroup1, 1);
    QCOMPARE(options.EnableGroup2, 1);
    QCOMPARE(options.EnableGroup3, 1);
    QCOMPARE(options.EnableGroup4, 1);
  }
  // The monitor program is told once, after the options are stored, with both parameters 0.
  const auto told = ToMonitor(MSG_MONITOR_EASYSHIFT);
  QCOMPARE(told.size(), std::size_t{1});
  QVERIFY(told[0].sent);
  QCOMPARE(told[0].message.wParam, std::uintptr_t{0});
  QCOMPARE(told[0].message.lParam, std::intptr_t{0});
}

void OptionsTest::groupOneShowsTheStoredValueAndCannotBeChanged() {
  StoreOptions({0, 1, 0, 1, 1, 1});
  MakeWindow();
  WithOptionsForm([](TOptionsForm& form) {
    auto* group1 = Find<QCheckBox>(&form, "CheckBoxGroup1");
    QVERIFY(!group1->isEnabled());
    QVERIFY(!group1->isChecked());
    QTest::mouseClick(group1, Qt::LeftButton);
    QTest::keyClick(group1, Qt::Key_Space);
    QVERIFY(!group1->isChecked());
    // The window is the product's: framed, 432 x 511, titled.
    QCOMPARE(form.size(), QSize(432, 511));
    QCOMPARE(form.windowTitle(), QString("Gaming Options"));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form.windowFlags() & Qt::FramelessWindowHint));
    QTest::mouseClick(Find<QPushButton>(&form, "bsbtnOK"), Qt::LeftButton);
  });
  QCOMPARE(Stored().EasyShiftOptions.EnableGroup1, 0);
  QCOMPARE(Stored().EasyShiftOptions.ShortCutsType, 0);
}

void OptionsTest::chineseFromTheMenuIsStoredAndAppliedWhenThePostedMessageArrives() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(int{dm_->FAllProfileSettingInfo.CurrentLanguage}, 0);
  auto* ok = Find<QPushButton>(&window, "BSBTNOK");
  QCOMPARE(ok->text(), QString("OK"));
  QCOMPARE(window.uiLanguage1().Lang(), std::string("0409"));

  // The shipped file names Simplified Chinese "0804"; the menu asks for "CH".
  QVERIFY(ClickMenuItem(1, 2));
  const int simplified = window.uiLanguage1().GetLanguageIndexByShortID("0804");
  QCOMPARE(simplified, 1);
  QCOMPARE(int{dm_->FAllProfileSettingInfo.CurrentLanguage}, simplified);
  QCOMPARE(int{Stored().CurrentLanguage}, simplified);
  QCOMPARE(Checked(TProgramOptions::kLanguagesMenu), std::vector<std::uint32_t>{TProgramOptions::kSimplifiedChinese});
  const auto told = ToMonitor(MSG_MONITOR_LANGUAGE);
  QCOMPARE(told.size(), std::size_t{1});
  QVERIFY(!told[0].sent);
  QCOMPARE(told[0].message.wParam, std::uintptr_t(simplified));
  // Not yet translated: that waits for the posted message.
  QCOMPARE(window.uiLanguage1().Lang(), std::string("0409"));
  QCOMPARE(ok->text(), QString("OK"));
  QTRY_COMPARE(window.uiLanguage1().Lang(), std::string("0804"));
  QCOMPARE(ok->text(), QString::fromUtf8("确定"));

  // And back to English: "US" is "0409" in the file.
  QVERIFY(ClickMenuItem(1, 0));
  QCOMPARE(int{Stored().CurrentLanguage}, 0);
  QTRY_COMPARE(window.uiLanguage1().Lang(), std::string("0409"));
  QCOMPARE(ok->text(), QString("OK"));
  QCOMPARE(Checked(TProgramOptions::kLanguagesMenu), std::vector<std::uint32_t>{TProgramOptions::kEnglish});
}

void OptionsTest::traditionalChineseIsCheckedByItsOwnPosition() {
  TqvGMConfigMain& window = MakeWindow();
  TuiMenuEx& menu = window.uiMenuExOptions();
  // "Chinese (Traditional)" is the second item of the menu but the third language of the file.
  menu.DoItemClick(*menu.FindItemByID(TProgramOptions::kTraditionalChinese));
  QCOMPARE(int{Stored().CurrentLanguage}, 2);
  QCOMPARE(Checked(TProgramOptions::kLanguagesMenu), std::vector<std::uint32_t>{TProgramOptions::kTraditionalChinese});
  QTRY_COMPARE(window.uiLanguage1().Lang(), std::string("0404"));
  QCOMPARE(Find<QPushButton>(&window, "BSBTNOK")->text(), QString::fromUtf8("確定"));

  // A window started with that stored language checks the same item.
  TqvGMConfigMain& again = MakeWindow();
  QCOMPARE(again.uiLanguage1().Lang(), std::string("0404"));
  QCOMPARE(Checked(TProgramOptions::kLanguagesMenu), std::vector<std::uint32_t>{TProgramOptions::kTraditionalChinese});
}

void OptionsTest::theChooserAppliesItsLanguageAtOnce() {
  TqvGMConfigMain& window = MakeWindow();
  auto* chooser = Find<QComboBox>(&window, "PopupBoxLanguage");
  QCOMPARE(chooser->count(), 3);
  QCOMPARE(int{Stored().CurrentLanguage}, 0);  // starting the window chose nothing
  chooser->setCurrentIndex(1);
  QCOMPARE(window.uiLanguage1().Lang(), std::string("0804"));
  QCOMPARE(int{Stored().CurrentLanguage}, 1);
  QCOMPARE(Checked(TProgramOptions::kLanguagesMenu), std::vector<std::uint32_t>{TProgramOptions::kSimplifiedChinese});
  QCOMPARE(ToMonitor(MSG_MONITOR_LANGUAGE).size(), std::size_t{1});
  QCOMPARE(ToMonitor(MSG_MONITOR_LANGUAGE)[0].message.wParam, std::uintptr_t{1});

  // Nothing selected stands for the first row.
  chooser->setCurrentIndex(-1);
  QCOMPARE(chooser->currentIndex(), 0);
  QCOMPARE(int{Stored().CurrentLanguage}, 0);
  QCOMPARE(window.uiLanguage1().Lang(), std::string("0409"));
}

void OptionsTest::rate333FromTheMenuGoesIntoEveryProfile() {
  TqvGMConfigMain& window = MakeWindow();
  window.SelectProfile(3);
  window.SetSettingsModified(false);
  auto* shown = Find<QRadioButton>(&window, ("REPORTRATE" + std::to_string(dm_->FCurrentMouseSettingInfo.ReportRate)).c_str());
  QVERIFY(shown->isChecked());
  TuiMenuEx& menu = window.uiMenuExOptions();
  menu.DoItemClick(*menu.FindItemByID(103));
  QCOMPARE(dm_->FCurrentMouseSettingInfo.ReportRate, Word{333});
  for (int profile = 0; profile < 5; ++profile) {
    TMouseProfileInfoEasyShiftEx stored{};
    QVERIFY(dm_->ReadProfileInfo(stored, profile));
    QCOMPARE(stored.MouseSettingInfo.ReportRate, Word{333});
  }
  QVERIFY(window.ReportRateChanged());
  QVERIFY(window.SettingsModified());
  QCOMPARE(Checked(TProgramOptions::kReportRateMenu), std::vector<std::uint32_t>{103});
  // The radios keep what they showed until the next refresh; there is no 333 Hz radio to show.
  QVERIFY(shown->isChecked());
  QVERIFY(Find<QRadioButton>(&window, "REPORTRATE333")->isHidden());
}

void OptionsTest::eachSubMenuChecksExactlyTheStoredValue() {
  dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotStartWithWindows] = 1;
  TqvGMConfigMain& window = MakeWindow();
  TProgramOptions& options = window.ProgramOptions();
  TuiMenuEx& menu = window.uiMenuExOptions();
  // The menu's tree: three sub-menus with their IDs and captions.
  QCOMPARE(menu.Items.Count(), 3);
  QCOMPARE(menu.FindItemByID(105)->Caption, std::string("1000HZ"));
  QCOMPARE(menu.FindItemByID(203)->Caption, std::string("Chinese (Simplified)"));
  QCOMPARE(menu.FindItemByID(302)->Caption, std::string("No."));
  const int rate = dm_->FCurrentMouseSettingInfo.ReportRate;
  const std::uint32_t rateItem = rate == 125 ? 101 : rate == 250 ? 102 : rate == 500 ? 104 : 105;
  QCOMPARE(Checked(TProgramOptions::kReportRateMenu), std::vector<std::uint32_t>{rateItem});
  QCOMPARE(Checked(TProgramOptions::kLanguagesMenu), std::vector<std::uint32_t>{TProgramOptions::kEnglish});
  QCOMPARE(Checked(TProgramOptions::kStartupMenu), std::vector<std::uint32_t>{TProgramOptions::kStartShowsWindow});

  if (!qEnvironmentVariable("Q9_SCREENSHOT_DIR").isEmpty()) {
    // The menu as a user sees it, its languages open.
    const bool chinese = qEnvironmentVariable("Q9_SCREENSHOT_LANG") == "0804";
    if (chinese) {
      dm_->FAllProfileSettingInfo.CurrentLanguage = 1;
      window.uiLanguage1().SetLang("0804");
      options.RefreshOptionsMenu();
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.uiMenuExOptionsPopup().ShowMainMenu(window.mapToGlobal(QPoint(160, 40)));
    QVERIFY(Hover(0, 1));
    QTRY_COMPARE(window.uiMenuExOptionsPopup().OpenLists().size(), 2);
    QTest::qWait(300);
    const QRect area = List(0)->geometry().united(List(1)->geometry()).adjusted(-12, -12, 12, 12);
    SaveScreenshotIfAsked(window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()),
                          chinese ? "options-menu-zh-CN" : "options-menu-en");
    window.uiMenuExOptionsPopup().CloseLists();
    dm_->FAllProfileSettingInfo.CurrentLanguage = 0;
    options.RefreshOptionsMenu();
  }

  menu.DoItemClick(*menu.FindItemByID(TProgramOptions::kStartHidden));
  QCOMPARE(Stored().ReservedData.IntegerData[kSlotStartWithWindows], 0);
  QCOMPARE(Checked(TProgramOptions::kStartupMenu), std::vector<std::uint32_t>{TProgramOptions::kStartHidden});
  menu.DoItemClick(*menu.FindItemByID(TProgramOptions::kStartShowsWindow));
  QCOMPARE(Stored().ReservedData.IntegerData[kSlotStartWithWindows], 1);
  QCOMPARE(Checked(TProgramOptions::kStartupMenu), std::vector<std::uint32_t>{TProgramOptions::kStartShowsWindow});

  // Values the menu has no item for check none; an ID of no item changes nothing.
  dm_->FCurrentMouseSettingInfo.ReportRate = 400;
  dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotStartWithWindows] = 7;
  dm_->FAllProfileSettingInfo.CurrentLanguage = 5;
  options.RefreshOptionsMenu();
  QVERIFY(Checked(TProgramOptions::kReportRateMenu).empty());
  QVERIFY(Checked(TProgramOptions::kStartupMenu).empty());
  QVERIFY(Checked(TProgramOptions::kLanguagesMenu).empty());
  const int writes = store_->writes;
  for (std::uint32_t id : {0u, 1u, 2u, 3u, 100u, 106u, 200u, 204u, 300u, 303u}) options.uiMenuExOptionsItemsClick(id);
  QCOMPARE(store_->writes, writes);
  QCOMPARE(dm_->FCurrentMouseSettingInfo.ReportRate, Word{400});
  QCOMPARE(dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotStartWithWindows], 7);
}

void OptionsTest::anUnknownLanguageChangesAndSavesNothing() {
  // A language file without the Chinese languages: the two items find nothing.
  std::filesystem::remove(std::filesystem::path(folder_->path().toStdString()) / "ui.local");
  TqvGMConfigMain& window = MakeWindow();
  const Integer startOption = Stored().ReservedData.IntegerData[kSlotStartWithWindows];
  dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotStartWithWindows] = 5;  // not saved
  const int writes = store_->writes;
  TuiMenuEx& menu = window.uiMenuExOptions();
  for (std::uint32_t id : {TProgramOptions::kSimplifiedChinese, TProgramOptions::kTraditionalChinese, TProgramOptions::kEnglish})
    menu.DoItemClick(*menu.FindItemByID(id));
  QCoreApplication::processEvents();
  QCOMPARE(store_->writes, writes);
  QCOMPARE(int{dm_->FAllProfileSettingInfo.CurrentLanguage}, 0);
  QVERIFY(ToMonitor(MSG_MONITOR_LANGUAGE).empty());
  QCOMPARE(window.uiLanguage1().Lang(), std::string());
  QCOMPARE(Stored().ReservedData.IntegerData[kSlotStartWithWindows], startOption);
  // The marks are refreshed all the same: without any file language the position stands.
  QCOMPARE(Checked(TProgramOptions::kLanguagesMenu), std::vector<std::uint32_t>{TProgramOptions::kEnglish});
  QVERIFY(Checked(TProgramOptions::kStartupMenu).empty());
}

void OptionsTest::aChoiceThatCannotBeSavedIsReported() {
  TqvGMConfigMain& window = MakeWindow();
  store_->FailWritesAfter(0);
  QString told;
  AnswerMessageDialog(told);
  TuiMenuEx& menu = window.uiMenuExOptions();
  menu.DoItemClick(*menu.FindItemByID(TProgramOptions::kStartHidden));
  QCOMPARE(told, QString("The settings could not be saved."));

  // EasyShift options that did not reach the store are not announced to the monitor program.
  told.clear();
  WithOptionsForm([&](TOptionsForm& form) {
    AnswerMessageDialog(told);
    QTest::mouseClick(Find<QPushButton>(&form, "bsbtnOK"), Qt::LeftButton);
  });
  QTRY_COMPARE(told, QString("The settings could not be saved."));
  QVERIFY(ToMonitor(MSG_MONITOR_EASYSHIFT).empty());
}

void OptionsTest::everyControlOfTheOptionsWindowHasAName() {
  const bool chinese = qEnvironmentVariable("Q9_SCREENSHOT_LANG") == "0804";
  if (chinese) dm_->FAllProfileSettingInfo.CurrentLanguage = 1;
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  WithOptionsForm([&](TOptionsForm& form) {
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    test::AccessibilityWalk walk = test::WalkAccessibility(&form);
    QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
    auto* shortcuts = Find<QComboBox>(&form, "ComboBoxShortCuts");
    if (chinese) {
      SaveScreenshotIfAsked(form.grab(), "options-zh-CN");
    } else {
      QCOMPARE(shortcuts->accessibleName(), QString("Shortcuts Options"));
      QCOMPARE(Find<QComboBox>(&form, "ComboBoxEnableEasyshift")->accessibleName(), QString("Disable Feature"));
      QCOMPARE(Find<QCheckBox>(&form, "CheckBoxGroup2")->text(), QString("Group 2"));
      SaveScreenshotIfAsked(form.grab(), "options-en");
      // The names follow the language while the window is open.
      window.uiLanguage1().SetLang("0804");
      QCOMPARE(shortcuts->accessibleName(), QString::fromUtf8("快捷键选项"));
      QCOMPARE(shortcuts->itemText(1), QString::fromUtf8("右手边的 Win、Alt、Ctrl、Shift 键"));
      QCOMPARE(Find<QPushButton>(&form, "BSBTNDEFAULTS")->text(), QString::fromUtf8("默认值"));
      QCOMPARE(form.windowTitle(), QString::fromUtf8("游戏选项"));
    }
    walk = test::WalkAccessibility(&form);
    QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
    form.reject();
  });
}

QTEST_MAIN(OptionsTest)
#include "OptionsTest.moc"
