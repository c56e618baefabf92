#include "window/caption_fit.h"

#include <QString>
#include <algorithm>

#include "window/control_layout.h"

namespace tally {

namespace {

struct CaptionRoom {
  const char* caption;
  int widthTwips;  // the part of its control where the caption shows
};

// Label1 shows as far as Label4, which lies over its right end.
constexpr int kLabel1ShownTwips = 2280 - 360;

constexpr CaptionRoom kCaptions[] = {
    {"Please wait 3 minutes", kLabel1ShownTwips},
    {" Update pending ... ", kLabel1ShownTwips},
    {"We have a good reading ", kLabel1ShownTwips},
    {"Interval", 615},  // Label5
    {"Obs #", 735},     // Label6
    {"fLII", 615},      // Label3
};

// A label draws its text one pixel in from its edge.
constexpr int kTextMargin = 2;

}  // namespace

double CaptionFitFactor(const QFontMetrics& metrics, double dotsPerInch) {
  const TwipsScale scale(dotsPerInch);
  double factor = 1.0;
  for (const CaptionRoom& room : kCaptions) {
    const int needed = metrics.horizontalAdvance(QString::fromLatin1(room.caption)) + kTextMargin;
    factor = std::max(factor, static_cast<double>(needed) / scale.ToPixels(room.widthTwips));
  }
  return factor;
}

}  // namespace tally
