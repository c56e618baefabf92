#pragma once
// A scroll bar that repaints only when what it shows changes. A list that
// grows by one entry a reading moves the handle of a long scroll bar by less
// than a pixel most of the time; QScrollBar would repaint all of it at every
// change of range or value. When only the handle moved, only where it was
// and where it is are drawn again: the groove's tall fills are not redrawn
// at each move of a shrinking handle.

#include <QRect>
#include <QScrollBar>

namespace tally {

class QuietScrollBar : public QScrollBar {
 public:
  explicit QuietScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

  // Changes made while one is held (a longer range and the value that
  // follows it to the end) are weighed against the painted bar once, when
  // the last hold ends: a handle that moves away and back is not repainted.
  class Hold {
   public:
    explicit Hold(QScrollBar* bar);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    QuietScrollBar* bar_;
  };

 protected:
  void sliderChange(SliderChange change) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // What the value and range decide of the drawing: the handle's place and
  // the ends the value stands at.
  struct Look {
    QRect handle;
    bool atMinimum = false;
    bool atMaximum = false;
    bool operator==(const Look&) const = default;
  };
  Look CurrentLook() const;
  void RepaintIfChanged();

  Look painted_;
  int holds_ = 0;
  bool changedWhileHeld_ = false;
};

}  // namespace tally
