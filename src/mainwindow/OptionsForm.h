#pragma once
// TOptionsForm: the "Gaming Options" window where the user chooses how the monitor program switches
// between the four button groups (EasyShift): the shortcut set, whether the feature is on, and which
// groups take part. The window edits a copy; only OK hands the values back.

#include <QDialog>
#include <array>

#include "model/ProfileRecords.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace q9 {

class TuiLanguage;

class TOptionsForm final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 432;
  static constexpr int kClientHeight = 511;
  /// The modal results, as the message dialog gives them.
  static constexpr int kResultOK = 1;
  static constexpr int kResultCancel = 2;
  /// The rows of ComboBoxShortCuts, by ShortCutsType.
  static constexpr std::array<const char*, 6> kShortCutSets{
      "Win,Alt,Ctrl,Shift Key On The Left Hand", "Win,Alt,Ctrl,Shift Key On The Right Hand",
      "F1,F2,F3,F4 Keys",                        "F9,F10,F11,F12 Keys",
      "Alt+1,Alt+2,Alt+3,Alt+4 Combo Keys",      "Alt+F1,Alt+F2,Alt+F3,Alt+F4 Combo Keys"};

  /// Centred on `parent`'s window; translated by `language` now and at every language change.
  TOptionsForm(TuiLanguage& language, QWidget* parent);

  /// Shows the window modally on a copy of `options`; OK copies the edited values back. Returns
  /// kResultOK or kResultCancel (also for Escape and the close button).
  static int ExecuteOptionsForm(TEasyShiftOptions& options, TuiLanguage& language, QWidget* parent);

  /// Shows FEasyShiftOptions; a shortcut set outside 0..5 shows the right-hand set.
  void LoadOptions();
  /// Every value to 1 (right-hand set, feature on, all groups on), shown at once; nothing is stored.
  void BSBTNDEFAULTSClick();
  /// Reads the controls into FEasyShiftOptions and closes with OK.
  void bsbtnOKClick();

  TEasyShiftOptions FEasyShiftOptions{};
  bool FCreateByOther = false;

  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void UpdateAccessibleNames();

  TuiLanguage& language_;
  QComboBox* ComboBoxShortCuts = nullptr;
  QComboBox* ComboBoxEnableEasyshift = nullptr;
  std::array<QCheckBox*, 4> CheckBoxGroups{};
  QPushButton* BSBTNDEFAULTS = nullptr;
  QPushButton* bsbtnOK = nullptr;
  QPushButton* BitmapStateButton2 = nullptr;
};

}  // namespace q9
