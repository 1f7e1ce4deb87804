#include "macro/macrofrm.h"

#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>

#include "components/uiMenuEx.h"
#include "gui/FramelessWindow.h"
#include "gui/Skin.h"
#include "gui/SkinPalette.h"
#include "gui/uiLanguageWidgets.h"
#include "gui/uiMenuExPopup.h"
#include "input/uiKeyCode.h"
#include "lang/uiLanguage.h"
#include "macro/TextEditDelay.h"
#include "macro/TextMacroName.h"
#include "macro/uiMacroClassUnit.h"
#include "mainwindow/showdialog.h"

namespace q9 {

namespace {

constexpr const char* kStartRecord = "Start Record";
constexpr const char* kStopRecord = "Stop Record";
constexpr const char* kEntryCount = "Entries: %1/%2";
constexpr const char* kEntriesDropped = "%1 entries do not fit and are dropped from the end.";
constexpr const char* kLosingQuestion =
    "The macro can hold %1 entries: this drops %2 entries from its end. Go on anyway?";
constexpr const char* kStopKeyHint = "While recording, the Pause key stops the recording.";
constexpr const char* kMacroLimitText = "You can create macros shall not exceed 20!";

/// What kind of entry a row of the event list shows (its "binding name").
enum class RowKind { kDelay, kKeyUp, kKeyDown, kMouse };
constexpr int kRowKindRole = Qt::UserRole + 1;

QString RowKindName(RowKind kind) {
  switch (kind) {
    case RowKind::kDelay: return QStringLiteral("Delay");
    case RowKind::kKeyUp: return QStringLiteral("KeyUp");
    case RowKind::kKeyDown: return QStringLiteral("KeyDown");
    case RowKind::kMouse: return QStringLiteral("Mouse");
  }
  return {};
}

// The small pictures of the rows: an arrow down for a press, up for a release, a mouse, a clock.
QIcon RowIcon(RowKind kind) {
  QPixmap pixmap(14, 14);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  switch (kind) {
    case RowKind::kKeyDown:
    case RowKind::kKeyUp: {
      const bool down = kind == RowKind::kKeyDown;
      const qreal tip = down ? 12 : 2;
      const qreal base = down ? 6 : 8;
      path.moveTo(7, tip);
      path.lineTo(2, base);
      path.lineTo(12, base);
      path.closeSubpath();
      painter.fillPath(path, down ? skin::kAccent : skin::kTextMuted);
      painter.fillRect(QRectF(5.5, down ? 2 : 8, 3, 4), down ? skin::kAccent : skin::kTextMuted);
      break;
    }
    case RowKind::kMouse:
      painter.setPen(QPen(skin::kText, 1.4));
      painter.drawRoundedRect(QRectF(3.5, 1.5, 7, 11), 3.5, 3.5);
      painter.drawLine(QPointF(7, 1.5), QPointF(7, 5.5));
      break;
    case RowKind::kDelay:
      painter.setPen(QPen(skin::kAccent, 1.4));
      painter.drawEllipse(QRectF(1.5, 1.5, 11, 11));
      painter.drawLine(QPointF(7, 7), QPointF(7, 3.5));
      painter.drawLine(QPointF(7, 7), QPointF(9.5, 8.5));
      break;
  }
  return QIcon(pixmap);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, const QRect& geometry,
                        const char* role = "action", bool toggle = false) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QLatin1String(name));
  button->setProperty("q9role", QLatin1String(role));
  button->setGeometry(geometry);
  button->setCheckable(toggle);
  button->setAutoDefault(false);
  // A click leaves the focus where it is (an open name or delay editor stays open); Tab reaches it.
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, const QRect& geometry, int size,
                  bool bold = false, const char* role = nullptr) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  label->setFont(skin::WindowFont(size, bold));
  if (role) label->setProperty("q9role", QLatin1String(role));
  return label;
}

QListWidget* MakeList(QWidget* parent, const char* name, const QRect& geometry) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QLatin1String(name));
  list->setGeometry(geometry);
  list->setUniformItemSizes(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  // Macro names are the user's and key names are never translated.
  list->setProperty(kNoTranslateProperty, true);
  return list;
}

QString RowText(const TuiLanguage& language, const TMACROENTRY& entry) {
  const QString state = TranslatedText(language, entry.nEntryState == 1 ? "Down" : "Up");
  switch (entry.nEntryType) {
    case kMacroEntryDelay:
      return QStringLiteral("[ %1 ] ").arg(MacroDelayMs(entry)) + TranslatedText(language, "ms");
    case kMacroEntryMouse:
      return QStringLiteral(" [ ") + TranslatedText(language, VKToKeyName(entry.nValueLo, entry.nValueHi)) +
             QStringLiteral(" ] ") + state;
    default:
      return QStringLiteral(" [ ") + QString::fromStdString(VKToKeyName(entry.nValueLo, entry.nValueHi)) +
             QStringLiteral(" ] ") + state;
  }
}

RowKind KindOf(const TMACROENTRY& entry) {
  if (entry.nEntryType == kMacroEntryDelay) return RowKind::kDelay;
  if (entry.nEntryType == kMacroEntryMouse) return RowKind::kMouse;
  return entry.nEntryState == 1 ? RowKind::kKeyDown : RowKind::kKeyUp;
}

QListWidgetItem* MakeRow(const QString& text, RowKind kind) {
  auto* item = new QListWidgetItem(RowIcon(kind), text);
  item->setData(kRowKindRole, RowKindName(kind));
  item->setSizeHint(QSize(0, TFrmMacro::kRowHeight));
  if (kind == RowKind::kDelay) item->setForeground(skin::kAccent);
  return item;
}

}  // namespace

TFrmMacro::TFrmMacro(const HookServices& hook, TuiLanguage& language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      FMouseProfileInfo(std::make_unique<TMouseProfileInfoEasyShiftEx>()),
      FMouseButtonConfigInfo(std::make_unique<TMouseButtonConfigInfoEasyShiftEx>()),
      language_(language),
      hook_(std::make_unique<TuiHook>(hook.library, hook.keyState, hook.showError)),
      menu_(std::make_unique<TuiMenuEx>()) {
  setObjectName(QStringLiteral("TFrmMacro"));
  setWindowTitle(QStringLiteral("Macro Manager"));
  setFixedSize(kWidth, kHeight);
  setFont(skin::WindowFont());
  setModal(true);
  BuildControls();
  BuildMouseEventMenu();

  hook_->OnRecordKeyboardMacroKey = [this](std::int32_t type, std::int32_t key, std::int32_t state, std::int32_t,
                                           std::uint32_t, const std::string& text, const std::string&,
                                           const MacroKeyList& items) { LiveItem(type, key, state, text, items); };
  hook_->OnStopRecordKeyboardMacroKey = [this](const MacroKeyList& items) { RecordingStopped(items); };

  RegisterFormWidgets(language_, this);
  Translate();
  OnLanguageChanged(language_, this, [this] {
    Translate();
    if (recording_) return;
    const int row = SelectedRow();
    ShowMacroEntries();
    if (row >= 0) SelectRow(row);
  });
}

TFrmMacro::~TFrmMacro() {
  if (recording_) {
    dropRecording_ = true;
    hook_->StopRecordKeyboardMacroKey();
  }
}

void TFrmMacro::BuildControls() {
  MakeLabel(this, "LabelTitle", "Macro Manager", QRect(24, 12, 420, 36), 18, true);
  MakeLabel(this, "LabelVersion", "Macro Exchange Version: ZO1.0", QRect(26, 48, 400, 18), 8, false, "muted");

  MakeLabel(this, "LabelMacroList", "Macro List", QRect(24, 78, 220, 22), 12, true, "heading");
  MakeLabel(this, "LabelActions", "Actions", QRect(256, 78, 248, 22), 12, true, "heading");
  MakeLabel(this, "LabelOptions", "Options", QRect(516, 78, 220, 22), 12, true, "heading");
  MakeLabel(this, "LabelMacroListHint", "SELECT,NEW,DELETE MACROS", QRect(24, 100, 220, 18), 8, false, "muted");
  MakeLabel(this, "LabelActionsHint", "KEYBOARD KEYS,DELAY,MOUSE KEYS", QRect(256, 100, 248, 18), 8, false, "muted");
  MakeLabel(this, "LabelOptionsHint", "More options for professtional users", QRect(516, 100, 220, 18), 8, false,
            "muted");

  ListBoxMacroList = MakeList(this, "ListBoxMacroList", QRect(24, 122, 220, 334));
  TextMacroName = new TTextMacroName(ListBoxMacroList->viewport());
  ListBoxMacroKey = MakeList(this, "ListBoxMacroKey", QRect(256, 122, 248, 334));
  TextEditDelay = new TTextEditDelay(ListBoxMacroKey->viewport());
  TextEditDelay->move(-200, -200);

  PanelMaroEdit = new QWidget(this);
  PanelMaroEdit->setObjectName(QStringLiteral("PanelMaroEdit"));
  PanelMaroEdit->setGeometry(516, 122, 220, 334);
  // Narrow buttons: less padding than elsewhere, and a pressed toggle shows it.
  PanelMaroEdit->setStyleSheet(QStringLiteral("QPushButton { padding: 3px 3px; } QPushButton:checked { border: 1px solid %1; color: %1; }").arg(skin::kAccent.name()));
  MakeLabel(PanelMaroEdit, "LabelRecordOptions", "RECORD OPTIONS", QRect(0, 0, 220, 18), 9, true);
  BtnMacroRecord = MakeButton(PanelMaroEdit, "BtnMacroRecord", kStartRecord, QRect(0, 22, 220, 28), "primary", true);
  BtnMacroRecord->setProperty(kNoTranslateProperty, true);  // its caption changes with the state: set translated
  BtnAutoDelay = new QCheckBox(QStringLiteral("Add Delay"), PanelMaroEdit);
  BtnAutoDelay->setObjectName(QStringLiteral("BtnAutoDelay"));
  BtnAutoDelay->setGeometry(0, 56, 130, 22);
  BtnAutoDelay->setChecked(true);
  BtnMacroLoop = new QCheckBox(QStringLiteral("Loop"), PanelMaroEdit);
  BtnMacroLoop->setObjectName(QStringLiteral("BtnMacroLoop"));
  BtnMacroLoop->setGeometry(0, 82, 110, 24);
  BoxMacroLoop = new QSpinBox(PanelMaroEdit);
  BoxMacroLoop->setObjectName(QStringLiteral("BoxMacroLoop"));
  BoxMacroLoop->setGeometry(140, 82, 80, 24);
  BoxMacroLoop->setRange(0, kEditorLoopLimit);
  BoxMacroLoop->setEnabled(false);

  MakeLabel(PanelMaroEdit, "LabelEditOptions", "EDIT OPTIONS", QRect(0, 118, 220, 18), 9, true);
  BtnRecordbefore = MakeButton(PanelMaroEdit, "BtnRecordbefore", "Record before", QRect(0, 140, 108, 28), "action", true);
  BtnRecordafter = MakeButton(PanelMaroEdit, "BtnRecordafter", "Record after", QRect(112, 140, 108, 28), "action", true);
  BtnInsertDelay = MakeButton(PanelMaroEdit, "BtnInsertDelay", "Insert Delay", QRect(0, 174, 108, 28));
  BtnEditDelay = MakeButton(PanelMaroEdit, "BtnEditDelay", "Edit Delay", QRect(112, 174, 108, 28));
  BtnDelete = MakeButton(PanelMaroEdit, "BtnDelete", "Delete", QRect(0, 208, 108, 28));
  BtnMouseEvent = MakeButton(PanelMaroEdit, "BtnMouseEvent", "Mouse Event", QRect(112, 208, 108, 28));
  LabelEntryCount = MakeLabel(PanelMaroEdit, "LabelEntryCount", "", QRect(0, 248, 220, 80), 9);
  LabelEntryCount->setProperty(kNoTranslateProperty, true);
  LabelEntryCount->setWordWrap(true);
  LabelEntryCount->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PanelMaroEdit->setEnabled(false);

  BSBTNNEW = MakeButton(this, "BSBTNNEW", "NEW", QRect(24, 470, 90, 30));
  BSBTNDELETE = MakeButton(this, "BSBTNDELETE", "DELETE", QRect(124, 470, 90, 30));
  BSBTNDELETE->setEnabled(false);
  BSBTNOK = MakeButton(this, "BSBTNOK", "OK", QRect(545, 470, 90, 30), "primary");
  BSBTNCANCEL = MakeButton(this, "BSBTNCANCEL", "CANCEL", QRect(645, 470, 90, 30));

  BtnMinimize = MakeButton(this, "BtnMinimize", "", QRect(kWidth - 66, 8, 28, 24), "action");
  BtnMinimize->setIcon(skin::MinimiseIcon());
  BtnClose = MakeButton(this, "BtnClose", "", QRect(kWidth - 34, 8, 28, 24), "action");
  BtnClose->setIcon(skin::CloseIcon());

  // By selection, not by the current row: focusing the list makes a row current without selecting it.
  connect(ListBoxMacroList, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> selected = ListBoxMacroList->selectedItems();
    MacroSelected(selected.isEmpty() ? -1 : ListBoxMacroList->row(selected.front()));
  });
  connect(TextMacroName, &TTextMacroName::Committed, this, [this] { CommitMacroName(); });
  connect(TextMacroName, &TTextMacroName::Abandoned, this, [this] { AbandonMacroName(); });
  connect(TextEditDelay, &TTextEditDelay::Committed, this, [this](const QString& text) { CommitDelay(text); });
  connect(TextEditDelay, &TTextEditDelay::Abandoned, this, [this] { CloseDelayEditor(); });
  connect(BtnMacroRecord, &QPushButton::clicked, this, [this](bool pressed) { RecordClicked(pressed); });
  connect(BtnRecordbefore, &QPushButton::clicked, this,
          [this](bool pressed) { RecordAroundClicked(BtnRecordbefore, RecordMode::kBefore, pressed); });
  connect(BtnRecordafter, &QPushButton::clicked, this,
          [this](bool pressed) { RecordAroundClicked(BtnRecordafter, RecordMode::kAfter, pressed); });
  connect(BtnMacroLoop, &QCheckBox::toggled, BoxMacroLoop, &QSpinBox::setEnabled);
  connect(BoxMacroLoop, &QSpinBox::valueChanged, this, [this](int value) {
    if (TMACROKEYINFO* macro = SelectedMacro(); macro && !filling_) macro->nLoopCount = static_cast<Word>(value);
  });
  connect(BtnInsertDelay, &QPushButton::clicked, this, [this] { InsertDelayClick(); });
  connect(BtnEditDelay, &QPushButton::clicked, this, [this] { EditDelayClick(); });
  connect(BtnDelete, &QPushButton::clicked, this, [this] { DeleteClick(); });
  connect(BtnMouseEvent, &QPushButton::clicked, this, [this] { MouseEventClick(); });
  connect(BSBTNNEW, &QPushButton::clicked, this, [this] { BSBTNNEWClick(); });
  connect(BSBTNDELETE, &QPushButton::clicked, this, [this] { BSBTNDELETEClick(); });
  connect(BSBTNOK, &QPushButton::clicked, this, [this] { done(kResultOK); });
  connect(BSBTNCANCEL, &QPushButton::clicked, this, [this] { done(kResultCancel); });
  connect(BtnClose, &QPushButton::clicked, this, [this] { done(kResultCancel); });
  connect(BtnMinimize, &QPushButton::clicked, this, [this] {
    QWidget* main = parentWidget() ? parentWidget()->window() : this;
    main->showMinimized();
  });
}

void TFrmMacro::BuildMouseEventMenu() {
  static constexpr const char* kButtons[][4] = {{"Left Button", "Down", "Up", "Left Click"},
                                                {"Right Button", "Down", "Up", "Right  Click"},
                                                {"Middle Button", "Down", "Up", "Middle Click"}};
  for (const auto& button : kButtons) {
    TuiMenuItemEx& top = menu_->Items.Add(button[0]);
    for (int action = 1; action <= 3; ++action) top.SubItems.Add(button[action]);
  }
  menu_->OnItemsClick = [this](const std::string&, std::uint32_t id, const void*, int) {
    // The menu closes first; the insertion may ask a question.
    QTimer::singleShot(0, this, [this, id] { MouseEventChosen(static_cast<int>(id)); });
  };
  menuPopup_ = std::make_unique<TuiMenuExPopup>(
      *menu_, this, [this](const std::string& caption) { return TranslatedText(language_, caption); });
}

void TFrmMacro::Translate() {
  auto tr = [this](const char* text) { return TranslatedText(language_, text); };
  BtnMacroRecord->setText(tr(recording_ ? kStopRecord : kStartRecord));
  BtnMacroRecord->setAccessibleDescription(tr(kStopKeyHint));
  BtnMacroRecord->setToolTip(tr(kStopKeyHint));
  ListBoxMacroList->setAccessibleName(tr("Macro List"));
  ListBoxMacroKey->setAccessibleName(tr("Actions"));
  TextMacroName->setAccessibleName(tr("Macro name"));
  TextEditDelay->setAccessibleName(tr("Delay(ms):"));
  BoxMacroLoop->setAccessibleName(tr("Loop"));
  BtnMinimize->setAccessibleName(tr("Minimize"));
  BtnClose->setAccessibleName(tr("Close Window"));
  setAccessibleName(tr("Macro Manager"));
}

// ---------------------------------------------------------------------------------------------
// The macro list

void TFrmMacro::LoadMacros() {
  const int count = std::min<int>(FMacroKeyInfoList.nMacroInfoCount, kMacrosPerList);
  FList.assign(FMacroKeyInfoList.MacroInfos, FMacroKeyInfoList.MacroInfos + count);
  // A position the list does not have selects nothing.
  if (FCurrentMacro < -1 || FCurrentMacro >= count) FCurrentMacro = -1;
  FillMacroList();
}

void TFrmMacro::SaveMacros() {
  const int count = std::min<int>(static_cast<int>(FList.size()), kMacrosPerList);
  for (int i = 0; i < count; ++i) {
    FMacroKeyInfoList.MacroInfos[i] = FList[static_cast<std::size_t>(i)];
    FMacroKeyInfoList.MacroInfos[i].nMacroIndex = static_cast<Word>(i);
  }
  FMacroKeyInfoList.nMacroInfoCount = static_cast<Word>(count);
}

void TFrmMacro::FillMacroList() {
  const int current = FCurrentMacro;
  {
    const QSignalBlocker quiet(ListBoxMacroList);
    ListBoxMacroList->clear();
    for (const TMACROKEYINFO& macro : FList) {
      auto* row = new QListWidgetItem(QString::fromStdU16String(MacroName(macro)));
      row->setSizeHint(QSize(0, kRowHeight));
      ListBoxMacroList->addItem(row);
    }
  }
  FCurrentMacro = current;
  if (FList.empty() || current < 0) {
    MacroSelected(-1);
    ListBoxMacroKey->clear();
    ShowEntryCount(0, 0);
  }
  if (FList.empty()) return;
  ListBoxMacroList->setFocus(Qt::OtherFocusReason);
  if (current >= 0) ListBoxMacroList->setCurrentRow(current);
}

void TFrmMacro::MacroSelected(int row) {
  const bool selected = row >= 0 && row < static_cast<int>(FList.size());
  PanelMaroEdit->setEnabled(selected);
  BSBTNDELETE->setEnabled(selected);
  if (!selected) return;
  CloseDelayEditor();
  FCurrentMacro = row;
  ShowMacroEntries();
}

TMACROKEYINFO* TFrmMacro::SelectedMacro() {
  const int row = ListBoxMacroList->currentRow();
  if (row < 0 || row >= static_cast<int>(FList.size()) || !ListBoxMacroList->currentItem()->isSelected()) return nullptr;
  return &FList[static_cast<std::size_t>(row)];
}

void TFrmMacro::BSBTNNEWClick() {
  if (TextMacroName->isVisible()) {
    TextMacroName->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (static_cast<int>(FList.size()) >= kEditorMacroLimit) {
    ShowMessageDialog(TranslatedText(language_, kWarningTitle), TranslatedText(language_, kMacroLimitText), 0, this);
    return;
  }
  ListBoxMacroList->setEnabled(true);
  const int count = ListBoxMacroList->count();
  int top = count * kRowHeight;
  if (count > 14) top = ListBoxMacroList->visualItemRect(ListBoxMacroList->item(count - 1)).bottom() + 1 - TTextMacroName::kHeight;
  TextMacroName->setGeometry(0, top, std::min(TTextMacroName::kWidth, ListBoxMacroList->viewport()->width()),
                             TTextMacroName::kHeight);
  TextMacroName->setEnabled(true);
  TextMacroName->show();
  TextMacroName->raise();
  TextMacroName->setFocus(Qt::OtherFocusReason);
}

void TFrmMacro::CommitMacroName() {
  if (!TextMacroName->isVisible()) return;
  const QString name = TextMacroName->text();
  AbandonMacroName();
  if (name.isEmpty()) return;
  const std::u16string wanted = name.toStdU16String();
  for (int row = 0; row < static_cast<int>(FList.size()); ++row) {
    if (MacroName(FList[static_cast<std::size_t>(row)]) != wanted) continue;
    ListBoxMacroList->setFocus(Qt::OtherFocusReason);
    ListBoxMacroList->setCurrentRow(row);
    return;
  }
  TuiMacroClass created;
  created.CreateNewMacro(wanted);
  TMACROKEYINFO macro = created.Macros().front();
  FCurrentMacro = static_cast<int>(FList.size());
  macro.nMacroIndex = static_cast<Word>(FCurrentMacro);
  FList.push_back(macro);
  FillMacroList();
}

void TFrmMacro::AbandonMacroName() {
  // Hidden first, so that losing the focus on the way commits nothing.
  TextMacroName->hide();
  TextMacroName->setEnabled(false);
  TextMacroName->move(0, TTextMacroName::kRestingTop);
  TextMacroName->clear();
  if (!FList.empty()) ListBoxMacroList->setFocus(Qt::OtherFocusReason);
}

void TFrmMacro::BSBTNDELETEClick() {
  const int row = ListBoxMacroList->currentRow();
  if (!SelectedMacro()) return;
  // The selected row's own macro goes, also when another macro's name differs from it only in case.
  FList.erase(FList.begin() + row);
  FCurrentMacro = static_cast<int>(FList.size()) - 1;
  FillMacroList();
}

// ---------------------------------------------------------------------------------------------
// The event list

void TFrmMacro::ShowMacroEntries() {
  ListBoxMacroKey->clear();
  const TMACROKEYINFO* macro = SelectedMacro();
  if (!macro) {
    ShowEntryCount(0, 0);
    return;
  }
  for (int i = 0; i < EntryCount(*macro); ++i) {
    const TMACROENTRY& entry = macro->MacroList[i];
    ListBoxMacroKey->addItem(MakeRow(RowText(language_, entry), KindOf(entry)));
  }
  filling_ = true;
  BtnAutoDelay->setChecked(macro->nAutoAddDelay == 1);
  const bool loop = macro->nLoopCount > 0;
  BoxMacroLoop->setValue(loop ? macro->nLoopCount : 0);
  BtnMacroLoop->setChecked(loop);
  BoxMacroLoop->setEnabled(loop);
  filling_ = false;
  ShowEntryCount(EntryCount(*macro), 0);
}

void TFrmMacro::ShowEntryCount(int count, int dropped) {
  QString text = TranslatedText(language_, kEntryCount).arg(count).arg(kMacroStepCount);
  if (dropped > 0) text += QLatin1Char('\n') + TranslatedText(language_, kEntriesDropped).arg(dropped);
  LabelEntryCount->setText(text);
  LabelEntryCount->setProperty("q9role", dropped > 0 || count >= kMacroStepCount ? QStringLiteral("warning")
                                                                                   : QStringLiteral("muted"));
  LabelEntryCount->setStyleSheet(dropped > 0 || count >= kMacroStepCount
                                     ? QStringLiteral("color: %1;").arg(skin::kWarning.name())
                                     : QString());
  LabelEntryCount->setAccessibleName(text);
}

int TFrmMacro::SelectedRow() const {
  const QListWidgetItem* item = ListBoxMacroKey->currentItem();
  return item && item->isSelected() ? ListBoxMacroKey->currentRow() : -1;
}

void TFrmMacro::SelectRow(int row) {
  if (ListBoxMacroKey->count() == 0) return;
  ListBoxMacroKey->setCurrentRow(std::clamp(row, 0, ListBoxMacroKey->count() - 1));
}

bool TFrmMacro::AcceptLosing(int lost) {
  if (lost <= 0) return true;
  const QString text = TranslatedText(language_, kLosingQuestion).arg(kMacroStepCount).arg(lost);
  return ShowMessageDialog(TranslatedText(language_, kWarningTitle), text, 0, this) == TFrmDialog::kResultOK;
}

void TFrmMacro::InsertDelayClick() {
  TMACROKEYINFO* macro = SelectedMacro();
  const int row = SelectedRow();
  if (!macro || !CanInsertDelayAfter(*macro, row)) return;
  if (!AcceptLosing(EntriesLostByInserting(*macro, 1))) return;
  InsertEntries(*macro, row + 1, {DelayEntry(kShortestMacroDelayMs)});
  if (macro->nAutoAddDelay == 0) macro->nAutoAddDelay = 1;
  ShowMacroEntries();
  SelectRow(row + 1);
}

void TFrmMacro::EditDelayClick() {
  const TMACROKEYINFO* macro = SelectedMacro();
  const int row = SelectedRow();
  if (!macro || row < 0 || ListBoxMacroKey->item(row)->data(kRowKindRole).toString() != RowKindName(RowKind::kDelay))
    return;
  if (TextEditDelay->isVisible()) {
    TextEditDelay->setFocus(Qt::OtherFocusReason);
    return;
  }
  ListBoxMacroKey->setEnabled(true);
  delayRow_ = row;
  const QRect rowRect = ListBoxMacroKey->visualItemRect(ListBoxMacroKey->item(row));
  TextEditDelay->setGeometry(19, rowRect.top(), TTextEditDelay::kWidth, TTextEditDelay::kHeight);
  TextEditDelay->setText(QString::number(MacroDelayMs(macro->MacroList[row])));
  TextEditDelay->setEnabled(true);
  TextEditDelay->show();
  TextEditDelay->raise();
  TextEditDelay->setFocus(Qt::OtherFocusReason);
}

void TFrmMacro::CommitDelay(const QString& text) {
  TMACROKEYINFO* macro = SelectedMacro();
  // The row the editor was opened on, not whichever row a click has selected since.
  if (macro) SetDelayFromText(*macro, delayRow_, text.toStdString());
  CloseDelayEditor();
  ShowMacroEntries();
  SelectRow(anchorRow_);
  ListBoxMacroKey->setFocus(Qt::OtherFocusReason);
}

void TFrmMacro::CloseDelayEditor() {
  if (!TextEditDelay->isVisible()) return;
  TextEditDelay->hide();
  TextEditDelay->setEnabled(false);
  TextEditDelay->clear();
  TextEditDelay->move(-200, -200);
  delayRow_ = -1;
}

void TFrmMacro::DeleteClick() {
  TMACROKEYINFO* macro = SelectedMacro();
  const int row = SelectedRow();
  if (!macro || !DeleteEntry(*macro, row)) return;
  ShowMacroEntries();
  SelectRow(row);
}

void TFrmMacro::MouseEventClick() {
  const QPoint pointer = QCursor::pos();
  // Opened from the keyboard, the menu drops from the button instead of wherever the pointer rests.
  const bool overButton = BtnMouseEvent->rect().contains(BtnMouseEvent->mapFromGlobal(pointer));
  menuPopup_->ShowMainMenu(overButton ? pointer : BtnMouseEvent->mapToGlobal(QPoint(0, BtnMouseEvent->height())));
}

void TFrmMacro::MouseEventChosen(int itemId) {
  TMACROKEYINFO* macro = SelectedMacro();
  const std::vector<TMACROENTRY> entries = MouseEventEntries(itemId);
  if (!macro || entries.empty()) return;
  const int row = SelectedRow();
  if (!AcceptLosing(EntriesLostByInserting(*macro, static_cast<int>(entries.size())))) return;
  InsertEntries(*macro, row + 1, entries);
  if (entries.size() > 1 && macro->nAutoAddDelay == 0) macro->nAutoAddDelay = 1;
  ShowMacroEntries();
  SelectRow(RowAfterMouseEvent(row, itemId));
}

// ---------------------------------------------------------------------------------------------
// Recording

void TFrmMacro::RecordClicked(bool pressed) {
  if (!pressed) {
    StopRecord();
    return;
  }
  if (!SelectedMacro() || FList.empty()) {
    BtnMacroRecord->setChecked(false);
    return;
  }
  recordMode_ = RecordMode::kReplace;
  ListBoxMacroKey->clear();
  StartRecorder();
}

void TFrmMacro::RecordAroundClicked(QPushButton* toggle, RecordMode mode, bool pressed) {
  const int row = SelectedRow();
  if (row < 0 || !SelectedMacro() || FList.empty()) {
    toggle->setChecked(false);
    return;
  }
  recordMode_ = mode;
  anchorRow_ = beforePosition_ = afterPosition_ = row;
  if (pressed) {
    BtnMacroRecord->setChecked(true);
    StartRecorder();
  }
}

void TFrmMacro::StartRecorder() {
  CloseDelayEditor();
  appendPosition_ = 0;
  heldKeys_.fill(false);
  stoppedByKey_ = dropRecording_ = false;
  recording_ = true;
  BtnMacroRecord->setText(TranslatedText(language_, kStopRecord));
  if (const TMACROKEYINFO* macro = SelectedMacro())
    ShowEntryCount(recordMode_ == RecordMode::kReplace ? 0 : EntryCount(*macro), 0);
  hook_->RecordKeyboardMacroKey();
  SetRecordingControls(true);
}

void TFrmMacro::StopRecord() {
  if (!recording_) return;
  appendPosition_ = beforePosition_ = afterPosition_ = 0;
  BtnRecordbefore->setChecked(false);
  BtnRecordafter->setChecked(false);
  BtnMacroRecord->setChecked(false);
  recording_ = false;
  BtnMacroRecord->setText(TranslatedText(language_, kStartRecord));
  SetRecordingControls(false);
  hook_->StopRecordKeyboardMacroKey();
  ShowMacroEntries();
  ListBoxMacroKey->setFocus(Qt::OtherFocusReason);
}

void TFrmMacro::SetRecordingControls(bool recording) {
  if (!recording) {
    for (QWidget* widget : disabledWhileRecording_) widget->setEnabled(true);
    disabledWhileRecording_.clear();
    return;
  }
  std::vector<QWidget*> controls{ListBoxMacroList, ListBoxMacroKey, BoxMacroLoop};
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) controls.push_back(button);
  for (QWidget* widget : controls) {
    if (widget == BtnMacroRecord || !widget->isEnabled()) continue;
    widget->setEnabled(false);
    disabledWhileRecording_.push_back(widget);
  }
}

void TFrmMacro::LiveItem(int type, int key, int state, const std::string& text, const MacroKeyList& items) {
  if (type == kRecordedKey && key == kStopRecordKey) {
    if (state == kKeyPressed && !stoppedByKey_) {
      stoppedByKey_ = true;
      // Not inside the hook's own call: the recorder is stopped from the event loop.
      QTimer::singleShot(0, this, [this] { StopRecord(); });
    }
    return;
  }
  if (stoppedByKey_) return;
  const MergedMacro merged = MergedRecording(items);
  ShowEntryCount(EntryCount(merged.macro), merged.dropped);
  if (ListBoxMacroKey->count() >= kMacroStepCount) return;
  if (type == kRecordedKey) {
    const std::size_t vk = static_cast<std::size_t>(key) & 0xFF;
    if (state == kKeyPressed && heldKeys_[vk]) return;  // auto-repeat
    heldKeys_[vk] = state == kKeyPressed;
  } else if (!BtnAutoDelay->isChecked()) {
    return;
  }
  int position = 0;
  switch (recordMode_) {
    case RecordMode::kReplace: position = appendPosition_++; break;
    case RecordMode::kBefore: position = beforePosition_++; break;
    case RecordMode::kAfter: position = ++afterPosition_; break;
  }
  QListWidgetItem* row = nullptr;
  if (type == kRecordedKey) {
    const RowKind kind = state == kKeyPressed ? RowKind::kKeyDown : RowKind::kKeyUp;
    row = MakeRow(QStringLiteral(" [ ") + QString::fromStdString(text) + QStringLiteral(" ] ") +
                      TranslatedText(language_, state == kKeyPressed ? "Down" : "Up"),
                  kind);
  } else {
    row = MakeRow(QStringLiteral("[ ") + QString::fromStdString(text) + QStringLiteral(" ] ") +
                      TranslatedText(language_, "ms"),
                  RowKind::kDelay);
  }
  position = std::clamp(position, 0, ListBoxMacroKey->count());
  ListBoxMacroKey->insertItem(position, row);
  ListBoxMacroKey->setCurrentRow(position);
}

MacroKeyList TFrmMacro::WithoutStopKey(const MacroKeyList& items) const {
  if (!stoppedByKey_) return items;
  const auto stop = std::find_if(items.rbegin(), items.rend(), [](const TMACROKEYHOOK& item) {
    return item.nKeyType == kRecordedKey && item.nKeyValue == kStopRecordKey && item.nKeyState == kKeyPressed;
  });
  MacroKeyList kept(items.begin(), stop == items.rend() ? items.end() : std::prev(stop.base()));
  // The pause before the stop key is the user reaching for it, not part of the macro.
  if (!kept.empty() && kept.back().nKeyType == kRecordedDelay) kept.pop_back();
  return kept;
}

MergedMacro TFrmMacro::MergedRecording(const MacroKeyList& items) const {
  const int row = ListBoxMacroList->currentRow();
  const TMACROKEYINFO& old = FList.at(static_cast<std::size_t>(row));
  const ConvertedRecording converted = ConvertRecording(old, WithoutStopKey(items), BtnAutoDelay->isChecked(),
                                                        BtnMacroLoop->isChecked(), BoxMacroLoop->value());
  MergedMacro merged = MergeRecording(old, converted.macro, recordMode_, anchorRow_);
  if (recordMode_ == RecordMode::kReplace) merged.dropped = converted.dropped;
  return merged;
}

void TFrmMacro::RecordingStopped(const MacroKeyList& items) {
  TMACROKEYINFO* macro = SelectedMacro();
  if (dropRecording_ || !macro) return;
  const MergedMacro merged = MergedRecording(items);
  if (!AcceptLosing(merged.dropped)) return;
  *macro = merged.macro;
}

// ---------------------------------------------------------------------------------------------
// The window

void TFrmMacro::done(int result) {
  if (recording_) {
    dropRecording_ = true;
    StopRecord();
  }
  CloseDelayEditor();
  SaveMacros();
  QDialog::done(result);
}

void TFrmMacro::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr)
    move(owner->frameGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TFrmMacro::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  skin::PaintWindowBackground(painter, rect());
}

void TFrmMacro::mousePressEvent(QMouseEvent* event) {
  if (!drag_.Press(*this, *event)) QDialog::mousePressEvent(event);
}

void TFrmMacro::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_.Move(*this, *event)) QDialog::mouseMoveEvent(event);
}

void TFrmMacro::mouseReleaseEvent(QMouseEvent* event) {
  drag_.Release();
  QDialog::mouseReleaseEvent(event);
}

int ShowMacroDialog(const TMouseProfileInfoEasyShiftEx& profile, TMouseButtonConfigInfoEasyShiftEx& buttons,
                    TMACROKEYINFOLIST& macros, int& currentMacro, const HookServices& hook, TuiLanguage& language,
                    QWidget* parent) {
  TFrmMacro form(hook, language, parent);
  form.FCreateByOther = true;
  *form.FMouseProfileInfo = profile;
  *form.FMouseButtonConfigInfo = buttons;
  form.FMacroKeyInfoList = macros;
  form.FCurrentMacro = currentMacro;
  form.LoadMacros();
  const int result = form.exec() == TFrmMacro::kResultOK ? TFrmMacro::kResultOK : TFrmMacro::kResultCancel;
  if (result == TFrmMacro::kResultOK) {
    buttons = *form.FMouseButtonConfigInfo;
    macros = form.FMacroKeyInfoList;
    currentMacro = form.FCurrentMacro;
  }
  return result;
}

}  // namespace q9
