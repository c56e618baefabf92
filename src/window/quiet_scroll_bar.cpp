#include "window/quiet_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace tally {

namespace {

// How far the style draws the handle's outline beyond the handle itself.
constexpr int kOutline = 2;

}  // namespace

QuietScrollBar::QuietScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

QuietScrollBar::Hold::Hold(QScrollBar* bar) : bar_(dynamic_cast<QuietScrollBar*>(bar)) {
  if (bar_ != nullptr) ++bar_->holds_;
}

QuietScrollBar::Hold::~Hold() {
  if (bar_ == nullptr || --bar_->holds_ > 0) return;
  if (bar_->changedWhileHeld_) bar_->RepaintIfChanged();
  bar_->changedWhileHeld_ = false;
}

QuietScrollBar::Look QuietScrollBar::CurrentLook() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
          value() == minimum(), value() == maximum()};
}

void QuietScrollBar::RepaintIfChanged() {
  const Look now = CurrentLook();
  if (now == painted_) return;
  if (now.atMinimum != painted_.atMinimum || now.atMaximum != painted_.atMaximum || !painted_.handle.isValid() ||
      !now.handle.isValid()) {
    update();
    return;
  }
  // Only the handle moved: the groove and the arrows are drawn as they
  // were, so only where the handle was and where it is now is drawn again,
  // its outline included.
  update(painted_.handle.united(now.handle).adjusted(-kOutline, -kOutline, kOutline, kOutline));
}

void QuietScrollBar::sliderChange(SliderChange change) {
  if (change == SliderOrientationChange) {
    QScrollBar::sliderChange(change);
  } else if (holds_ > 0) {
    changedWhileHeld_ = true;
  } else {
    RepaintIfChanged();
  }
}

void QuietScrollBar::paintEvent(QPaintEvent* event) {
  painted_ = CurrentLook();
  QScrollBar::paintEvent(event);
}

}  // namespace tally
