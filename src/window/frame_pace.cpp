#include "window/frame_pace.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace tally {

FramePace::FramePace(QWidget* window, std::chrono::milliseconds frame) : QObject(window), window_(window) {
  frame_.setSingleShot(true);
  frame_.setInterval(frame);
  connect(&frame_, &QTimer::timeout, this, &FramePace::FrameOver);
  window->installEventFilter(this);
}

FramePace* FramePace::Of(const QWidget* widget) {
  return widget->window()->findChild<FramePace*>(QString(), Qt::FindDirectChildrenOnly);
}

void FramePace::Request() {
  // Within a frame the request is only noted: its end draws it, and a
  // reading costs no wake-up of the loop for a request held back anyway.
  if (frame_.isActive()) {
    held_ = true;
    return;
  }
  QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

bool FramePace::eventFilter(QObject* watched, QEvent* event) {
  // Qt asks for the window's repaint with one update request for all that
  // was marked since the last; one held back is not asked for again, so
  // the frame's end sends it.
  if (watched != window_ || event->type() != QEvent::UpdateRequest) return false;
  if (frame_.isActive()) {
    held_ = true;
    return true;
  }
  frame_.start();
  emit frameStarting();
  // This request draws all that is marked, what the frame's start just
  // marked too; a request Qt posted for that would only start an empty
  // frame after this one, a wake-up of the loop for each reading.
  QCoreApplication::removePostedEvents(window_, QEvent::UpdateRequest);
  return false;
}

void FramePace::FrameOver() {
  if (!held_) return;
  held_ = false;
  QEvent request(QEvent::UpdateRequest);
  QCoreApplication::sendEvent(window_, &request);
}

}  // namespace tally
