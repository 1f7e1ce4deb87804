#pragma once
// TqvGMConfigMain: the configuration window. It owns the frame every page lives in (top bar, tab
// buttons and pages, profile bar, bottom bar), the command setting component that refreshes the
// pages from the data module, the device channel, the progress display of an apply, the private
// messages with the monitor program and the help/support page.

#include <QCursor>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ApplyProgress.h"
#include "app/DataModule.h"
#include "components/uiCommandSetting.h"
#include "components/uiMenuEx.h"
#include "device/uiSTDCommand.h"
#include "input/HookServices.h"
#include "lang/uiLanguage.h"
#include "platform/DeviceNotifications.h"
#include "platform/DriverTransport.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "platform/SystemMouseSettings.h"
#include "platform/SystemLocale.h"
#include "platform/WindowMessaging.h"
#include "protocol/ApplySequence.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace q9 {

class BlockingDispatcher;
class TProgramOptions;
class TProfileBar;
class TReportRateOptions;
class TSensitivityPage;
class TuiMenuExPopup;
class TButtonPage;
class TLightPage;
class TMouseSettingsPanel;

/// What the window works with; everything outlives the window.
struct MainWindowServices {
  TDM& DM;
  Scheduler& scheduler;
  DriverTransport& transport;
  WindowMessaging& messaging;
  Shell& shell;
  const SystemLocale& locale;
  /// Where config.ini, ui.local, image/ and the monitor program are.
  std::filesystem::path programFolder;
  /// Null: no notifications of devices (only the start-up arrival comes).
  DeviceNotifications* notifications = nullptr;
  /// The pauses of an apply; empty: the event loop keeps running for the time given.
  PauseFunction pause;
  /// Ends the program without questions; empty: the application's event loop is left.
  std::function<void()> terminate;
  /// The system's pointer settings; null: the window changes none of them.
  SystemMouseSettings* mouseSettings = nullptr;
  /// The hook library and its key state for the recording dialogs; null: the window makes the
  /// platform's own (MakeHookBackend) and keeps them.
  HookLibrary* hookLibrary = nullptr;
  const KeyStateSource* hookKeyState = nullptr;
};

/// The addresses of the help/support page, from the [SUPPORT] section of config.ini.
struct SupportContacts {
  std::string updateWebsite;
  std::string companyWebsite;
  std::string serviceCall;
};
SupportContacts ReadSupportContacts(const std::filesystem::path& configFile);

/// The monitor program beside this one.
std::filesystem::path MonitorProgramPath(const std::filesystem::path& programFolder);

/// What the user is told after an apply that did not fully work: that the settings were not saved
/// (and why), and that they did not reach the mouse and why (the frames lost, the mouse that
/// stopped answering, another program writing to it, the profile that cannot be converted, or the
/// result's own message). Empty when there is nothing to tell: the apply went through, or there was
/// no mouse and everything was saved (the sequence has shown its own warning then).
QString ApplyFailureText(const ApplyResult& result, const TuiLanguage& language);
/// The start-up question about stored values that exist but could not be read; empty when none.
QString UnreadableValuesText(const std::vector<UnreadableValue>& values, const TuiLanguage& language);

class TqvGMConfigMain : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 819;
  static constexpr int kClientHeight = 595;
  static constexpr int kPageCount = 4;

  explicit TqvGMConfigMain(MainWindowServices services, QWidget* parent = nullptr);
  ~TqvGMConfigMain() override;

  // The window-wide state the pages and the apply sequence share.
  bool SettingsModified() const { return FState.SettingsModified; }
  void SetSettingsModified(bool value) { FState.SettingsModified = value; }
  bool ReportRateChanged() const { return FState.ReportRateChanged; }
  void SetReportRateChanged(bool value) { FState.ReportRateChanged = value; }
  bool MouseParamsChanged() const { return FState.MouseParamsChanged; }
  void SetMouseParamsChanged(bool value) { FState.MouseParamsChanged = value; }
  const ApplyState& State() const { return FState; }
  int SelectedMode() const;
  int CurrentPage() const;

  void SelectPage(int pageIndex);
  /// The save question of the close flow; true when the user chose to save.
  bool AskSaveChanges();
  void ApplyLanguage();
  void UpdateTitleAndLayout();
  void RefreshAllPages();
  /// Makes game profile 0..4 current with button group 0 and refreshes the pages.
  void SelectProfile(int profileIndex);

  /// Runs the apply sequence as APPLY does; the result says whether the mouse took every setting.
  bool BSBTNAPPLYClick();
  bool BSBTNOKClick();
  void BSBTNCLOSEClick();
  void BSBTNCANCELClick() { BSBTNCLOSEClick(); }
  void BSBTNMINClick();

  /// A private message from the monitor program; returns the message's result.
  std::intptr_t HandleWindowMessage(const WindowMessage& message);

  TuiLanguage& uiLanguage1() { return *FLanguage; }
  TuiCommandSetting& uiCommandSetting1() { return FCommandSetting; }
  TuiSTDCommand& uiSTDCommand1() { return *FChannel; }
  TLightPage& LightPage();
  /// The sensitivity, light and help pages are built the first time they are shown (or asked for),
  /// so that start-up builds and styles only the page on show.
  void EnsurePageBuilt(int pageIndex);
  bool PageBuilt(int pageIndex) const;
  TButtonPage& ButtonPage() { return *FButtonPage; }
  TProfileBar& ProfileBar() { return *FProfileBar; }
  ApplyProgress& Progress() { return FProgress; }
  TuiMenuEx& uiMenuEx1() { return FMenuButtons; }
  TuiMenuEx& uiMenuExOptions() { return FMenuOptions; }
  TuiMenuEx& uiMenuExMouseMemorySetting() { return FMenuMemory; }
  TuiMenuExPopup& uiMenuExOptionsPopup() { return *FMenuOptionsPopup; }
  TProgramOptions& ProgramOptions() { return *FProgramOptions; }
  /// What a recording dialog opened from this window builds its hook with; the hook's errors appear
  /// in the message dialog, translated.
  HookServices RecordingHookServices();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildTopBar();
  void BuildPageArea();
  void BuildLightPage(QWidget* page);
  void BuildPage(int pageIndex);
  void ApplyCursorsToPage(int pageIndex);
  void BuildMainPage(QWidget* page);
  void BuildHelpPage(QWidget* page);
  void BuildSensitivityPage(QWidget* page);
  void OpenAddressOf(const QLabel* label);
  void NameIconButtons(const TuiLanguage& language);
  void BuildProfileBar();
  void BuildBottomBar();
  void BuildProfileLogic();
  void BuildCommands();
  void BuildProgramOptions();
  void ConnectDevice();
  void ConnectProgress();
  void ListenForMessages();

  void FormCreate();
  void FormShow();
  void AskAboutUnreadableValues();
  void FillLanguageChooser();
  void SelectStoredLanguageInChooser();
  void LoadCursors();
  void CopyWorkingSettings();

  // The commands of uiCommandSetting1, in their order.
  void uiCommandSetting1Commands0Execute();
  void uiCommandSetting1Commands1Execute();
  void uiCommandSetting1Commands2Execute();
  void uiCommandSetting1Commands3Execute();
  void uiCommandSetting1Commands4Execute();
  void uiCommandSetting1Commands5Execute();
  void uiCommandSetting1Commands6Execute();

  void uiSTDCommand1DeviceArrialEvent();
  void TimerProcessChanged();
  bool RunApply();
  void ReportApplyFailure(const ApplyResult& result);
  void SetApplyAllowed(bool allowed);
  void ShowApplyButtons();
  ApplyHooks MakeApplyHooks();
  void Pause(int milliseconds);
  void Terminate();
  QString Tr(const char* text) const;

  MainWindowServices services_;
  TDM& DM;
  ApplyState FState;
  TButtonPage* FButtonPage = nullptr;  ///< the slot buttons, their menu and the button groups
  TSensitivityPage* FSensitivityPage = nullptr;  ///< null until the page is first shown
  std::array<bool, kPageCount> FPageBuilt{};
  bool FCursorsPending = false;  ///< the shipped cursors are loaded after the first paint
  TReportRateOptions* FReportRateOptions = nullptr;
  TMouseSettingsPanel* FMouseSettingsPanel = nullptr;
  TProgramOptions* FProgramOptions = nullptr;  ///< options menu, language chooser, options window
  TProfileBar* FProfileBar = nullptr;  ///< profile buttons, modes, profile files, restore

  std::unique_ptr<BlockingDispatcher> FMessageDispatcher;
  std::unique_ptr<TuiLanguage> FLanguage;
  TuiCommandSetting FCommandSetting;
  std::unique_ptr<TuiSTDCommand> FChannel;
  ApplyProgress FProgress;
  TuiMenuEx FMenuButtons;
  TuiMenuEx FMenuOptions;
  TuiMenuEx FMenuMemory;
  std::unique_ptr<TuiMenuExPopup> FMenuButtonsPopup;
  std::unique_ptr<TuiMenuExPopup> FMenuOptionsPopup;
  std::unique_ptr<TuiMenuExPopup> FMenuMemoryPopup;
  std::unique_ptr<HookLibrary> FOwnHookLibrary;  ///< when the services bring none
  std::unique_ptr<KeyStateSource> FOwnHookKeyState;
  SupportContacts FContacts;
  std::optional<QCursor> FHandCursor;    ///< image/hand.cur: tab, assignment, DPI and help buttons
  std::optional<QCursor> FSliderCursor;  ///< image/attack.cur: the sliders

  bool FApplying = false;
  bool FApplyAllowed = true;  ///< APPLY is enabled whenever no apply runs
  bool FCloseAfterApply = false;
  bool FCloseWithoutQuestion = false;
  bool FUnreadableAsked = false;
  bool FKeepOpen = false;  ///< a failed save was not confirmed: the window stays
  QPoint FDragOffset;
  bool FDragging = false;

  QWidget* TopBar = nullptr;
  QLabel* LabelVersion = nullptr;
  QComboBox* PopupBoxLanguage = nullptr;
  QLabel* LabelProductName = nullptr;
  QLabel* Label16 = nullptr;
  QPushButton* BSBTNOPTIONS = nullptr;
  QPushButton* BSBTNMIN = nullptr;
  QPushButton* BSBTNCLOSE = nullptr;
  QProgressBar* ProgressBarTime = nullptr;
  QStackedWidget* TabControlMain = nullptr;
  TLightPage* FLightPage = nullptr;  ///< owns the light working copy
  std::array<QPushButton*, kPageCount> FTabButtons{};
  std::array<QPushButton*, 5> FProfileButtons{};
  QPushButton* BSBTNOK = nullptr;
  QPushButton* BSBTNAPPLY = nullptr;
  QPushButton* BSBTNCANCEL = nullptr;
};

}  // namespace q9
