#include "mainwindow/ProfileBar.h"

#include <QCursor>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "gui/uiLanguageWidgets.h"
#include "gui/uiMenuExPopup.h"
#include "mainwindow/ProfileFiles.h"
#include "mainwindow/RestoreQuestion.h"
#include "mainwindow/SensitivityPage.h"
#include "mainwindow/showdialog.h"
#include "model/ProfileRecords.h"
#include "protocol/CommandFrame.h"

namespace q9 {

namespace {

constexpr const char* kGpxFilter = "GPX(Gaming Profile Information Files)|*.GPX";
constexpr const char* kJsonFilter = "Readable profile (*.json)";
constexpr const char* kLoadFailed = "The profile file could not be read; nothing was changed.";
constexpr const char* kSaveFailed = "The profile file could not be written.";
constexpr int kMemoryLocationPauseMs = 20;

bool IsProfileIndex(int value) { return value >= 0 && value < TProfileBar::kProfileCount; }

QString ProfileText(int profileIndex) { return QStringLiteral("Profile #%1").arg(profileIndex + 1); }

template <class T>
T* Child(QWidget& window, const QString& name) {
  T* widget = window.findChild<T*>(name);
  if (!widget) qFatal("the window has no %s", qPrintable(name));
  return widget;
}

// A filter written as "Description|*.EXT" the way Qt's dialogs take it: "Description (*.EXT)".
QString QtFilter(const QString& filter) {
  const qsizetype bar = filter.indexOf(QLatin1Char('|'));
  if (bar < 0) return filter;
  return QStringLiteral("%1 (%2)").arg(filter.left(bar), filter.mid(bar + 1));
}

}  // namespace

QString RunSystemFileDialog(QWidget* parent, const ProfileFileRequest& request) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(request.filters);
  dialog.setDefaultSuffix(request.defaultSuffix);
  // A name typed without an extension gets the one of the chosen filter.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, request](const QString& filter) {
    dialog.setDefaultSuffix(filter.contains(QLatin1String("*.json"), Qt::CaseInsensitive) ? QStringLiteral("json")
                                                                                           : request.defaultSuffix);
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

TProfileBar::TProfileBar(ProfileBarServices services, QWidget& window, int questionTop)
    : QObject(&window), services_(std::move(services)), window_(window), FQuestionTop(questionTop),
      FFileDialog(RunSystemFileDialog) {
  setObjectName(QStringLiteral("ProfileBarLogic"));
  ConnectButtons(window);
  FillMemoryMenu();
  UpdateAccessibleNames();
  OnLanguageChanged(services_.language, this, [this] {
    UpdateAccessibleNames();
    const auto& locations = services_.DM.FAllProfileSettingInfo.ReservedData.IntegerData;
    SetModeProfiles(locations[kSlotMode1Profile], locations[kSlotMode2Profile], false);
  });
}

// The menu, its popup and the language are members of the window and go before the bar (a child
// object, freed by the window's base): nothing calls into the bar after that.
TProfileBar::~TProfileBar() = default;

QString TProfileBar::Tr(const char* text) const { return TranslatedText(services_.language, text); }

void TProfileBar::ConnectButtons(QWidget& window) {
  for (int tag = 0; tag < kProfileCount; ++tag) {
    auto* button = Child<QPushButton>(window, QStringLiteral("BSBTNPROFILE%1").arg(tag + 1));
    connect(button, &QPushButton::clicked, this, [this, tag] { BSBTNPROFILE1Click(tag); });
  }
  for (int mode = 0; mode < 2; ++mode) {
    const auto index = static_cast<std::size_t>(mode);
    FModeButtons[index] = Child<QPushButton>(window, QStringLiteral("BTNMODE%1").arg(mode + 1));
    connect(FModeButtons[index], &QPushButton::clicked, this, [this, mode] { BTNMODE1Click(mode); });
    QPushButton* hidden = Child<QPushButton>(window, QStringLiteral("BSBTNMODE%1").arg(mode + 1));
    FHiddenModeButtons[index] = hidden;
    auto* label = new QLabel(ProfileText(mode), hidden);
    label->setObjectName(QStringLiteral("LabelMode%1Profile").arg(mode + 1));
    label->setProperty(kNoTranslateProperty, true);  // set translated by SetModeProfiles
    FModeProfileLabels[index] = label;
    connect(hidden, &QPushButton::clicked, this, [this, mode] { BSBTNMODE1Click(mode); });
  }
  connect(Child<QPushButton>(window, QStringLiteral("BSBTNLOADPROFILE")), &QPushButton::clicked, this,
          [this] { BSBTNLOADPROFILEClick(); });
  connect(Child<QPushButton>(window, QStringLiteral("BSBTNSAVEPROFILE")), &QPushButton::clicked, this,
          [this] { BSBTNSAVEPROFILEClick(); });
  connect(Child<QPushButton>(window, QStringLiteral("BSBTNRESTORE")), &QPushButton::clicked, this,
          [this] { BSBTNRESTOREClick(); });
  FollowReadingOrderWithTab(window);
}

// Tab goes through the bars as they read: the file buttons, the five profiles, then the modes.
void TProfileBar::FollowReadingOrderWithTab(QWidget& window) {
  QWidget* previous = nullptr;
  for (const char* name : {"BSBTNLOADPROFILE", "BSBTNSAVEPROFILE", "BSBTNRESTORE", "BSBTNPROFILE1", "BSBTNPROFILE2",
                           "BSBTNPROFILE3", "BSBTNPROFILE4", "BSBTNPROFILE5", "BTNMODE1", "BTNMODE2"}) {
    auto* button = Child<QPushButton>(window, QLatin1String(name));
    button->setFocusPolicy(Qt::StrongFocus);
    if (previous) QWidget::setTabOrder(previous, button);
    previous = button;
  }
}

void TProfileBar::FillMemoryMenu() {
  TuiMenuEx& menu = services_.memoryMenu;
  menu.Items.Clear();
  menu.Parameters.FontFamily = "Arial";
  menu.Parameters.FontSize = 14;
  menu.Parameters.FontBold = true;
  menu.Parameters.MenuShowSelectedCheckMark = true;
  for (int profile = 0; profile < kProfileCount; ++profile) menu.Items.Add(ProfileText(profile).toStdString());
  menu.OnItemsClick = [this](const std::string&, std::uint32_t id, const void*, int) {
    uiMenuExMouseMemorySettingItemsClick(id);
  };
}

// The hidden mode buttons show no caption of their own: their names say which location they set.
void TProfileBar::UpdateAccessibleNames() {
  for (std::size_t mode = 0; mode < FHiddenModeButtons.size(); ++mode) {
    const QString location = Tr(mode == 0 ? "Mode1" : "Mode2");
    FHiddenModeButtons[mode]->setAccessibleName(location);
    FHiddenModeButtons[mode]->setAccessibleDescription(FModeProfileLabels[mode]->text());
  }
}

int TProfileBar::ProfileOfLocation(int mode) {
  auto& slot = services_.DM.FAllProfileSettingInfo.ReservedData.IntegerData[mode == 0 ? kSlotMode1Profile
                                                                                              : kSlotMode2Profile];
  if (!IsProfileIndex(slot)) slot = mode;
  return slot;
}

void TProfileBar::BSBTNPROFILE1Click(int tag) {
  services_.selectProfile(tag);
  // The profile becomes the one of the selected memory location, in memory until the next save.
  auto& locations = services_.DM.FAllProfileSettingInfo.ReservedData.IntegerData;
  auto& slot = locations[FSelectedMode == 0 ? kSlotMode1Profile : kSlotMode2Profile];
  // Not saved yet: closing the window asks before the choice is dropped.
  if (slot != tag) services_.state.SettingsModified = true;
  slot = tag;
}

void TProfileBar::BTNMODE1Click(int tag) {
  if (tag != 0 && tag != 1) return;
  FSelectedMode = tag;
  const int profile = ProfileOfLocation(tag);
  FModeButtons[0]->setChecked(tag == 0);
  FModeButtons[1]->setChecked(tag == 1);
  services_.state.DeviceMode = static_cast<std::uint8_t>(tag);
  if (services_.channel.IsDeviceExist()) {
    SelectMemoryLocation(services_.channel, services_.state.DeviceMode);
    services_.progressPause(kMemoryLocationPauseMs);
  }
  services_.selectProfile(profile);
}

void TProfileBar::BSBTNMODE1Click(int tag) {
  if (tag != 0 && tag != 1) return;
  FSelectedMode = tag;
  const int profile = ProfileOfLocation(tag);
  services_.memoryMenuPopup.ShowMainMenu(profile + 1, QCursor::pos());
}

void TProfileBar::uiMenuExMouseMemorySettingItemsClick(std::uint32_t itemID) {
  if (itemID < 1 || itemID > static_cast<std::uint32_t>(kProfileCount)) return;
  const int profile = static_cast<int>(itemID) - 1;
  if (FSelectedMode == 0)
    SetModeProfiles(profile, -1, true);
  else
    SetModeProfiles(-1, profile, true);
}

void TProfileBar::SetModeProfiles(int mode1Profile, int mode2Profile, bool store) {
  auto& locations = services_.DM.FAllProfileSettingInfo.ReservedData.IntegerData;
  bool changed = false;
  for (auto [mode, profile] : {std::pair{0, mode1Profile}, std::pair{1, mode2Profile}}) {
    if (!IsProfileIndex(profile)) continue;
    FModeProfileLabels[static_cast<std::size_t>(mode)]->setText(Tr("Profile #") + QString::number(profile + 1));
    if (!store) continue;
    locations[mode == 0 ? kSlotMode1Profile : kSlotMode2Profile] = profile;
    changed = true;
  }
  UpdateAccessibleNames();
  if (changed && !services_.DM.SaveBackToAllProfileSettingInfo())
    services_.showMessage(Tr(kWarningTitle),
                          Tr(kSettingsNotSaved) + QLatin1Char('\n') + QString::fromStdString(services_.DM.LastSaveError()));
}

QStringList TProfileBar::FileFilters() const { return {QtFilter(Tr(kGpxFilter)), Tr(kJsonFilter)}; }

QString TProfileBar::AskForFile(bool save) {
  return FFileDialog(&window_, {save, FileFilters(), QStringLiteral("GPX")});
}

void TProfileBar::BSBTNLOADPROFILEClick() {
  const QString file = AskForFile(false);
  if (file.isEmpty()) return;
  std::string error;
  const bool loaded = ImportCurrentProfile(services_.DM, file.toStdString(), error);
  // A .GPX load that failed still refilled the working set (with group 0) from the unchanged profile.
  services_.reloadPages();
  // The loaded profile is in memory only until the next save: closing asks before dropping it.
  if (loaded) services_.state.SettingsModified = true;
  if (!loaded) services_.showMessage(Tr(kWarningTitle), Tr(kLoadFailed) + QLatin1Char('\n') + QString::fromStdString(error));
}

void TProfileBar::BSBTNSAVEPROFILEClick() {
  const QString file = AskForFile(true);
  if (file.isEmpty()) return;
  std::string error;
  if (!ExportCurrentProfile(services_.DM, file.toStdString(), error))
    services_.showMessage(Tr(kWarningTitle), Tr(kSaveFailed) + QLatin1Char('\n') + QString::fromStdString(error));
}

TRestoreQuestion& TProfileBar::RestoreQuestion() {
  // Built when first asked: start-up need not style a question nobody has seen.
  if (!FRestoreQuestion) FRestoreQuestion = new TRestoreQuestion(services_.language, &window_);
  return *FRestoreQuestion;
}

void TProfileBar::BSBTNRESTOREClick() {
  RestoreQuestion().Ask(FQuestionTop, [this](bool yes) { RestoreAnswered(yes); });
}

void TProfileBar::RestoreAnswered(bool yes) {
  if (!yes) return;
  services_.DM.RestoreCurrentProfileInfoToDefault();
  services_.reloadPages();
  services_.state.ReportRateChanged = true;
  services_.state.SettingsModified = true;  // as a load: in memory until the next save
}

}  // namespace q9
