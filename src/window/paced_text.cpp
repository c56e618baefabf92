#include "window/paced_text.h"

#include <QEvent>
#include <QLineEdit>

#include "window/frame_pace.h"

namespace tally {

namespace {

QString FromBytes(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// What the operator is about to do in the box: it must hold the newest text.
bool UsesTheBox(QEvent::Type type) {
  switch (type) {
    case QEvent::FocusIn:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

PacedText::PacedText(QLineEdit* box) : QObject(box), box_(box), text_(box->text().toLatin1().toStdString()) {
  connect(box, &QLineEdit::textChanged, this, &PacedText::BoxChanged);
  box->installEventFilter(this);
}

void PacedText::Set(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (!frames_) {
    frames_ = FramePace::Of(box_);
    if (!frames_) {
      Put();
      return;
    }
    connect(frames_, &FramePace::frameStarting, this, &PacedText::ShowNow);
  }
  if (waiting_) return;
  waiting_ = true;
  frames_->Request();
}

void PacedText::ShowNow() {
  if (waiting_) Put();
}

void PacedText::Put() {
  waiting_ = false;
  const QString text = FromBytes(text_);
  if (box_->text() == text) return;  // changed and changed back within the frame
  putting_ = true;
  box_->setText(text);
  putting_ = false;
}

void PacedText::BoxChanged() {
  if (putting_) return;
  // The operator or a screen reader changed the box: that is the newest text.
  waiting_ = false;
  text_ = box_->text().toLatin1().toStdString();
}

bool PacedText::eventFilter(QObject* watched, QEvent* event) {
  if (watched == box_ && waiting_ && UsesTheBox(event->type())) ShowNow();
  return false;
}

}  // namespace tally
