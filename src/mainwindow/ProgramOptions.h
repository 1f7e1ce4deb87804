#pragma once
// The settings of the whole program rather than of one profile: the options menu (report rate,
// user-interface language, whether a start at logon shows the window), the language chooser of the
// top bar and the EasyShift options window. Language, start option and EasyShift options are
// stored at once; the report rate goes into every profile and is saved with them at the next apply.

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/DataModule.h"
#include "components/uiMenuEx.h"
#include "lang/uiLanguage.h"
#include "platform/WindowMessaging.h"

class QComboBox;
class QWidget;

namespace q9 {

/// The position of a language in the language file. The options menu names its languages "US",
/// "TW" and "CH", the language chooser and the shipped file "0409", "0404" and "0804": each name
/// also finds the same language under the other name. -1 when the file has neither.
int FindLanguageIndex(const TuiLanguage& language, const std::string& shortID);

struct ProgramOptionsServices {
  TDM& DM;
  TuiLanguage& language;
  /// The options menu; filled here with its three sub-menus.
  TuiMenuEx& menu;
  /// The language chooser of the top bar, filled by the window with the file's languages.
  QComboBox* languageChooser;
  WindowMessaging& messaging;
  /// The main window: owner of the options window and of the messages below.
  QWidget* window;
  /// Posts a message to the window itself; it is handled once the current event is over.
  std::function<void(const WindowMessage&)> postToWindow;
  /// Re-translates the window for the stored language at once.
  std::function<void()> applyLanguage;
  /// Told after a report rate was stored from the menu.
  std::function<void()> reportRateChanged;
};

class TProgramOptions : public QObject {
  Q_OBJECT

 public:
  // Item IDs of the options menu.
  static constexpr std::uint32_t kReportRateMenu = 1, kLanguagesMenu = 2, kStartupMenu = 3;
  static constexpr std::uint32_t kRate125 = 101, kRate1000 = 105;
  static constexpr std::uint32_t kEnglish = 201, kTraditionalChinese = 202, kSimplifiedChinese = 203;
  static constexpr std::uint32_t kStartShowsWindow = 301, kStartHidden = 302;
  static constexpr std::array<int, 5> kMenuRates{125, 250, 333, 500, 1000};
  /// The short IDs of the language items, in menu order.
  static constexpr std::array<const char*, 3> kMenuLanguages{"US", "TW", "CH"};
  /// The short IDs of the chooser's rows.
  static constexpr std::array<const char*, 3> kChooserLanguages{"0409", "0804", "0404"};

  TProgramOptions(ProgramOptionsServices services, QObject* parent);

  /// Check marks: in each sub-menu exactly the item of the stored value, none for a value it lacks.
  void RefreshOptionsMenu();
  void uiMenuExOptionsItemsClick(std::uint32_t itemID);
  void PopupBoxLanguageChange();
  void BSBTNOPTIONSClick() { ShowEasyShiftOptions(); }
  /// Opens the options window; OK stores the EasyShift options and tells the monitor program.
  void ShowEasyShiftOptions();

 private:
  void FillOptionsMenu();
  /// Stores the language found for `shortID`; false when the file has no such language.
  bool StoreLanguage(const std::string& shortID);
  bool SaveProgramSettings();
  void TellMonitorLanguage();
  void CheckOnly(TuiMenuItemsEx& list, int position);

  ProgramOptionsServices services_;
};

}  // namespace q9
