// The light page in the real window against the in-process simulated mouse: swatches, the
// immediate light command, the brightness and breathing radios, the refresh, keyboard and names.

#include <QAccessible>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <map>

#include "AccessibilityWalk.h"
#include "SimulatedMouse.h"
#include "WindowTestBench.h"
#include "lang/LanguageFile.h"
#include "mainwindow/LightPage.h"
#include "mainwindow/MainConfig.h"
#include "platform/fake/FakeDeviceNotifications.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/FakeWindowMessaging.h"
#include "platform/fake/ManualScheduler.h"

using namespace q9;

namespace {

using Light = std::array<std::uint8_t, 5>;

}  // namespace

class LightPageTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void aSwatchGoesToTheMouseAtOnceAndIntoTheProfile();
  void everySmallSwatchHasItsColourAndAlphaNeverCounts();
  void brightnessAfterAProfileSwitchKeepsThatProfilesColour();
  void aStoredBrightnessOfFiveChecksNoneAndIsKept();
  void radiosStoreOnlyWhenTheyBecomeChecked();
  void theRefreshShowsTheStoredLightAndSendsNothing();
  void theKeyboardMovesBetweenSwatchesAndPicksOne();
  void everyControlHasANameInTheCurrentLanguage();

 private:
  TqvGMConfigMain& MakeWindow();
  TLEDCONFIG& Stored() { return dm_->FCurrentMouseSettingInfo.LEDConfig; }
  /// Clicks a radio on its indicator (a click beside its caption does not count).
  void ClickRadio(const char* name) {
    auto* radio = Find<QRadioButton>(name);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
  }
  Light LastLight() const { return mouse_->CurrentState().light; }
  std::uint32_t Frames() const { return mouse_->CurrentState().frames; }
  void SetProfileLight(int profile, TLEDCONFIG light) {
    auto info = std::make_unique<TMouseProfileInfoEasyShiftEx>();
    QVERIFY(dm_->ReadProfileInfo(*info, profile));
    info->MouseSettingInfo.LEDConfig = light;
    QVERIFY(dm_->SaveBackToProfileInfo(*info, profile));
  }

};

void LightPageTest::init() { SetUpBench(); }

void LightPageTest::cleanup() { TearDownBench(); }

TqvGMConfigMain& LightPageTest::MakeWindow() { return OpenWindow(2); }

void LightPageTest::aSwatchGoesToTheMouseAtOnceAndIntoTheProfile() {
  Stored() = {10, 20, 30, 2, 1, 9};
  dm_->SaveBackToCurrentProfileInfo();
  TqvGMConfigMain& window = MakeWindow();
  QVERIFY(!window.SettingsModified());
  const std::uint32_t before = Frames();

  QTest::mouseClick(Find<TLightSwatch>("RTC1"), Qt::LeftButton);

  // On the mouse before any apply: inverted colour, then brightness and speed of the working copy.
  QVERIFY(Frames() > before);
  QCOMPARE(LastLight(), (Light{70, 255, 254, 2, 1}));
  const TLEDCONFIG& light = Stored();
  QCOMPARE((Light{light.R, light.G, light.B, light.BRIGHT_LEVEL, light.BREATH_SPEED}), (Light{185, 0, 1, 2, 1}));
  QCOMPARE(light.BREATH_SECOND, 0);
  QCOMPARE(window.LightPage().WorkingCopy(), (Light{185, 0, 1, 2, 1}));
  QVERIFY(window.SettingsModified());
  // Saved back into the profile: switching away and back shows the picked colour again.
  window.SelectProfile(1);
  window.SelectProfile(0);
  QCOMPARE(Stored().R, 185);
  // The preview and the chooser follow.
  auto* preview = Find<TLightPreview>("RoundRect1");
  QCOMPARE(preview->OutlineColour(), QColor(185, 0, 1));
  QCOMPARE(preview->GlowColour(), QColor(185, 0, 1));
  QCOMPARE(preview->InnerGlowColour(), QColor(185, 0, 1));
  QCOMPARE(Find<TColourChooser>("ComboColorSelect")->Colour(), QColor(185, 0, 1));
  QVERIFY(Find<TColourChooser>("ComboColorSelect")->isHidden());

  // The chooser's own change takes its colour the same way.
  Find<TColourChooser>("ComboColorSelect")->SetColour(QColor(1, 2, 3));
  QCOMPARE(LastLight(), (Light{254, 253, 252, 2, 1}));
  QCOMPARE(Stored().B, 3);
}

void LightPageTest::everySmallSwatchHasItsColourAndAlphaNeverCounts() {
  const std::map<int, QRgb> expected{
      {36, 0xFFB90001}, {37, 0xFFFE0000}, {38, 0xFFFF4700}, {39, 0xFEFF6B01}, {40, 0xFFFF9D45}, {41, 0xFFFFBA58},
      {42, 0xFFF8E801}, {29, 0xFFF6FF4E}, {30, 0xFFC9FF4F}, {31, 0xFFA6FF4F}, {32, 0xFF84FF4E}, {33, 0xFF00FF01},
      {34, 0xFF02B534}, {35, 0xFF00A536}, {22, 0xFF00CF7B}, {23, 0xFF00D09E}, {24, 0xFF00CBCF}, {25, 0xFF6BE1E3},
      {26, 0xFF29C5FE}, {27, 0xFF26A2EA}, {28, 0xFF649EF0}, {15, 0xFF2484EA}, {16, 0xFF0048FE}, {17, 0xFF0E0FFF},
      {18, 0xFF0F0FBD}, {19, 0xFF5907FF}, {20, 0xFF790CFF}, {21, 0xFFA10CFE}, {10, 0xFFAA6CE7}, {11, 0xFFB30AD7},
      {12, 0xFFC90BFF}, {13, 0xFFCE0ADA}, {14, 0xFFD90A7E}};
  MakeWindow();
  for (const auto& [number, argb] : expected) {
    const QByteArray name = "Rectangle" + QByteArray::number(number);
    auto* swatch = Find<TLightSwatch>(name.constData());
    QCOMPARE(swatch->Colour().rgba(), argb);
    QCOMPARE(swatch->size(), QSize(25, 25));
    QVERIFY2(!swatch->isVisibleTo(window_.get()), name.constData());
  }
  QCOMPARE(window_->findChildren<TLightSwatch*>().size(), 40);
  const std::map<const char*, QRgb> large{{"RTC1", 0xFFB90001}, {"RTC2", 0xFFFF4700}, {"RTC3", 0xFFF8E801},
                                          {"RTC4", 0xFF00FF01}, {"RTC5", 0xFF26A2EA}, {"RTC6", 0xFF0F0FBD},
                                          {"RTC7", 0xFFD90A7E}};
  for (const auto& [name, argb] : large) {
    QCOMPARE(Find<TLightSwatch>(name)->Colour().rgba(), argb);
    QCOMPARE(Find<TLightSwatch>(name)->size(), QSize(60, 60));
  }

  // Rectangle39 is FE-transparent: only its red, green and blue reach the profile and the mouse.
  window_->LightPage().Rectangle10Click(Find<TLightSwatch>("Rectangle39"));
  QCOMPARE((Light{Stored().R, Stored().G, Stored().B, 0, 0}), (Light{0xFF, 0x6B, 0x01, 0, 0}));
  QCOMPARE(LastLight()[0], 0x00);
  QCOMPARE(LastLight()[1], 0x94);
  QCOMPARE(LastLight()[2], 0xFE);
  QCOMPARE(Find<TLightPreview>("RoundRect1")->OutlineColour().alpha(), 255);
  QCOMPARE(Find<TColourChooser>("ComboColorSelect")->Colour().alpha(), 255);
}

void LightPageTest::brightnessAfterAProfileSwitchKeepsThatProfilesColour() {
  SetProfileLight(0, {185, 0, 1, 1, 1, 0});
  SetProfileLight(3, {0x26, 0xA2, 0xEA, 0, 2, 0});
  dm_->SwitchToProfile(0, 0);
  TqvGMConfigMain& window = MakeWindow();
  QVERIFY(Find<QRadioButton>("RadioLevelLow")->isChecked());

  window.SelectProfile(3);
  QVERIFY(Find<QRadioButton>("RadioLevelClose")->isChecked());
  QVERIFY(Find<QRadioButton>("RadioSPMid")->isChecked());
  ClickRadio("RadioLevelHigh");

  const TLEDCONFIG& light = Stored();
  QCOMPARE((Light{light.R, light.G, light.B, light.BRIGHT_LEVEL, light.BREATH_SPEED}), (Light{0x26, 0xA2, 0xEA, 3, 2}));
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  QVERIFY(dm_->ReadProfileInfo(*profile, 0));
  QCOMPARE(profile->MouseSettingInfo.LEDConfig.R, 185);  // the profile left keeps its own light
  QCOMPARE(profile->MouseSettingInfo.LEDConfig.BRIGHT_LEVEL, 1);
}

void LightPageTest::aStoredBrightnessOfFiveChecksNoneAndIsKept() {
  Stored() = {1, 2, 3, 5, 2, 0};
  dm_->SaveBackToCurrentProfileInfo();
  TqvGMConfigMain& window = MakeWindow();
  for (const char* name : {"RadioLevelClose", "RadioLevelLow", "RadioLevelMid", "RadioLevelHigh"})
    QVERIFY2(!Find<QRadioButton>(name)->isChecked(), name);
  QVERIFY(Find<QRadioButton>("RadioSPMid")->isChecked());
  QCOMPARE(Stored().BRIGHT_LEVEL, 5);

  // A colour and a breathing speed keep it, and the mouse is sent it.
  QTest::mouseClick(Find<TLightSwatch>("RTC4"), Qt::LeftButton);
  QCOMPARE(Stored().BRIGHT_LEVEL, 5);
  QCOMPARE(LastLight(), (Light{0xFF, 0x00, 0xFE, 5, 2}));
  ClickRadio("RadioSPHigh");
  QCOMPARE(Stored().BRIGHT_LEVEL, 5);
  QCOMPARE(Stored().BREATH_SPEED, 3);
  window.RefreshAllPages();
  QVERIFY(!Find<QRadioButton>("RadioLevelHigh")->isChecked());

  // Until the user picks a level.
  ClickRadio("RadioLevelMid");
  QCOMPARE(Stored().BRIGHT_LEVEL, 2);

  // Coming from a profile with a level back to one holding 5 unchecks the level shown.
  SetProfileLight(2, {9, 9, 9, 5, 0, 0});
  window.SelectProfile(2);
  QCOMPARE(Stored().BRIGHT_LEVEL, 5);
  QVERIFY(!Find<QRadioButton>("RadioLevelMid")->isChecked());
  QVERIFY(Find<QRadioButton>("RadioSPClose")->isChecked());
}

void LightPageTest::radiosStoreOnlyWhenTheyBecomeChecked() {
  Stored() = {1, 2, 3, 1, 1, 7};
  dm_->SaveBackToCurrentProfileInfo();
  TqvGMConfigMain& window = MakeWindow();
  QVERIFY(!window.SettingsModified());
  const std::uint32_t before = Frames();

  ClickRadio("RadioLevelHigh");
  QCOMPARE(Stored().BRIGHT_LEVEL, 3);
  QCOMPARE(Stored().BREATH_SECOND, 0);
  QVERIFY(window.SettingsModified());
  QVERIFY(!Find<QRadioButton>("RadioLevelLow")->isChecked());  // one of a group at a time
  QVERIFY(Find<QRadioButton>("RadioSPLow")->isChecked());      // the other group untouched

  // The radio left unchecked does not write its tag afterwards.
  window.LightPage().RadioLevelCloseChange(Find<QRadioButton>("RadioLevelClose"), false);
  QCOMPARE(Stored().BRIGHT_LEVEL, 3);
  ClickRadio("RadioSPClose");
  QCOMPARE(Stored().BREATH_SPEED, 0);
  QCOMPARE(Stored().BRIGHT_LEVEL, 3);
  QCOMPARE(Frames(), before);  // brightness and breathing wait for APPLY
}

void LightPageTest::theRefreshShowsTheStoredLightAndSendsNothing() {
  TqvGMConfigMain& window = MakeWindow();
  Stored() = {0x12, 0x34, 0x56, 2, 3, 0};
  const std::uint32_t before = Frames();
  const Light lastBefore = LastLight();
  window.RefreshAllPages();
  QCOMPARE(Frames(), before);
  QCOMPARE(LastLight(), lastBefore);
  QVERIFY(Find<QRadioButton>("RadioLevelMid")->isChecked());
  QVERIFY(Find<QRadioButton>("RadioSPHigh")->isChecked());
  QCOMPARE(Find<TLightPreview>("RoundRect1")->OutlineColour(), QColor(0x12, 0x34, 0x56));
  QCOMPARE(Find<TLightPreview>("RoundRect1")->GlowColour(), QColor(0x12, 0x34, 0x56));
  QCOMPARE(Find<TColourChooser>("ComboColorSelect")->Colour(), QColor(0x12, 0x34, 0x56));
  // Settings replaced behind the page (the monitor's reload) are shown, never overwritten by the
  // light the page held before.
  QCOMPARE((Light{Stored().R, Stored().G, Stored().B, Stored().BRIGHT_LEVEL, Stored().BREATH_SPEED}),
           (Light{0x12, 0x34, 0x56, 2, 3}));
  QCOMPARE(window.LightPage().WorkingCopy(), (Light{0x12, 0x34, 0x56, 2, 3}));
}

void LightPageTest::theKeyboardMovesBetweenSwatchesAndPicksOne() {
  MakeWindow();
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  auto* first = Find<TLightSwatch>("RTC1");
  first->setFocus(Qt::TabFocusReason);
  QTest::keyClick(first, Qt::Key_Right);
  QVERIFY(Find<TLightSwatch>("RTC2")->hasFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QVERIFY(Find<TLightSwatch>("RTC5")->hasFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QCOMPARE(Stored().R, 0x26);
  QCOMPARE(Stored().B, 0xEA);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCOMPARE(Stored().G, 0xFF);  // RTC4

  // Tab runs through the swatches in page order, then the radios.
  QCOMPARE(Find<TLightSwatch>("RTC6")->nextInFocusChain(), Find<TLightSwatch>("RTC7"));
  QCOMPARE(Find<TLightSwatch>("RTC7")->nextInFocusChain(), Find<QRadioButton>("RadioLevelClose"));
  QCOMPARE(Find<QRadioButton>("RadioLevelHigh")->nextInFocusChain(), Find<QRadioButton>("RadioSPClose"));
}

void LightPageTest::everyControlHasANameInTheCurrentLanguage() {
  TqvGMConfigMain& window = MakeWindow();
  window.show();
  auto* page = Find<TLightPage>("LightPage");
  test::AccessibilityWalk walk = test::WalkAccessibility(page);
  QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
  // Hidden controls are left out of the tree; their names are set all the same.
  for (TLightSwatch* swatch : page->findChildren<TLightSwatch*>())
    QVERIFY2(swatch->accessibleName().startsWith("Light colour #"), qPrintable(swatch->objectName()));
  QCOMPARE(Find<TLightSwatch>("RTC1")->accessibleName(), QString("Light colour #B90001"));
  QCOMPARE(Find<TLightSwatch>("Rectangle39")->accessibleName(), QString("Light colour #FF6B01"));
  QCOMPARE(Find<QRadioButton>("RadioSPLow")->accessibleName(), QString("LOW"));
  QCOMPARE(Find<QRadioButton>("RadioSPLow")->text(), QString(" LOW"));
  QVERIFY(!Find<TColourChooser>("ComboColorSelect")->accessibleName().isEmpty());

  // In Simplified Chinese the names follow the language.
  window.uiLanguage1().SetLang("0804");
  QCOMPARE(Find<TLightSwatch>("RTC1")->accessibleName(), QString::fromUtf8("灯光颜色 #B90001"));
  QCOMPARE(Find<QRadioButton>("RadioLevelHigh")->accessibleName(), QString::fromUtf8("高"));
  QCOMPARE(Find<QRadioButton>("RadioSPHigh")->text(), QString::fromUtf8(" 高"));
  walk = test::WalkAccessibility(page);
  QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
}

QTEST_MAIN(LightPageTest)
#include "LightPageTest.moc"
