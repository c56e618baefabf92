#include "window_helpers.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <algorithm>
#include <gtest/gtest.h>

#include "window/window_events.h"

namespace tally::testing {

namespace {

// The window tests need one application object for the whole run.
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "window_test";
    static char* argv[] = {name, nullptr};
    application_ = new QApplication(argc, argv);
  }
  void TearDown() override { delete application_; }

 private:
  QApplication* application_ = nullptr;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) return condition();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

EventCount::EventCount(QObject* watched, QEvent::Type type) : type_(type) {
  watched->installEventFilter(this);
}

bool EventCount::eventFilter(QObject*, QEvent* event) {
  if (event->type() != type_) return false;
  ++count;
  if (type_ == QEvent::Paint) tallest = std::max(tallest, static_cast<QPaintEvent*>(event)->rect().height());
  return false;
}

void PressKey(QWidget* widget, Qt::Key key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QApplication::sendEvent(widget, &release);
}

void DoubleClickRow(QAbstractItemView* view, int row) {
  const QModelIndex index = view->model()->index(row, 0);
  view->scrollTo(index);
  const QPointF at = view->visualRect(index).center();
  const QPointF global = view->viewport()->mapToGlobal(at);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
  }
}

WindowRig::WindowRig() : CaptureRun(window, window) { ConnectWindowEvents(window, context); }

QPushButton* WindowRig::Button(int number) {
  return window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
}

QLineEdit* WindowRig::Box(int number) {
  return window.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(number));
}

QLabel* WindowRig::Label(int number) {
  return window.findChild<QLabel*>(QStringLiteral("Label%1").arg(number));
}

}  // namespace tally::testing
