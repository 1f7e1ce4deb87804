#include "mainwindow/ReportRateOptions.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include "app/SettingsEditing.h"
#include "gui/uiLanguageWidgets.h"
#include "mainwindow/SensitivityPage.h"

namespace q9 {

TReportRateOptions::TReportRateOptions(ReportRateServices services, QLabel* label)
    : QWidget(label), services_(std::move(services)), label_(label), group_(new QButtonGroup(this)) {
  setObjectName("ReportRateOptions");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(10);
  for (int tag = 0; tag < static_cast<int>(kRates.size()); ++tag) {
    const QString caption = QStringLiteral("%1Hz").arg(kRates[static_cast<std::size_t>(tag)]);
    auto* radio = new QRadioButton(caption, this);
    radio->setObjectName(QStringLiteral("REPORTRATE%1").arg(kRates[static_cast<std::size_t>(tag)]));
    radio->setProperty("tag", tag);
    radio->setFocusPolicy(Qt::StrongFocus);
    group_->addButton(radio, tag);
    row->addWidget(radio);
    if (kRates[static_cast<std::size_t>(tag)] == 333) radio->hide();
    // Clicks only: a refresh that checks a radio stores nothing.
    connect(radio, &QRadioButton::clicked, this, [this, tag] { REPORTRATE250Click(tag); });
  }
  FitIntoLabel();
  OnLanguageChanged(services_.language, this, [this] { FitIntoLabel(); });
}

// The radios stand on a second line under the label's own text, so the row stays clear of the
// buttons at the right end of the bar in every language.
void TReportRateOptions::FitIntoLabel() {
  const QString caption = TranslatedText(services_.language, "Report Rate Option:");
  const QFontMetrics metrics(label_->font());
  const int top = metrics.height() + 2;
  adjustSize();
  const QSize radios = sizeHint();
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->resize(std::max(radios.width(), metrics.horizontalAdvance(caption)), top + radios.height());
  setGeometry(0, top, radios.width(), radios.height());
  if (QWidget* bar = label_->parentWidget()) label_->move(label_->x(), (bar->height() - label_->height()) / 2);
}

void TReportRateOptions::REPORTRATE250Click(int tag) {
  const int rate = tag >= 0 && tag < static_cast<int>(kRates.size()) ? kRates[static_cast<std::size_t>(tag)] : 0;
  if (!SetReportRate(services_.DM, rate)) return;
  if (services_.reportRateChanged) services_.reportRateChanged();
}

void TReportRateOptions::RefreshReportRate() {
  const int rate = services_.DM.FCurrentMouseSettingInfo.ReportRate;
  QAbstractButton* match = nullptr;
  for (QAbstractButton* radio : group_->buttons())
    if (kRates[static_cast<std::size_t>(group_->id(radio))] == rate) match = radio;
  if (match) {
    match->setChecked(true);
    return;
  }
  // A rate the mouse does not have (a damaged or foreign file) is shown as none chosen.
  group_->setExclusive(false);
  for (QAbstractButton* radio : group_->buttons()) radio->setChecked(false);
  group_->setExclusive(true);
}

}  // namespace q9
