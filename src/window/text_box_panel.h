#pragma once
// The sunken panel of the window's text boxes, drawn from a copy. "Lines
// count" takes a new text with every frame of a running capture, and a line
// edit draws its whole panel again for each: the rounded, antialiased frame
// cost four times the text in it. A box that lies on the window's plain
// background gets its panel drawn once over that background into a kept
// image, which later frames copy; the same pixels, as the same drawing over
// the same background gives them. Anything the copy cannot stand for (a box
// over another control, a patterned background, a painter that is turned,
// scaled or faded, a changed size, state or palette) is drawn as before.

#include <QImage>
#include <QProxyStyle>
#include <vector>

namespace tally {

class TextBoxPanelStyle : public QProxyStyle {
 public:
  TextBoxPanelStyle();

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

  // How often a panel was drawn anew rather than copied.
  int PanelsDrawn() const { return panelsDrawn_; }

 private:
  struct Kept {
    const QWidget* box = nullptr;
    QImage image;  // panel over background, at the device's pixel ratio
    QStyle::State state;
    qint64 palette = 0;
    QRgb background = 0;
    int lineWidth = 0;
  };

  bool DrawKept(const QStyleOption* option, QPainter* painter, const QWidget* box) const;

  mutable std::vector<Kept> kept_;
  mutable int panelsDrawn_ = 0;
};

}  // namespace tally
