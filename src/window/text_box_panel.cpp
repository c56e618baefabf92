#include "window/text_box_panel.h"

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionFrame>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <optional>

namespace tally {

namespace {

// The colour the box's parent fills the box's place with before the box is
// drawn, when that is all that lies beneath it.
std::optional<QRgb> PlainBackground(const QWidget* box) {
  const QWidget* parent = box->parentWidget();
  if (parent == nullptr || !(parent->isWindow() || parent->autoFillBackground())) return std::nullopt;
  if (parent->testAttribute(Qt::WA_OpaquePaintEvent) || parent->testAttribute(Qt::WA_NoSystemBackground) ||
      parent->testAttribute(Qt::WA_StyledBackground) || parent->testAttribute(Qt::WA_TranslucentBackground)) {
    return std::nullopt;
  }
  const QBrush& brush = parent->palette().brush(parent->backgroundRole());
  if (brush.style() != Qt::SolidPattern || brush.color().alpha() != 255) return std::nullopt;
  // Controls stacked beneath the box that reach into its place.
  for (const QObject* child : parent->children()) {
    if (child == box) break;
    const auto* control = qobject_cast<const QWidget*>(child);
    if (control != nullptr && !control->isWindow() && control->isVisible() &&
        control->geometry().intersects(box->geometry())) {
      return std::nullopt;
    }
  }
  return brush.color().rgba();
}

// The image the painter draws into, when it is drawn straight onto whole
// pixels: only a shift, by whole pixels.
const QImage* PlainTarget(const QPainter* painter) {
  if (painter->opacity() != 1.0 || painter->compositionMode() != QPainter::CompositionMode_SourceOver) {
    return nullptr;
  }
  const QTransform toDevice = painter->deviceTransform();
  if (toDevice.type() > QTransform::TxTranslate || toDevice.dx() != std::round(toDevice.dx()) ||
      toDevice.dy() != std::round(toDevice.dy())) {
    return nullptr;
  }
  const QPaintDevice* device = painter->paintEngine() ? painter->paintEngine()->paintDevice() : nullptr;
  if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
  const auto* image = static_cast<const QImage*>(device);
  return image->devicePixelRatio() == 1.0 ? image : nullptr;
}

}  // namespace

// Over the style the application runs with, made anew by its name: a proxy
// left to find its own would take the desktop's default instead.
TextBoxPanelStyle::TextBoxPanelStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

void TextBoxPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                      const QWidget* widget) const {
  if (element == PE_PanelLineEdit && widget != nullptr && DrawKept(option, painter, widget)) return;
  if (element == PE_PanelLineEdit) ++panelsDrawn_;
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

bool TextBoxPanelStyle::DrawKept(const QStyleOption* option, QPainter* painter, const QWidget* box) const {
  const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
  const QImage* target = PlainTarget(painter);
  const std::optional<QRgb> background = PlainBackground(box);
  if (frame == nullptr || target == nullptr || !background) return false;

  auto kept = std::find_if(kept_.begin(), kept_.end(), [box](const Kept& k) { return k.box == box; });
  if (kept == kept_.end()) {
    kept = kept_.emplace(kept_.end());
    kept->box = box;
  }
  const bool same = kept->image.size() == option->rect.size() && kept->image.format() == target->format() &&
                    kept->state == option->state && kept->palette == option->palette.cacheKey() &&
                    kept->background == *background && kept->lineWidth == frame->lineWidth;
  if (!same) {
    QImage image(option->rect.size(), target->format());
    image.fill(QColor::fromRgba(*background));
    QPainter onto(&image);
    onto.setRenderHints(painter->renderHints());
    onto.translate(-option->rect.topLeft());
    ++panelsDrawn_;
    QProxyStyle::drawPrimitive(PE_PanelLineEdit, option, &onto, box);
    onto.end();
    *kept = Kept{box, std::move(image), option->state, option->palette.cacheKey(), *background, frame->lineWidth};
  }
  painter->drawImage(option->rect.topLeft(), kept->image);
  return true;
}

}  // namespace tally
