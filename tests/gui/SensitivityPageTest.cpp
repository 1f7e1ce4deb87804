// The sensitivity page and the report-rate radios inside the real window, on fakes and the
// simulated mouse.

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "AccessibilityWalk.h"
#include "SimulatedMouse.h"
#include "WindowTestBench.h"
#include "mainwindow/MainConfig.h"
#include "mainwindow/ReportRateOptions.h"
#include "mainwindow/SensitivityPage.h"
#include "platform/fake/FakeDeviceNotifications.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/FakeWindowMessaging.h"
#include "platform/fake/ManualScheduler.h"
#include "protocol/DeviceImage.h"

using namespace q9;

class SensitivityPageTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void movingXOfALevelMovesItsYAndStoresBoth();
  void stepsSevenAndEightShareTheDeviceIndex();
  void theLastLevelThatIsOnStaysOn();
  void aRateIsStoredInAllFiveProfiles();
  void aRateTheMouseLacksChecksNoRadio();
  void aProfileSwitchShowsTheNewProfile();
  void aDamagedStepIsShownAndNotStored();
  void separateXAndYAreKept();
  void keyboardMovesSlidersAndTogglesButtons();
  void everyControlHasANameInTheCurrentLanguage();

 private:
  TqvGMConfigMain& MakeWindow();
  TMouseSettingInfoEasyShiftEx& Settings() { return dm_->FCurrentMouseSettingInfo; }

};

void SensitivityPageTest::init() { SetUpBench(); }

void SensitivityPageTest::cleanup() { TearDownBench(); }

TqvGMConfigMain& SensitivityPageTest::MakeWindow() { return OpenWindow(1); }

void SensitivityPageTest::movingXOfALevelMovesItsYAndStoresBoth() {
  TqvGMConfigMain& window = MakeWindow();
  QVERIFY(!window.SettingsModified());
  Find<QSlider>("TrackCPI2X")->setValue(5);

  QCOMPARE(Find<QSlider>("TrackCPI2Y")->value(), 5);
  QCOMPARE(Find<QLabel>("TxtCPI2XNum")->text(), QString("2500"));
  QCOMPARE(Find<QLabel>("TxtCPI2YNum")->text(), QString("2500"));
  QCOMPARE(Settings().CPIState[1].nCPIX, Word{5});
  QCOMPARE(Settings().CPIState[1].nCPIY, Word{5});
  TMouseProfileInfoEasyShiftEx saved{};
  dm_->ReadProfileInfo(saved, dm_->FProfileIndex);
  QCOMPARE(saved.MouseSettingInfo.CPIState[1].nCPIX, Word{5});
  QVERIFY(window.SettingsModified());
  QCOMPARE(Find<QSlider>("TrackCPI2X")->accessibleDescription(), QString("2500 CPI"));

  // The Y slider moves X just the same.
  Find<QSlider>("TrackCPI3Y")->setValue(0);
  QCOMPARE(Find<QSlider>("TrackCPI3X")->value(), 0);
  QCOMPARE(Find<QLabel>("TxtCPI3XNum")->text(), QString("400"));
  QCOMPARE(Settings().CPIState[2].nCPIX, Word{0});
}

void SensitivityPageTest::stepsSevenAndEightShareTheDeviceIndex() {
  MakeWindow();
  Find<QSlider>("TrackCPI1X")->setValue(7);
  Find<QSlider>("TrackCPI2X")->setValue(8);
  QCOMPARE(Find<QLabel>("TxtCPI1YNum")->text(), QString("3500"));
  QCOMPARE(Find<QLabel>("TxtCPI2YNum")->text(), QString("4000"));
  const SensitivityRecord record = BuildSensitivityRecord(dm_->FCurrentProfileInfo);
  QCOMPARE(int(record[3]), 7);
  QCOMPARE(int(record[4]), 7);
  QCOMPARE(int(record[6]), 7);
  QCOMPARE(int(record[7]), 7);
}

void SensitivityPageTest::theLastLevelThatIsOnStaysOn() {
  for (int k = 0; k < 4; ++k) dm_->FCurrentMouseSettingInfo.CPIState[k].nEnabled = k < 2 ? 1 : 0;
  dm_->SaveBackToCurrentProfileInfo();
  TqvGMConfigMain& window = MakeWindow();
  auto* dpi1 = Find<QPushButton>("BtnCPI1");
  auto* dpi2 = Find<QPushButton>("BtnCPI2");
  QVERIFY(!dpi1->isChecked());
  QVERIFY(Find<QPushButton>("BTNCPI3")->isChecked());
  QVERIFY(!Find<QSlider>("TrackCPI3X")->isEnabled());

  // Two on: the first goes off and the second becomes the current level.
  QTest::mouseClick(dpi1, Qt::LeftButton);
  QVERIFY(dpi1->isChecked());
  QCOMPARE(Settings().CPIState[0].nEnabled, Word{0});
  QCOMPARE(Settings().CurrentCPIIndex, 1);
  QCOMPARE(Settings().CPILevel, Word{4});
  QVERIFY(!Find<QSlider>("TrackCPI1X")->isEnabled());
  QCOMPARE(dpi1->property("q9style").toString(), QString("BUTTONDPI2"));
  QVERIFY(window.SettingsModified());

  // One on: its button pops back out and the level stays on.
  QTest::mouseClick(dpi2, Qt::LeftButton);
  QVERIFY(!dpi2->isChecked());
  QCOMPARE(Settings().CPIState[1].nEnabled, Word{1});
  QCOMPARE(Settings().CurrentCPIIndex, 1);
  QVERIFY(Find<QSlider>("TrackCPI2X")->isEnabled());

  // Back on: level 1 is the current level again.
  QTest::mouseClick(dpi1, Qt::LeftButton);
  QVERIFY(!dpi1->isChecked());
  QCOMPARE(Settings().CurrentCPIIndex, 0);
  QCOMPARE(dpi1->property("q9style").toString(), QString("BUTTONDPI"));
}

void SensitivityPageTest::aRateIsStoredInAllFiveProfiles() {
  TqvGMConfigMain& window = MakeWindow();
  window.SelectProfile(2);
  window.SetSettingsModified(false);
  auto* radio = Find<QRadioButton>("REPORTRATE500");
  QTest::mouseClick(radio, Qt::LeftButton);
  QVERIFY(radio->isChecked());
  QCOMPARE(Settings().ReportRate, Word{500});
  for (int profile = 0; profile < 5; ++profile) {
    TMouseProfileInfoEasyShiftEx stored{};
    QVERIFY(dm_->ReadProfileInfo(stored, profile));
    QCOMPARE(stored.MouseSettingInfo.ReportRate, Word{500});
  }
  QVERIFY(window.ReportRateChanged());
  QVERIFY(window.SettingsModified());
  QVERIFY(Find<QRadioButton>("REPORTRATE333")->isHidden());
}

void SensitivityPageTest::aRateTheMouseLacksChecksNoRadio() {
  TqvGMConfigMain& window = MakeWindow();
  QVERIFY(Find<QRadioButton>(("REPORTRATE" + std::to_string(Settings().ReportRate)).c_str())->isChecked());
  for (int profile = 0; profile < 5; ++profile) {
    TMouseProfileInfoEasyShiftEx stored{};
    dm_->ReadProfileInfo(stored, profile);
    stored.MouseSettingInfo.ReportRate = profile == 3 ? 400 : 1000;
    dm_->SaveBackToProfileInfo(stored, profile);
  }
  window.SelectProfile(3);
  for (const char* name : {"REPORTRATE125", "REPORTRATE250", "REPORTRATE333", "REPORTRATE500", "REPORTRATE1000"})
    QVERIFY2(!Find<QRadioButton>(name)->isChecked(), name);
  QVERIFY(!window.ReportRateChanged());
  QCOMPARE(Settings().ReportRate, Word{400});
  window.SelectProfile(0);
  QVERIFY(Find<QRadioButton>("REPORTRATE1000")->isChecked());
}

void SensitivityPageTest::aProfileSwitchShowsTheNewProfile() {
  TMouseProfileInfoEasyShiftEx stored{};
  dm_->ReadProfileInfo(stored, 4);
  stored.MouseSettingInfo.CPIState[3] = {6, 6, 1};
  stored.MouseSettingInfo.CPIState[0].nEnabled = 0;
  stored.MouseSettingInfo.CPIState[1].nEnabled = 1;
  dm_->SaveBackToProfileInfo(stored, 4);
  TqvGMConfigMain& window = MakeWindow();
  window.SelectProfile(4);
  QCOMPARE(Find<QSlider>("TrackCPI4X")->value(), 6);
  QCOMPARE(Find<QSlider>("TrackCPI4Y")->value(), 6);
  QCOMPARE(Find<QLabel>("TxtCPI4XNum")->text(), QString("3000"));
  QVERIFY(Find<QPushButton>("BtnCPI1")->isChecked());
  QVERIFY(!Find<QPushButton>("BTNCPI4")->isChecked());
  QVERIFY(!Find<QSlider>("TrackCPI1Y")->isEnabled());
}

void SensitivityPageTest::aDamagedStepIsShownAndNotStored() {
  TMouseProfileInfoEasyShiftEx stored{};
  dm_->ReadProfileInfo(stored, 1);
  stored.MouseSettingInfo.CPIState[0] = {12, 12, 1};
  dm_->SaveBackToProfileInfo(stored, 1);
  TqvGMConfigMain& window = MakeWindow();
  window.SetSettingsModified(false);
  window.SelectProfile(1);
  QCOMPARE(Find<QSlider>("TrackCPI1X")->value(), 8);
  QCOMPARE(Find<QLabel>("TxtCPI1XNum")->text(), QString("step 12"));
  QCOMPARE(Settings().CPIState[0].nCPIX, Word{12});
  QVERIFY(!window.SettingsModified());

  Find<QSlider>("TrackCPI1X")->setValue(3);
  QCOMPARE(Settings().CPIState[0].nCPIX, Word{3});
  QCOMPARE(Settings().CPIState[0].nCPIY, Word{3});
  QCOMPARE(Find<QLabel>("TxtCPI1YNum")->text(), QString("1600"));
}

void SensitivityPageTest::separateXAndYAreKept() {
  TMouseProfileInfoEasyShiftEx stored{};
  dm_->ReadProfileInfo(stored, 2);
  stored.MouseSettingInfo.UseDiffentXY[1] = 1;
  stored.MouseSettingInfo.CPIState[1] = {2, 6, 1};
  dm_->SaveBackToProfileInfo(stored, 2);
  TqvGMConfigMain& window = MakeWindow();
  window.SelectProfile(2);
  QCOMPARE(Find<QSlider>("TrackCPI2X")->value(), 2);
  QCOMPARE(Find<QSlider>("TrackCPI2Y")->value(), 2);
  QCOMPARE(Settings().CPIState[1].nCPIY, Word{6});
  QCOMPARE(Settings().UseDiffentXY[1], Word{1});

  Find<QSlider>("TrackCPI2X")->setValue(4);
  QCOMPARE(Settings().CPIState[1].nCPIX, Word{2});
  QCOMPARE(Settings().CPIState[1].nCPIY, Word{6});
  QCOMPARE(Find<QLabel>("TxtCPI2XNum")->text(), QString("1200"));
}

void SensitivityPageTest::keyboardMovesSlidersAndTogglesButtons() {
  for (int k = 0; k < 4; ++k) dm_->FCurrentMouseSettingInfo.CPIState[k].nEnabled = 1;
  dm_->SaveBackToCurrentProfileInfo();
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* slider = Find<QSlider>("TrackCPI3X");
  const int before = slider->value();
  slider->setFocus();
  QTest::keyClick(slider, before < 8 ? Qt::Key_Up : Qt::Key_Down);
  const int after = before < 8 ? before + 1 : before - 1;
  QCOMPARE(slider->value(), after);
  QCOMPARE(Settings().CPIState[2].nCPIY, Word(after));

  auto* button = Find<QPushButton>("BTNCPI4");
  button->setFocus();
  QTest::keyClick(button, Qt::Key_Space);
  QVERIFY(button->isChecked());
  QCOMPARE(Settings().CPIState[3].nEnabled, Word{0});

  // Tab goes from a level's button to its X then Y slider, then to the next level's button.
  auto* dpi2 = Find<QPushButton>("BtnCPI2");
  QCOMPARE(dpi2->nextInFocusChain(), static_cast<QWidget*>(Find<QSlider>("TrackCPI2X")));
  QCOMPARE(Find<QSlider>("TrackCPI2X")->nextInFocusChain(), static_cast<QWidget*>(Find<QSlider>("TrackCPI2Y")));
  QCOMPARE(Find<QSlider>("TrackCPI2Y")->nextInFocusChain(), static_cast<QWidget*>(Find<QPushButton>("BTNCPI3")));
}

void SensitivityPageTest::everyControlHasANameInTheCurrentLanguage() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  for (const char* language : {"en", "0804"}) {
    window.uiLanguage1().SetLang(language);
    for (const char* part : {"SensitivityPage", "ReportRateOptions"}) {
      const test::AccessibilityWalk walk = test::WalkAccessibility(Find<QWidget>(part));
      QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
      QVERIFY(walk.interactive >= 4);
    }
  }
  // Chinese now.
  QCOMPARE(Find<QSlider>("TrackCPI2X")->accessibleName(), QString::fromUtf8("DPI 2 X 轴"));
  QCOMPARE(Find<QSlider>("TrackCPI2Y")->accessibleName(), QString::fromUtf8("DPI 2 Y 轴"));
  QVERIFY(Find<QPushButton>("BtnCPI1")->accessibleName().startsWith("DPI1, "));
  QVERIFY(Find<QPushButton>("BtnCPI1")->accessibleName() != QString("DPI1, level on"));
  QCOMPARE(QAccessible::queryAccessibleInterface(Find<QRadioButton>("REPORTRATE500"))->text(QAccessible::Name),
           QString("500Hz"));
}

QTEST_MAIN(SensitivityPageTest)
#include "SensitivityPageTest.moc"
