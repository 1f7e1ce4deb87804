#include "dialogs/SingleKeyfrm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include "gui/Skin.h"
#include "gui/uiLanguageWidgets.h"
#include "input/uiKeyCode.h"

namespace q9 {

namespace {

constexpr const char* kPrompt = "Please enter a single key, it can be any key on the keyboard.";

}  // namespace

TFrmSingleKey::TFrmSingleKey(const HookServices& hook, TuiLanguage& language, QWidget* parent)
    : TKeyDialogFrame(hook, language, parent, "TFrmSingleKey", QSize(kWidth, kHeight), true) {
  setWindowTitle(QStringLiteral("Single Key"));
  AddCloseButton();
  AddLabel("Label1", kPrompt, QRect(28, 26, 404, 62), 13, true);
  TextSingle = new QLineEdit(ImageCombo);
  TextSingle->setObjectName(QStringLiteral("TextSingle"));
  TextSingle->setGeometry(28, 96, 416, 32);
  TextSingle->setReadOnly(true);
  TextSingle->setAlignment(Qt::AlignCenter);
  TextSingle->setFont(skin::WindowFont(12, true));
  TextSingle->setProperty(kNoTranslateProperty, true);  // key names are never translated
  QLabel* hint = AddLabel("LabelHint", RecordsKeys() ? kChordHint : "", QRect(28, 134, 416, 22), 9, false);
  hint->setProperty("q9role", QStringLiteral("muted"));
  hint->setAlignment(Qt::AlignCenter);
  AddAnswerButtons("BTNOK", "BTNCANCEL", 176);
  setFocusProxy(TextSingle);
  FinishSetup();
}

void TFrmSingleKey::TranslateAccessibleTexts() {
  TextSingle->setAccessibleName(Tr("Captured key"));
  TextSingle->setAccessibleDescription(Tr(kPrompt));
}

void TFrmSingleKey::SetSingleKey(const TSINGLEKEYINFO& key) {
  FSingleKey = key;
  TextSingle->setText(QString::fromStdString(VKToKeyName(key.nKeyValue1, key.nKey1Extended)));
}

void TFrmSingleKey::StartRecording() {
  uiHook().OnRecordKeyboardSingleKey = [this](std::int32_t key, std::uint32_t, std::int32_t state,
                                              std::int32_t extended, const std::string& name, bool& blocked) {
    uiHookRecordKeyboardSingleKey(key, state, extended, name, blocked);
  };
  uiHook().RecordKeyboardSingleKey();
  TextSingle->setFocus(Qt::OtherFocusReason);
}

void TFrmSingleKey::StopRecording() {
  uiHook().StopRecordKeyboardSingleKey();
  uiHook().OnRecordKeyboardSingleKey = nullptr;
}

void TFrmSingleKey::uiHookRecordKeyboardSingleKey(std::int32_t key, std::int32_t state, std::int32_t extended,
                                                  const std::string& name, bool& blocked) {
  if (Closing()) return;
  if (IsCtrlKey(key)) {
    if (state == kKeyPressed && !ctrlHeld_) beforeCtrl_ = FSingleKey;
    ctrlHeld_ = state == kKeyPressed;
  } else if (state == kKeyPressed) {
    const KeyChord chord = ChordOf(key, ctrlHeld_);
    if (chord != KeyChord::kNone) {
      // The chord answers the dialog and is kept from every window; the key before it stays.
      blocked = true;
      SetSingleKey(beforeCtrl_);
      AnswerFromHook(chord == KeyChord::kOK ? kResultOK : kResultCancel);
      return;
    }
  }
  FSingleKey.nKeyValue1 = static_cast<Word>(key);
  FSingleKey.nKey1Extended = static_cast<Word>(extended);
  TextSingle->setText(QString::fromStdString(name));
}

int ShowSingleKeyDialog(TSINGLEKEYINFO& key, const HookServices& hook, TuiLanguage& language, QWidget* parent) {
  // Held by a guard: the owner window may be destroyed while the dialog runs, taking it along.
  QPointer<TFrmSingleKey> form = new TFrmSingleKey(hook, language, parent);
  form->FCreateByOther = true;
  form->SetSingleKey(key);
  const int result = form->exec() == TKeyDialogFrame::kResultOK && form ? TKeyDialogFrame::kResultOK
                                                                        : TKeyDialogFrame::kResultCancel;
  if (result == TKeyDialogFrame::kResultOK) key = form->FSingleKey;
  delete form.data();
  return result;
}

}  // namespace q9
