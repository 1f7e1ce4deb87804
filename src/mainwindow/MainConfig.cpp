#include "mainwindow/MainConfig.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QWindow>

#include "device/DeviceConfig.h"
#include "device/IniFile.h"
#include "gui/EventLoopPause.h"
#include "gui/QtScheduler.h"
#include "gui/Skin.h"
#include "gui/SkinPalette.h"
#include "gui/uiLanguageWidgets.h"
#include "gui/uiMenuExPopup.h"
#include "mainwindow/ButtonPage.h"
#include "mainwindow/LightPage.h"
#include "mainwindow/MouseSettingsPanel.h"
#include "mainwindow/ProgramOptions.h"
#include "mainwindow/ProfileBar.h"
#include "mainwindow/ReportRateOptions.h"
#include "mainwindow/SensitivityPage.h"
#include "mainwindow/showdialog.h"
#include "platform/Backends.h"

namespace q9 {

namespace {

constexpr int kMargin = 13;
constexpr QRect kTopBarRect{kMargin, 8, 792, 82};
constexpr QRect kPageAreaRect{kMargin, 92, 792, 362};
constexpr QRect kProfileBarRect{17, 458, 785, 64};
constexpr QRect kBottomBarRect{kMargin, 526, 792, 60};
constexpr int kTabHeight = 33;
constexpr int kTabWidth = 200;

constexpr const char* kApplicationTitle = "Gaming Mouse Settings";
constexpr const char* kVersionText = "Driver Version: 1.1 Firmware Version:3.2";
constexpr const char* kSaveQuestion = "The mouse setting has been changed, save the current setting anyway?";
constexpr const char* kSaveFailed = "The settings could not be saved. Close anyway?";
constexpr const char* kApplyFailed = "The settings did not reach the mouse.";
constexpr const char* kFramesLost = "%1 of %2 frames did not reach the mouse.";
constexpr const char* kProfileNotConvertible = "%1 cannot be converted for the mouse: %2";
constexpr const char* kStoppedAnswering = "The mouse stopped answering: %1 of %2 frames went through.";
constexpr const char* kDeviceBusy = "Another program is writing to the mouse; try again when it has finished.";
constexpr const char* kUnreadableIntro = "These settings could not be read and are left as they are:";
constexpr const char* kUnreadableQuestion = "OK replaces them with factory settings at the next save; Cancel keeps them.";
constexpr const char* kProgramSettings = "Program settings";
constexpr int kProfileCount = 5;

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, const char* role, QSize size) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  if (role) button->setProperty("q9role", QString::fromLatin1(role));
  button->setFixedSize(size);
  button->setFocusPolicy(Qt::TabFocus);  // a click does not leave a focus frame behind
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, const char* role = nullptr) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  if (name) label->setObjectName(QString::fromLatin1(name));
  if (role) label->setProperty("q9role", QString::fromLatin1(role));
  return label;
}

/// A label showing data (an address, a number): never translated.
QLabel* MakeDataLabel(QWidget* parent, const char* name, const std::string& text, const char* role = nullptr) {
  QLabel* label = MakeLabel(parent, name, "", role);
  label->setText(QString::fromStdString(text));
  label->setProperty(kNoTranslateProperty, true);
  return label;
}

// A column of the help page; a text that grows when translated pushes the rest down.
QVBoxLayout* Column(QBoxLayout* row, const std::initializer_list<QWidget*>& widgets) {
  auto* column = new QVBoxLayout;
  column->setSpacing(10);
  for (QWidget* widget : widgets) column->addWidget(widget, 0, Qt::AlignLeft);
  column->addStretch(1);
  row->addLayout(column, 1);
  return column;
}
}  // namespace

SupportContacts ReadSupportContacts(const std::filesystem::path& configFile) {
  const IniFile ini = IniFile::Load(configFile);
  return {ini.ReadString("SUPPORT", "UpdateWebsite", "https://q9-gaming.example/support/downloads"),
          ini.ReadString("SUPPORT", "CompanyWebsite", "https://q9-gaming.example/"),
          ini.ReadString("SUPPORT", "ServiceCall", "+1 555 0100")};
}

std::filesystem::path MonitorProgramPath(const std::filesystem::path& programFolder) {
#ifdef _WIN32
  return programFolder / "zoGMMonitor.exe";
#else
  return programFolder / "zoGMMonitor";
#endif
}

namespace {

// The profile as its button in the profile bar names it.
QString ProfileName(const TuiLanguage& language, int profileIndex) {
  return TranslatedText(language, "Profile #" + std::to_string(profileIndex + 1));
}

// Why the mouse did not take the settings, for a result that did not reach it.
QString DeviceFailureReason(const ApplyResult& result, const TuiLanguage& language) {
  const QString message = QString::fromStdString(result.message);
  switch (result.outcome) {
    case ApplyOutcome::FramesFailed:
      if (result.stoppedAnswering)
        return TranslatedText(language, kStoppedAnswering)
            .arg(result.framesSent - result.framesFailed)
            .arg(result.framesPlanned);
      return TranslatedText(language, kFramesLost).arg(result.framesFailed).arg(result.framesSent);
    case ApplyOutcome::ConversionFailed:
      if (result.failedProfile < 0 || result.failedProfile >= kProfileCount) break;
      return TranslatedText(language, kProfileNotConvertible).arg(ProfileName(language, result.failedProfile), message);
    case ApplyOutcome::DeviceBusy:
      return TranslatedText(language, kDeviceBusy);
    default:
      break;
  }
  // An outcome without its own text here still tells its reason, translated where the table has it.
  return TranslatedText(language, result.message);
}

}  // namespace

QString ApplyFailureText(const ApplyResult& result, const TuiLanguage& language) {
  QStringList lines;
  if (!result.saved) lines << TranslatedText(language, kSettingsNotSaved) << QString::fromStdString(result.saveError);
  // Without a mouse the warning to connect it has been shown already.
  if (result.outcome != ApplyOutcome::Applied && result.outcome != ApplyOutcome::NotConnected) {
    lines << TranslatedText(language, kApplyFailed);
    const QString reason = DeviceFailureReason(result, language);
    if (!reason.isEmpty()) lines << reason;
  }
  lines.removeAll(QString());
  return lines.join(QLatin1Char('\n'));
}

QString UnreadableValuesText(const std::vector<UnreadableValue>& values, const TuiLanguage& language) {
  if (values.empty()) return {};
  QStringList lines{TranslatedText(language, kUnreadableIntro)};
  for (const UnreadableValue& value : values) {
    const QString what = value.profileIndex < 0 ? TranslatedText(language, kProgramSettings)
                                                : ProfileName(language, value.profileIndex);
    lines << QStringLiteral("%1: %2 (%3)").arg(what, QString::fromStdString(value.valueName),
                                                QString::fromStdString(value.reason));
  }
  lines << TranslatedText(language, kUnreadableQuestion);
  return lines.join(QLatin1Char('\n'));
}

TqvGMConfigMain::TqvGMConfigMain(MainWindowServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), DM(services_.DM), FProgress(services_.scheduler) {
  setObjectName(QString::fromLatin1(kConfigWindowClass));
  setWindowTitle(QString::fromLatin1(kConfigWindowCaption));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(skin::WindowFont());
  setWindowIcon(skin::ProgramIcon());

  FLanguage = std::make_unique<TuiLanguage>(services_.locale, services_.programFolder);
  FMessageDispatcher = std::make_unique<BlockingDispatcher>(this);
  FChannel = std::make_unique<TuiSTDCommand>(services_.transport, services_.scheduler,
                                             services_.programFolder / kConfigFileName);
  FContacts = ReadSupportContacts(services_.programFolder / kConfigFileName);
  if (services_.hookLibrary == nullptr || services_.hookKeyState == nullptr) {
    HookBackend hook = MakeHookBackend();
    FOwnHookLibrary = std::move(hook.library);
    FOwnHookKeyState = std::move(hook.keyState);
    services_.hookLibrary = FOwnHookLibrary.get();
    services_.hookKeyState = FOwnHookKeyState.get();
  }

  auto translate = [this](const std::string& caption) { return TranslatedText(*FLanguage, caption); };
  FMenuButtonsPopup = std::make_unique<TuiMenuExPopup>(FMenuButtons, this, translate);
  FMenuOptionsPopup = std::make_unique<TuiMenuExPopup>(FMenuOptions, this, translate);
  FMenuMemoryPopup = std::make_unique<TuiMenuExPopup>(FMenuMemory, this, translate);
  BuildTopBar();
  BuildPageArea();
  BuildProfileBar();
  BuildBottomBar();
  BuildCommands();
  BuildProgramOptions();
  BuildProfileLogic();
  RegisterFormWidgets(*FLanguage, this);
  // The buttons that show only a picture are read out by what their tool tips say.
  NameIconButtons(*FLanguage);
  FLanguage->RegisterForm([this](const TuiLanguage& language) { NameIconButtons(language); });
  MessageDialogCreated = [this](QWidget* dialog) { RegisterFormWidgets(*FLanguage, dialog); };

  ConnectProgress();
  FormCreate();
  ConnectDevice();
  ListenForMessages();

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

HookServices TqvGMConfigMain::RecordingHookServices() {
  return {*services_.hookLibrary, *services_.hookKeyState,
          [this](const std::string& text, const std::string& caption) {
            ShowMessageDialog(TranslatedText(*FLanguage, caption), TranslatedText(*FLanguage, text), 0, this);
          }};
}

TqvGMConfigMain::~TqvGMConfigMain() {
  FMessageDispatcher->Abandon();
  services_.messaging.StopListening();
  MessageDialogCreated = nullptr;
}

// ---- Building the frame ----------------------------------------------------------------------

void TqvGMConfigMain::BuildTopBar() {
  TopBar = new QWidget(this);
  TopBar->setObjectName("TopBar");
  TopBar->setGeometry(kTopBarRect);
  TopBar->installEventFilter(this);

  LabelVersion = MakeLabel(TopBar, "LabelVersion", kVersionText);
  QFont bold = skin::WindowFont(9, true);
  LabelVersion->setFont(bold);
  LabelVersion->move(14, 10);

  PopupBoxLanguage = new QComboBox(TopBar);
  PopupBoxLanguage->setObjectName("PopupBoxLanguage");
  PopupBoxLanguage->setProperty(kNoTranslateProperty, true);
  PopupBoxLanguage->move(560, 6);
  PopupBoxLanguage->hide();

  LabelProductName = MakeLabel(TopBar, "LabelProductName", "Q9 Gaming Mouse");
  LabelProductName->setFont(skin::WindowFont(21, true));
  auto* glow = new QGraphicsDropShadowEffect(LabelProductName);
  glow->setColor(QColor(0x3d, 0xdc, 0x84));
  glow->setBlurRadius(18);
  glow->setOffset(0, 0);
  LabelProductName->setGraphicsEffect(glow);
  LabelProductName->move(14, 30);
  LabelProductName->hide();
  Label16 = MakeLabel(TopBar, "Label16", "Mouse Configurations");
  Label16->move(300, 44);
  Label16->hide();

  BSBTNOPTIONS = MakeButton(TopBar, "BSBTNOPTIONS", "", nullptr, {22, 22});
  BSBTNOPTIONS->setIcon(skin::OptionsIcon());
  BSBTNOPTIONS->move(720, 6);
  BSBTNOPTIONS->hide();
  BSBTNCLOSE = MakeButton(TopBar, "BSBTNCLOSE", "", nullptr, {24, 22});
  BSBTNCLOSE->setIcon(skin::CloseIcon());
  BSBTNCLOSE->move(kTopBarRect.width() - 24 - 4, 6);
  BSBTNCLOSE->setToolTip("CLOSE");
  BSBTNMIN = MakeButton(TopBar, "BSBTNMIN", "", nullptr, {22, 22});
  BSBTNMIN->setIcon(skin::MinimiseIcon());
  BSBTNMIN->move(BSBTNCLOSE->x() - 22 - 4, 6);
  BSBTNMIN->setToolTip("Minimize");
  connect(BSBTNCLOSE, &QPushButton::clicked, this, [this] { BSBTNCLOSEClick(); });
  connect(BSBTNMIN, &QPushButton::clicked, this, [this] { BSBTNMINClick(); });

  ProgressBarTime = new QProgressBar(TopBar);
  ProgressBarTime->setObjectName("ProgressBarTime");
  ProgressBarTime->setGeometry(0, kTopBarRect.height() - 5, kTopBarRect.width(), 5);
  ProgressBarTime->setRange(0, 100);
  ProgressBarTime->setValue(0);
  ProgressBarTime->setTextVisible(false);
  ProgressBarTime->hide();
}

void TqvGMConfigMain::BuildPageArea() {
  auto* area = new QWidget(this);
  area->setObjectName("PageArea");
  area->setGeometry(kPageAreaRect);

  static constexpr std::array<const char*, kPageCount> kTabNames{"BtnMainConfig", "BtnCPI", "BtnColor", "BtnUpdate"};
  static constexpr std::array<const char*, kPageCount> kTabTexts{"MAIN SETTING", "SENSITIVITY", "COLOR CONTROL",
                                                                 "HELP/SUPPORT"};
  static constexpr std::array<const char*, kPageCount> kPageNames{"PageMain", "PageCPI", "PageColor", "PageHelp"};
  auto* tabs = new QButtonGroup(this);
  tabs->setExclusive(true);
  TabControlMain = new QStackedWidget(area);
  TabControlMain->setObjectName("TabControlMain");
  TabControlMain->setGeometry(0, kTabHeight, kPageAreaRect.width(), kPageAreaRect.height() - kTabHeight);
  for (int tag = 0; tag < kPageCount; ++tag) {
    QPushButton* tab = MakeButton(area, kTabNames[tag], kTabTexts[tag], "tab", {kTabWidth, kTabHeight});
    tab->setCheckable(true);
    tab->setProperty("tag", tag);
    tab->move(tag * kTabWidth, 0);
    tab->installEventFilter(this);  // pages switch on mouse-up
    tabs->addButton(tab, tag);
    FTabButtons[tag] = tab;
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(kPageNames[tag]));
    TabControlMain->addWidget(page);
  }
  FTabButtons[3]->hide();
  BuildMainPage(TabControlMain->widget(0));
  FPageBuilt[0] = true;
  // The help page's tab is hidden; F1 is the way there.
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, [this] { SelectPage(3); });
}

// The button assignment fills the left part, the system mouse settings the right-hand column.
void TqvGMConfigMain::BuildMainPage(QWidget* page) {
  FButtonPage = new TButtonPage({DM, *FLanguage, FMenuButtons, *FMenuButtonsPopup, [this] { return RecordingHookServices(); },
                                 [this] { SetSettingsModified(true); }, [this] { CopyWorkingSettings(); }, this},
                                page);
  FMouseSettingsPanel = new TMouseSettingsPanel({DM, *FLanguage, FState.MouseParams, services_.mouseSettings,
                                                 [this] {
                                                   SetMouseParamsChanged(true);
                                                   SetSettingsModified(true);
                                                 }},
                                                page);
  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(FButtonPage, 0, Qt::AlignTop);
  row->addStretch(1);
  row->addWidget(FMouseSettingsPanel);
}

bool TqvGMConfigMain::PageBuilt(int pageIndex) const {
  return pageIndex >= 0 && pageIndex < kPageCount && FPageBuilt[static_cast<std::size_t>(pageIndex)];
}

void TqvGMConfigMain::EnsurePageBuilt(int pageIndex) {
  if (pageIndex < 0 || pageIndex >= kPageCount || PageBuilt(pageIndex)) return;
  FPageBuilt[static_cast<std::size_t>(pageIndex)] = true;
  BuildPage(pageIndex);
}

// A page built late shows what the earlier refreshes would have shown it, in the current language.
// Showing the stored values moves its controls, which is no change of the user's.
void TqvGMConfigMain::BuildPage(int pageIndex) {
  QWidget* page = TabControlMain->widget(pageIndex);
  const bool modified = FState.SettingsModified;
  switch (pageIndex) {
    case 1:
      BuildSensitivityPage(page);
      FSensitivityPage->RefreshCpi();
      break;
    case 2:
      BuildLightPage(page);
      FLightPage->SetLED();
      break;
    case 3:
      BuildHelpPage(page);
      break;
    default:
      return;
  }
  ApplyCursorsToPage(pageIndex);
  TranslateWidgetTree(*FLanguage, page);
  FState.SettingsModified = modified;
}

TLightPage& TqvGMConfigMain::LightPage() {
  EnsurePageBuilt(2);
  return *FLightPage;
}

void TqvGMConfigMain::BuildSensitivityPage(QWidget* page) {
  FSensitivityPage = new TSensitivityPage({DM, *FLanguage, [this] { SetSettingsModified(true); }}, page);
  auto* fill = new QVBoxLayout(page);
  fill->setContentsMargins(0, 0, 0, 0);
  fill->addWidget(FSensitivityPage);
}

void TqvGMConfigMain::BuildLightPage(QWidget* page) {
  FLightPage = new TLightPage({DM, *FChannel, *FLanguage, [this] { FState.SettingsModified = true; }}, page);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FLightPage);
}

void TqvGMConfigMain::BuildHelpPage(QWidget* page) {
  QLabel* hardware = MakeLabel(page, nullptr, "Hardware & Software Information:", "heading");
  QLabel* hardwareCore = MakeLabel(page, nullptr, "Hardware Core:3.2");
  QLabel* softwareCore = MakeLabel(page, nullptr, "Software Core:1.1");
  QLabel* updateSite = MakeLabel(page, nullptr, "Software Update Website:", "muted");
  QLabel* website = MakeDataLabel(page, "LabelWebsite", FContacts.updateWebsite, "link");
  QPushButton* goUpdate = MakeButton(page, "BSBTNGOUPDATE", "Go", "action", {90, 28});

  QLabel* help = MakeLabel(page, nullptr, "Help & Support:", "heading");
  QLabel* helpText =
      MakeLabel(page, nullptr, "The help contains the mouse properties and useful information that you want to know.");
  helpText->setWordWrap(true);
  helpText->setFixedWidth(330);
  QLabel* companySite = MakeLabel(page, nullptr, "Company Website:", "muted");
  QLabel* company = MakeDataLabel(page, "LabelCompanyWebsite", FContacts.companyWebsite, "link");
  QPushButton* goCompany = MakeButton(page, "BSBTNGOCOMPANYWEBSITE", "Go", "action", {90, 28});
  QLabel* call = MakeLabel(page, nullptr, "Service Call:", "muted");
  QLabel* phone = MakeDataLabel(page, "LabelServiceCall", FContacts.serviceCall);

  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(36, 30, 36, 20);
  row->setSpacing(48);
  Column(row, {hardware, hardwareCore, softwareCore, updateSite, website, goUpdate});
  QVBoxLayout* right = Column(row, {help, helpText, companySite, company, goCompany, call, phone});
  right->insertSpacing(right->indexOf(call), 8);

  connect(goUpdate, &QPushButton::clicked, this, [this, website] { OpenAddressOf(website); });
  connect(goCompany, &QPushButton::clicked, this, [this, company] { OpenAddressOf(company); });
  for (QLabel* link : {website, company}) {
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);  // the address opens on a click too
  }
}

void TqvGMConfigMain::NameIconButtons(const TuiLanguage& language) {
  BSBTNCLOSE->setAccessibleName(TranslatedText(language, "CLOSE"));
  BSBTNMIN->setAccessibleName(TranslatedText(language, "Minimize"));
}

void TqvGMConfigMain::OpenAddressOf(const QLabel* label) { services_.shell.OpenDocument(label->text().toStdString()); }

void TqvGMConfigMain::BuildProfileBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("ProfileBar");
  bar->setGeometry(kProfileBarRect);
  QLabel* title = MakeLabel(bar, "LabelGameProfiles", "Game Profiles", "heading");
  title->move(4, 4);
  int right = kProfileBarRect.width();
  for (auto [name, text, width] : {std::tuple{"BSBTNRESTORE", "Restore Defaults", 130},
                                   std::tuple{"BSBTNSAVEPROFILE", "Save Profile", 110},
                                   std::tuple{"BSBTNLOADPROFILE", "Load Profile", 110}}) {
    right -= width;
    MakeButton(bar, name, text, "action", {width, 24})->move(right, 2);
    right -= 6;
  }
  auto* profiles = new QButtonGroup(this);
  for (int index = 0; index < 5; ++index) {
    const std::string name = "BSBTNPROFILE" + std::to_string(index + 1);
    const std::string text = "Profile #" + std::to_string(index + 1);
    QPushButton* button = MakeButton(bar, name.c_str(), text.c_str(), "profile", {157, 32});
    button->setCheckable(true);
    button->setProperty("tag", index);
    button->move(index * 157, 30);
    profiles->addButton(button, index);
    FProfileButtons[static_cast<std::size_t>(index)] = button;
  }
}

void TqvGMConfigMain::BuildBottomBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("BottomBar");
  bar->setGeometry(kBottomBarRect);
  auto* modes = new QButtonGroup(this);
  for (int mode = 0; mode < 2; ++mode) {
    const std::string name = "BTNMODE" + std::to_string(mode + 1);
    const std::string text = "Mode" + std::to_string(mode + 1);
    QPushButton* button = MakeButton(bar, name.c_str(), text.c_str(), "mode", {94, 29});
    button->setCheckable(true);
    button->setProperty("tag", mode);
    button->move(8 + mode * 100, 15);
    modes->addButton(button, mode);
    const std::string hidden = "BSBTNMODE" + std::to_string(mode + 1);
    MakeButton(bar, hidden.c_str(), "", nullptr, {22, 22})->hide();
  }
  modes->button(0)->setChecked(true);
  QLabel* tips = MakeLabel(bar, "LabelTipsContent", "Report Rate Option:");
  tips->move(214, 21);
  FReportRateOptions = new TReportRateOptions({DM, *FLanguage,
                                               [this] {
                                                 SetReportRateChanged(true);
                                                 SetSettingsModified(true);
                                               }},
                                              tips);

  int right = kBottomBarRect.width() - 8;
  for (auto [name, text, width, role] : {std::tuple{"BSBTNCANCEL", "CANCEL", 84, "action"},
                                         std::tuple{"BSBTNAPPLY", "APPLY", 72, "primary"},
                                         std::tuple{"BSBTNOK", "OK", 55, "action"}}) {
    right -= width;
    QPushButton* button = MakeButton(bar, name, text, role, {width, 29});
    button->move(right, 15);
    right -= 8;
  }
  BSBTNCANCEL = bar->findChild<QPushButton*>("BSBTNCANCEL");
  BSBTNAPPLY = bar->findChild<QPushButton*>("BSBTNAPPLY");
  BSBTNOK = bar->findChild<QPushButton*>("BSBTNOK");
  connect(BSBTNCANCEL, &QPushButton::clicked, this, [this] { BSBTNCANCELClick(); });
  connect(BSBTNAPPLY, &QPushButton::clicked, this, [this] { BSBTNAPPLYClick(); });
  connect(BSBTNOK, &QPushButton::clicked, this, [this] { BSBTNOKClick(); });
}

void TqvGMConfigMain::BuildProfileLogic() {
  FProfileBar = new TProfileBar({DM, *FChannel, *FLanguage, FState, FMenuMemory, *FMenuMemoryPopup,
                                 [this](int profile) { SelectProfile(profile); },
                                 [this](int milliseconds) { Pause(milliseconds); },
                                 [this] {
                                   CopyWorkingSettings();
                                   FButtonPage->RebuildMacroMenu();
                                   RefreshAllPages();
                                 },
                                 [this](const QString& title, const QString& text) {
                                   ShowMessageDialog(title, text, 0, this);
                                 }},
                                *this, kTopBarRect.y());
}

int TqvGMConfigMain::SelectedMode() const { return FProfileBar->SelectedMode(); }

void TqvGMConfigMain::BuildCommands() {
  using Handler = void (TqvGMConfigMain::*)();
  static constexpr std::array<std::pair<const char*, Handler>, 7> kCommands{{
      {"SetButton", &TqvGMConfigMain::uiCommandSetting1Commands0Execute},
      {"SetCPI", &TqvGMConfigMain::uiCommandSetting1Commands1Execute},
      {"SetMouseParam", &TqvGMConfigMain::uiCommandSetting1Commands2Execute},
      {"SetProfileBtn", &TqvGMConfigMain::uiCommandSetting1Commands3Execute},
      {"SetReport", &TqvGMConfigMain::uiCommandSetting1Commands4Execute},
      {"SetLED", &TqvGMConfigMain::uiCommandSetting1Commands5Execute},
      {"SetButtonEasyShift", &TqvGMConfigMain::uiCommandSetting1Commands6Execute},
  }};
  for (const auto& [name, handler] : kCommands)
    FCommandSetting.Commands().Add(name).OnExecute = [this, handler](TuiGetSet, void*, std::uint32_t) { (this->*handler)(); };
}

void TqvGMConfigMain::BuildProgramOptions() {
  FProgramOptions = new TProgramOptions(
      {DM, *FLanguage, FMenuOptions, PopupBoxLanguage, services_.messaging, this,
       [this](const WindowMessage& message) {
         QMetaObject::invokeMethod(this, [this, message] { HandleWindowMessage(message); }, Qt::QueuedConnection);
       },
       [this] { ApplyLanguage(); },
       [this] {
         SetReportRateChanged(true);
         SetSettingsModified(true);
       }},
      this);
  connect(BSBTNOPTIONS, &QPushButton::clicked, FProgramOptions, &TProgramOptions::BSBTNOPTIONSClick);
}

void TqvGMConfigMain::ConnectProgress() {
  FProgress.OnChanged = [this] { TimerProcessChanged(); };
  FProgress.ProcessMessages = [] { QCoreApplication::processEvents(); };
}

void TqvGMConfigMain::ConnectDevice() {
  FChannel->OnDeviceArrialEvent = [this] { uiSTDCommand1DeviceArrialEvent(); };
  // A mouse that answers slowly must not freeze the window: its events run while a frame waits.
  FChannel->OnWaitForDevice = [this] { Pause(0); };
  if (services_.notifications) FChannel->AttachNotifications(*services_.notifications);
}

void TqvGMConfigMain::ListenForMessages() {
  services_.messaging.Listen(kConfigWindowClass, kConfigWindowCaption,
                             [this](const WindowMessage& message) { return HandleWindowMessage(message); },
                             FMessageDispatcher->AsDispatch());
}

// ---- Start-up ----------------------------------------------------------------------------------

void TqvGMConfigMain::FormCreate() {
  FillLanguageChooser();
  QGuiApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
  FState.MouseParamsChanged = false;
  ApplyLanguage();
  UpdateTitleAndLayout();
  FState.DeviceMode = 0;
  FButtonPage->Assignment().FCurrentMacro = 0;
  FMouseSettingsPanel->ArmTestAreaCentring();
  FTabButtons[0]->setChecked(true);
  SelectPage(0);
  CopyWorkingSettings();
  FButtonPage->RebuildMacroMenu();
  RefreshAllPages();
  FProgramOptions->RefreshOptionsMenu();
  SelectStoredLanguageInChooser();
  const auto& locations = DM.FAllProfileSettingInfo.ReservedData.IntegerData;
  FProfileBar->SetModeProfiles(locations[kSlotMode1Profile], locations[kSlotMode2Profile], false);
  SelectProfile(DM.FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile]);
  FCursorsPending = true;  // read from their files once the window is on screen
  FState.SettingsModified = false;
}

void TqvGMConfigMain::FillLanguageChooser() {
  const QSignalBlocker filling(PopupBoxLanguage);  // filling is no choice of the user's
  PopupBoxLanguage->clear();
  for (const TLanguageResource& resource : FLanguage->Resources().languages)
    PopupBoxLanguage->addItem(QString::fromStdString(FLanguage->GetLanguageLongNameByLangID(resource.name)));
}

void TqvGMConfigMain::SelectStoredLanguageInChooser() {
  const int stored = DM.FAllProfileSettingInfo.CurrentLanguage;
  PopupBoxLanguage->setCurrentIndex(stored > 2 ? 0 : stored);
}

void TqvGMConfigMain::CopyWorkingSettings() {
  const TMouseSettingInfoEasyShiftEx& settings = DM.FCurrentMouseSettingInfo;
  FState.MouseParams = {settings.PointerSpeed, settings.VWheelSpeed, settings.PointerAcceleration};
  if (FLightPage) FLightPage->ReloadWorkingCopy();
}

void TqvGMConfigMain::LoadCursors() {
  const QString folder = QString::fromStdString((services_.programFolder / "image").string());
  FHandCursor = skin::LoadCursorFile(folder + "/hand.cur");
  FSliderCursor = skin::LoadCursorFile(folder + "/attack.cur");
  if (FSliderCursor) FMouseSettingsPanel->SetSliderCursor(*FSliderCursor);
  if (FHandCursor)
    for (QPushButton* tab : FTabButtons) tab->setCursor(*FHandCursor);
  for (int pageIndex = 1; pageIndex < kPageCount; ++pageIndex)
    if (PageBuilt(pageIndex)) ApplyCursorsToPage(pageIndex);
}

void TqvGMConfigMain::ApplyCursorsToPage(int pageIndex) {
  if (pageIndex == 1 && FSensitivityPage)
    FSensitivityPage->SetCursors(FHandCursor ? &*FHandCursor : nullptr, FSliderCursor ? &*FSliderCursor : nullptr);
  if (pageIndex != 3 || !FHandCursor) return;
  for (const char* name : {"BSBTNGOUPDATE", "BSBTNGOCOMPANYWEBSITE"})
    if (auto* button = TabControlMain->widget(3)->findChild<QPushButton*>(name)) button->setCursor(*FHandCursor);
}

void TqvGMConfigMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TqvGMConfigMain::FormShow() {
  FState.ReportRateChanged = false;
  if (services_.messaging.FindWindowOfClass(kMonitorWindowClass))
    services_.shell.BringWindowToFront(kMonitorWindowClass);
  else
    services_.shell.StartProgram(MonitorProgramPath(services_.programFolder), services_.programFolder);
  UpdateTitleAndLayout();
  if (!FUnreadableAsked) {
    FUnreadableAsked = true;
    QTimer::singleShot(0, this, &TqvGMConfigMain::AskAboutUnreadableValues);
  }
}

// A value that exists but cannot be read is never saved over without the user's word.
void TqvGMConfigMain::AskAboutUnreadableValues() {
  const QString text = UnreadableValuesText(DM.UnreadableValues(), *FLanguage);
  if (text.isEmpty()) return;
  if (ShowMessageDialog(Tr(kWarningTitle), text, 0, this) == 1) DM.SetOverwriteUnreadable(true);
}

// ---- Language, title and pages -----------------------------------------------------------------

QString TqvGMConfigMain::Tr(const char* text) const { return TranslatedText(*FLanguage, text); }

void TqvGMConfigMain::ApplyLanguage() {
  const int stored = DM.FAllProfileSettingInfo.CurrentLanguage;
  if (FLanguage->GetLanguageIndexByShortID(FLanguage->Lang()) != stored) {
    const std::string shortID = FLanguage->GetLanguageShortIDByIndex(stored);
    if (!shortID.empty()) FLanguage->SetLang(shortID);
  }
  UpdateTitleAndLayout();
}

void TqvGMConfigMain::UpdateTitleAndLayout() {
  QGuiApplication::setApplicationDisplayName(Tr(kApplicationTitle));
  {
    const QSignalBlocker detached(PopupBoxLanguage);
    const int stored = DM.FAllProfileSettingInfo.CurrentLanguage;
    if (stored < PopupBoxLanguage->count()) PopupBoxLanguage->setCurrentIndex(stored);
  }
  LabelVersion->setFixedWidth(QFontMetrics(LabelVersion->font()).horizontalAdvance(LabelVersion->text()) + 20);
  const QString shown = PopupBoxLanguage->currentIndex() >= 0 ? PopupBoxLanguage->currentText()
                                                              : PopupBoxLanguage->itemText(0);
  PopupBoxLanguage->setFixedWidth(QFontMetrics(PopupBoxLanguage->font()).horizontalAdvance(shown) + 30);
  FButtonPage->RebuildMacroMenu();
}

void TqvGMConfigMain::RefreshAllPages() {
  // Showing a profile is no edit: a control's change handler that the refresh sets off must not
  // leave the settings marked modified.
  const bool modified = FState.SettingsModified;
  FCommandSetting.SetData(&DM, sizeof DM);
  FState.SettingsModified = modified;
}

int TqvGMConfigMain::CurrentPage() const { return TabControlMain->currentIndex(); }

void TqvGMConfigMain::SelectPage(int pageIndex) {
  if (pageIndex < 0 || pageIndex >= kPageCount) return;
  EnsurePageBuilt(pageIndex);
  TabControlMain->setCurrentIndex(pageIndex);
  for (int tag = 0; tag < kPageCount; ++tag) FTabButtons[static_cast<std::size_t>(tag)]->setChecked(tag == pageIndex);
}

void TqvGMConfigMain::SelectProfile(int profileIndex) {
  if (!DM.SwitchToProfile(profileIndex, 0)) return;
  FButtonPage->RebuildMacroMenu();
  FButtonPage->SelectButtonGroup(0);  // also reloads the pointer block and the light working copy
  RefreshAllPages();
}

void TqvGMConfigMain::uiCommandSetting1Commands0Execute() { FButtonPage->RefreshButtonCaptions(); }
void TqvGMConfigMain::uiCommandSetting1Commands6Execute() { FButtonPage->SetButtonEasyShift(); }

void TqvGMConfigMain::uiCommandSetting1Commands1Execute() {
  if (FSensitivityPage) FSensitivityPage->RefreshCpi();
}
void TqvGMConfigMain::uiCommandSetting1Commands2Execute() { FMouseSettingsPanel->SetMouseParam(); }
void TqvGMConfigMain::uiCommandSetting1Commands4Execute() { FReportRateOptions->RefreshReportRate(); }
void TqvGMConfigMain::uiCommandSetting1Commands5Execute() {
  if (FLightPage) FLightPage->SetLED();
}

void TqvGMConfigMain::uiCommandSetting1Commands3Execute() {
  for (std::size_t index = 0; index < FProfileButtons.size(); ++index)
    FProfileButtons[index]->setChecked(static_cast<int>(index) == DM.FProfileIndex);
}

// ---- Device, apply and progress ----------------------------------------------------------------

void TqvGMConfigMain::uiSTDCommand1DeviceArrialEvent() { SetApplyAllowed(true); }

void TqvGMConfigMain::TimerProcessChanged() {
  ProgressBarTime->setValue(FProgress.Value());
  ProgressBarTime->setVisible(FProgress.Visible());
}

void TqvGMConfigMain::Pause(int milliseconds) {
  if (services_.pause) {
    services_.pause(milliseconds);
    return;
  }
  RunEventsFor(milliseconds);
}

ApplyHooks TqvGMConfigMain::MakeApplyHooks() {
  ApplyHooks hooks;
  hooks.ProgressPause = [this](int milliseconds) { Pause(milliseconds); };
  hooks.StartProgress = [this](int intervalMs) { FProgress.Start(intervalMs); };
  hooks.ShowNotConnected = [this](const std::string& title, const std::string& text) {
    ShowMessageDialog(Tr(title.c_str()), Tr(text.c_str()), 0, this);
  };
  hooks.SendToMonitor = [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::intptr_t result = 0;
    services_.messaging.Send(kMonitorWindowClass, {message, wParam, lParam}, result);
  };
  hooks.DisableApply = [this] { SetApplyAllowed(false); };
  if (SystemMouseSettings* system = services_.mouseSettings)
    hooks.ApplyPointerSettings = [system](std::uint8_t* buffer, std::uint32_t size) {
      ApplyPointerSettingsBuffer(buffer, size, *system);
    };
  return hooks;
}

// While an apply runs both OK and APPLY are disabled: an apply started from the other button
// during the pauses of the first would interleave its frames with the first one's.
void TqvGMConfigMain::ShowApplyButtons() {
  BSBTNAPPLY->setEnabled(FApplyAllowed && !FApplying);
  BSBTNOK->setEnabled(!FApplying);
}

void TqvGMConfigMain::SetApplyAllowed(bool allowed) {
  FApplyAllowed = allowed;
  ShowApplyButtons();
}

bool TqvGMConfigMain::RunApply() {
  FApplying = true;
  ShowApplyButtons();
  const ApplyResult result = ApplySettingsToDevice(DM, *FChannel, FState, MakeApplyHooks());
  FApplying = false;
  ShowApplyButtons();
  ReportApplyFailure(result);
  if (FCloseAfterApply) QTimer::singleShot(0, this, &QWidget::close);
  return result.ok();
}

void TqvGMConfigMain::ReportApplyFailure(const ApplyResult& result) {
  const QString text = ApplyFailureText(result, *FLanguage);
  if (!text.isEmpty()) ShowMessageDialog(Tr(kWarningTitle), text, 0, this);
}

bool TqvGMConfigMain::BSBTNAPPLYClick() {
  if (FApplying) return false;
  SetApplyAllowed(false);
  const bool applied = RunApply();
  SetApplyAllowed(true);
  return applied;
}

bool TqvGMConfigMain::BSBTNOKClick() {
  if (FApplying) return false;
  const bool applied = RunApply();
  if (applied) FProgress.CloseWhenHidden([this] { close(); });
  return applied;
}

// ---- Closing -----------------------------------------------------------------------------------

bool TqvGMConfigMain::AskSaveChanges() {
  if (!FState.SettingsModified) return false;
  if (ShowMessageDialog(Tr(kWarningTitle), Tr(kSaveQuestion), 0, this) != 1) return false;
  // The program-wide record holds the memory-location choices; it is saved with the profiles.
  bool saved = DM.SaveBackAllProfileInfo();
  saved = DM.SaveBackToAllProfileSettingInfo() && saved;
  if (!saved) {
    FKeepOpen = ShowMessageDialog(Tr(kWarningTitle), Tr(kSaveFailed), 0, this) != 1;
    return false;
  }
  FState.SettingsModified = false;
  return true;
}

void TqvGMConfigMain::BSBTNCLOSEClick() { close(); }

void TqvGMConfigMain::closeEvent(QCloseEvent* event) {
  if (FApplying) {
    // The apply runs on this stack; the window closes once it has finished.
    FCloseAfterApply = true;
    event->ignore();
    return;
  }
  FKeepOpen = false;
  if (!FCloseWithoutQuestion) AskSaveChanges();
  if (FKeepOpen) {
    event->ignore();
    return;
  }
  FCloseWithoutQuestion = true;
  event->accept();
}

void TqvGMConfigMain::BSBTNMINClick() { showMinimized(); }

void TqvGMConfigMain::Terminate() {
  FCloseWithoutQuestion = true;
  if (services_.terminate) {
    services_.terminate();
    return;
  }
  close();
  QCoreApplication::quit();
}

std::intptr_t TqvGMConfigMain::HandleWindowMessage(const WindowMessage& message) {
  switch (message.message) {
    case MSG_CONFIG_CLOSE:
      Terminate();
      return 1;
    case MSG_PROFILE_CHANGED:
      if (static_cast<std::intptr_t>(message.wParam) == DM.FProfileIndex) {
        DM.LoadProfileInfoFromRegistry(DM.FProfileIndex);
        DM.ReadCurrentProfileInfo();
        qDebug("record change");
      }
      return 1;
    case MSG_LANGUAGE_REAPPLY:
      ApplyLanguage();
      return 1;
    default:
      return 0;
  }
}

// ---- Painting and moving -----------------------------------------------------------------------

void TqvGMConfigMain::paintEvent(QPaintEvent*) {
  if (FCursorsPending) {
    FCursorsPending = false;
    QTimer::singleShot(0, this, &TqvGMConfigMain::LoadCursors);
  }
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (const std::optional<QImage> background = skin::TakePreparedWindowBackground(size(), devicePixelRatioF())) {
    painter.drawImage(QPoint(0, 0), *background);
  } else {
    skin::PaintWindowBackground(painter, rect());
  }
  // The product's mark in the top bar: part of the window's artwork, like the background.
  const QRect emblem(kTopBarRect.x() + 14, kTopBarRect.y() + 34, 36, 36);
  skin::ProgramIcon().paint(&painter, emblem);
  QFont mark = skin::WindowFont(17, true);
  mark.setLetterSpacing(QFont::AbsoluteSpacing, 2);
  painter.setFont(mark);
  painter.setPen(skin::kAccent);
  painter.drawText(QRect(emblem.right() + 12, emblem.top(), 400, emblem.height()), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("Q9 GAMING MOUSE"));
}

bool TqvGMConfigMain::eventFilter(QObject* watched, QEvent* event) {
  // Every kind of event passes through here (child, paint, layout ones too): only a mouse event
  // may be read as one.
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
    return QWidget::eventFilter(watched, event);
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  if (watched == TopBar) {
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
      // The window manager moves the window where it can; otherwise it follows the pointer.
      if (windowHandle() && windowHandle()->startSystemMove()) return true;
      FDragging = true;
      FDragOffset = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
      return true;
    }
    if (type == QEvent::MouseMove && FDragging) {
      move(mouse->globalPosition().toPoint() - FDragOffset);
      return true;
    }
    if (type == QEvent::MouseButtonRelease) FDragging = false;
    return false;
  }
  if (type != QEvent::MouseButtonRelease) return QWidget::eventFilter(watched, event);
  if (auto* link = qobject_cast<QLabel*>(watched); link && link->property("q9role") == "link") {
    OpenAddressOf(link);
    return true;
  }
  auto* tab = qobject_cast<QPushButton*>(watched);
  if (tab && mouse->button() == Qt::LeftButton && tab->rect().contains(mouse->position().toPoint())) {
    QTimer::singleShot(0, this, [this, tag = tab->property("tag").toInt()] { SelectPage(tag); });
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace q9
