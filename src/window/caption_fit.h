#pragma once
// The layout was drawn in twips for a small dialog font. Where the default
// font of this desktop is wider, the whole layout grows, in proportion,
// until every fixed caption and status message fits its control.

#include <QFontMetrics>

namespace tally {

// 1 when every caption fits at the screen's scale, more when the layout
// must grow. dotsPerInch is the screen's logical dots per inch.
double CaptionFitFactor(const QFontMetrics& metrics, double dotsPerInch);

}  // namespace tally
