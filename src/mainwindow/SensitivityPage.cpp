#include "mainwindow/SensitivityPage.h"

#include <QAccessible>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/SettingsEditing.h"
#include "gui/uiLanguageWidgets.h"
#include "model/CpiStepTable.h"

namespace q9 {

namespace {

constexpr std::array<const char*, 4> kButtonNames{"BtnCPI1", "BtnCPI2", "BTNCPI3", "BTNCPI4"};
constexpr int kLastStep = static_cast<int>(CpiStepTable.size()) - 1;

QString Numbered(const char* prefix, int level, const char* suffix) {
  return QStringLiteral("%1%2%3").arg(QLatin1String(prefix)).arg(level + 1).arg(QLatin1String(suffix));
}

QLabel* MakeText(QWidget* parent, const QString& name, const char* text, const char* role) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  if (!name.isEmpty()) label->setObjectName(name);
  label->setProperty("q9role", QString::fromLatin1(role));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

TSensitivityPage::TSensitivityPage(SensitivityPageServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
  setObjectName("SensitivityPage");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 18, 0, 10);
  row->setSpacing(0);
  row->addStretch(1);
  for (int level = 0; level < kLevelCount; ++level) BuildLevelColumn(level);
  for (int level = 0; level < kLevelCount; ++level) row->addWidget(findChild<QWidget*>(Numbered("RectCPI", level, "")));
  row->addStretch(1);
  // Tab order follows the page from left to right: each level's button, then its X and Y slider.
  QWidget* previous = nullptr;
  for (const CpiRow& cpi : FCpiRows)
    for (QWidget* next : {static_cast<QWidget*>(cpi.button), static_cast<QWidget*>(cpi.x), static_cast<QWidget*>(cpi.y)}) {
      if (previous) setTabOrder(previous, next);
      previous = next;
    }
  UpdateAccessibleTexts();
  OnLanguageChanged(services_.language, this, [this] { UpdateAccessibleTexts(); });
}

void TSensitivityPage::BuildLevelColumn(int level) {
  auto* column = new QWidget(this);
  column->setObjectName(Numbered("RectCPI", level, ""));
  column->setFixedWidth(kColumnWidth);
  CpiRow& cpi = FCpiRows[static_cast<std::size_t>(level)];

  cpi.button = new QPushButton(Numbered("DPI", level, ""), column);
  cpi.button->setObjectName(QString::fromLatin1(kButtonNames[static_cast<std::size_t>(level)]));
  cpi.button->setProperty("tag", level);
  cpi.button->setProperty("q9role", QStringLiteral("dpi"));
  cpi.button->setCheckable(true);  // pressed: the level is off
  cpi.button->setFixedSize(75, 36);
  cpi.button->setCursor(Qt::PointingHandCursor);
  cpi.button->setFocusPolicy(Qt::StrongFocus);
  connect(cpi.button, &QPushButton::clicked, this, [this, button = cpi.button] { BtnCPI1MouseUp(button); });

  cpi.link = new QCheckBox(QStringLiteral("Link X/Y"), column);
  cpi.link->setObjectName(Numbered("CheckCPI", level, ""));
  cpi.link->setProperty("tag", level);
  cpi.link->setChecked(true);
  cpi.link->setEnabled(false);
  cpi.link->hide();
  connect(cpi.link, &QCheckBox::toggled, this, [this, box = cpi.link] { CheckCPI1Change(box); });

  auto makeSlider = [&](const char* axis, int tag) {
    auto* slider = new QSlider(Qt::Vertical, column);  // a vertical slider has its maximum at the top
    slider->setObjectName(Numbered("TrackCPI", level, axis));
    slider->setProperty("tag", tag);
    slider->setProperty("binding", Numbered("CPI", level, ""));
    slider->setRange(0, kLastStep);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBothSides);
    slider->setTickInterval(1);
    slider->setTracking(true);
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->setFixedHeight(205);
    slider->setValue(1);
    connect(slider, &QSlider::valueChanged, this, [this, slider] { TrackCPI1XChange(slider); });
    return slider;
  };
  cpi.x = makeSlider("X", 0);
  cpi.y = makeSlider("Y", 1);
  cpi.xText = MakeText(column, Numbered("TxtCPI", level, "XNum"), "800", "value");
  cpi.yText = MakeText(column, Numbered("TxtCPI", level, "YNum"), "800", "value");
  for (QLabel* text : {cpi.xText, cpi.yText}) text->setProperty("q9NoTranslate", true);

  auto* grid = new QGridLayout(column);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(8);
  grid->addWidget(cpi.button, 0, 0, 1, 2, Qt::AlignHCenter);
  grid->addWidget(cpi.link, 1, 0, 1, 2, Qt::AlignHCenter);
  grid->addWidget(cpi.xText, 2, 0);
  grid->addWidget(cpi.yText, 2, 1);
  grid->addWidget(cpi.x, 3, 0, Qt::AlignHCenter);
  grid->addWidget(cpi.y, 3, 1, Qt::AlignHCenter);
  grid->addWidget(MakeText(column, {}, "X-AXIS", "muted"), 4, 0);
  grid->addWidget(MakeText(column, {}, "Y-AXIS", "muted"), 4, 1);
  grid->setRowStretch(5, 1);
}

void TSensitivityPage::SetCursors(const QCursor* hand, const QCursor* slider) {
  for (const CpiRow& cpi : FCpiRows) {
    if (hand) cpi.button->setCursor(*hand);
    if (slider) {
      cpi.x->setCursor(*slider);
      cpi.y->setCursor(*slider);
    }
  }
}

QString TSensitivityPage::Tr(const char* text) const { return TranslatedText(services_.language, text); }

QString TSensitivityPage::StepText(int step) const {
  const int cpi = CpiOfStep(step);
  return cpi >= 0 ? QString::number(cpi) : QStringLiteral("%1 %2").arg(Tr("step")).arg(step);
}

// A slider reads "DPI 2 X-AXIS" with its value as the Cpi; a DPI button says whether its level is on.
void TSensitivityPage::UpdateAccessibleTexts() {
  for (int level = 0; level < kLevelCount; ++level) {
    const CpiRow& cpi = FCpiRows[static_cast<std::size_t>(level)];
    const QString dpi = QStringLiteral("DPI %1 ").arg(level + 1);
    cpi.x->setAccessibleName(dpi + Tr("X-AXIS"));
    cpi.y->setAccessibleName(dpi + Tr("Y-AXIS"));
    cpi.x->setAccessibleDescription(cpi.xText->text() + QStringLiteral(" CPI"));
    cpi.y->setAccessibleDescription(cpi.yText->text() + QStringLiteral(" CPI"));
    const bool on = !cpi.button->isChecked();
    cpi.button->setAccessibleName(QStringLiteral("%1, %2").arg(cpi.button->text(), Tr(on ? "level on" : "level off")));
    cpi.link->setAccessibleName(Tr("Link X/Y"));
  }
}

void TSensitivityPage::ShowStep(QSlider* slider, QLabel* text, int step) {
  text->setText(StepText(step));
  if (slider->value() != std::clamp(step, 0, kLastStep)) slider->setValue(std::clamp(step, 0, kLastStep));
}

void TSensitivityPage::TrackCPI1XChange(QSlider* slider) {
  const QString binding = slider->property("binding").toString();
  int level = -1;
  for (int k = 0; k < kLevelCount; ++k)
    if (binding.compare(Numbered("CPI", k, ""), Qt::CaseInsensitive) == 0) level = k;
  if (level < 0) return;
  const CpiRow& cpi = FCpiRows[static_cast<std::size_t>(level)];
  const int step = static_cast<int>(std::lround(slider->value()));
  if (cpi.link->isChecked()) {
    QSlider* other = slider->property("tag").toInt() == 0 ? cpi.y : cpi.x;
    const QString shown = StepText(step);
    cpi.xText->setText(shown);
    cpi.yText->setText(shown);
    SetCpiLevelStep(Settings(), level, step);
    if (other->value() != step) other->setValue(step);
  }
  services_.DM.SaveBackToCurrentProfileInfo();
  UpdateAccessibleTexts();
  if (services_.settingsModified) services_.settingsModified();
}

void TSensitivityPage::BtnCPI1MouseUp(QPushButton* button) {
  const int level = button->property("tag").toInt();
  if (level < 0 || level >= kLevelCount) return;
  const bool on = !button->isChecked();
  if (SetCpiLevelEnabled(Settings(), level, on)) {
    EnableCpiLevelControls(level, on);
  } else {
    // The last level that is on stays on.
    button->setChecked(false);
    QCoreApplication::processEvents();
  }
  services_.DM.SaveBackToCurrentProfileInfo();
  UpdateAccessibleTexts();
  if (services_.settingsModified) services_.settingsModified();
}

void TSensitivityPage::CheckCPI1Change(QCheckBox* box) {
  const int level = box->property("tag").toInt();
  if (level < 0 || level >= kLevelCount) return;
  Settings().UseDiffentXY[level] = box->isChecked() ? 0 : 1;
  services_.DM.SaveBackToCurrentProfileInfo();
  if (services_.settingsModified) services_.settingsModified();
}

void TSensitivityPage::EnableCpiLevelControls(int level, bool on) {
  if (level < 0 || level >= kLevelCount) return;
  const CpiRow& cpi = FCpiRows[static_cast<std::size_t>(level)];
  for (QWidget* widget : {static_cast<QWidget*>(cpi.x), static_cast<QWidget*>(cpi.y),
                          static_cast<QWidget*>(cpi.xText), static_cast<QWidget*>(cpi.yText)})
    widget->setEnabled(on);
  cpi.button->setProperty("q9style", on ? QStringLiteral("BUTTONDPI") : QStringLiteral("BUTTONDPI2"));
  cpi.button->style()->unpolish(cpi.button);
  cpi.button->style()->polish(cpi.button);
}

void TSensitivityPage::RefreshCpiLevel(int level) {
  if (level < 0 || level >= kLevelCount) return;
  const CpiRow& cpi = FCpiRows[static_cast<std::size_t>(level)];
  const TCPILEVELINFO& state = Settings().CPIState[level];
  const int step = state.nCPIX;
  cpi.button->setChecked(state.nEnabled != 1);
  // The link box first: a level with separate X and Y must not have its Y overwritten by the X
  // step the sliders show.
  cpi.link->setChecked(Settings().UseDiffentXY[level] == 0);
  if (CpiOfStep(step) < 0) {
    // A damaged profile: the sliders stand at the nearest end and nothing is stored until the
    // user moves one.
    const QSignalBlocker xBlocked(cpi.x);
    const QSignalBlocker yBlocked(cpi.y);
    ShowStep(cpi.x, cpi.xText, step);
    ShowStep(cpi.y, cpi.yText, step);
  } else {
    ShowStep(cpi.x, cpi.xText, step);
    ShowStep(cpi.y, cpi.yText, step);
  }
  services_.DM.SaveBackToCurrentProfileInfo();
}

void TSensitivityPage::RefreshCpi() {
  for (int level = 0; level < kLevelCount; ++level) {
    EnableCpiLevelControls(level, Settings().CPIState[level].nEnabled == 1);
    RefreshCpiLevel(level);
    FCpiRows[static_cast<std::size_t>(level)].link->setChecked(Settings().UseDiffentXY[level] == 0);
  }
  UpdateAccessibleTexts();
}

}  // namespace q9
