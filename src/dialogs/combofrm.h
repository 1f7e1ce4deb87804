#pragma once
// TFrmCombo: captures a key combination for a button: the held modifiers (Ctrl, Alt, Win, Shift)
// and one key, or two keys pressed within 100 ms of each other. While it is open the recorder
// swallows every press of a key that is not a modifier; OK hands the combination back.

#include "dialogs/KeyDialogFrame.h"
#include "model/ProfileRecords.h"

class QLineEdit;

namespace q9 {

class TFrmCombo final : public TKeyDialogFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 472;
  static constexpr int kHeight = 232;

  TFrmCombo(const HookServices& hook, TuiLanguage& language, QWidget* parent);

  /// FComboKey := combo, shown in TextCombo as a stored combination ("Alt+Ctrl+A").
  void SetComboKey(const TCOMBOKEYINFO& combo);

  TCOMBOKEYINFO FComboKey{};

 protected:
  void StartRecording() override;
  void StopRecording() override;
  void TranslateAccessibleTexts() override;

 private:
  void uiHookRecordKeyboardComboKey(const TCOMBOKEYINFO& combo, const std::string& text);

  QLineEdit* TextCombo = nullptr;
};

/// Shows the dialog modally on `combo`; OK copies the captured combination into `combo`, Cancel
/// leaves it alone. Returns TKeyDialogFrame::kResultOK or kResultCancel.
int ShowComboKeyDialog(TCOMBOKEYINFO& combo, const HookServices& hook, TuiLanguage& language, QWidget* parent);

}  // namespace q9
