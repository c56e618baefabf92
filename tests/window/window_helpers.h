#pragma once
// What the window tests share: the capture window on test doubles with its
// events wired as the program wires them, and operator input sent as events.

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>

#include "capture/capture_context.h"
#include "doubles/fixed_clock.h"
#include "doubles/manual_timer.h"
#include "doubles/scripted_port.h"
#include "doubles/temp_dir.h"
#include "window/form1.h"

namespace tally::testing {

// Runs the event loop until the condition holds or the time is up; gives
// the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 2000);

void PressKey(QWidget* widget, Qt::Key key);
void DoubleClickRow(QAbstractItemView* view, int row);

struct WindowRig {
  WindowRig();

  template <typename Control>
  Control* Find(const char* name) {
    return window.findChild<Control*>(QString::fromLatin1(name));
  }
  QPushButton* Button(int number);
  QLineEdit* Box(int number);
  QLabel* Label(int number);

  // Characters arrive in one receive event; the quiet interval then passes.
  void Burst(const std::string& text);

  TempDir dir;
  ScriptedPort port;
  ManualTimer timer;
  FixedClock clock;
  Form1 window;
  CaptureContext context{window, port, timer, clock, window};
};

}  // namespace tally::testing
