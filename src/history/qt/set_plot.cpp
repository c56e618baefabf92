#include "history/qt/set_plot.h"

#include <QCategoryAxis>
#include <QKeyEvent>
#include <QLineSeries>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <limits>
#include <utility>

#include "history/time_ticks.h"
#include "history/value_ticks.h"

namespace tally::history {

namespace {

constexpr double kWheelStep = 1.25;
constexpr double kKeyPan = 0.1;

QList<QPointF> ToQt(const std::vector<PlotPoint>& points) {
  QList<QPointF> list;
  list.reserve(static_cast<qsizetype>(points.size()));
  for (const PlotPoint& p : points) list.append(QPointF(p.x, p.y));
  return list;
}

// Sixteen colours told apart at a glance, one per channel.
QColor ChannelColour(int channel) {
  static const char* const kColours[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b",
                                         "#e377c2", "#7f7f7f", "#bcbd22", "#17becf", "#393b79", "#637939",
                                         "#8c6d31", "#843c39", "#7b4173", "#000000"};
  return QColor(QLatin1String(kColours[(channel - 1) % 16]));
}

// The earliest and latest time of any channel's points; first > last when
// there are none.
std::pair<double, double> TimeSpan(const PlotContent& content) {
  double first = std::numeric_limits<double>::max();
  double last = std::numeric_limits<double>::lowest();
  for (const auto& [channel, points] : content.channels) {
    if (points.empty()) continue;
    first = std::min(first, points.front().x);
    last = std::max(last, points.back().x);
  }
  return {first, last};
}

}  // namespace

SetPlot::SetPlot(ZoneRules zone, QWidget* parent) : QChartView(new QChart(), parent), zone_(std::move(zone)) {
  chart()->legend()->setAlignment(Qt::AlignRight);
  setRenderHint(QPainter::Antialiasing, false);
  setFocusPolicy(Qt::StrongFocus);
}

void SetPlot::NewAxes() {
  // Made anew for every content, once its series are there: an axis shown
  // without series draws neither labels nor grid later (Qt 6.4). The time
  // axis is labelled by hand, at the zone's round times: Qt's date-time
  // axis would read the instants in the system's zone, not the chosen one.
  for (QAbstractAxis* axis : chart()->axes()) {
    chart()->removeAxis(axis);
    delete axis;
  }
  xAxis_ = new QCategoryAxis();
  xAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  yAxis_ = new QValueAxis();
  chart()->addAxis(xAxis_, Qt::AlignBottom);
  chart()->addAxis(yAxis_, Qt::AlignLeft);
}

void SetPlot::MarkTimes() {
  for (const QString& label : xAxis_->categoriesLabels()) xAxis_->remove(label);
  xAxis_->setStartValue(xFrom_);
  for (const TimeTick& tick : TimeTicks(xFrom_, xTo_, zone_)) {
    xAxis_->append(QString::fromStdString(tick.label), tick.x);
  }
}

void SetPlot::Show(PlotContent content) {
  content_ = std::move(content);
  chart()->removeAllSeries();
  NewAxes();
  auto [first, last] = TimeSpan(content_);
  if (first > last) {
    first = 0;
    last = 1;
  }
  for (const auto& [channel, points] : content_.channels) {
    auto* series = new QLineSeries();
    series->setName(QStringLiteral("Channel %1").arg(channel));
    // One pixel wide: wider lines are stroked with their joins worked out
    // at every point, the larger part of a redraw.
    series->setPen(QPen(ChannelColour(channel), 1));
    chart()->addSeries(series);
    series->attachAxis(xAxis_);
    series->attachAxis(yAxis_);
    const ChannelLimits& limits = content_.limits[channel];
    for (const auto& [limit, name] : {std::pair{limits.high, "high"}, std::pair{limits.low, "low"}}) {
      if (!limit) continue;
      auto* line = new QLineSeries();
      line->setName(QStringLiteral("Channel %1 %2").arg(channel).arg(QLatin1String(name)));
      QPen pen(series->pen().color());
      pen.setStyle(Qt::DashLine);
      line->setPen(pen);
      line->append(first, *limit);
      line->append(last, *limit);
      chart()->addSeries(line);
      line->attachAxis(xAxis_);
      line->attachAxis(yAxis_);
    }
  }
  if (!content_.alarms.empty()) {
    auto* alarms = new QScatterSeries();
    alarms->setName(QStringLiteral("Alarms"));
    alarms->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    alarms->setMarkerSize(9);
    alarms->setColor(Qt::red);
    alarms->replace(ToQt(content_.alarms));
    chart()->addSeries(alarms);
    alarms->attachAxis(xAxis_);
    alarms->attachAxis(yAxis_);
  }
  SetXRange(first, last);
}

void SetPlot::ShowAll() {
  const auto [first, last] = TimeSpan(content_);
  if (first <= last) SetXRange(first, last);
}

void SetPlot::SetXRange(double from, double to) {
  if (xAxis_ == nullptr) return;  // nothing shown yet
  if (to <= from) to = from + 1000;
  xFrom_ = from;
  xTo_ = to;
  xAxis_->setRange(from, to);
  MarkTimes();
  Redraw();
}

void SetPlot::Redraw() {
  if (xAxis_ == nullptr) return;
  const auto columns = static_cast<std::size_t>(std::max(1, static_cast<int>(chart()->plotArea().width())));
  int index = 0;
  const QList<QAbstractSeries*> all = chart()->series();
  for (const auto& [channel, points] : content_.channels) {
    // The channel's line series comes first among its series.
    QAbstractSeries* found = nullptr;
    const QString name = QStringLiteral("Channel %1").arg(channel);
    for (; index < all.size(); ++index) {
      if (all[index]->name() == name) {
        found = all[index];
        break;
      }
    }
    if (found == nullptr) continue;
    static_cast<QLineSeries*>(found)->replace(ToQt(Decimate(points, xFrom_, xTo_, columns)));
  }
  FitY();
}

void SetPlot::FitY() {
  double low = std::numeric_limits<double>::max();
  double high = std::numeric_limits<double>::lowest();
  for (QAbstractSeries* series : chart()->series()) {
    for (const QPointF& p : static_cast<QXYSeries*>(series)->points()) {
      if (p.x() < xFrom_ || p.x() > xTo_) continue;
      low = std::min(low, p.y());
      high = std::max(high, p.y());
    }
  }
  if (low > high) {
    low = 0;
    high = 1;
  }
  const double margin = std::max(1.0, (high - low) * 0.05);
  // Marks at round values, the axis ending on the outer ones.
  const ValueTicks ticks = RoundValueTicks(low - margin, high + margin);
  yAxis_->setRange(ticks.first, ticks.last());
  yAxis_->setTickCount(ticks.count);
  yAxis_->setLabelFormat(QStringLiteral("%.%1f").arg(ticks.decimals));
}

void SetPlot::ZoomBy(double factor) {
  const double middle = (xFrom_ + xTo_) / 2;
  const double half = std::max(500.0, (xTo_ - xFrom_) / 2 / factor);
  SetXRange(middle - half, middle + half);
}

void SetPlot::PanBy(double fraction) {
  const double step = (xTo_ - xFrom_) * fraction;
  SetXRange(xFrom_ + step, xTo_ + step);
}

QStringList SetPlot::SeriesNames() const {
  QStringList names;
  for (QAbstractSeries* series : chart()->series()) names.append(series->name());
  return names;
}

int SetPlot::PointsDrawn() const {
  int count = 0;
  for (QAbstractSeries* series : chart()->series()) {
    if (series->type() == QAbstractSeries::SeriesTypeLine)
      count += static_cast<QLineSeries*>(series)->count();
  }
  return count;
}

QList<QPointF> SetPlot::AlarmMarks() const {
  for (QAbstractSeries* series : chart()->series()) {
    if (series->type() == QAbstractSeries::SeriesTypeScatter) return static_cast<QXYSeries*>(series)->points();
  }
  return {};
}

QStringList SetPlot::ValueLabels() const {
  QStringList labels;
  if (yAxis_ == nullptr) return labels;
  const QByteArray format = yAxis_->labelFormat().isEmpty() ? "%g" : yAxis_->labelFormat().toLatin1();
  const double step = (yAxis_->max() - yAxis_->min()) / std::max(1, yAxis_->tickCount() - 1);
  for (int tick = 0; tick < yAxis_->tickCount(); ++tick)
    labels.append(QString::asprintf(format.constData(), yAxis_->min() + tick * step));
  return labels;
}

QStringList SetPlot::TimeLabels() const {
  return xAxis_ == nullptr ? QStringList() : xAxis_->categoriesLabels();
}

void SetPlot::wheelEvent(QWheelEvent* event) {
  const double factor = event->angleDelta().y() > 0 ? kWheelStep : 1 / kWheelStep;
  // Around the pointer: the time under it stays where it is.
  const QRectF area = chart()->plotArea();
  const double at = std::clamp((event->position().x() - area.left()) / std::max(1.0, area.width()), 0.0, 1.0);
  const double pointer = xFrom_ + (xTo_ - xFrom_) * at;
  const double width = std::max(1000.0, (xTo_ - xFrom_) / factor);
  SetXRange(pointer - width * at, pointer + width * (1 - at));
  event->accept();
}

void SetPlot::mousePressEvent(QMouseEvent* event) {
  dragging_ = event->button() == Qt::LeftButton;
  dragStart_ = event->position();
  event->accept();
}

void SetPlot::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const double width = std::max(1.0, chart()->plotArea().width());
  const double moved = (dragStart_.x() - event->position().x()) / width;
  dragStart_ = event->position();
  PanBy(moved);
  event->accept();
}

void SetPlot::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  event->accept();
}

void SetPlot::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      PanBy(-kKeyPan);
      break;
    case Qt::Key_Right:
      PanBy(kKeyPan);
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomBy(kWheelStep);
      break;
    case Qt::Key_Minus:
      ZoomBy(1 / kWheelStep);
      break;
    case Qt::Key_Home:
      ShowAll();
      break;
    default:
      QChartView::keyPressEvent(event);
  }
}

void SetPlot::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  Redraw();
}

}  // namespace tally::history
