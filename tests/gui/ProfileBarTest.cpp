// The profile bar and the mode buttons in the real window against the in-process simulated mouse:
// profile buttons and memory locations, Mode1/Mode2, the memory-location menu, profile files in
// both forms, the restore question drawn inside the window, and the names a screen reader reads.

#include <QAccessible>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <vector>

#include "AccessibilityWalk.h"
#include "DialogAnswerer.h"
#include "ProfileJson.h"
#include "ShippedTranslations.h"
#include "WindowTestBench.h"
#include "gui/uiMenuExPopup.h"
#include "lang/LanguageFile.h"
#include "mainwindow/LightPage.h"
#include "mainwindow/ProfileBar.h"
#include "mainwindow/RestoreQuestion.h"
#include "storage/StoredLayout.h"

using namespace q9;
using test::Translated;

namespace {

using Light = std::array<std::uint8_t, 5>;

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}



}  // namespace

class ProfileBarTest : public QObject, protected test::WindowTestBench {
  Q_OBJECT

 private slots:
  void init() {
    SetUpBench();
    requests_.clear();
  }
  void cleanup() { TearDownBench(); }

  void aProfileButtonMakesItTheProfileOfTheSelectedLocationOnly();
  void mode2WithAStoredNineSelectsProfile1AndStoresIt();
  void mode1WithoutTheMouseSwitchesTheProfileAndSendsNothing();
  void theMemoryMenuSetsTheProfileOfALocationAndSavesIt();
  void startUpShowsTheStoredLocationsAndIgnoresOutOfRange();
  void restoreAnsweredNoOrEscapeChangesNothing();
  void restoreAnsweredYesResetsAndEveryPageShowsIt();
  void theQuestionDisablesTheRestOfTheWindow();
  void loadingAGpxOrJsonFileRefreshesEveryPage();
  void aBrokenFileShowsOneTranslatedErrorAndChangesNothing();
  void savingRightAfterAChangeWritesTheChangedValues();
  void aCancelledDialogDoesNothing();
  void everyControlHasANameInTheCurrentLanguage();
  void tabFollowsTheBarsAndSpacePressesAButton();

 private:
  auto& Locations() { return dm_->FAllProfileSettingInfo.ReservedData.IntegerData; }
  std::uint32_t Frames() const { return mouse_->CurrentState().frames; }
  std::filesystem::path Folder() const { return folder_->path().toStdString(); }
  /// Answers every file dialog with `file` and keeps what it was asked.
  void AnswerFileDialogs(QString file) {
    window_->ProfileBar().SetFileDialog([this, file](QWidget*, const ProfileFileRequest& request) {
      requests_.push_back(request);
      return file;
    });
  }
  /// What the pages show of the light, the CPI of level 2 and the report rate.
  struct Shown {
    Light light;
    int cpi2x;
    bool rate1000;
    bool operator==(const Shown&) const = default;
  };
  Shown PagesShow() {
    window_->EnsurePageBuilt(1);
    return {window_->LightPage().WorkingCopy(), Find<QSlider>("TrackCPI2X")->value(),
            Find<QRadioButton>("REPORTRATE1000")->isChecked()};
  }
  /// The stored image of the current profile with another light and CPI level 2 at step 1.
  std::vector<std::uint8_t> ChangedImage() {
    std::vector<std::uint8_t> image = dm_->ProfileComponent(dm_->FProfileIndex).Stream();
    auto info = std::make_unique<TMouseProfileInfoEasyShiftEx>();
    std::memcpy(info.get(), image.data(), sizeof *info);
    info->MouseSettingInfo.LEDConfig.R = 12;
    info->MouseSettingInfo.LEDConfig.G = 34;
    info->MouseSettingInfo.LEDConfig.B = 56;
    info->MouseSettingInfo.LEDConfig.BRIGHT_LEVEL = 1;
    std::memcpy(image.data(), info.get(), sizeof *info);
    return image;
  }

  std::vector<ProfileFileRequest> requests_;
};

void ProfileBarTest::aProfileButtonMakesItTheProfileOfTheSelectedLocationOnly() {
  mouse_->SetPresent(false);
  TqvGMConfigMain& window = OpenWindow(0);
  Click("BTNMODE2");
  QCOMPARE(window.SelectedMode(), 1);
  QCOMPARE(dm_->FProfileIndex, 1);

  window.SetSettingsModified(false);
  Click("BSBTNPROFILE2");  // the profile Mode2 holds already: nothing to save
  QVERIFY(!window.SettingsModified());
  Click("BSBTNPROFILE4");
  QCOMPARE(dm_->FProfileIndex, 3);
  QCOMPARE(Locations()[kSlotMode2Profile], 3);
  QVERIFY(window.SettingsModified());  // closing asks before the new choice is dropped
  QCOMPARE(Locations()[kSlotMode1Profile], 0);
  QVERIFY(Find<QPushButton>("BSBTNPROFILE4")->isChecked());
  QVERIFY(!Find<QPushButton>("BSBTNPROFILE1")->isChecked());

  // Back on Mode1 a profile button changes location 0 and leaves location 1 alone.
  Click("BTNMODE1");
  Click("BSBTNPROFILE3");
  QCOMPARE(Locations()[kSlotMode1Profile], 2);
  QCOMPARE(Locations()[kSlotMode2Profile], 3);
}

void ProfileBarTest::mode2WithAStoredNineSelectsProfile1AndStoresIt() {
  Locations()[kSlotMode2Profile] = 9;
  TqvGMConfigMain& window = OpenWindow(0);
  const std::uint32_t before = Frames();
  Click("BTNMODE2");
  QCOMPARE(dm_->FProfileIndex, 1);
  QCOMPARE(Locations()[kSlotMode2Profile], 1);
  QVERIFY(Find<QPushButton>("BTNMODE2")->isChecked());
  QVERIFY(!Find<QPushButton>("BTNMODE1")->isChecked());
  // The mouse switched to location 1 at once: one frame, before any apply.
  QCOMPARE(Frames(), before + 1);
  QCOMPARE(int(mouse_->CurrentState().memoryLocation), 1);
  QCOMPARE(int(window.State().DeviceMode), 1);
  QVERIFY(Find<QPushButton>("BSBTNPROFILE2")->isChecked());

  Click("BTNMODE1");
  QCOMPARE(int(mouse_->CurrentState().memoryLocation), 0);
  QCOMPARE(dm_->FProfileIndex, 0);
  QCOMPARE(Frames(), before + 2);
}

void ProfileBarTest::mode1WithoutTheMouseSwitchesTheProfileAndSendsNothing() {
  mouse_->SetPresent(false);
  TqvGMConfigMain& window = OpenWindow(0);
  Click("BTNMODE2");
  Locations()[kSlotMode1Profile] = 4;
  const std::uint32_t before = Frames();
  Click("BTNMODE1");
  QCOMPARE(dm_->FProfileIndex, 4);
  QCOMPARE(window.SelectedMode(), 0);
  QCOMPARE(int(window.State().DeviceMode), 0);
  QCOMPARE(Frames(), before);
  QVERIFY(Find<QPushButton>("BSBTNPROFILE5")->isChecked());
}

void ProfileBarTest::theMemoryMenuSetsTheProfileOfALocationAndSavesIt() {
  TqvGMConfigMain& window = OpenWindow(0);
  TuiMenuEx& menu = window.uiMenuExMouseMemorySetting();
  QCOMPARE(menu.Items.Count(), 5);
  for (int i = 0; i < 5; ++i) {
    QCOMPARE(menu.Items[i].ItemID(), std::uint32_t(i + 1));
    QCOMPARE(menu.Items[i].Caption, "Profile #" + std::to_string(i + 1));
  }
  const std::uint32_t before = Frames();
  const std::vector<std::uint8_t> storedBefore = store_->Get(kSettingsKeyPath, kSettingsValueName).value_or(std::vector<std::uint8_t>{});

  // The hidden Mode2 button opens the menu with the location's profile (stored 1) selected.
  window.ProfileBar().BSBTNMODE1Click(1);
  QCOMPARE(menu.SelectedID(), 2);
  menu.DoItemClick(*menu.FindItemByID(5));
  QCOMPARE(Locations()[kSlotMode2Profile], 4);
  QCOMPARE(Locations()[kSlotMode1Profile], 0);
  QCOMPARE(Find<QLabel>("LabelMode2Profile")->text(), QString("Profile #5"));
  QCOMPARE(Find<QLabel>("LabelMode1Profile")->text(), QString("Profile #1"));
  // Saved at once; the mode buttons, the device mode and the mouse are left alone.
  const auto stored = store_->Get(kSettingsKeyPath, kSettingsValueName);
  QVERIFY(stored && *stored != storedBefore);
  TALLPROFILESETTINGINFO record{};
  std::memcpy(&record, stored->data(), sizeof record);
  QCOMPARE(record.ReservedData.IntegerData[kSlotMode2Profile], 4);
  QVERIFY(Find<QPushButton>("BTNMODE1")->isChecked());
  QCOMPARE(int(window.State().DeviceMode), 0);
  QCOMPARE(Frames(), before);

  // From the hidden Mode1 button the item sets location 0; an ID outside 1..5 does nothing.
  window.ProfileBar().BSBTNMODE1Click(0);
  QCOMPARE(menu.SelectedID(), 1);
  window.ProfileBar().uiMenuExMouseMemorySettingItemsClick(3);
  QCOMPARE(Locations()[kSlotMode1Profile], 2);
  window.ProfileBar().uiMenuExMouseMemorySettingItemsClick(6);
  window.ProfileBar().uiMenuExMouseMemorySettingItemsClick(0);
  QCOMPARE(Locations()[kSlotMode1Profile], 2);
  QCOMPARE(Locations()[kSlotMode2Profile], 4);
  QCOMPARE(Find<QLabel>("LabelMode1Profile")->text(), QString("Profile #3"));
}

void ProfileBarTest::startUpShowsTheStoredLocationsAndIgnoresOutOfRange() {
  Locations()[kSlotMode1Profile] = 2;
  Locations()[kSlotMode2Profile] = 7;
  const std::vector<std::uint8_t> storedBefore = store_->Get(kSettingsKeyPath, kSettingsValueName).value_or(std::vector<std::uint8_t>{});
  OpenWindow(0);
  QCOMPARE(Find<QLabel>("LabelMode1Profile")->text(), QString("Profile #3"));
  QCOMPARE(Find<QLabel>("LabelMode2Profile")->text(), QString("Profile #2"));
  QCOMPARE(dm_->FProfileIndex, 2);
  // Start-up shows them and stores nothing.
  QCOMPARE(Locations()[kSlotMode2Profile], 7);
  QCOMPARE(store_->Get(kSettingsKeyPath, kSettingsValueName).value_or(std::vector<std::uint8_t>{}), storedBefore);
}

void ProfileBarTest::restoreAnsweredNoOrEscapeChangesNothing() {
  TqvGMConfigMain& window = OpenWindow(2);
  window.show();
  QTest::mouseClick(Find<TLightSwatch>("RTC3"), Qt::LeftButton);
  window.SetSettingsModified(false);
  window.SetReportRateChanged(false);
  const Shown edited = PagesShow();
  const std::vector<std::uint8_t> image = dm_->ProfileComponent(0).Stream();
  TRestoreQuestion& question = window.ProfileBar().RestoreQuestion();

  Click("BSBTNRESTORE");
  QVERIFY(question.isVisible());
  QTest::mouseClick(question.findChild<QPushButton*>("BtnRestoreNo"), Qt::LeftButton);
  QVERIFY(!question.isVisible());
  QCOMPARE(PagesShow(), edited);
  QCOMPARE(dm_->ProfileComponent(0).Stream(), image);

  Click("BSBTNRESTORE");
  QVERIFY(question.isVisible());
  QTest::keyClick(question.findChild<QPushButton*>("BtnRestoreYes"), Qt::Key_Escape);
  QVERIFY(!question.isVisible());
  QCOMPARE(PagesShow(), edited);
  QCOMPARE(dm_->ProfileComponent(0).Stream(), image);
  QVERIFY(!window.ReportRateChanged());
  QVERIFY(!window.SettingsModified());
}

void ProfileBarTest::restoreAnsweredYesResetsAndEveryPageShowsIt() {
  TqvGMConfigMain& window = OpenWindow(2);
  window.show();
  const Shown factory = PagesShow();
  QTest::mouseClick(Find<TLightSwatch>("RTC3"), Qt::LeftButton);
  Find<QSlider>("TrackCPI2X")->setValue(factory.cpi2x == 1 ? 2 : 1);
  QTest::mouseClick(Find<QRadioButton>("REPORTRATE125"), Qt::LeftButton, {}, QPoint(8, 8));
  QVERIFY(PagesShow().light != factory.light);
  QVERIFY(PagesShow().cpi2x != factory.cpi2x);
  window.SetSettingsModified(false);
  window.SetReportRateChanged(false);

  // Enter answers Yes, the default.
  Click("BSBTNRESTORE");
  QTest::keyClick(window.ProfileBar().RestoreQuestion().findChild<QPushButton*>("BtnRestoreYes"), Qt::Key_Return);
  QVERIFY(!window.ProfileBar().RestoreQuestion().isVisible());
  QCOMPARE(PagesShow(), factory);
  QCOMPARE(dm_->FCurrentMouseSettingInfo.LEDConfig.R, factory.light[0]);
  QCOMPARE(dm_->FButtonConfigIndex, 0);
  QVERIFY(window.ReportRateChanged());
  // The reset profile is not saved yet: closing asks first.
  QVERIFY(window.SettingsModified());
}

void ProfileBarTest::theQuestionDisablesTheRestOfTheWindow() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  TRestoreQuestion& question = window.ProfileBar().RestoreQuestion();
  Click("BSBTNRESTORE");
  QVERIFY(question.isVisible());
  QVERIFY(question.isEnabled());
  // Placed at the top bar, over the window.
  QCOMPARE(question.parentWidget(), static_cast<QWidget*>(&window));
  QVERIFY(question.geometry().intersects(Find<QWidget>("TopBar")->geometry()));
  for (const char* name : {"BSBTNPROFILE2", "BSBTNRESTORE", "BSBTNAPPLY", "BTNMODE2", "BSBTNCLOSE", "BtnCPI"})
    QVERIFY2(!Find<QPushButton>(name)->isEnabled(), name);
  // A click on a profile button meanwhile does nothing.
  QTest::mouseClick(Find<QPushButton>("BSBTNPROFILE2"), Qt::LeftButton);
  QCOMPARE(dm_->FProfileIndex, 0);

  question.Answer(false);
  for (const char* name : {"BSBTNPROFILE2", "BSBTNRESTORE", "BSBTNAPPLY", "BTNMODE2", "BSBTNCLOSE", "BtnCPI"})
    QVERIFY2(Find<QPushButton>(name)->isEnabled(), name);
}

void ProfileBarTest::loadingAGpxOrJsonFileRefreshesEveryPage() {
  TqvGMConfigMain& window = OpenWindow(2);
  window.EnsurePageBuilt(1);  // the sensitivity page, once visited, follows the load too
  const std::vector<std::uint8_t> changed = ChangedImage();
  const std::filesystem::path gpx = Folder() / "changed.GPX";
  WriteFile(gpx, std::string(changed.begin(), changed.end()));
  dm_->SwitchToButtonConfigset(2);

  AnswerFileDialogs(QString::fromStdString(gpx.string()));
  Click("BSBTNLOADPROFILE");
  QCOMPARE(requests_.size(), std::size_t(1));
  QVERIFY(!requests_[0].save);
  QCOMPARE(requests_[0].filters,
           (QStringList{"GPX(Gaming Profile Information Files) (*.GPX)", "Readable profile (*.json)"}));
  QCOMPARE(requests_[0].defaultSuffix, QString("GPX"));
  const Light shown = window.LightPage().WorkingCopy();
  QCOMPARE((std::array<std::uint8_t, 4>{shown[0], shown[1], shown[2], shown[3]}),
           (std::array<std::uint8_t, 4>{12, 34, 56, 1}));
  QCOMPARE(dm_->FButtonConfigIndex, 0);
  QCOMPARE(dm_->FProfileIndex, 0);
  // The loaded profile is not saved yet: closing asks first.
  QVERIFY(window.SettingsModified());
  window.SetSettingsModified(false);

  // The same profile with another colour in its readable form.
  std::vector<std::uint8_t> other = changed;
  auto info = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  std::memcpy(info.get(), other.data(), sizeof *info);
  info->MouseSettingInfo.LEDConfig.R = 99;
  info->MouseSettingInfo.CPIState[1].nCPIX = 1;
  info->MouseSettingInfo.CPIState[1].nCPIY = 1;
  std::memcpy(other.data(), info.get(), sizeof *info);
  const std::filesystem::path json = Folder() / "other.Json";
  WriteFile(json, ProfileImageToJson(other));
  AnswerFileDialogs(QString::fromStdString(json.string()));
  Click("BSBTNLOADPROFILE");
  QCOMPARE(window.LightPage().WorkingCopy()[0], std::uint8_t(99));
  QCOMPARE(Find<QSlider>("TrackCPI2X")->value(), 1);
  QCOMPARE(dm_->ProfileComponent(0).Stream(), other);
  QVERIFY(window.SettingsModified());
}

void ProfileBarTest::aBrokenFileShowsOneTranslatedErrorAndChangesNothing() {
  dm_->FAllProfileSettingInfo.CurrentLanguage = 1;  // Simplified Chinese
  TqvGMConfigMain& window = OpenWindow(2);
  QTest::mouseClick(Find<TLightSwatch>("RTC3"), Qt::LeftButton);
  const Shown edited = PagesShow();
  const std::vector<std::uint8_t> image = dm_->ProfileComponent(0).Stream();
  const QString heading = QString::fromStdString(Translated("0804", "The profile file could not be read; nothing was changed."));
  QVERIFY(!heading.isEmpty() && !heading.startsWith("The profile"));

  for (const std::filesystem::path& file :
       {Folder() / "broken.json", Folder() / "wrong-type.json", Folder() / "missing.GPX", Folder() / "empty.GPX"}) {
    if (file.filename() == "broken.json") WriteFile(file, "{\"schemaVersion\": 1, ");
    if (file.filename() == "wrong-type.json") WriteFile(file, "[1, 2, 3]");
    if (file.filename() == "empty.GPX") WriteFile(file, "");
    test::DialogAnswerer answerer({"BtnOK"});
    AnswerFileDialogs(QString::fromStdString(file.string()));
    Click("BSBTNLOADPROFILE");
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY2(answerer.texts[0].startsWith(heading + "\n"), qPrintable(answerer.texts[0]));
    QVERIFY2(answerer.texts[0].contains(QString::fromStdString(file.filename().string())), qPrintable(answerer.texts[0]));
    QCOMPARE(dm_->ProfileComponent(0).Stream(), image);
    QCOMPARE(PagesShow(), edited);
  }
  QVERIFY(window.isEnabled());
}

void ProfileBarTest::savingRightAfterAChangeWritesTheChangedValues() {
  TqvGMConfigMain& window = OpenWindow(2);
  QTest::mouseClick(Find<TLightSwatch>("RTC3"), Qt::LeftButton);
  const Light light = window.LightPage().WorkingCopy();
  const std::filesystem::path gpx = Folder() / "saved" / "profile.GPX";
  AnswerFileDialogs(QString::fromStdString(gpx.string()));
  Click("BSBTNSAVEPROFILE");
  QCOMPARE(requests_.size(), std::size_t(1));
  QVERIFY(requests_[0].save);
  QCOMPARE(requests_[0].defaultSuffix, QString("GPX"));
  const std::vector<std::uint8_t> saved = ReadFile(gpx);
  QCOMPARE(saved.size(), sizeof(TMouseProfileInfoEasyShiftEx));
  auto info = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  std::memcpy(info.get(), saved.data(), sizeof *info);
  QCOMPARE(info->MouseSettingInfo.LEDConfig.R, light[0]);
  QCOMPARE(info->MouseSettingInfo.LEDConfig.G, light[1]);
  QCOMPARE(info->MouseSettingInfo.LEDConfig.B, light[2]);

  const std::filesystem::path json = Folder() / "profile.json";
  Find<QSlider>("TrackCPI2X")->setValue(1);
  AnswerFileDialogs(QString::fromStdString(json.string()));
  Click("BSBTNSAVEPROFILE");
  const std::vector<std::uint8_t> text = ReadFile(json);
  const std::vector<std::uint8_t> image = ProfileImageFromJson(std::string(text.begin(), text.end()));
  QCOMPARE(image, dm_->ProfileComponent(0).Stream());
  std::memcpy(info.get(), image.data(), sizeof *info);
  QCOMPARE(info->MouseSettingInfo.LEDConfig.R, light[0]);
  QCOMPARE(info->MouseSettingInfo.CPIState[1].nCPIX, 1);

  // A file that cannot be written says so.
  test::DialogAnswerer answerer({"BtnOK"});
  AnswerFileDialogs(QString::fromStdString((Folder() / "no" / "such" / "folder" / "p.json").string()));
  Click("BSBTNSAVEPROFILE");
  QCOMPARE(answerer.texts.size(), 1);
  QVERIFY(answerer.texts[0].startsWith("The profile file could not be written.\n"));
}

void ProfileBarTest::aCancelledDialogDoesNothing() {
  TqvGMConfigMain& window = OpenWindow(0);
  QTest::mouseClick(Find<QRadioButton>("REPORTRATE125"), Qt::LeftButton, {}, QPoint(8, 8));
  const std::vector<std::uint8_t> image = dm_->ProfileComponent(0).Stream();
  test::DialogAnswerer answerer({"BtnOK"});
  AnswerFileDialogs({});
  Click("BSBTNLOADPROFILE");
  Click("BSBTNSAVEPROFILE");
  QCOMPARE(requests_.size(), std::size_t(2));
  QTest::qWait(20);
  QVERIFY(answerer.texts.isEmpty());
  QCOMPARE(dm_->ProfileComponent(0).Stream(), image);
  QVERIFY(window.SettingsModified());
}

void ProfileBarTest::everyControlHasANameInTheCurrentLanguage() {
  dm_->FAllProfileSettingInfo.CurrentLanguage = 1;
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  for (const char* bar : {"ProfileBar", "BottomBar"}) {
    test::AccessibilityWalk walk = test::WalkAccessibility(Find<QWidget>(bar));
    QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
  }
  QCOMPARE(Find<QPushButton>("BSBTNMODE2")->accessibleName().toStdString(), Translated("0804", "Mode2"));
  QCOMPARE(Find<QPushButton>("BSBTNPROFILE3")->text().toStdString(), Translated("0804", "Profile #3"));
  QCOMPARE(Find<QLabel>("LabelMode1Profile")->text().toStdString(), Translated("0804", "Profile #") + "1");

  Click("BSBTNRESTORE");
  TRestoreQuestion& question = window.ProfileBar().RestoreQuestion();
  test::AccessibilityWalk walk = test::WalkAccessibility(&question);
  QVERIFY2(walk.unnamed.isEmpty(), qPrintable(walk.unnamed.join(", ")));
  QCOMPARE(question.accessibleName().toStdString(), Translated("0804", "Restore to default"));
  QCOMPARE(question.findChild<QPushButton*>("BtnRestoreYes")->text().toStdString(), Translated("0804", "Yes"));
  QCOMPARE(question.findChild<QPushButton*>("BtnRestoreNo")->text().toStdString(), Translated("0804", "No"));
  QCOMPARE(question.focusWidget(), question.findChild<QPushButton*>("BtnRestoreYes"));
  question.Answer(false);
}

void ProfileBarTest::tabFollowsTheBarsAndSpacePressesAButton() {
  TqvGMConfigMain& window = OpenWindow(0);
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  Find<QPushButton>("BSBTNLOADPROFILE")->setFocus();
  auto tab = [] {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget()->objectName();
  };
  QCOMPARE(tab(), QString("BSBTNSAVEPROFILE"));
  QCOMPARE(tab(), QString("BSBTNRESTORE"));
  // Like a group of radios: Tab reaches the pressed profile, the arrows choose within the five.
  QCOMPARE(tab(), QString("BSBTNPROFILE1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  QCOMPARE(QApplication::focusWidget()->objectName(), QString("BSBTNPROFILE3"));
  QCOMPARE(dm_->FProfileIndex, 2);
  QCOMPARE(tab(), QString("BTNMODE1"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  QCOMPARE(QApplication::focusWidget()->objectName(), QString("BTNMODE2"));
  QCOMPARE(window.SelectedMode(), 1);
  // Space presses the focused button: Mode2 again keeps its profile (Mode2 holds profile 2 by default).
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QCOMPARE(window.SelectedMode(), 1);
  QCOMPARE(dm_->FProfileIndex, 1);
}

QTEST_MAIN(ProfileBarTest)
#include "ProfileBarTest.moc"
