#include "mainwindow/ProgramOptions.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QWidget>
#include <utility>

#include "app/SettingsEditing.h"
#include "gui/uiLanguageWidgets.h"
#include "mainwindow/OptionsForm.h"
#include "mainwindow/showdialog.h"

namespace q9 {

namespace {


// The two names each language of the menu goes by.
constexpr std::array<std::pair<const char*, const char*>, 3> kSameLanguage{{
    {"US", "0409"},
    {"TW", "0404"},
    {"CH", "0804"},
}};

std::string OtherNameOf(const std::string& shortID) {
  for (const auto& [menuName, localeName] : kSameLanguage) {
    if (shortID == menuName) return localeName;
    if (shortID == localeName) return menuName;
  }
  return {};
}

}  // namespace

int FindLanguageIndex(const TuiLanguage& language, const std::string& shortID) {
  const int index = language.GetLanguageIndexByShortID(shortID);
  if (index >= 0) return index;
  const std::string other = OtherNameOf(shortID);
  return other.empty() ? -1 : language.GetLanguageIndexByShortID(other);
}

TProgramOptions::TProgramOptions(ProgramOptionsServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {
  FillOptionsMenu();
  services_.menu.OnItemsClick = [this](const std::string&, std::uint32_t id, const void*, int) {
    uiMenuExOptionsItemsClick(id);
  };
  connect(services_.languageChooser, &QComboBox::currentIndexChanged, this, [this] { PopupBoxLanguageChange(); });
}

void TProgramOptions::FillOptionsMenu() {
  TuiMenuEx& menu = services_.menu;
  menu.Items.Clear();
  menu.UseCustomMenuParams = true;
  menu.Parameters.FontFamily = "Arial";
  menu.Parameters.FontSize = 13;
  menu.Parameters.FontBold = true;
  TuiMenuItemEx& rates = menu.Items.Add("Report Rate Options");
  for (int rate : kMenuRates) rates.SubItems.Add(std::to_string(rate) + "HZ");
  TuiMenuItemEx& languages = menu.Items.Add("Languages");
  for (const char* caption : {"English (United States)", "Chinese (Traditional)", "Chinese (Simplified)"})
    languages.SubItems.Add(caption);
  TuiMenuItemEx& startup = menu.Items.Add("Startup Options");
  startup.SubItems.Add("Yes,Start when windows startup.");
  startup.SubItems.Add("No.");
}

void TProgramOptions::CheckOnly(TuiMenuItemsEx& list, int position) {
  for (int index = 0; index < list.Count(); ++index) list.SetItemCheckedState(index, index == position);
}

void TProgramOptions::RefreshOptionsMenu() {
  TuiMenuEx& menu = services_.menu;
  const TALLPROFILESETTINGINFO& program = services_.DM.FAllProfileSettingInfo;

  int rate = -1;
  for (std::size_t index = 0; index < kMenuRates.size(); ++index)
    if (kMenuRates[index] == services_.DM.FCurrentMouseSettingInfo.ReportRate) rate = static_cast<int>(index);
  CheckOnly(menu.FindItemByID(kReportRateMenu)->SubItems, rate);

  // The stored language is a position in the language file, whose order need not be the menu's:
  // the item checked is the one whose language sits at that position. Without any of the menu's
  // languages in the file, the positions stand for themselves.
  int language = -1;
  bool anyKnown = false;
  for (std::size_t index = 0; index < kMenuLanguages.size(); ++index) {
    const int position = FindLanguageIndex(services_.language, kMenuLanguages[index]);
    anyKnown = anyKnown || position >= 0;
    if (position >= 0 && position == program.CurrentLanguage) language = static_cast<int>(index);
  }
  if (!anyKnown && program.CurrentLanguage < kMenuLanguages.size()) language = program.CurrentLanguage;
  CheckOnly(menu.FindItemByID(kLanguagesMenu)->SubItems, language);

  const Integer start = program.ReservedData.IntegerData[kSlotStartWithWindows];
  CheckOnly(menu.FindItemByID(kStartupMenu)->SubItems, start == 1 ? 0 : start == 0 ? 1 : -1);
}

void TProgramOptions::uiMenuExOptionsItemsClick(std::uint32_t itemID) {
  TALLPROFILESETTINGINFO& program = services_.DM.FAllProfileSettingInfo;
  if (itemID >= kRate125 && itemID <= kRate1000) {
    if (SetReportRate(services_.DM, kMenuRates[itemID - kRate125]) && services_.reportRateChanged)
      services_.reportRateChanged();
    RefreshOptionsMenu();
    return;
  }
  if (itemID >= kEnglish && itemID <= kSimplifiedChinese) {
    // The window is translated again when the posted message arrives, after the menu has closed.
    if (StoreLanguage(kMenuLanguages[itemID - kEnglish])) {
      if (services_.postToWindow) services_.postToWindow({MSG_LANGUAGE_REAPPLY, 0, 0});
      TellMonitorLanguage();
    }
    RefreshOptionsMenu();
    return;
  }
  if (itemID == kStartShowsWindow || itemID == kStartHidden) {
    program.ReservedData.IntegerData[kSlotStartWithWindows] = itemID == kStartShowsWindow ? 1 : 0;
    SaveProgramSettings();
    RefreshOptionsMenu();
  }
}

void TProgramOptions::PopupBoxLanguageChange() {
  QComboBox* chooser = services_.languageChooser;
  if (chooser->currentIndex() < 0 && chooser->count() > 0) {
    const QSignalBlocker detached(chooser);
    chooser->setCurrentIndex(0);
  }
  const int row = chooser->currentIndex();
  if (row >= 0 && row < static_cast<int>(kChooserLanguages.size()) && StoreLanguage(kChooserLanguages[row])) {
    if (services_.applyLanguage) services_.applyLanguage();
    TellMonitorLanguage();
  }
  RefreshOptionsMenu();
}

bool TProgramOptions::StoreLanguage(const std::string& shortID) {
  const int position = FindLanguageIndex(services_.language, shortID);
  if (position < 0) return false;
  services_.DM.FAllProfileSettingInfo.CurrentLanguage = static_cast<Byte>(position);
  SaveProgramSettings();
  return true;
}

void TProgramOptions::TellMonitorLanguage() {
  const std::uintptr_t position = services_.DM.FAllProfileSettingInfo.CurrentLanguage;
  services_.messaging.Post(kMonitorWindowClass, {MSG_MONITOR_LANGUAGE, position, 0});
}

// A choice that did not reach the store is lost at the next start: the user is told.
bool TProgramOptions::SaveProgramSettings() {
  if (services_.DM.SaveBackToAllProfileSettingInfo()) return true;
  ShowMessageDialog(TranslatedText(services_.language, kWarningTitle), TranslatedText(services_.language, kSettingsNotSaved), 0,
                    services_.window);
  return false;
}

void TProgramOptions::ShowEasyShiftOptions() {
  TEasyShiftOptions& options = services_.DM.FAllProfileSettingInfo.EasyShiftOptions;
  if (TOptionsForm::ExecuteOptionsForm(options, services_.language, services_.window) != TOptionsForm::kResultOK)
    return;
  // The monitor program reads the options from the store: it is told only about stored ones.
  if (!SaveProgramSettings()) return;
  std::intptr_t result = 0;
  services_.messaging.Send(kMonitorWindowClass, {MSG_MONITOR_EASYSHIFT, 0, 0}, result);
}

}  // namespace q9
