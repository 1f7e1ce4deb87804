#include "dialogs/KeyDialogFrame.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "gui/FramelessWindow.h"
#include "gui/Skin.h"
#include "gui/SkinPalette.h"
#include "gui/uiLanguageWidgets.h"
#include "lang/uiLanguage.h"

namespace q9 {

namespace {

constexpr std::int32_t kVkReturn = 13;
constexpr std::int32_t kVkEscape = 27;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 30;
constexpr int kButtonGap = 8;
constexpr int kPromptPoints = 13;
constexpr int kPromptMinPoints = 9;

}  // namespace

KeyChord ChordOf(std::int32_t vk, bool ctrlHeld) {
  if (!ctrlHeld) return KeyChord::kNone;
  if (vk == kVkReturn) return KeyChord::kOK;
  if (vk == kVkEscape) return KeyChord::kCancel;
  return KeyChord::kNone;
}

bool IsCtrlKey(std::int32_t vk) { return vk == 17 || vk == 162 || vk == 163; }

TKeyDialogFrame::TKeyDialogFrame(const HookServices& hook, TuiLanguage& language, QWidget* parent,
                                 const char* objectName, const QSize& size, bool recordsKeys)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), language_(language), recordsKeys_(recordsKeys) {
  setObjectName(QLatin1String(objectName));
  setFixedSize(size);
  setModal(true);
  setFont(skin::WindowFont());
  ImageCombo = new TBackgroundImage(this);
  ImageCombo->setObjectName(QStringLiteral("ImageCombo"));
  ImageCombo->setGeometry(rect());
  UIStream1.SetBoundComponent(ImageCombo);
  uiHook_ = std::make_unique<TuiHook>(hook.library, hook.keyState, hook.showError);
}

TKeyDialogFrame::~TKeyDialogFrame() {
  if (languageForm_ >= 0) language_.UnregisterForm(languageForm_);
  // Destroyed while still open (its owner window went): every recorder here runs on the keyboard
  // hook, and the recorder's handler points into the part of this dialog that is already gone.
  if (recording_) uiHook_->StopRecordKeyboardSingleKey();
}

QString TKeyDialogFrame::Tr(const char* text) const { return TranslatedText(language_, text); }

QLabel* TKeyDialogFrame::AddLabel(const char* name, const char* text, const QRect& geometry, int points, bool bold) {
  auto* label = new QLabel(QString::fromUtf8(text), ImageCombo);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  label->setFont(skin::WindowFont(points, bold));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}

QPushButton* TKeyDialogFrame::AddButton(const char* name, const char* text, const char* role, const QRect& geometry) {
  auto* button = new QPushButton(QString::fromUtf8(text), ImageCombo);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(geometry);
  button->setFont(skin::WindowFont(10));
  button->setProperty("q9role", QLatin1String(role));
  button->setAutoDefault(false);
  // While a recorder runs every key is recorded, so no button may take one.
  if (RecordsKeys()) button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QPushButton* TKeyDialogFrame::AddCloseButton() {
  QPushButton* close = AddButton("BtnClose", "", "action", QRect(width() - 35, 8, 25, 22));
  close->setIcon(skin::CloseIcon());
  connect(close, &QPushButton::clicked, this, [this] { done(kResultCancel); });
  return close;
}

void TKeyDialogFrame::AddAnswerButtons(const char* okName, const char* cancelName, int top) {
  const int left = (width() - 2 * kButtonWidth - kButtonGap) / 2;
  QPushButton* ok = AddButton(okName, "OK", "primary", QRect(left, top, kButtonWidth, kButtonHeight));
  QPushButton* cancel =
      AddButton(cancelName, "Cancel", "action", QRect(left + kButtonWidth + kButtonGap, top, kButtonWidth, kButtonHeight));
  if (!RecordsKeys()) ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(kResultOK); });
  connect(cancel, &QPushButton::clicked, this, [this] { done(kResultCancel); });
}

void TKeyDialogFrame::FinishSetup() {
  RegisterFormWidgets(language_, this);
  languageForm_ = language_.RegisterForm([this](const TuiLanguage&) { UpdateAccessibleTexts(); });
  UpdateAccessibleTexts();
}

void TKeyDialogFrame::UpdateAccessibleTexts() {
  if (auto* close = findChild<QPushButton*>(QStringLiteral("BtnClose"))) close->setAccessibleName(Tr("Close"));
  setAccessibleDescription(RecordsKeys() ? Tr(kChordHint) : QString());
  TranslateAccessibleTexts();
  FitPrompt();
}

void TKeyDialogFrame::FitPrompt() {
  auto* prompt = findChild<QLabel*>(QStringLiteral("Label1"));
  if (!prompt) return;
  QFont font = prompt->font();
  for (int points = kPromptPoints; points >= kPromptMinPoints; --points) {
    font.setPointSize(points);
    prompt->setFont(font);
    if (prompt->heightForWidth(prompt->width()) <= prompt->height()) break;
  }
}

void TKeyDialogFrame::done(int result) {
  if (recording_) {
    recording_ = false;
    StopRecording();
  }
  closing_ = true;
  QDialog::done(result == kResultOK ? kResultOK : kResultCancel);
}

void TKeyDialogFrame::AnswerFromHook(int result) {
  closing_ = true;
  // The hook library is inside its call to the recorder; stopping the hook there would pull the
  // callback from under it.
  QTimer::singleShot(0, this, [this, result] { done(result); });
}

void TKeyDialogFrame::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    // The language may have given the prompt another font since it was made.
    FitPrompt();
    CentreOnOwnerWindow(*this);
    if (!recording_ && !closing_) {
      recording_ = true;
      StartRecording();
    }
  }
  QDialog::showEvent(event);
}

void TKeyDialogFrame::keyPressEvent(QKeyEvent* event) {
  // A key the recorder let through is the user's key to record, not a command to the dialog.
  if (RecordsKeys()) return event->accept();
  QDialog::keyPressEvent(event);
}

bool TKeyDialogFrame::focusNextPrevChild(bool next) {
  if (RecordsKeys()) return true;
  return QDialog::focusNextPrevChild(next);
}

void TKeyDialogFrame::mousePressEvent(QMouseEvent* event) {
  if (!drag_.Press(*this, *event)) QDialog::mousePressEvent(event);
}

void TKeyDialogFrame::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_.Move(*this, *event)) QDialog::mouseMoveEvent(event);
}

void TKeyDialogFrame::mouseReleaseEvent(QMouseEvent* event) {
  drag_.Release();
  QDialog::mouseReleaseEvent(event);
}

}  // namespace q9
