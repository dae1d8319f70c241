// Answers the program's message boxes in window tests: every box that opens
// is recorded and answered by pressing its first (6) or second (7) button.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <functional>

class BoxAnswerer : public QObject {
 public:
  BoxAnswerer() {
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::Poll);
    timer_.start(5);
  }
  // Answers for the coming boxes, in order; afterwards boxes get 6.
  void Queue(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }

  QStringList texts;
  QStringList captions;  // "first/second" of each box
  int answerAfterMs = 0;  // how long a box stays open before it is answered
  int mostOpen = 0;       // the most boxes seen open at the same time
  // Boxes for which this says true are recorded and left open.
  std::function<bool(const QString& text)> leaveOpen;

 private:
  void Poll() {
    int open = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      open += w->objectName() == "MessageBox1Q" && w->isVisible();
    mostOpen = std::max(mostOpen, open);
    QWidget* box = QApplication::activeModalWidget();
    if (!box || box->objectName() != "MessageBox1Q" || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    texts << box->findChild<QLabel*>("message")->text();
    if (leaveOpen && leaveOpen(texts.last())) return;
    auto* first = box->findChild<QPushButton*>("BT01");
    auto* second = box->findChild<QPushButton*>("BT02");
    captions << first->text() + "/" + second->text();
    int answer = 6;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    QPushButton* b = answer == 6 ? first : second;
    QTimer::singleShot(answerAfterMs, b, &QPushButton::click);
  }

  QTimer timer_;
  std::deque<int> answers_;
};
