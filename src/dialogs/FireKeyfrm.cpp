#include "dialogs/FireKeyfrm.h"

#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QSpinBox>

#include "gui/Skin.h"

namespace q9 {

namespace {

constexpr const char* kDelayCaption = "Delay(ms):";
constexpr const char* kTimesCaption = "Times:";
constexpr int kInitialDelayMs = 60;
constexpr int kInitialTimes = 2;

QSpinBox* MakeNumberBox(QWidget* parent, const char* name, int minimum, int maximum, int value, const QRect& geometry) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(geometry);
  box->setRange(minimum, maximum);
  box->setValue(value);
  box->setButtonSymbols(QAbstractSpinBox::NoButtons);
  box->setFont(skin::WindowFont(11));
  // A number below the range while typing falls back to the last valid one when the box is left.
  box->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  return box;
}

}  // namespace

TFrmFireKey::TFrmFireKey(const HookServices& hook, TuiLanguage& language, QWidget* parent)
    : TKeyDialogFrame(hook, language, parent, "TFrmFireKey", QSize(kWidth, kHeight), false) {
  setWindowTitle(QStringLiteral("Fire Key"));
  AddLabel("Label1", "Setting for fire key delay and fire times.", QRect(28, 22, 375, 52), 13, true);
  QLabel* delay = AddLabel("Label2", kDelayCaption, QRect(60, 86, 140, 28), 11, false);
  NBDELAY = MakeNumberBox(ImageCombo, "NBDELAY", kMinDelayMs, kMaxDelayMs, kInitialDelayMs, QRect(210, 86, 140, 28));
  delay->setBuddy(NBDELAY);
  QLabel* times = AddLabel("Label3", kTimesCaption, QRect(60, 124, 140, 28), 11, false);
  NBTIMES = MakeNumberBox(ImageCombo, "NBTIMES", kMinTimes, kMaxTimes, kInitialTimes, QRect(210, 124, 140, 28));
  times->setBuddy(NBTIMES);
  FFireKey = {kInitialTimes, kInitialDelayMs};
  connect(NBDELAY, &QSpinBox::valueChanged, this, [this](int value) { FFireKey.DelyValue = static_cast<Word>(value); });
  connect(NBTIMES, &QSpinBox::valueChanged, this, [this](int value) { FFireKey.nLoopCount = static_cast<Word>(value); });
  AddAnswerButtons("BTNOK", "BTNCANCEL", 178);
  setTabOrder(NBDELAY, NBTIMES);
  NBDELAY->setFocus(Qt::OtherFocusReason);
  FinishSetup();
}

void TFrmFireKey::TranslateAccessibleTexts() {
  // The captions end in a colon; a screen reader says the name without it.
  NBDELAY->setAccessibleName(Tr(kDelayCaption).remove(QRegularExpression(QStringLiteral("[:：]$"))));
  NBTIMES->setAccessibleName(Tr(kTimesCaption).remove(QRegularExpression(QStringLiteral("[:：]$"))));
}

void TFrmFireKey::SetFireKey(const TFIREKEYINFO& fire) {
  NBDELAY->setValue(fire.DelyValue);
  NBTIMES->setValue(fire.nLoopCount);
  FFireKey = {static_cast<Word>(NBTIMES->value()), static_cast<Word>(NBDELAY->value())};
}

void TFrmFireKey::StopRecording() { uiHook().StopRecordKeyboardSingleKey(); }

int ShowFireKeyDialog(TFIREKEYINFO& fire, const HookServices& hook, TuiLanguage& language, QWidget* parent) {
  // Held by a guard: the owner window may be destroyed while the dialog runs, taking it along.
  QPointer<TFrmFireKey> form = new TFrmFireKey(hook, language, parent);
  form->FCreateByOther = true;
  form->SetFireKey(fire);
  const int result = form->exec() == TKeyDialogFrame::kResultOK && form ? TKeyDialogFrame::kResultOK
                                                                        : TKeyDialogFrame::kResultCancel;
  if (result == TKeyDialogFrame::kResultOK) fire = form->FFireKey;
  delete form.data();
  return result;
}

}  // namespace q9
