#include "history/qt/history_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <sstream>

#include "history/export_run.h"
#include "history/qt/set_plot.h"
#include "history/qt/set_table_model.h"
#include "history/set_times.h"

namespace tally::history {

namespace {

// Bytes indexed per turn of the event loop: a few milliseconds of work.
constexpr std::uint64_t kSliceBytes = 8u << 20;
constexpr int kFollowMs = 1000;
// Rows read for the plot per turn of the event loop.
constexpr std::size_t kPlotSliceRows = 20000;
constexpr const char* kStampFormat = "yyyy-MM-dd hh:mm:ss";

LocalStamp StampOf(const QDateTime& when) {
  const QDate date = when.date();
  const QTime time = when.time();
  return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

QDateTime DateTimeOf(const LocalStamp& stamp) {
  return QDateTime(QDate(stamp.year, stamp.month, stamp.day), QTime(stamp.hour, stamp.minute, stamp.second));
}

double InstantMs(const LocalStamp& stamp, int offset) {
  return static_cast<double>(stamp.Seconds() - offset) * 1000.0;
}

// Channels 1 to 4, and every channel that raised an alarm, so that none
// is hidden unseen.
std::bitset<kChannelSlots + 1> ChannelsShownAtStart(const std::vector<AlarmEntry>& alarms) {
  std::bitset<kChannelSlots + 1> shown;
  for (int channel = 1; channel <= 4; ++channel) shown.set(channel);
  for (const AlarmEntry& alarm : alarms) {
    if (alarm.channel >= 1 && alarm.channel <= kChannelSlots) shown.set(alarm.channel);
  }
  return shown;
}

}  // namespace

HistoryWindow::HistoryWindow(ZoneRules zone, QWidget* parent)
    : QMainWindow(parent), zone_(std::move(zone)), index_(std::make_unique<SetIndex>("")) {
  setWindowTitle(QStringLiteral("tally77-history"));
  model_ = new SetTableModel(*index_, this);
  table_ = new QTableView();
  table_->setModel(model_);
  table_->setSortingEnabled(false);
  table_->horizontalHeader()->setSortIndicatorShown(true);
  table_->horizontalHeader()->setSectionsClickable(true);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  connect(table_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
          [this](int column, Qt::SortOrder order) { model_->sort(column, order); });
  plot_ = new SetPlot(zone_);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(table_);
  splitter->addWidget(plot_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({330, 330});
  SizeColumns();
  auto* central = new QWidget();
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(BuildControls());
  layout->addWidget(splitter, 1);
  setCentralWidget(central);

  status_ = new QLabel();
  message_ = new QLabel();
  progress_ = new QProgressBar();
  progress_->setRange(0, 1000);
  progress_->setMaximumWidth(200);
  progress_->hide();
  statusBar()->addWidget(status_, 1);
  statusBar()->addWidget(message_, 1);
  statusBar()->addPermanentWidget(progress_);
  BuildMenus();

  slices_.setInterval(0);
  connect(&slices_, &QTimer::timeout, this, &HistoryWindow::IndexSlice);
  plotSlices_.setInterval(0);
  connect(&plotSlices_, &QTimer::timeout, this, &HistoryWindow::GatherSlice);
  follow_.setInterval(kFollowMs);
  connect(&follow_, &QTimer::timeout, this, &HistoryWindow::FollowFile);
  resize(1100, 750);
  UpdateStatus();
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::SizeColumns() {
  const QFontMetrics metrics = table_->fontMetrics();
  const int padding = 2 * metrics.averageCharWidth();
  table_->setColumnWidth(SetTableModel::kTimeColumn, metrics.horizontalAdvance("2026-12-06 14:30:15") + padding);
  table_->setColumnWidth(SetTableModel::kTypeColumn, metrics.horizontalAdvance("damaged") + padding);
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    table_->setColumnWidth(SetTableModel::kFirstChannelColumn + channel - 1,
                           metrics.horizontalAdvance("123456.7") + padding);
  }
  table_->horizontalHeader()->setStretchLastSection(true);
}

void HistoryWindow::SuggestRange() {
  // Until the operator sets a range, the edits offer the file's first and
  // last stamps.
  if (fromOn_->isChecked() || toOn_->isChecked()) return;
  LocalStamp stamp;
  for (std::size_t row = 0; row < index_->size(); ++row) {
    if (!index_->StampOf(row, stamp)) continue;
    from_->setDateTime(DateTimeOf(stamp));
    break;
  }
  for (std::size_t row = index_->size(); row > 0; --row) {
    if (!index_->StampOf(row - 1, stamp)) continue;
    to_->setDateTime(DateTimeOf(stamp));
    break;
  }
}

void HistoryWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Open data directory..."), QKeySequence::Open, this,
                  &HistoryWindow::AskForDirectory);
  file->addAction(QStringLiteral("Export &CSV..."), this, [this] { AskExport(ExportFormat::Csv); });
  file->addAction(QStringLiteral("Export &JSON Lines..."), this,
                  [this] { AskExport(ExportFormat::JsonLines); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);
  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  view->addAction(QStringLiteral("&Whole time range"), this, [this] { plot_->ShowAll(); });
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(QStringLiteral("&About tally77-history"), this, [this] {
    QMessageBox::about(this, QStringLiteral("About tally77-history"),
                       QStringLiteral("tally77-history %1\n\nThe observation sets a Tally 77 capture "
                                      "wrote into a data directory: table, plot and export.")
                           .arg(QStringLiteral(TALLY77_VERSION)));
  });
}

void HistoryWindow::AskForDirectory() {
  const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Data directory"), directory_);
  if (!chosen.isEmpty()) OpenDirectory(chosen);
}

QWidget* HistoryWindow::BuildControls() {
  auto* controls = new QWidget();
  auto* row = new QHBoxLayout(controls);
  row->setContentsMargins(0, 0, 0, 0);
  fromOn_ = new QCheckBox(QStringLiteral("From"));
  toOn_ = new QCheckBox(QStringLiteral("To"));
  from_ = new QDateTimeEdit();
  to_ = new QDateTimeEdit();
  for (QDateTimeEdit* edit : {from_, to_}) {
    edit->setDisplayFormat(QString::fromLatin1(kStampFormat));
    edit->setCalendarPopup(true);
    connect(edit, &QDateTimeEdit::editingFinished, this, &HistoryWindow::ApplyRange);
  }
  for (QCheckBox* box : {fromOn_, toOn_}) connect(box, &QCheckBox::toggled, this, &HistoryWindow::ApplyRange);
  row->addWidget(fromOn_);
  row->addWidget(from_);
  row->addWidget(toOn_);
  row->addWidget(to_);
  field_ = new QComboBox();
  for (int field = 2; field <= kMostFields; ++field)
    field_->addItem(QStringLiteral("Field %1").arg(field), field);
  connect(field_, &QComboBox::currentIndexChanged, this, [this] {
    model_->SetField(field_->currentData().toInt());
    Replot();
  });
  row->addWidget(field_);
  row->addWidget(new QLabel(QStringLiteral("Channels")));
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    channels_[channel] = new QCheckBox(QString::number(channel));
    channels_[channel]->setChecked(channel <= 4);
    connect(channels_[channel], &QCheckBox::toggled, this, &HistoryWindow::ApplyChannels);
    row->addWidget(channels_[channel]);
  }
  row->addStretch(1);
  return controls;
}

void HistoryWindow::OpenDirectory(const QString& directory) {
  directory_ = directory;
  setWindowTitle(QStringLiteral("tally77-history - %1").arg(directory));
  index_ = std::make_unique<SetIndex>(SetFilePath(directory.toStdString()));
  auto* model = new SetTableModel(*index_, this);
  model->SetField(field_->currentData().toInt());
  table_->setModel(model);
  delete model_;
  model_ = model;
  SizeColumns();
  limits_ = ReadChannelLimits(directory.toStdString());
  alarms_ = ReadAlarmLog(directory.toStdString());
  SetChannels(ChannelsShownAtStart(alarms_));
  follow_.start();
  FollowFile();
}

void HistoryWindow::FollowFile() {
  const FileChange change = index_->Follow();
  if (change == FileChange::None) return;
  ShowMessage(QString::fromLatin1(ChangeMessage(change, index_->path(), index_->error())));
  if (change == FileChange::Missing) {
    UpdateStatus();
    return;
  }
  if (change != FileChange::Grew) model_->Rebuild();
  alarms_ = ReadAlarmLog(directory_.toStdString());
  indexing_ = true;
  replotDue_ = true;
  progress_->show();
  IndexSlice();
  if (indexing_) slices_.start();
}

void HistoryWindow::IndexSlice() {
  const bool done = index_->IndexSome(kSliceBytes);
  model_->TakeNewLines();
  const double total = static_cast<double>(std::max<std::uint64_t>(1, index_->bytesTotal()));
  progress_->setValue(static_cast<int>(1000.0 * static_cast<double>(index_->bytesIndexed()) / total));
  UpdateStatus();
  if (!done) return;
  slices_.stop();
  indexing_ = false;
  progress_->hide();
  // The file grows with the next set: its indexing then tries again.
  if (!index_->readError().empty()) {
    ShowMessage(QString::fromLatin1(index_->readError() + "; the sets after it are not shown"));
  }
  SuggestRange();
  if (replotDue_) Replot();
}

void HistoryWindow::SetRange(const std::optional<LocalStamp>& from, const std::optional<LocalStamp>& to) {
  const QSignalBlocker blockFrom(fromOn_);
  const QSignalBlocker blockTo(toOn_);
  fromOn_->setChecked(from.has_value());
  toOn_->setChecked(to.has_value());
  if (from) from_->setDateTime(DateTimeOf(*from));
  if (to) to_->setDateTime(DateTimeOf(*to));
  ApplyRange();
}

void HistoryWindow::SetChannels(const std::bitset<kChannelSlots + 1>& channels) {
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    const QSignalBlocker block(channels_[channel]);
    channels_[channel]->setChecked(channels[channel]);
  }
  ApplyChannels();
}

void HistoryWindow::SetField(int field) { field_->setCurrentIndex(field_->findData(field)); }

ExportChoice HistoryWindow::Choice() const {
  ExportChoice choice;
  if (fromOn_->isChecked()) choice.from = StampOf(from_->dateTime());
  if (toOn_->isChecked()) choice.to = StampOf(to_->dateTime());
  for (int channel = 1; channel <= kChannelSlots; ++channel)
    choice.channels[channel] = channels_[channel]->isChecked();
  choice.allChannels = choice.channels.count() == kChannelSlots;
  return choice;
}

void HistoryWindow::ApplyRange() {
  const ExportChoice choice = Choice();
  model_->SetRange(TimeRange{choice.from, choice.to});
  Replot();
  UpdateStatus();
}

void HistoryWindow::ApplyChannels() {
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    table_->setColumnHidden(SetTableModel::kFirstChannelColumn + channel - 1,
                            !channels_[channel]->isChecked());
  }
  Replot();
}

void HistoryWindow::Replot() {
  if (indexing_) {
    replotDue_ = true;
    return;
  }
  replotDue_ = false;
  // The points are gathered in slices on the event loop, as the index is
  // built; a new choice starts the gathering over.
  const ExportChoice choice = Choice();
  plotJob_ = PlotContent{};
  plotJob_.field = field_->currentData().toInt();
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    if (!choice.channels[channel]) continue;
    plotJob_.channels[channel];
    plotJob_.limits[channel] = plotJob_.field == 2 ? limits_[channel] : ChannelLimits{};
  }
  // In file order: the lines are read going down the file, and a table
  // that changes meanwhile does not move the gathering.
  plotLines_ = model_->LinesInFileOrder();
  plotRow_ = 0;
  plotting_ = true;
  GatherSlice();
  if (plotting_) plotSlices_.start();
}

void HistoryWindow::GatherSlice() {
  const std::size_t end = std::min(plotLines_.size(), plotRow_ + kPlotSliceRows);
  for (; plotRow_ < end; ++plotRow_) {
    const std::size_t line = plotLines_[plotRow_];
    SetTime time;
    if (!TimeOf(*index_, line, zone_, time)) continue;
    const SetLine set = index_->Parse(line);
    if (set.damaged()) continue;
    const double x = InstantMs(time.stamp, time.offset);
    for (auto& [channel, points] : plotJob_.channels) {
      if (plotJob_.field <= set.slots[channel - 1].fieldCount)
        points.push_back({x, set.Value(channel, plotJob_.field)});
    }
  }
  if (plotRow_ < plotLines_.size()) return;
  plotSlices_.stop();
  plotLines_ = {};
  plotting_ = false;
  for (auto& [channel, points] : plotJob_.channels) {
    std::stable_sort(points.begin(), points.end(),
                     [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; });
  }
  // Alarms concern field 2, the value tested against the limits.
  const ExportChoice choice = Choice();
  for (const AlarmEntry& alarm : alarms_) {
    if (plotJob_.field != 2 || alarm.channel < 1 || alarm.channel > kChannelSlots ||
        !choice.channels[alarm.channel] || !choice.Includes(alarm.stamp)) {
      continue;
    }
    const double x = InstantMs(alarm.stamp, zone_.At(alarm.stamp.Seconds()).offset);
    if (const std::optional<PlotPoint> mark = AlarmMark(plotJob_.channels[alarm.channel], x)) {
      plotJob_.alarms.push_back(*mark);
      continue;
    }
    // No set holds the reading (the run stopped before its set was
    // complete): the mark goes on the limit it broke.
    const ChannelLimits& limits = limits_[alarm.channel];
    const std::optional<double> level = alarm.high ? limits.high : limits.low;
    plotJob_.alarms.push_back({x, level.value_or(0)});
  }
  plot_->Show(std::move(plotJob_));
  plotJob_ = PlotContent{};
}

void HistoryWindow::UpdateStatus() {
  const std::size_t damaged = index_->damagedCount();
  QString text = QStringLiteral("%1 sets, %2 damaged lines, %3 shown")
                     .arg(index_->size() - damaged)
                     .arg(damaged)
                     .arg(model_->rowCount());
  const ExportChoice choice = Choice();
  if (choice.from)
    text += QStringLiteral(" from ") + QString::fromStdString(choice.from->Iso()).replace('T', ' ');
  if (choice.to) text += QStringLiteral(" to ") + QString::fromStdString(choice.to->Iso()).replace('T', ' ');
  status_->setText(text);
}

QString HistoryWindow::StatusText() const { return status_->text(); }
QString HistoryWindow::Message() const { return message_->text(); }

void HistoryWindow::ShowMessage(const QString& message) { message_->setText(message); }

bool HistoryWindow::ExportTo(const QString& path, ExportFormat format) {
  std::ostringstream out;
  std::ostringstream notes;
  const ExportCounts counts = WriteExport(*index_, zone_, Choice(), format, out, notes);
  QSaveFile file(path);
  const std::string bytes = out.str();
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
      !file.commit()) {
    ShowMessage(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return false;
  }
  const std::string summary = format == ExportFormat::Csv ? DamagedSummary(counts) : "";
  ShowMessage(
      QStringLiteral("%1 sets exported to %2%3")
          .arg(counts.sets)
          .arg(path, summary.empty() ? QString() : QStringLiteral("; ") + QString::fromStdString(summary)));
  return true;
}

void HistoryWindow::AskExport(ExportFormat format) {
  const bool csv = format == ExportFormat::Csv;
  const QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Export"), directory_,
      csv ? QStringLiteral("CSV (*.csv)") : QStringLiteral("JSON Lines (*.jsonl)"));
  if (!path.isEmpty()) ExportTo(path, format);
}

}  // namespace tally::history
