#pragma once
// TFrmFireKey: the repeat settings of the fire key, the delay between clicks (10..5000 ms) and the
// number of clicks (1..30), in two number boxes. Nothing is recorded here; it is an ordinary form
// for the keyboard (Tab between the boxes and buttons, Enter OK, Escape Cancel).

#include "dialogs/KeyDialogFrame.h"
#include "model/ProfileRecords.h"

class QSpinBox;

namespace q9 {

class TFrmFireKey final : public TKeyDialogFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 431;
  static constexpr int kHeight = 233;
  static constexpr int kMinDelayMs = 10;
  static constexpr int kMaxDelayMs = 5000;
  static constexpr int kMinTimes = 1;
  static constexpr int kMaxTimes = 30;

  TFrmFireKey(const HookServices& hook, TuiLanguage& language, QWidget* parent);

  /// Shows `fire` in the boxes. A value outside a box's range shows as the nearest limit, and
  /// FFireKey holds what the boxes show, so OK never hands back a value the dialog does not allow.
  void SetFireKey(const TFIREKEYINFO& fire);

  TFIREKEYINFO FFireKey{};

 protected:
  void StartRecording() override {}
  void StopRecording() override;
  void TranslateAccessibleTexts() override;

 private:
  QSpinBox* NBDELAY = nullptr;
  QSpinBox* NBTIMES = nullptr;
};

/// Shows the dialog modally on `fire`; OK copies the boxes' values into `fire`, Cancel leaves it
/// alone. Returns TKeyDialogFrame::kResultOK or kResultCancel.
int ShowFireKeyDialog(TFIREKEYINFO& fire, const HookServices& hook, TuiLanguage& language, QWidget* parent);

}  // namespace q9
