#pragma once
// The button assignment page: the left part of "MAIN SETTING". A picture of the mouse with its
// numbered buttons beside a column of slot buttons; a click on a slot opens the assignment menu,
// and the item chosen (through a dialog where it needs one) becomes the slot's function in the
// working copy of the current button group. Four hidden group buttons switch the button group.

#include <QPoint>
#include <QWidget>
#include <array>
#include <functional>

#include "app/DataModule.h"
#include "input/HookServices.h"
#include "lang/uiLanguage.h"
#include "mainwindow/ButtonAssignment.h"

class QPushButton;

namespace q9 {

class TMousePicture;
class TuiMenuExPopup;

struct ButtonPageServices {
  TDM& DM;
  TuiLanguage& language;
  TuiMenuEx& menu;  ///< uiMenuEx1, the assignment menu
  TuiMenuExPopup& popup;
  /// What the key dialogs and the macro editor record with.
  std::function<HookServices()> hookServices;
  /// Told after every choice from the menu, whatever came of it.
  std::function<void()> settingsModified;
  /// Reloads the pointer-settings block and the light working copy from the current settings.
  std::function<void()> reloadWorkingCopies;
  /// The parent of the dialogs and messages.
  QWidget* dialogParent = nullptr;
};

class TButtonPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSlotCount = 10;  ///< BtnSet1..BtnSet8, the hidden Btnset9, and no tenth button
  static constexpr int kGroupCount = 4;
  static constexpr QSize kSlotSize{180, 36};

  TButtonPage(ButtonPageServices services, QWidget* parent);

  /// Opens the assignment menu for a slot button at a global position.
  void BtnSet1Click(QPushButton* sender, const QPoint& globalPos);
  /// An item of the assignment menu was chosen for the slot whose menu was opened last.
  void uiMenuEx1ItemsClick(int menuID);
  void BtnSet1MouseEnter(QPushButton* sender);
  void BtnSet1MouseLeave(QPushButton* sender);
  void BSBTNCONFIGNORMALClick(QPushButton* sender);

  /// The "SetButton" refresh: every shown slot's caption from its record.
  void RefreshButtonCaptions();
  /// The "SetButtonEasyShift" refresh: the current group's button pressed, the others released.
  void SetButtonEasyShift();
  void RebuildMacroMenu();
  void ShowButtonFunction(int slot, int menuID);
  void UpdateButtonHint(int slot);
  /// Switches to button group 0..3 and shows it; the settings are not marked modified by it.
  void SelectButtonGroup(int group);

  /// FConfigButtonSet: the slot buttons in slot order; the tenth is null.
  QPushButton* SlotButton(int slot) const;
  QPushButton* GroupButton(int group) const { return FGroupButtons[static_cast<std::size_t>(group)]; }
  ButtonAssignment& Assignment() { return FAssignment; }
  int PlaceButtonTag() const { return FPlaceButtonTag; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildSlotButtons();
  void BuildGroupPanel();
  AssignmentDialogs Dialogs();
  void ShowMacroLimitWarning();
  void NameSlot(int slot);
  QString Tr(const std::string& text) const;
  std::string TrStd(const std::string& text) const;
  const TBUTTONFUNCINFO& Record(int slot) const { return services_.DM.FCurrentButtonConfigInfo.ButtonFuncInfo[slot]; }

  ButtonPageServices services_;
  ButtonAssignment FAssignment;
  int FPlaceButtonTag = 0;
  TMousePicture* vgmgImageMouseLayout = nullptr;
  std::array<QPushButton*, kSlotCount> FConfigButtonSet{};
  QWidget* GroupPanel = nullptr;
  std::array<QPushButton*, kGroupCount> FGroupButtons{};
};

}  // namespace q9
