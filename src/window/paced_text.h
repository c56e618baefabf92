#pragma once
// The text the program gives a text box, put into the box when the window's
// next frame starts (frame_pace.h) instead of at once: "Lines count",
// which changes with every reading, is laid out once a frame, not once a
// reading (a line edit lays its whole text out again at every setText).
// The program reads back the text it gave at once. The box shows it at the
// frame, as it would anyway since the window is drawn then; screen readers
// are told of it when it is put in, at most a frame later. The operator's
// and a screen reader's own edits always work on the newest text: what is
// waiting goes in first when the box is about to be used (focus, keys,
// mouse, input method), and an edit made meanwhile wins over it. A text
// equal to the newest one changes nothing at all. Outside a paced window
// the text goes into the box at once. Texts are 8-bit, one byte a
// character (Latin-1).

#include <QObject>
#include <QPointer>
#include <string>

class QLineEdit;

namespace tally {

class FramePace;

class PacedText : public QObject {
  Q_OBJECT

 public:
  explicit PacedText(QLineEdit* box);

  void Set(const std::string& text);
  // The newest text: the one waiting for the frame, else the box's own.
  const std::string& Text() const { return text_; }
  // Puts what is waiting into the box now.
  void ShowNow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Put();
  void BoxChanged();

  QLineEdit* box_;
  QPointer<FramePace> frames_;  // the window's pace, followed since the first Set
  std::string text_;            // kept as bytes: the program reads it with every burst
  bool waiting_ = false;        // text_ is not in the box yet
  bool putting_ = false;        // the box changes because ShowNow puts text_ in
};

}  // namespace tally
