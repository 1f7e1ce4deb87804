#pragma once
// TFrmSingleKey: captures one keyboard key for a button. Every key pressed or released while the
// dialog is open becomes the captured key and is shown by name; OK hands it back.

#include "dialogs/KeyDialogFrame.h"
#include "model/ProfileRecords.h"

class QLineEdit;

namespace q9 {

class TFrmSingleKey final : public TKeyDialogFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 472;
  static constexpr int kHeight = 232;

  TFrmSingleKey(const HookServices& hook, TuiLanguage& language, QWidget* parent);

  /// FSingleKey := key, shown in TextSingle by name (VK 0 shows an empty box).
  void SetSingleKey(const TSINGLEKEYINFO& key);

  TSINGLEKEYINFO FSingleKey{};

 protected:
  void StartRecording() override;
  void StopRecording() override;
  void TranslateAccessibleTexts() override;

 private:
  void uiHookRecordKeyboardSingleKey(std::int32_t key, std::int32_t state, std::int32_t extended,
                                     const std::string& name, bool& blocked);

  QLineEdit* TextSingle = nullptr;
  bool ctrlHeld_ = false;
  TSINGLEKEYINFO beforeCtrl_{};  ///< the record before Ctrl went down: what a Ctrl chord keeps
};

/// Shows the dialog modally on `key`; OK copies the captured key into `key`, Cancel (also Escape's
/// chord and the close button) leaves it alone. Returns TKeyDialogFrame::kResultOK or kResultCancel.
int ShowSingleKeyDialog(TSINGLEKEYINFO& key, const HookServices& hook, TuiLanguage& language, QWidget* parent);

}  // namespace q9
