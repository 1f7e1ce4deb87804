#include "mainwindow/ButtonPage.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

#include "dialogs/FireKeyfrm.h"
#include "dialogs/SingleKeyfrm.h"
#include "dialogs/combofrm.h"
#include "gui/SkinPalette.h"
#include "gui/uiLanguageWidgets.h"
#include "gui/uiMenuExPopup.h"
#include "macro/macrofrm.h"
#include "mainwindow/MousePicture.h"
#include "mainwindow/showdialog.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {

namespace {

constexpr const char* kMacroLimitText = "You can assign macro function to buttons shall not exceed 5!";
constexpr const char* kSlotAccessibleName = "Button %1: %2";
constexpr const char* kHotProperty = "q9hot";
constexpr int kSlotSpacing = 3;

// The number a slot button carries, drawn as a badge at its left.
QIcon NumberBadge(int number) {
  QPixmap badge(22, 22);
  badge.fill(Qt::transparent);
  QPainter painter(&badge);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(skin::kAccent, 1.2));
  painter.setBrush(skin::kAccentDark);
  painter.drawEllipse(QRectF(1, 1, 20, 20));
  QFont bold;
  bold.setBold(true);
  bold.setPixelSize(11);
  painter.setFont(bold);
  painter.setPen(skin::kText);
  painter.drawText(QRectF(0, 0, 22, 22), Qt::AlignCenter, QString::number(number));
  painter.end();
  QIcon icon(badge);
  icon.addPixmap(badge, QIcon::Disabled);
  return icon;
}

// "Combo Key..." is read out as "Combo Key": the dots promise a dialog, which a name does not.
QString WithoutEllipsis(QString caption) {
  while (caption.endsWith(QLatin1Char('.'))) caption.chop(1);
  if (caption.endsWith(QChar(0x2026))) caption.chop(1);
  return caption.trimmed();
}

void SetHot(QPushButton* button, bool hot) {
  button->setProperty(kHotProperty, hot);
  button->style()->unpolish(button);
  button->style()->polish(button);
}

}  // namespace

TButtonPage::TButtonPage(ButtonPageServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), FAssignment(services_.DM) {
  setObjectName("ButtonPage");
  vgmgImageMouseLayout = new TMousePicture(this);
  vgmgImageMouseLayout->setAccessibleName(Tr("Mouse buttons"));
  BuildSlotButtons();
  BuildGroupPanel();

  auto* column = new QVBoxLayout;
  column->setSpacing(kSlotSpacing);
  for (QPushButton* button : FConfigButtonSet)
    if (button) column->addWidget(button);
  column->addStretch(1);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 8, 0, 0);
  row->setSpacing(4);
  row->addWidget(vgmgImageMouseLayout, 0, Qt::AlignTop);
  row->addLayout(column);

  BuildAssignmentMenu(services_.menu);
  services_.menu.OnItemsClick = [this](const std::string&, std::uint32_t id, const void*, int) {
    // After the popup has closed: a dialog opened from inside its release handler would run over a
    // menu that the assignment may rebuild.
    QMetaObject::invokeMethod(this, [this, id] { uiMenuEx1ItemsClick(static_cast<int>(id)); }, Qt::QueuedConnection);
  };
  OnLanguageChanged(services_.language, this, [this] {
    vgmgImageMouseLayout->setAccessibleName(Tr("Mouse buttons"));
    RebuildMacroMenu();
    RefreshButtonCaptions();
  });
}

void TButtonPage::BuildSlotButtons() {
  for (int slot = 0; slot < kSlotCount - 1; ++slot) {
    auto* button = new QPushButton(this);
    button->setObjectName(slot < 8 ? QStringLiteral("BtnSet%1").arg(slot + 1) : QStringLiteral("Btnset9"));
    button->setProperty("tag", slot);
    button->setProperty("q9role", QStringLiteral("slot"));
    // Captions, hints and names are set by the page: key and macro names are never translated.
    button->setProperty(kNoTranslateProperty, true);
    button->setFixedSize(kSlotSize);
    button->setIcon(NumberBadge(slot + 1));
    button->setIconSize(QSize(22, 22));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, button] {
      // From the keyboard the menu opens under the button rather than where the pointer is.
      const QPoint pointer = QCursor::pos();
      const bool byPointer = button->rect().contains(button->mapFromGlobal(pointer));
      BtnSet1Click(button, byPointer ? pointer : button->mapToGlobal(QPoint(0, button->height())));
    });
    if (slot == 8) button->hide();
    FConfigButtonSet[static_cast<std::size_t>(slot)] = button;
  }
}

void TButtonPage::BuildGroupPanel() {
  static constexpr std::array<const char*, kGroupCount> kNames{"BSBTNCONFIGNORMAL", "BSBTNCONFIGALTPLUS",
                                                               "BSBTNCONFIGCTRLPLUS", "BSBTNCONFIGSHIFTPLUS"};
  GroupPanel = new QWidget(this);
  GroupPanel->setObjectName("GroupPanel");
  auto* row = new QHBoxLayout(GroupPanel);
  row->setContentsMargins(0, 0, 0, 0);
  auto* group = new QButtonGroup(GroupPanel);
  group->setExclusive(false);  // SetButtonEasyShift presses and releases them itself
  for (int tag = 0; tag < kGroupCount; ++tag) {
    auto* button = new QPushButton(QStringLiteral("Group %1").arg(tag + 1), GroupPanel);
    button->setObjectName(QString::fromLatin1(kNames[static_cast<std::size_t>(tag)]));
    button->setProperty("tag", tag);
    button->setCheckable(true);
    connect(button, &QPushButton::clicked, this, [this, button] { BSBTNCONFIGNORMALClick(button); });
    row->addWidget(button);
    group->addButton(button, tag);
    FGroupButtons[static_cast<std::size_t>(tag)] = button;
  }
  GroupPanel->hide();
}

QPushButton* TButtonPage::SlotButton(int slot) const {
  return slot >= 0 && slot < kSlotCount ? FConfigButtonSet[static_cast<std::size_t>(slot)] : nullptr;
}

QString TButtonPage::Tr(const std::string& text) const { return TranslatedText(services_.language, text); }
std::string TButtonPage::TrStd(const std::string& text) const { return services_.language.Translate(text); }

// ---- Opening the menu and assigning ---------------------------------------------------------

void TButtonPage::BtnSet1Click(QPushButton* sender, const QPoint& globalPos) {
  FPlaceButtonTag = sender->property("tag").toInt();
  services_.popup.ShowMainMenu(ShownMenuID(Record(FPlaceButtonTag)), globalPos);
}

void TButtonPage::uiMenuEx1ItemsClick(int menuID) {
  const int slot = FPlaceButtonTag;
  const AssignResult result = FAssignment.AssignFunction(slot, menuID, Dialogs());
  if (result.macrosChanged) {
    RebuildMacroMenu();
    RefreshButtonCaptions();
  } else if (result.outcome == AssignOutcome::kAssigned) {
    ShowButtonFunction(slot, menuID);
  }
  if (services_.settingsModified) services_.settingsModified();
}

AssignmentDialogs TButtonPage::Dialogs() {
  QWidget* parent = services_.dialogParent ? services_.dialogParent : window();
  TuiLanguage& language = services_.language;
  auto hook = services_.hookServices;
  AssignmentDialogs dialogs;
  dialogs.singleKey = [=, &language](TSINGLEKEYINFO& key) {
    return ShowSingleKeyDialog(key, hook(), language, parent) == TFrmDialog::kResultOK;
  };
  dialogs.comboKey = [=, &language](TCOMBOKEYINFO& combo) {
    return ShowComboKeyDialog(combo, hook(), language, parent) == TFrmDialog::kResultOK;
  };
  dialogs.fireKey = [=, &language](TFIREKEYINFO& fire) {
    return ShowFireKeyDialog(fire, hook(), language, parent) == TFrmDialog::kResultOK;
  };
  dialogs.macroManager = [=, &language, &dm = services_.DM](int& currentMacro) {
    return ShowMacroDialog(dm.FCurrentProfileInfo, dm.FCurrentButtonConfigInfo, dm.FCurrentButtonMacroSetInfo,
                           currentMacro, hook(), language, parent) == TFrmDialog::kResultOK;
  };
  dialogs.macroLimitWarning = [this] { ShowMacroLimitWarning(); };
  return dialogs;
}

void TButtonPage::ShowMacroLimitWarning() {
  QWidget* parent = services_.dialogParent ? services_.dialogParent : window();
  ShowMessageDialog(Tr(kWarningTitle), Tr(kMacroLimitText), 0, parent);
}

// ---- Showing the slots -------------------------------------------------------------------------

void TButtonPage::RebuildMacroMenu() {
  q9::RebuildMacroMenu(services_.menu, services_.DM.FCurrentButtonMacroSetInfo,
                       [this](const std::string& text) { return TrStd(text); });
}

void TButtonPage::ShowButtonFunction(int slot, int menuID) {
  QPushButton* button = SlotButton(slot);
  if (!button) return;
  button->setText(Tr(MenuCaptionOfID(services_.menu, menuID)));
  UpdateButtonHint(slot);
  NameSlot(slot);
}

void TButtonPage::RefreshButtonCaptions() {
  const int count = ShownSlotCount(services_.DM.FCurrentMouseSettingInfo);
  for (int slot = 0; slot < count; ++slot) ShowButtonFunction(slot, ShownMenuID(Record(slot)));
}

void TButtonPage::UpdateButtonHint(int slot) {
  if (QPushButton* button = SlotButton(slot))
    button->setToolTip(QString::fromStdString(ButtonHint(Record(slot), [this](const std::string& text) { return TrStd(text); })));
}

// What a screen reader says: "Button 3: Combo Key Ctrl+Shift+A".
void TButtonPage::NameSlot(int slot) {
  QPushButton* button = SlotButton(slot);
  QString name = Tr(kSlotAccessibleName).arg(slot + 1).arg(WithoutEllipsis(button->text()));
  // A macro item's caption names its macro already.
  if (!button->toolTip().isEmpty() && Record(slot).nFunctionIndex != kMacroFunctionIndex)
    name += QLatin1Char(' ') + button->toolTip();
  button->setAccessibleName(name);
}

void TButtonPage::BtnSet1MouseEnter(QPushButton* sender) {
  const int slot = sender->property("tag").toInt();
  UpdateButtonHint(slot);
  SetHot(sender, true);
  vgmgImageMouseLayout->SetHighlighted(slot + 1);
}

void TButtonPage::BtnSet1MouseLeave(QPushButton* sender) {
  SetHot(sender, false);
  vgmgImageMouseLayout->SetHighlighted(0);
}

bool TButtonPage::eventFilter(QObject* watched, QEvent* event) {
  auto* button = qobject_cast<QPushButton*>(watched);
  if (button && button->property("q9role").toString() == QLatin1String("slot")) {
    if (event->type() == QEvent::Enter) BtnSet1MouseEnter(button);
    else if (event->type() == QEvent::Leave) BtnSet1MouseLeave(button);
  }
  return QWidget::eventFilter(watched, event);
}

// ---- Button groups -----------------------------------------------------------------------------

void TButtonPage::BSBTNCONFIGNORMALClick(QPushButton* sender) { SelectButtonGroup(sender->property("tag").toInt()); }

void TButtonPage::SetButtonEasyShift() {
  for (int tag = 0; tag < kGroupCount; ++tag) GroupButton(tag)->setChecked(tag == services_.DM.FButtonConfigIndex);
}

void TButtonPage::SelectButtonGroup(int group) {
  if (!services_.DM.SwitchToButtonConfigset(group)) {
    SetButtonEasyShift();
    return;
  }
  if (services_.reloadWorkingCopies) services_.reloadWorkingCopies();
  RebuildMacroMenu();
  RefreshButtonCaptions();
  SetButtonEasyShift();
}

}  // namespace q9
