#pragma once
// Answers the message dialogs that appear, with the buttons given in turn (the last one for every
// later dialog), and keeps the texts they showed.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <vector>

namespace q9::test {

class DialogAnswerer : public QObject {
 public:
  explicit DialogAnswerer(std::vector<const char*> buttons) : buttons_(std::move(buttons)) {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &DialogAnswerer::Answer);
    timer_.start();
  }
  QStringList texts;

 private:
  void Answer() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(widget);
      if (!dialog || !dialog->isVisible()) continue;
      const char* name = buttons_[std::min<std::size_t>(static_cast<std::size_t>(texts.size()), buttons_.size() - 1)];
      auto* button = dialog->findChild<QPushButton*>(name);
      if (!button) continue;
      texts << dialog->findChild<QLabel*>("LabelText")->text();
      QTest::mouseClick(button, Qt::LeftButton);
      return;
    }
  }
  QTimer timer_;
  std::vector<const char*> buttons_;
};

}  // namespace q9::test
