#include "dialogs/combofrm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include "gui/Skin.h"
#include "gui/uiLanguageWidgets.h"
#include "input/uiKeyCode.h"

namespace q9 {

namespace {

constexpr const char* kPrompt =
    "Please enter the key combination, it can be a Win, Ctrl, Shift, Alt + any of the keyboard keys.";

}  // namespace

TFrmCombo::TFrmCombo(const HookServices& hook, TuiLanguage& language, QWidget* parent)
    : TKeyDialogFrame(hook, language, parent, "TFrmCombo", QSize(kWidth, kHeight), true) {
  setWindowTitle(QStringLiteral("Combo Key"));
  AddCloseButton();
  AddLabel("Label1", kPrompt, QRect(28, 26, 404, 62), 13, true);
  TextCombo = new QLineEdit(ImageCombo);
  TextCombo->setObjectName(QStringLiteral("TextCombo"));
  TextCombo->setGeometry(28, 96, 416, 32);
  TextCombo->setReadOnly(true);
  TextCombo->setAlignment(Qt::AlignCenter);
  TextCombo->setFont(skin::WindowFont(12, true));
  TextCombo->setProperty(kNoTranslateProperty, true);  // key names are never translated
  QLabel* hint = AddLabel("LabelHint", RecordsKeys() ? kChordHint : "", QRect(28, 134, 416, 22), 9, false);
  hint->setProperty("q9role", QStringLiteral("muted"));
  hint->setAlignment(Qt::AlignCenter);
  AddAnswerButtons("BTNOK", "BTNCANCEL", 176);
  setFocusProxy(TextCombo);
  FinishSetup();
}

void TFrmCombo::TranslateAccessibleTexts() {
  TextCombo->setAccessibleName(Tr("Key combination"));
  TextCombo->setAccessibleDescription(Tr(kPrompt));
}

void TFrmCombo::SetComboKey(const TCOMBOKEYINFO& combo) {
  FComboKey = combo;
  TextCombo->setText(QString::fromStdString(ComboKeyText(combo)));
}

void TFrmCombo::StartRecording() {
  uiHook().OnRecordKeyboardComboKey = [this](std::int32_t key1, std::int32_t key1Extended, std::int32_t key2,
                                             std::int32_t key2Extended, std::int32_t modifier,
                                             const std::string& text) {
    uiHookRecordKeyboardComboKey({static_cast<Word>(key1), static_cast<Word>(key1Extended), static_cast<Word>(key2),
                                  static_cast<Word>(key2Extended), static_cast<Word>(modifier)},
                                 text);
  };
  uiHook().RecordKeyboardComboKey();
  TextCombo->setFocus(Qt::OtherFocusReason);
}

void TFrmCombo::StopRecording() {
  uiHook().StopRecordKeyboardComboKey();
  uiHook().OnRecordKeyboardComboKey = nullptr;
}

void TFrmCombo::uiHookRecordKeyboardComboKey(const TCOMBOKEYINFO& combo, const std::string& text) {
  if (Closing()) return;
  // Ctrl with Enter or Escape alone answers the dialog; the combination before it stays.
  if (combo.nKeyValue2 == 0 && combo.nModifier == kModifierCtrl) {
    const KeyChord chord = ChordOf(combo.nKeyValue1, true);
    if (chord != KeyChord::kNone) return AnswerFromHook(chord == KeyChord::kOK ? kResultOK : kResultCancel);
  }
  FComboKey = combo;
  TextCombo->setText(QString::fromStdString(text));
}

int ShowComboKeyDialog(TCOMBOKEYINFO& combo, const HookServices& hook, TuiLanguage& language, QWidget* parent) {
  // Held by a guard: the owner window may be destroyed while the dialog runs, taking it along.
  QPointer<TFrmCombo> form = new TFrmCombo(hook, language, parent);
  form->FCreateByOther = true;
  form->SetComboKey(combo);
  const int result = form->exec() == TKeyDialogFrame::kResultOK && form ? TKeyDialogFrame::kResultOK
                                                                        : TKeyDialogFrame::kResultCancel;
  if (result == TKeyDialogFrame::kResultOK) combo = form->FComboKey;
  delete form.data();
  return result;
}

}  // namespace q9
