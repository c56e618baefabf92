#pragma once
// Shape1: the coloured rectangle of the status indicator. Until a colour is
// set it shows the window's own background inside a thin outline.

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace tally {

// A 24-bit colour value with red in the low byte, green in the middle byte
// and blue in the high byte (255 red, 65535 yellow, 65280 green).
QColor ColourFromValue(std::uint32_t value);

class IndicatorShape : public QWidget {
  Q_OBJECT

 public:
  explicit IndicatorShape(QWidget* parent = nullptr);

  void SetColour(const QColor& colour);
  std::optional<QColor> colour() const { return colour_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<QColor> colour_;
};

}  // namespace tally
