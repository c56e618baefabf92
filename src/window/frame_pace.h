#pragma once
// Draws a window at most once a frame. Readings can come faster than anyone
// reads them; the rows, the scroll bar and the text boxes that change with
// each are drawn once for all that came within a frame, as a terminal does.
// What the controls hold (the lists' entries, the captions, what screen
// readers are told of them) changes at once; only the drawing waits, a
// forced repaint (QWidget::repaint) within a frame too. Text boxes take
// the program's texts when the frame starts (paced_text.h). A repaint
// asked for after a quiet spell is drawn at the event loop's next turn; the
// frame's timer runs only while something drawn is younger than a frame,
// and stops at the end of a frame in which nothing changed.

#include <QObject>
#include <QTimer>
#include <chrono>

class QWidget;

namespace tally {

class FramePace : public QObject {
  Q_OBJECT

 public:
  // 10 frames a second: smooth enough for rows of numbers, and more often
  // than a processor at 300 baud can send a reading. What a frame draws
  // besides the new rows (the line count, the status, the copy to the X
  // server) is paid once a frame: a fast stream costs the window and the X
  // server a third less than at 15 frames, and half of what 25 cost.
  static constexpr std::chrono::milliseconds kFrame{1000 / 10};

  explicit FramePace(QWidget* window, std::chrono::milliseconds frame = kFrame);

  // The pace of the widget's window, or null when its window draws
  // whenever asked.
  static FramePace* Of(const QWidget* widget);

  // A frame is wanted although nothing is marked for repaint yet (rows to
  // lay out when the frame starts).
  void Request();

  bool FrameRunning() const { return frame_.isActive(); }

 signals:
  // The window is about to be drawn: lay out what changed since the last
  // frame (scroll, mark the new rows).
  void frameStarting();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FrameOver();

  QWidget* window_;
  QTimer frame_;
  bool held_ = false;  // a repaint asked for during the frame, drawn at its end
};

}  // namespace tally
