#include "mainwindow/OptionsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/Skin.h"
#include "gui/uiLanguageWidgets.h"
#include "lang/uiLanguage.h"
#include "mainwindow/SensitivityPage.h"

namespace q9 {

namespace {

constexpr const char* kCaption = "Gaming Options";
constexpr const char* kShortcutsHeading = "Shortcuts Options";
constexpr const char* kFeatureHeading = "Disable Feature";
constexpr const char* kGroupsHeading = "Group Options";
constexpr const char* kIntroduction =
    "EasyShift function is a convenient and practical feature for this gaming mouse, which allows you quickly "
    "switching mouse button setting that stored in the memory, we have prepared a variety of shortcuts for "
    "switching, you can choose your own way.";
constexpr int kRightHandShortCuts = 1;
constexpr int kFeatureOnRow = 0;

std::array<Integer*, 4> Groups(TEasyShiftOptions& options) {
  return {&options.EnableGroup1, &options.EnableGroup2, &options.EnableGroup3, &options.EnableGroup4};
}

QLabel* AddLabel(QWidget* parent, QVBoxLayout* column, const char* name, const char* text, bool heading) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setWordWrap(!heading);
  if (heading) {
    label->setProperty("q9role", QStringLiteral("heading"));
    label->setFont(skin::WindowFont(10, true));
  }
  column->addWidget(label);
  return label;
}

QComboBox* AddComboBox(QWidget* parent, QVBoxLayout* column, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  column->addWidget(box);
  return box;
}

}  // namespace

TOptionsForm::TOptionsForm(TuiLanguage& language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      language_(language) {
  setObjectName("TOptionsForm");
  setWindowTitle(QString::fromUtf8(kCaption));
  setFixedSize(kClientWidth, kClientHeight);
  setFont(skin::WindowFont());
  setModal(true);
  BuildControls();
  RegisterFormWidgets(language_, this);
  UpdateAccessibleNames();
  OnLanguageChanged(language_, this, [this] { UpdateAccessibleNames(); });
}

void TOptionsForm::BuildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(14, 14, 14, 14);
  outer->setSpacing(12);

  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("TabControlOptions");
  auto* page = new QWidget;
  page->setObjectName("TabItem1");
  tabs->addTab(page, QStringLiteral("EasyShift Options"));
  outer->addWidget(tabs, 1);

  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(14, 12, 14, 12);
  column->setSpacing(7);
  AddLabel(page, column, "LabelEasyShiftOptions", kShortcutsHeading, true);
  AddLabel(page, column, "Label1", kIntroduction, false);
  ComboBoxShortCuts = AddComboBox(page, column, "ComboBoxShortCuts");
  ComboBoxShortCuts->setMaxVisibleItems(6);
  for (const char* set : kShortCutSets) ComboBoxShortCuts->addItem(QString::fromUtf8(set));
  column->addSpacing(6);
  AddLabel(page, column, "Label2", kFeatureHeading, true);
  AddLabel(page, column, "Label3", "You can disable the EasyShift feature,default setting is enabled.", false);
  ComboBoxEnableEasyshift = AddComboBox(page, column, "ComboBoxEnableEasyshift");
  ComboBoxEnableEasyshift->addItems({QStringLiteral("Yes,enable this feature."), QStringLiteral("No,disable this feature.")});
  column->addSpacing(6);
  AddLabel(page, column, "Label4", kGroupsHeading, true);
  AddLabel(page, column, "Label5", "You can disable/enable some groups for your favor.", false);

  // Groups 1 and 3 on the left, 2 and 4 on the right.
  auto* groups = new QGridLayout;
  groups->setHorizontalSpacing(24);
  for (int group = 0; group < 4; ++group) {
    auto* box = new QCheckBox(QStringLiteral("Group %1").arg(group + 1), page);
    box->setObjectName(QStringLiteral("CheckBoxGroup%1").arg(group + 1));
    groups->addWidget(box, group / 2, group % 2);
    CheckBoxGroups[static_cast<std::size_t>(group)] = box;
  }
  // Group 1 always takes part: it shows the stored value and cannot be changed here.
  CheckBoxGroups[0]->setEnabled(false);
  column->addLayout(groups);
  column->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(8);
  BSBTNDEFAULTS = new QPushButton(QStringLiteral("Defaults"), this);
  BSBTNDEFAULTS->setObjectName("BSBTNDEFAULTS");
  bsbtnOK = new QPushButton(QStringLiteral("OK"), this);
  bsbtnOK->setObjectName("bsbtnOK");
  bsbtnOK->setProperty("q9role", QStringLiteral("primary"));
  bsbtnOK->setDefault(true);
  BitmapStateButton2 = new QPushButton(QStringLiteral("Cancel"), this);
  BitmapStateButton2->setObjectName("BitmapStateButton2");
  for (QPushButton* button : {BSBTNDEFAULTS, bsbtnOK, BitmapStateButton2}) button->setMinimumSize(84, 29);
  buttons->addWidget(BSBTNDEFAULTS);
  buttons->addStretch(1);
  buttons->addWidget(bsbtnOK);
  buttons->addWidget(BitmapStateButton2);
  outer->addLayout(buttons);

  connect(BSBTNDEFAULTS, &QPushButton::clicked, this, [this] { BSBTNDEFAULTSClick(); });
  connect(bsbtnOK, &QPushButton::clicked, this, [this] { bsbtnOKClick(); });
  connect(BitmapStateButton2, &QPushButton::clicked, this, [this] { reject(); });
}

// The drop-down lists have no caption of their own: they are named by the heading above them.
void TOptionsForm::UpdateAccessibleNames() {
  ComboBoxShortCuts->setAccessibleName(TranslatedText(language_, kShortcutsHeading));
  ComboBoxEnableEasyshift->setAccessibleName(TranslatedText(language_, kFeatureHeading));
}

int TOptionsForm::ExecuteOptionsForm(TEasyShiftOptions& options, TuiLanguage& language, QWidget* parent) {
  TOptionsForm form(language, parent);
  form.FCreateByOther = true;
  form.FEasyShiftOptions = options;
  form.LoadOptions();
  const int result = form.exec() == kResultOK ? kResultOK : kResultCancel;
  if (result == kResultOK) options = form.FEasyShiftOptions;
  return result;
}

void TOptionsForm::LoadOptions() {
  const Integer set = FEasyShiftOptions.ShortCutsType;
  ComboBoxShortCuts->setCurrentIndex(set >= 0 && set < static_cast<Integer>(kShortCutSets.size()) ? set
                                                                                                 : kRightHandShortCuts);
  ComboBoxEnableEasyshift->setCurrentIndex(FEasyShiftOptions.EnableFeature == 1 ? kFeatureOnRow : 1);
  const std::array<Integer*, 4> groups = Groups(FEasyShiftOptions);
  for (std::size_t group = 0; group < groups.size(); ++group) CheckBoxGroups[group]->setChecked(*groups[group] == 1);
}

void TOptionsForm::BSBTNDEFAULTSClick() {
  FEasyShiftOptions.ShortCutsType = kRightHandShortCuts;
  FEasyShiftOptions.EnableFeature = 1;
  for (Integer* group : Groups(FEasyShiftOptions)) *group = 1;
  LoadOptions();
}

void TOptionsForm::bsbtnOKClick() {
  FEasyShiftOptions.ShortCutsType = ComboBoxShortCuts->currentIndex();
  FEasyShiftOptions.EnableFeature = ComboBoxEnableEasyshift->currentIndex() == kFeatureOnRow ? 1 : 0;
  const std::array<Integer*, 4> groups = Groups(FEasyShiftOptions);
  for (std::size_t group = 0; group < groups.size(); ++group) *groups[group] = CheckBoxGroups[group]->isChecked() ? 1 : 0;
  done(kResultOK);
}

void TOptionsForm::reject() { done(kResultCancel); }

void TOptionsForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr)
    move(owner->frameGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TOptionsForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, Qt::black);
  background.setColorAt(0.48, QColor(0x02, 0x61, 0x22));
  background.setColorAt(1, Qt::black);
  painter.fillRect(rect(), background);
}

}  // namespace q9
