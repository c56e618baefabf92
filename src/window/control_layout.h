#pragma once
// Where every control of the capture window sits, in twips from the top-left
// corner of the client area, and the conversion to pixels for a screen.

#include <QRect>
#include <QSize>
#include <span>

namespace tally {

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

struct ControlPlace {
  const char* name;  // the control's object name, such as "List1"
  TwipsRect twips;
};

// The client area of the window in twips.
inline constexpr int kClientWidthTwips = 7680;
inline constexpr int kClientHeightTwips = 5295;

// Every control with a place on the window.
std::span<const ControlPlace> ControlPlaces();

// A twip is 1/1440 inch: at 96 dots per inch 15 twips make one pixel. The
// screen's logical dots per inch scale the layout with its fonts, so that no
// caption is cut off at 125 % or 150 %.
class TwipsScale {
 public:
  explicit TwipsScale(double dotsPerInch) : dotsPerInch_(dotsPerInch) {}
  int ToPixels(int twips) const;
  QRect ToPixels(const TwipsRect& rect) const;
  QSize ClientSize() const;

 private:
  double dotsPerInch_;
};

// Called before the application object is made: a screen scale that is no
// whole number (1.5 at 144 dots per inch, 1.25 at 120) goes to the dots
// per inch, which the layout follows, and the pixel ratio stays whole. At
// a ratio of 1.5 the edges of controls fall between device pixels, and
// their borders were lost in part.
void KeepWholeDevicePixels();

}  // namespace tally
