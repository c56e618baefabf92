#include "window/control_layout.h"

#include <QGuiApplication>
#include <array>
#include <cmath>

namespace tally {

namespace {

constexpr std::array kPlaces{
    ControlPlace{"List1", {3360, 120, 4215, 3375}},
    ControlPlace{"Command1", {2400, 120, 855, 375}},
    ControlPlace{"Command2", {2400, 600, 855, 375}},
    ControlPlace{"Command3", {2400, 1080, 855, 375}},
    ControlPlace{"Command4", {2400, 1560, 855, 375}},
    ControlPlace{"Label1", {360, 2640, 2055, 255}},
    ControlPlace{"Drive1", {120, 120, 2175, 315}},
    ControlPlace{"Dir1", {120, 480, 2175, 1440}},
    ControlPlace{"Label2", {2400, 2640, 615, 255}},
    ControlPlace{"Text1", {120, 3720, 615, 285}},
    ControlPlace{"Text2", {840, 3720, 615, 285}},
    ControlPlace{"Label3", {1680, 3720, 615, 255}},
    ControlPlace{"Label4", {2280, 2640, 735, 255}},
    ControlPlace{"Command5", {3360, 3720, 855, 255}},
    ControlPlace{"Text3", {5160, 3720, 615, 285}},
    ControlPlace{"Text4", {6840, 3720, 615, 285}},
    ControlPlace{"Label5", {6120, 3720, 615, 255}},
    ControlPlace{"List2", {3360, 4200, 4215, 840}},
    ControlPlace{"Command6", {2520, 3720, 615, 255}},
    ControlPlace{"Label6", {4440, 3720, 735, 255}},
    ControlPlace{"Shape1", {120, 2040, 3135, 1455}},
};

constexpr double kTwipsPerInch = 1440.0;

}  // namespace

std::span<const ControlPlace> ControlPlaces() { return kPlaces; }

int TwipsScale::ToPixels(int twips) const {
  return static_cast<int>(std::lround(twips * dotsPerInch_ / kTwipsPerInch));
}

QRect TwipsScale::ToPixels(const TwipsRect& rect) const {
  // Both edges are rounded, so that neighbouring controls keep their gaps.
  const int left = ToPixels(rect.left);
  const int top = ToPixels(rect.top);
  const int right = ToPixels(rect.left + rect.width);
  const int bottom = ToPixels(rect.top + rect.height);
  return QRect(left, top, right - left, bottom - top);
}

void KeepWholeDevicePixels() {
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
}

QSize TwipsScale::ClientSize() const {
  return QSize(ToPixels(kClientWidthTwips), ToPixels(kClientHeightTwips));
}

}  // namespace tally
