#include "window/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace tally {

namespace {

// Drawn on a 32-unit grid and scaled to the image, without smoothing, so
// that the image keeps to its handful of flat colours.
QPixmap DialImage(int size) {
  QPixmap image(size, size);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.scale(size / 32.0, size / 32.0);

  // The processor's case.
  painter.setPen(QPen(QColor(0, 0, 0), 1));
  painter.setBrush(QColor(0, 0, 128));
  painter.drawRect(1, 1, 29, 29);

  // The dial face: a half disc with green, yellow and red bands.
  const QRect face(4, 5, 24, 24);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 255, 0));
  painter.drawPie(face, 120 * 16, 60 * 16);
  painter.setBrush(QColor(255, 255, 0));
  painter.drawPie(face, 60 * 16, 60 * 16);
  painter.setBrush(QColor(255, 0, 0));
  painter.drawPie(face, 0, 60 * 16);
  painter.setBrush(QColor(255, 255, 255));
  painter.drawPie(face.adjusted(6, 6, -6, -6), 0, 180 * 16);

  // The needle, pointing into the yellow band.
  painter.setPen(QPen(QColor(0, 0, 0), 2));
  painter.drawLine(16, 17, 21, 8);

  // The pulse of readings along the bottom.
  painter.setPen(QPen(QColor(0, 255, 255), 2));
  const QPoint pulse[] = {{4, 25}, {10, 25}, {13, 20}, {16, 28}, {19, 22}, {21, 25}, {28, 25}};
  painter.drawPolyline(pulse, static_cast<int>(std::size(pulse)));
  return image;
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  icon.addPixmap(DialImage(32));
  icon.addPixmap(DialImage(16));
  return icon;
}

}  // namespace tally
