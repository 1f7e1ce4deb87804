// The whole window against the in-process simulated mouse, as a user drives it: a CPI step, a
// light colour and brightness, the report rate and the profile of Mode2 are set on the pages,
// APPLY writes them, and the mouse's memory (decoded) holds them. Without the mouse the user is
// warned once and the settings are still stored.

#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <cstring>

#include "DialogAnswerer.h"
#include "MemoryDecode.h"
#include "WindowTestBench.h"
#include "mainwindow/LightPage.h"
#include "storage/StoredLayout.h"

using namespace q9;

class EndToEndTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void init() { SetUpBench(); }
  void cleanup() { TearDownBench(); }

  void settingsMadeOnThePagesReachTheMouseOnApply();
  void withoutTheMouseOneWarningAndTheStoreHoldsTheChanges();
  void okWithTheMouseClosesOnceTheProgressHasEnded();

 private:
  void ClickRadio(const char* name) {
    auto* radio = Find<QRadioButton>(name);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
  }
  void ClickTab(const char* name) {
    QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  /// On profile 4 as the profile of Mode2: level 2 at step 5, the first swatch, HIGH, 500 Hz.
  void MakeTheChanges();
  std::unique_ptr<TMouseProfileInfoEasyShiftEx> StoredProfile(int index) {
    const auto value = store_->Get(kSettingsKeyPath, GameProfileValueName(index));
    if (!value || value->size() < sizeof(TMouseProfileInfoEasyShiftEx)) return nullptr;
    auto info = std::make_unique<TMouseProfileInfoEasyShiftEx>();
    std::memcpy(info.get(), value->data(), sizeof *info);
    return info;
  }

  std::uint32_t framesBeforeSwatch_ = 0;
  std::uint32_t framesAfterSwatch_ = 0;
  std::array<std::uint8_t, 5> lightAfterSwatch_{};
};

void EndToEndTest::MakeTheChanges() {
  Click("BTNMODE2");
  Click("BSBTNPROFILE4");
  QCOMPARE(dm_->FProfileIndex, 3);

  ClickTab("BtnCPI");
  QVERIFY(Find<QWidget>("PageCPI")->isVisible());
  QSlider* slider = Find<QSlider>("TrackCPI2X");
  slider->setFocus();
  while (slider->value() < 5) QTest::keyClick(slider, Qt::Key_Up);
  while (slider->value() > 5) QTest::keyClick(slider, Qt::Key_Down);

  ClickTab("BtnColor");
  framesBeforeSwatch_ = mouse_->CurrentState().frames;
  QTest::mouseClick(Find<TLightSwatch>("RTC1"), Qt::LeftButton);
  framesAfterSwatch_ = mouse_->CurrentState().frames;
  lightAfterSwatch_ = mouse_->CurrentState().light;
  ClickRadio("RadioLevelHigh");
  ClickRadio("REPORTRATE500");
}

void EndToEndTest::settingsMadeOnThePagesReachTheMouseOnApply() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  MakeTheChanges();
  // The colour went to the mouse at the click, before any apply: inverted 185,0,1.
  QVERIFY(framesAfterSwatch_ > framesBeforeSwatch_);
  QCOMPARE(lightAfterSwatch_[0], std::uint8_t(70));
  QCOMPARE(lightAfterSwatch_[1], std::uint8_t(255));
  QCOMPARE(lightAfterSwatch_[2], std::uint8_t(254));
  QVERIFY(window.SettingsModified());

  test::DialogAnswerer answerer({"BtnOK"});
  Click("BSBTNAPPLY");
  QVERIFY(answerer.texts.isEmpty());
  QVERIFY(!window.SettingsModified());

  const nlohmann::json decoded = DecodeMemory(mouse_->Memory(), mouse_->CurrentState());
  QCOMPARE(decoded["reportRateHz"].get<int>(), 500);
  QCOMPARE(decoded["currentProfile"].get<int>(), 3);
  QCOMPARE(int(mouse_->CurrentState().memoryLocation), 1);
  const nlohmann::json& mode2 = decoded["locations"][1];
  QCOMPARE(mode2["sensitivity"]["levels"][1]["cpiX"].get<int>(), 2500);
  QCOMPARE(mode2["sensitivity"]["levels"][1]["cpiY"].get<int>(), 2500);
  QCOMPARE(mode2["light"]["color"].get<std::string>(), std::string("#B90001"));
  QCOMPARE(mode2["light"]["brightness"].get<int>(), 3);
  // Mode1 still holds profile 1 with its factory light.
  const nlohmann::json& mode1 = decoded["locations"][0];
  QVERIFY(mode1["light"]["color"].get<std::string>() != "#B90001");
  QCOMPARE(dm_->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile], 3);
}

void EndToEndTest::withoutTheMouseOneWarningAndTheStoreHoldsTheChanges() {
  mouse_->SetPresent(false);
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  MakeTheChanges();
  QCOMPARE(framesAfterSwatch_, framesBeforeSwatch_);
  const std::uint32_t frames = mouse_->CurrentState().frames;

  test::DialogAnswerer answerer({"BtnOK"});
  Click("BSBTNOK");
  QCOMPARE(answerer.texts, QStringList{"Please connect your mouse device before apply new settings!"});
  scheduler_->Advance(5000);
  QCoreApplication::processEvents();
  QVERIFY(window.isVisible());
  QCOMPARE(mouse_->CurrentState().frames, frames);

  const auto profile4 = StoredProfile(3);
  QVERIFY(profile4);
  QCOMPARE(profile4->MouseSettingInfo.CPIState[1].nCPIX, 5);
  QCOMPARE(profile4->MouseSettingInfo.LEDConfig.R, 185);
  QCOMPARE(profile4->MouseSettingInfo.LEDConfig.BRIGHT_LEVEL, 3);
  QCOMPARE(profile4->MouseSettingInfo.ReportRate, dm_->FCurrentMouseSettingInfo.ReportRate);
  // The rate went into every profile; the memory-location choice into the settings record.
  const auto profile1 = StoredProfile(0);
  QVERIFY(profile1);
  QCOMPARE(profile1->MouseSettingInfo.ReportRate, profile4->MouseSettingInfo.ReportRate);
  const auto record = store_->Get(kSettingsKeyPath, kSettingsValueName);
  QVERIFY(record);
  TALLPROFILESETTINGINFO settings{};
  std::memcpy(&settings, record->data(), sizeof settings);
  QCOMPARE(settings.ReservedData.IntegerData[kSlotMode2Profile], 3);

  // APPLY without the mouse warns once more, once.
  Click("BSBTNAPPLY");
  QCOMPARE(answerer.texts.size(), 2);
}

void EndToEndTest::okWithTheMouseClosesOnceTheProgressHasEnded() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  ClickRadio("REPORTRATE500");
  Click("BSBTNOK");
  QVERIFY(window.isVisible());
  // After a rate change the bar ticks every 200 ms: nine ticks to 90, a second at 91, one more
  // tick hides it about three seconds after the start; the next 500 ms check closes the window.
  int waited = 0;
  for (; waited < 5000 && window.isVisible(); waited += 100) {
    scheduler_->Advance(100);
    QCoreApplication::processEvents();
  }
  QVERIFY(!window.isVisible());
  QVERIFY2(waited > 2800 && waited <= 3500, qPrintable(QString::number(waited)));
  const nlohmann::json decoded = DecodeMemory(mouse_->Memory(), mouse_->CurrentState());
  QCOMPARE(decoded["reportRateHz"].get<int>(), 500);
}

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
