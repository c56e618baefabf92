#pragma once
// The plot of one field of the chosen channels over time, with each
// channel's limits as lines and the alarms marked. The time axis reads the
// wall clock of the zone the window was given (the system's or --tz). The wheel zooms around
// the pointer, dragging pans, the arrow keys pan and + and - zoom; only the
// points a column of pixels can show are drawn.

#include <QChartView>
#include <map>
#include <vector>

#include "history/limits_and_alarms.h"
#include "history/plot_points.h"
#include "records/zone_rules.h"

class QCategoryAxis;
class QValueAxis;

namespace tally::history {

struct PlotContent {
  int field = 2;
  std::map<int, std::vector<PlotPoint>> channels;  // points sorted by x
  std::map<int, ChannelLimits> limits;             // of the plotted channels
  std::vector<PlotPoint> alarms;                   // where each alarm is marked
};

class SetPlot : public QChartView {
  Q_OBJECT

 public:
  explicit SetPlot(ZoneRules zone, QWidget* parent = nullptr);

  void Show(PlotContent content);
  // The whole time range of the points.
  void ShowAll();
  // Draws the points of the visible range again, decimated to the width.
  void Redraw();
  void ZoomBy(double factor);
  void PanBy(double fraction);

  // The names of the series, in the order they were added.
  QStringList SeriesNames() const;
  // Points drawn now in all line series (channels and limits).
  int PointsDrawn() const;
  // The labels of the time axis, left to right.
  QStringList TimeLabels() const;
  // The labels of the value axis, bottom to top, as its format writes them.
  QStringList ValueLabels() const;
  // Where the alarms are marked.
  QList<QPointF> AlarmMarks() const;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void NewAxes();
  void SetXRange(double from, double to);
  void MarkTimes();
  void FitY();

  ZoneRules zone_;
  QCategoryAxis* xAxis_ = nullptr;
  QValueAxis* yAxis_ = nullptr;
  PlotContent content_;
  double xFrom_ = 0;
  double xTo_ = 1;
  bool dragging_ = false;
  QPointF dragStart_;
};

}  // namespace tally::history
