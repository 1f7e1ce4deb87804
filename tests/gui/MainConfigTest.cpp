// The main window's frame: start-up, the close flow, the progress display, the private messages,
// language changes and device arrival, on fakes and the simulated mouse.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <atomic>
#include <filesystem>
#include <thread>
#include <fstream>

#include "DialogAnswerer.h"
#include "ShippedTranslations.h"
#include "SimulatedMouse.h"
#include "lang/LanguageFile.h"
#include "mainwindow/MainConfig.h"
#include "platform/fake/FakeDeviceNotifications.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/FakeWindowMessaging.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/posix/PosixWindowMessaging.h"
#include "storage/StoredLayout.h"

using namespace q9;
using test::Translated;
using test::DialogAnswerer;

class MainConfigTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void startUpBuildsTheFrameAndShowsThePageOfTheStoredProfile();
  void startUpTakesTheStoredLanguageAndFallsBackToTheFirstEntry();
  void showingStartsTheMonitorOrRaisesIt();
  void tabButtonsSwitchPagesOnMouseUp();
  void closingUnmodifiedAsksNothing();
  void closingAndCancellingTheQuestionWritesNothing();
  void closingAndSavingWritesProfilesAndTheProgramWideRecord();
  void aFailedSaveKeepsTheWindowUnlessTheUserClosesAnyway();
  void progressRunsNineTicksWaitsOnceAtNinetyOneAndHides();
  void okClosesAfterTheProgressEndsOnlyWhenTheMouseTookIt();
  void noSecondApplyStartsWhileOneRuns();
  void anApplyThatLosesFramesSaysSoOnceAndOkStaysOpen();
  void anUnreadableValueIsAskedAboutAndKeptUnlessTheUserAgrees();
  void anApplyWhoseSaveFailedSaysSo();
  void aProfileThatCannotBeConvertedIsNamedAsTheProfileBarNamesIt();
  void everyOtherFailureStillTellsItsReason();
  void monitorMessagesCloseReloadAndReapplyLanguage();
  void theMonitorReachesTheWindowThroughTheRealMessaging();
  void languageChangeRetranslatesTheShownWindow();
  void arrivalEnablesApply();
  void helpPageOpensTheConfiguredAddresses();
  void minimiseAsksTheWindowSystem();
  void draggingTheTopBarMovesTheWindow();

 private:
  TqvGMConfigMain& MakeWindow(WindowMessaging* messaging = nullptr, PauseFunction pause = {});
  QPushButton* Button(const char* name) { return window_->findChild<QPushButton*>(name); }
  bool HelpPageHasText(const std::string& text) {
    for (const QLabel* label : window_->findChild<QWidget*>("PageHelp")->findChildren<QLabel*>())
      if (label->text().toStdString() == text) return true;
    return false;
  }
  void Advance(int ms) {
    scheduler_->Advance(ms);
    QCoreApplication::processEvents();
  }
  /// A memory-location choice and a profile setting, changed in memory only.
  void ChangeSettingsWithoutApply(TqvGMConfigMain& window) {
    dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = 4;
    dm_->FCurrentMouseSettingInfo.PointerSpeed = 3;
    dm_->SaveBackToCurrentProfileInfo();
    window.SetSettingsModified(true);
  }
  std::vector<std::uint8_t> StoredValue(const std::string& name) {
    return store_->Get(kSettingsKeyPath, name).value_or(std::vector<std::uint8_t>{});
  }

  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<FakeRegistryStore> store_;
  std::unique_ptr<FakeSystemLocale> locale_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<ManualScheduler> scheduler_;
  std::unique_ptr<SimulatedMouse> mouse_;
  std::unique_ptr<SimulatedDriverTransport> transport_;
  std::unique_ptr<FakeWindowMessaging> messaging_;
  std::unique_ptr<FakeShell> shell_;
  std::unique_ptr<FakeDeviceNotifications> notifications_;
  std::unique_ptr<TqvGMConfigMain> window_;
  int terminated_ = 0;
};

void MainConfigTest::init() {
  folder_ = std::make_unique<QTemporaryDir>();
  const std::filesystem::path folder = folder_->path().toStdString();
  const std::filesystem::path data = Q9_SOURCE_DATA;
  std::filesystem::copy_file(data / "ui.local", folder / "ui.local");
  std::filesystem::copy_file(data / "config.ini", folder / "config.ini");
  std::filesystem::create_directory(folder / "image");
  std::filesystem::copy_file(data / "image" / "hand.cur", folder / "image" / "hand.cur");
  store_ = std::make_unique<FakeRegistryStore>();
  locale_ = std::make_unique<FakeSystemLocale>();
  dm_ = CreateDataModule(*store_, *locale_);
  scheduler_ = std::make_unique<ManualScheduler>();
  mouse_ = std::make_unique<SimulatedMouse>();
  transport_ = std::make_unique<SimulatedDriverTransport>(*mouse_);
  messaging_ = std::make_unique<FakeWindowMessaging>();
  shell_ = std::make_unique<FakeShell>();
  notifications_ = std::make_unique<FakeDeviceNotifications>();
  terminated_ = 0;
}

void MainConfigTest::cleanup() {
  window_.reset();
  dm_.reset();
}

TqvGMConfigMain& MainConfigTest::MakeWindow(WindowMessaging* messaging, PauseFunction pause) {
  MainWindowServices services{*dm_,     *scheduler_, *transport_, messaging ? *messaging : *messaging_, *shell_, *locale_,
                              folder_->path().toStdString(), notifications_.get(), {}, {}};
  services.pause = pause ? std::move(pause) : [](int) { QCoreApplication::processEvents(); };
  services.terminate = [this] { ++terminated_; };
  window_ = std::make_unique<TqvGMConfigMain>(std::move(services));
  return *window_;
}

void MainConfigTest::startUpBuildsTheFrameAndShowsThePageOfTheStoredProfile() {
  dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile] = 2;
  TqvGMConfigMain& window = MakeWindow();

  QCOMPARE(window.windowTitle(), QString("QVGM_CONFIG"));
  QCOMPARE(window.size(), QSize(819, 595));
  QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
  QCOMPARE(window.CurrentPage(), 0);
  QVERIFY(Button("BtnMainConfig")->isChecked());
  for (const char* hidden : {"BSBTNOPTIONS", "BtnUpdate", "BSBTNMODE1", "BSBTNMODE2"})
    QVERIFY2(Button(hidden)->isHidden(), hidden);
  for (const char* hidden : {"LabelProductName", "Label16"}) QVERIFY2(window.findChild<QLabel*>(hidden)->isHidden(), hidden);
  QVERIFY(window.findChild<QProgressBar*>("ProgressBarTime")->isHidden());
  QVERIFY(window.findChild<QComboBox*>("PopupBoxLanguage")->isHidden());

  const TuiCommands& commands = window.uiCommandSetting1().Commands();
  QStringList names;
  for (int i = 0; i < commands.Count(); ++i) names << QString::fromStdString(commands[i].Name());
  QCOMPARE(names, QStringList({"SetButton", "SetCPI", "SetMouseParam", "SetProfileBtn", "SetReport", "SetLED",
                               "SetButtonEasyShift"}));

  // The profile of memory location 1 is current and its button pressed; nothing counts as changed.
  QCOMPARE(dm_->FProfileIndex, 2);
  QVERIFY(Button("BSBTNPROFILE3")->isChecked());
  QVERIFY(!Button("BSBTNPROFILE1")->isChecked());
  QVERIFY(!window.SettingsModified());

  // Only the page on show is built; another is built when it is first shown, with the stored
  // values of the current profile, and that counts as no change.
  for (int page = 1; page < 4; ++page) QVERIFY(!window.PageBuilt(page));
  QVERIFY(!window.findChild<QSlider*>("TrackCPI2X"));
  window.SelectPage(1);
  QVERIFY(window.PageBuilt(1));
  const int shown = window.findChild<QSlider*>("TrackCPI2X")->value();
  QVERIFY(!window.SettingsModified());
  window.RefreshAllPages();
  QCOMPARE(window.findChild<QSlider*>("TrackCPI2X")->value(), shown);
  window.SelectPage(0);
  // The shipped cursors are read once the window has been painted.
  QVERIFY(Button("BtnCPI")->cursor().shape() != Qt::BitmapCursor);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTRY_VERIFY(Button("BtnCPI")->cursor().shape() == Qt::BitmapCursor);  // image/hand.cur
  window.SelectPage(1);
  QVERIFY(window.findChild<QPushButton*>("BtnCPI1")->cursor().shape() == Qt::BitmapCursor);
  window.SelectPage(0);
  window.hide();

  // A memory-location slot outside 0..4 leaves the profile the data module holds.
  dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile] = 7;
  MakeWindow();
  QCOMPARE(dm_->FProfileIndex, 2);
  QVERIFY(Button("BSBTNPROFILE3")->isChecked());
}

void MainConfigTest::startUpTakesTheStoredLanguageAndFallsBackToTheFirstEntry() {
  dm_->FAllProfileSettingInfo.CurrentLanguage = 1;
  {
    TqvGMConfigMain& window = MakeWindow();
    QCOMPARE(window.uiLanguage1().Lang(), std::string("0804"));
    QCOMPARE(Button("BtnCPI")->text().toStdString(), Translated("0804", "SENSITIVITY"));
    QCOMPARE(window.findChild<QComboBox*>("PopupBoxLanguage")->currentIndex(), 1);
  }
  // First start on a Traditional Chinese system: the settings created take its language.
  window_.reset();
  dm_.reset();
  store_ = std::make_unique<FakeRegistryStore>();
  locale_->SetLangId("0404");
  dm_ = CreateDataModule(*store_, *locale_);
  MakeWindow();
  QCOMPARE(Button("BtnCPI")->text().toStdString(), Translated("0404", "SENSITIVITY"));

  dm_->FAllProfileSettingInfo.CurrentLanguage = 3;
  TqvGMConfigMain& window = MakeWindow();
  auto* chooser = window.findChild<QComboBox*>("PopupBoxLanguage");
  QCOMPARE(chooser->count(), 3);
  QCOMPARE(chooser->currentIndex(), 0);
  QCOMPARE(Button("BtnCPI")->text(), QString("SENSITIVITY"));
}

void MainConfigTest::showingStartsTheMonitorOrRaisesIt() {
  TqvGMConfigMain& window = MakeWindow();
  window.SetReportRateChanged(true);
  window.show();
  QCOMPARE(shell_->started.size(), std::size_t{1});
  QCOMPARE(shell_->started[0].program, MonitorProgramPath(folder_->path().toStdString()));
  QCOMPARE(shell_->started[0].folder, std::filesystem::path(folder_->path().toStdString()));
  QVERIFY(!window.ReportRateChanged());
  window.hide();

  messaging_->AddWindow(kMonitorWindowClass);
  window.show();
  QCOMPARE(shell_->started.size(), std::size_t{1});
  QCOMPARE(shell_->raised, std::vector<std::string>{kMonitorWindowClass});
}

void MainConfigTest::tabButtonsSwitchPagesOnMouseUp() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QTest::mouseClick(Button("BtnColor"), Qt::LeftButton);
  QTRY_COMPARE(window.CurrentPage(), 2);
  QVERIFY(Button("BtnColor")->isChecked());
  QVERIFY(!Button("BtnMainConfig")->isChecked());
  window.SelectPage(3);
  QCOMPARE(window.findChild<QStackedWidget*>("TabControlMain")->currentWidget()->objectName(), QString("PageHelp"));
  QVERIFY(!Button("BtnColor")->isChecked());
  window.SelectPage(7);  // no such page: nothing changes
  QCOMPARE(window.CurrentPage(), 3);
  window.SelectPage(0);
  window.activateWindow();  // no window manager under Xvfb activates it
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_F1);
  QCOMPARE(window.CurrentPage(), 3);
}

void MainConfigTest::closingUnmodifiedAsksNothing() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  DialogAnswerer answerer({"BtnOK"});
  QTest::mouseClick(Button("BSBTNCLOSE"), Qt::LeftButton);
  QTRY_VERIFY(!window.isVisible());
  QVERIFY(answerer.texts.isEmpty());
}

void MainConfigTest::closingAndCancellingTheQuestionWritesNothing() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  const auto settingsBefore = StoredValue(kSettingsValueName);
  const auto profileBefore = StoredValue(GameProfileValueName(0));
  ChangeSettingsWithoutApply(window);

  DialogAnswerer answerer({"BSBTNCANCEL"});
  QTest::mouseClick(Button("BSBTNCANCEL"), Qt::LeftButton);
  QTRY_VERIFY(!window.isVisible());
  QCOMPARE(answerer.texts, QStringList{"The mouse setting has been changed, save the current setting anyway?"});
  QCOMPARE(StoredValue(kSettingsValueName), settingsBefore);
  QCOMPARE(StoredValue(GameProfileValueName(0)), profileBefore);
}

void MainConfigTest::closingAndSavingWritesProfilesAndTheProgramWideRecord() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  ChangeSettingsWithoutApply(window);

  DialogAnswerer answerer({"BtnOK"});
  QTest::mouseClick(Button("BSBTNCLOSE"), Qt::LeftButton);
  QTRY_VERIFY(!window.isVisible());
  QCOMPARE(answerer.texts.size(), 1);

  TDM reread(*store_, *locale_);
  QCOMPARE(reread.FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile], 4);
  TMouseProfileInfoEasyShiftEx profile{};
  QVERIFY(reread.ReadProfileInfo(profile, 0));
  QCOMPARE(int(profile.MouseSettingInfo.PointerSpeed), 3);
}

void MainConfigTest::aFailedSaveKeepsTheWindowUnlessTheUserClosesAnyway() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  window.SetSettingsModified(true);
  store_->FailWritesAfter(0);
  {
    // OK saves, the save fails, Cancel on the second question keeps the window.
    DialogAnswerer answerer({"BtnOK", "BSBTNCANCEL"});
    QTest::mouseClick(Button("BSBTNCLOSE"), Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), 2);
    QCOMPARE(answerer.texts[1], QString("The settings could not be saved. Close anyway?"));
    QVERIFY(window.isVisible());
    QVERIFY(window.SettingsModified());
  }
  // OK on both: the user accepted losing the changes.
  DialogAnswerer answerer({"BtnOK"});
  window.close();
  QTRY_VERIFY(!window.isVisible());
  QCOMPARE(answerer.texts.size(), 2);
}

void MainConfigTest::progressRunsNineTicksWaitsOnceAtNinetyOneAndHides() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  auto* bar = window.findChild<QProgressBar*>("ProgressBarTime");
  for (int apply = 0; apply < 2; ++apply) {
    QVERIFY(window.BSBTNAPPLYClick());
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 0);
    for (int tick = 1; tick <= 9; ++tick) {
      Advance(100);
      QCOMPARE(bar->value(), tick * 10);
    }
    Advance(100);
    QCOMPARE(bar->value(), 91);
    Advance(999);
    QCOMPARE(bar->value(), 91);
    QVERIFY(bar->isVisible());
    Advance(1);
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->value(), 0);
  }

  // After a report-rate change the ticks come every 200 ms.
  window.SetReportRateChanged(true);
  window.BSBTNAPPLYClick();
  Advance(100);
  QCOMPARE(bar->value(), 0);
  Advance(100);
  QCOMPARE(bar->value(), 10);
}

void MainConfigTest::okClosesAfterTheProgressEndsOnlyWhenTheMouseTookIt() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  mouse_->SetPresent(false);
  DialogAnswerer answerer({"BtnOK"});
  QVERIFY(!window.BSBTNOKClick());
  QCOMPARE(answerer.texts, QStringList{"Please connect your mouse device before apply new settings!"});
  Advance(5000);
  QVERIFY(window.isVisible());

  mouse_->SetPresent(true);
  QVERIFY(window.BSBTNOKClick());
  Advance(1500);  // ten ticks and the wait at 91: the bar is not hidden yet
  QVERIFY(window.isVisible());
  // The bar is hidden at 2000 ms; the close check due then may run just before that, so the one
  // at 2500 ms closes the window at the latest.
  Advance(1000);
  QVERIFY(!window.isVisible());
  QVERIFY(mouse_->CurrentState().frames > 0);
}

void MainConfigTest::noSecondApplyStartsWhileOneRuns() {
  // The user clicks OK and APPLY during the pauses of a running apply.
  bool clicked = false;
  bool disabledDuringTheRun = false;
  TqvGMConfigMain* shown = nullptr;
  TqvGMConfigMain& window = MakeWindow(nullptr, [&](int) {
    QCoreApplication::processEvents();
    if (clicked || !shown) return;
    clicked = true;
    disabledDuringTheRun = !Button("BSBTNOK")->isEnabled() && !Button("BSBTNAPPLY")->isEnabled();
    QVERIFY(!shown->BSBTNOKClick());
    QVERIFY(!shown->BSBTNAPPLYClick());
  });
  shown = &window;
  window.show();
  QVERIFY(window.BSBTNAPPLYClick());
  QVERIFY(clicked);
  QVERIFY(disabledDuringTheRun);
  QCOMPARE(int(mouse_->CurrentState().frames), 19);  // one apply's frames, not interleaved with a second
  QVERIFY(Button("BSBTNOK")->isEnabled());
  QVERIFY(Button("BSBTNAPPLY")->isEnabled());

  // After a report-rate change the mouse re-enumerates: from OK, APPLY waits for the arrival.
  window.SetReportRateChanged(true);
  QVERIFY(window.BSBTNOKClick());
  QVERIFY(!Button("BSBTNAPPLY")->isEnabled());
  QVERIFY(Button("BSBTNOK")->isEnabled());
  notifications_->Arrive();
  scheduler_->RunPosted();
  Advance(1500);
  QVERIFY(Button("BSBTNAPPLY")->isEnabled());
}

void MainConfigTest::anApplyThatLosesFramesSaysSoOnceAndOkStaysOpen() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  mouse_->UnplugAfter(5);
  DialogAnswerer answerer({"BtnOK"});
  QVERIFY(!window.BSBTNOKClick());
  // 19 frames without a rate change; the mouse took the first five.
  QCOMPARE(answerer.texts, QStringList{"The settings did not reach the mouse.\n14 of 19 frames did not reach the mouse."});
  Advance(5000);
  QVERIFY(window.isVisible());
  QVERIFY(Button("BSBTNOK")->isEnabled());
  QVERIFY(Button("BSBTNAPPLY")->isEnabled());

  // APPLY tells it the same way; an apply that goes through says nothing.
  mouse_->SetPresent(true);
  mouse_->UnplugAfter(10);
  QVERIFY(!window.BSBTNAPPLYClick());
  QCOMPARE(answerer.texts.size(), 2);
  QCOMPARE(answerer.texts[1], QString("The settings did not reach the mouse.\n9 of 19 frames did not reach the mouse."));
  mouse_->SetPresent(true);
  QVERIFY(window.BSBTNAPPLYClick());
  QCOMPARE(answerer.texts.size(), 2);
}

// A value of another type is there but cannot be read: the window says so once, after it is shown,
// and saves over it only when the user agrees.
void MainConfigTest::anUnreadableValueIsAskedAboutAndKeptUnlessTheUserAgrees() {
  const std::vector<std::uint8_t> foreign(100, 0x5A);
  store_->Put(kSettingsKeyPath, GameProfileValueName(2), foreign, false);
  dm_ = CreateDataModule(*store_, *locale_);
  {
    TqvGMConfigMain& window = MakeWindow();
    DialogAnswerer answerer({"BSBTNCANCEL", "BtnOK"});
    window.show();
    QTRY_COMPARE(answerer.texts.size(), 1);
    QVERIFY(answerer.texts[0].startsWith("These settings could not be read and are left as they are:\nProfile #3: "));
    QVERIFY(answerer.texts[0].contains(QString::fromStdString(GameProfileValueName(2))));
    QVERIFY(!dm_->OverwriteUnreadable());
    // APPLY saves everything else and says what it kept.
    QVERIFY(!window.BSBTNAPPLYClick());
    QCOMPARE(answerer.texts.size(), 2);
    QVERIFY(answerer.texts[1].startsWith("The settings could not be saved.\n"));
    QVERIFY(answerer.texts[1].contains(QString::fromStdString(GameProfileValueName(2))));
    QCOMPARE(StoredValue(GameProfileValueName(2)), foreign);
    QCOMPARE(StoredValue(GameProfileValueName(1)).size(), sizeof(TMouseProfileInfoEasyShiftEx));
    window.hide();
    window.show();
    QTest::qWait(50);
    QCOMPARE(answerer.texts.size(), 2);  // asked once per run
  }
  dm_ = CreateDataModule(*store_, *locale_);
  TqvGMConfigMain& window = MakeWindow();
  DialogAnswerer answerer({"BtnOK"});
  window.show();
  QTRY_VERIFY(dm_->OverwriteUnreadable());
  QVERIFY(window.BSBTNAPPLYClick());
  QCOMPARE(answerer.texts.size(), 1);
  QCOMPARE(StoredValue(GameProfileValueName(2)).size(), sizeof(TMouseProfileInfoEasyShiftEx));
}

void MainConfigTest::anApplyWhoseSaveFailedSaysSo() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  window.SetSettingsModified(true);
  store_->FailWritesAfter(0);
  DialogAnswerer answerer({"BtnOK"});
  QVERIFY(!window.BSBTNOKClick());
  QCOMPARE(answerer.texts.size(), 1);
  QVERIFY(answerer.texts[0].startsWith("The settings could not be saved.\n"));
  QVERIFY(!answerer.texts[0].contains("did not reach the mouse"));  // the mouse got them
  QVERIFY(window.SettingsModified());
  Advance(5000);
  QVERIFY(window.isVisible());  // OK closes only after everything was saved
}

void MainConfigTest::aProfileThatCannotBeConvertedIsNamedAsTheProfileBarNamesIt() {
  auto damaged = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  QVERIFY(dm_->ReadProfileInfo(*damaged, 2));
  damaged->MouseSettingInfo.CPIState[0].nCPIX = 12;
  QVERIFY(dm_->SaveBackToProfileInfo(*damaged, 2));
  dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = 2;
  {
    TqvGMConfigMain& window = MakeWindow();
    window.show();
    DialogAnswerer answerer({"BtnOK"});
    QVERIFY(!window.BSBTNOKClick());
    QCOMPARE(answerer.texts, QStringList{"The settings did not reach the mouse.\n"
                                         "Profile #3 cannot be converted for the mouse: CPI level 1 has step 12 (0..8)"});
    QCOMPARE(int(mouse_->CurrentState().frames), 0);
    Advance(5000);
    QVERIFY(window.isVisible());
  }
  // In Simplified Chinese every piece but the technical detail is translated.
  dm_->FAllProfileSettingInfo.CurrentLanguage = 1;
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  DialogAnswerer answerer({"BtnOK"});
  QVERIFY(!window.BSBTNAPPLYClick());
  const std::string profile = Translated("0804", "Profile #3");
  QVERIFY(profile != "Profile #3");
  const QString expected =
      QString::fromStdString(Translated("0804", "The settings did not reach the mouse.")) + "\n" +
      QString::fromStdString(Translated("0804", "%1 cannot be converted for the mouse: %2"))
          .arg(QString::fromStdString(profile), "CPI level 1 has step 12 (0..8)");
  QCOMPARE(answerer.texts, QStringList{expected});
  QVERIFY(!expected.contains("%"));
}

void MainConfigTest::everyOtherFailureStillTellsItsReason() {
  TqvGMConfigMain& window = MakeWindow();
  const TuiLanguage& language = window.uiLanguage1();
  // Outcomes that this window has no text of their own for, like a mouse that another program is
  // writing to: the reason is the result's message.
  ApplyResult busy;
  busy.outcome = ApplyOutcome::DeviceBusy;
  busy.message = kDeviceBusyText;
  QCOMPARE(ApplyFailureText(busy, language), QString("The settings did not reach the mouse.\n"
                                                     "Another program is writing to the mouse; try again when it has "
                                                     "finished."));
  ApplyResult stalled;
  stalled.outcome = ApplyOutcome::FramesFailed;
  stalled.stoppedAnswering = true;
  stalled.framesSent = 4;
  stalled.framesFailed = 1;
  stalled.framesPlanned = 20;
  QCOMPARE(ApplyFailureText(stalled, language),
           QString("The settings did not reach the mouse.\nThe mouse stopped answering: 3 of 20 frames went through."));
  ApplyResult other;
  other.outcome = static_cast<ApplyOutcome>(99);
  other.message = "another program is writing to the mouse";
  QCOMPARE(ApplyFailureText(other, language),
           QString("The settings did not reach the mouse.\nanother program is writing to the mouse"));
  other.message.clear();
  QCOMPARE(ApplyFailureText(other, language), QString("The settings did not reach the mouse."));
  // A message the table translates is shown translated.
  dm_->FAllProfileSettingInfo.CurrentLanguage = 2;
  window.ApplyLanguage();
  other.message = "Warning!";
  QCOMPARE(ApplyFailureText(other, language).toStdString(),
           Translated("0404", "The settings did not reach the mouse.") + "\n" + Translated("0404", "Warning!"));
  // A conversion failure without a profile number gives its reason as it is.
  ApplyResult conversion;
  conversion.outcome = ApplyOutcome::ConversionFailed;
  conversion.message = "report rate 400 Hz is not one the mouse has";
  QVERIFY(ApplyFailureText(conversion, language).endsWith("\nreport rate 400 Hz is not one the mouse has"));
  // Nothing to tell: the apply went through, or the no-mouse warning was already shown.
  QVERIFY(ApplyFailureText(ApplyResult{}, language).isEmpty());
  ApplyResult notConnected;
  notConnected.outcome = ApplyOutcome::NotConnected;
  notConnected.message = kNotConnectedText;
  QVERIFY(ApplyFailureText(notConnected, language).isEmpty());
  notConnected.saved = false;
  notConnected.saveError = "cannot save MyProfile0.GPX: disk full";
  QCOMPARE(ApplyFailureText(notConnected, language).toStdString(),
           Translated("0404", "The settings could not be saved.") + "\ncannot save MyProfile0.GPX: disk full");
}

void MainConfigTest::monitorMessagesCloseReloadAndReapplyLanguage() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QCOMPARE(messaging_->ListeningClass(), std::string(kConfigWindowClass));

  // Another program changed profile 0 in the store.
  TMouseProfileInfoEasyShiftEx changed{};
  QVERIFY(dm_->ReadProfileInfo(changed, 0));
  changed.MouseSettingInfo.PointerSpeed = 17;
  std::vector<std::uint8_t> bytes(sizeof changed);
  std::memcpy(bytes.data(), &changed, sizeof changed);
  store_->Put(kSettingsKeyPath, GameProfileValueName(0), bytes);

  messaging_->DeliverToListener({MSG_PROFILE_CHANGED, 1, 0});  // not the current profile
  QCOMPARE(int(dm_->FCurrentMouseSettingInfo.PointerSpeed), 10);
  messaging_->DeliverToListener({MSG_PROFILE_CHANGED, 0, 0});
  QCOMPARE(int(dm_->FCurrentMouseSettingInfo.PointerSpeed), 17);

  dm_->FAllProfileSettingInfo.CurrentLanguage = 2;
  messaging_->DeliverToListener({MSG_LANGUAGE_REAPPLY, 0, 0});
  QCOMPARE(Button("BSBTNAPPLY")->text().toStdString(), Translated("0404", "APPLY"));

  window.SetSettingsModified(true);
  DialogAnswerer answerer({"BtnOK"});
  messaging_->DeliverToListener({MSG_CONFIG_CLOSE, 0, 0});
  QCOMPARE(terminated_, 1);
  QVERIFY(answerer.texts.isEmpty());
}

void MainConfigTest::theMonitorReachesTheWindowThroughTheRealMessaging() {
  const std::filesystem::path runtime = folder_->path().toStdString();
  PosixWindowMessaging windowSide(runtime);
  PosixWindowMessaging monitorSide(runtime);
  TqvGMConfigMain& window = MakeWindow(&windowSide);
  window.show();
  dm_->FAllProfileSettingInfo.CurrentLanguage = 1;
  // The monitor waits for the window's answer, which the GUI thread gives between events.
  std::atomic<bool> delivered{false};
  std::intptr_t result = 0;
  std::thread monitor([&] {
    delivered = monitorSide.Send(kConfigWindowClass, {MSG_LANGUAGE_REAPPLY, 0, 0}, result);
  });
  QTRY_VERIFY(delivered.load());
  monitor.join();
  QCOMPARE(result, std::intptr_t{1});
  QCOMPARE(Button("BSBTNAPPLY")->text().toStdString(), Translated("0804", "APPLY"));
  // A message arriving while the window goes away neither hangs nor reaches the dead window.
  std::thread late([&] { monitorSide.Send(kConfigWindowClass, {MSG_LANGUAGE_REAPPLY, 0, 0}, result); });
  window_.reset();
  late.join();
}

void MainConfigTest::languageChangeRetranslatesTheShownWindow() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QCOMPARE(Button("BSBTNRESTORE")->text(), QString("Restore Defaults"));
  dm_->FAllProfileSettingInfo.CurrentLanguage = 1;
  window.ApplyLanguage();
  QCOMPARE(Button("BSBTNRESTORE")->text().toStdString(), Translated("0804", "Restore Defaults"));
  QCOMPARE(window.findChild<QLabel*>("LabelVersion")->text().toStdString(),
           Translated("0804", "Driver Version: 1.1 Firmware Version:3.2"));
  QCOMPARE(QGuiApplication::applicationDisplayName().toStdString(), Translated("0804", "Gaming Mouse Settings"));
  // The version label is as wide as its text needs.
  auto* version = window.findChild<QLabel*>("LabelVersion");
  QCOMPARE(version->width(), QFontMetrics(version->font()).horizontalAdvance(version->text()) + 20);

  // A page first built now comes up in the current language and follows later changes.
  QVERIFY(!window.PageBuilt(3));
  window.EnsurePageBuilt(3);
  QVERIFY(HelpPageHasText(Translated("0804", "Help & Support:")));

  dm_->FAllProfileSettingInfo.CurrentLanguage = 0;
  window.ApplyLanguage();
  QCOMPARE(Button("BSBTNRESTORE")->text(), QString("Restore Defaults"));
  QVERIFY(HelpPageHasText("Help & Support:"));
  // Addresses are data, never translated.
  QCOMPARE(window.findChild<QLabel*>("LabelWebsite")->text(), QString("https://q9-gaming.example/support/downloads"));
}

void MainConfigTest::arrivalEnablesApply() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QPushButton* apply = Button("BSBTNAPPLY");
  apply->setEnabled(false);
  Advance(1500);  // the arrival shortly after start
  QVERIFY(apply->isEnabled());

  apply->setEnabled(false);
  notifications_->Arrive();
  scheduler_->RunPosted();
  Advance(1500);
  QVERIFY(apply->isEnabled());
}

void MainConfigTest::helpPageOpensTheConfiguredAddresses() {
  std::filesystem::path config = std::filesystem::path(folder_->path().toStdString()) / "config.ini";
  std::ofstream(config) << "[SUPPORT]\nUpdateWebsite=https://updates.example/q9\nCompanyWebsite=https://maker.example\n"
                          "ServiceCall=0800 123\n";
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  window.SelectPage(3);
  QCOMPARE(window.findChild<QLabel*>("LabelServiceCall")->text(), QString("0800 123"));
  QTest::mouseClick(Button("BSBTNGOUPDATE"), Qt::LeftButton);
  QTest::mouseClick(Button("BSBTNGOCOMPANYWEBSITE"), Qt::LeftButton);
  QTest::mouseClick(window.findChild<QLabel*>("LabelCompanyWebsite"), Qt::LeftButton);
  QCOMPARE(shell_->opened, (std::vector<std::string>{"https://updates.example/q9", "https://maker.example",
                                                      "https://maker.example"}));
}

void MainConfigTest::minimiseAsksTheWindowSystem() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QTest::mouseClick(Button("BSBTNMIN"), Qt::LeftButton);
  QTRY_VERIFY(window.windowState() & Qt::WindowMinimized);
}

void MainConfigTest::draggingTheTopBarMovesTheWindow() {
  TqvGMConfigMain& window = MakeWindow();
  window.move(100, 100);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* bar = window.findChild<QWidget*>("TopBar");
  const QPoint before = window.pos();
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(300, 40));
  QMouseEvent move(QEvent::MouseMove, QPointF(340, 70), bar->mapToGlobal(QPointF(340, 70)), Qt::NoButton,
                   Qt::LeftButton, {});
  QApplication::sendEvent(bar, &move);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(340, 70));
  QTRY_COMPARE(window.pos(), before + QPoint(40, 30));
}

QTEST_MAIN(MainConfigTest)
#include "MainConfigTest.moc"
