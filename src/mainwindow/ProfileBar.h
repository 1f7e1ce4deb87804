#pragma once
// TProfileBar: the profile bar and the memory-location part of the bottom bar. The five profile
// buttons choose the profile being edited (and make it the profile of the selected memory
// location); Mode1/Mode2 choose the memory location and switch the mouse to it at once; the
// memory-location menu of the hidden mode buttons sets which profile a location holds. Load and
// Save exchange the current profile with a .GPX or readable .json file; Restore Defaults resets it
// after a question drawn inside the window.
//
// The bar works on the window's existing buttons (found by object name) and asks the window to
// make a profile current and to refresh its pages.

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "app/DataModule.h"
#include "components/uiMenuEx.h"
#include "device/uiSTDCommand.h"
#include "lang/uiLanguage.h"
#include "protocol/ApplySequence.h"

class QLabel;
class QPushButton;
class QWidget;

namespace q9 {

class TRestoreQuestion;
class TuiMenuExPopup;

/// What a file dialog is asked: open or save, its filters (the first selected), the default suffix.
struct ProfileFileRequest {
  bool save = false;
  QStringList filters;
  QString defaultSuffix;
};
/// Runs a file dialog; returns the chosen file, or an empty text when the user cancelled.
using ProfileFileDialog = std::function<QString(QWidget* parent, const ProfileFileRequest& request)>;
/// The system's file dialogs; the JSON filter changes the default suffix to "json".
QString RunSystemFileDialog(QWidget* parent, const ProfileFileRequest& request);

/// What the bar works with; everything outlives it.
struct ProfileBarServices {
  TDM& DM;
  TuiSTDCommand& channel;
  TuiLanguage& language;
  ApplyState& state;  ///< the device mode, ReportRateChanged and SettingsModified
  TuiMenuEx& memoryMenu;
  TuiMenuExPopup& memoryMenuPopup;
  /// The window's SelectProfile.
  std::function<void(int profileIndex)> selectProfile;
  /// The window's progress pause (lets events run, then waits).
  PauseFunction progressPause;
  /// After a load or restore: reload the working copies of the pages and refresh every page.
  std::function<void()> reloadPages;
  /// Shows a message dialog with a title and a text, both translated.
  std::function<void(const QString& title, const QString& text)> showMessage;
};

class TProfileBar final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kProfileCount = 5;

  /// `window` holds the buttons BSBTNPROFILE1..5, BTNMODE1/2, BSBTNMODE1/2, BSBTNLOADPROFILE,
  /// BSBTNSAVEPROFILE and BSBTNRESTORE; the restore question is placed over it at `questionTop`.
  TProfileBar(ProfileBarServices services, QWidget& window, int questionTop);
  ~TProfileBar() override;

  int SelectedMode() const { return FSelectedMode; }
  /// Replaces the system's file dialogs (tests answer them).
  void SetFileDialog(ProfileFileDialog dialog) { FFileDialog = std::move(dialog); }
  TRestoreQuestion& RestoreQuestion();

  void BSBTNPROFILE1Click(int tag);
  void BTNMODE1Click(int tag);
  void BSBTNMODE1Click(int tag);
  void uiMenuExMouseMemorySettingItemsClick(std::uint32_t itemID);
  /// Shows the profiles of the two memory locations on the hidden mode buttons; with `store` also
  /// keeps them in the program-wide settings and saves those. A value outside 0..4 is left alone.
  void SetModeProfiles(int mode1Profile, int mode2Profile, bool store);
  void BSBTNLOADPROFILEClick();
  void BSBTNSAVEPROFILEClick();
  void BSBTNRESTOREClick();

 private:
  void FillMemoryMenu();
  void ConnectButtons(QWidget& window);
  void FollowReadingOrderWithTab(QWidget& window);
  /// The profile a memory location holds; a stored value outside 0..4 becomes the location's own
  /// default (0 for Mode1, 1 for Mode2) and is stored so.
  int ProfileOfLocation(int mode);
  void UpdateAccessibleNames();
  QString Tr(const char* text) const;
  QStringList FileFilters() const;
  QString AskForFile(bool save);
  void RestoreAnswered(bool yes);

  ProfileBarServices services_;
  QWidget& window_;
  int FQuestionTop;
  int FSelectedMode = 0;
  ProfileFileDialog FFileDialog;
  std::array<QPushButton*, 2> FModeButtons{};
  std::array<QPushButton*, 2> FHiddenModeButtons{};
  std::array<QLabel*, 2> FModeProfileLabels{};  ///< LabelMode1Profile, LabelMode2Profile
  TRestoreQuestion* FRestoreQuestion = nullptr;
};

}  // namespace q9
