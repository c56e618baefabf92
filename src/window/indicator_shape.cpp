#include "window/indicator_shape.h"

#include <QPainter>

namespace tally {

QColor ColourFromValue(std::uint32_t value) {
  return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                static_cast<int>((value >> 16) & 0xFFu));
}

IndicatorShape::IndicatorShape(QWidget* parent) : QWidget(parent) {}

void IndicatorShape::SetColour(const QColor& colour) {
  // Set again (green at the end of every set), it repaints nothing: not the
  // shape, nor the status labels over it.
  if (colour_ == colour) return;
  colour_ = colour;
  // Filled, the shape covers every pixel of its own: nothing behind it is drawn.
  setAttribute(Qt::WA_OpaquePaintEvent, colour.alpha() == 255);
  update();
}

void IndicatorShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (colour_) painter.fillRect(rect(), *colour_);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tally
