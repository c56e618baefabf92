#pragma once
// What the window tests share: the capture window on test doubles, and
// operator input sent as events.

#include <QAbstractItemView>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>

#include "doubles/capture_run.h"
#include "window/form1.h"

namespace tally::testing {

// Runs the event loop until the condition holds or the time is up; gives
// the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 2000);

// Counts the events of one type an object receives from the moment it is
// made; of paint events, also the tallest area drawn at one.
class EventCount : public QObject {
 public:
  explicit EventCount(QObject* watched, QEvent::Type type = QEvent::Paint);
  int count = 0;
  int tallest = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QEvent::Type type_;
};

void PressKey(QWidget* widget, Qt::Key key);
void DoubleClickRow(QAbstractItemView* view, int row);

// The window comes first, so that the run can be shown in it.
struct ShownWindow {
  Form1 window;
};

// A capture run shown in the window, its events wired as the program wires
// them; the operator chooses the data directory in it.
struct WindowRig : ShownWindow, CaptureRun {
  WindowRig();

  template <typename Control>
  Control* Find(const char* name) {
    return window.findChild<Control*>(QString::fromLatin1(name));
  }
  QPushButton* Button(int number);
  QLineEdit* Box(int number);
  QLabel* Label(int number);
};

}  // namespace tally::testing
