#pragma once
// The window of tally77-history: the sets of a data directory in a table
// and a plot, chosen by time range, field and channels, indexed in slices
// on the event loop and followed while a capture appends.

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <bitset>
#include <memory>

#include "history/limits_and_alarms.h"
#include "history/qt/set_plot.h"
#include "history/set_export.h"
#include "history/set_index.h"
#include "records/zone_rules.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QProgressBar;
class QTableView;

namespace tally::history {

class SetPlot;
class SetTableModel;

class HistoryWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit HistoryWindow(ZoneRules zone, QWidget* parent = nullptr);
  ~HistoryWindow() override;

  // Starts indexing DATA_DIR's set database ("" shows an empty window).
  // Channels 1 to 4 are shown, and every channel of the alarm log.
  void OpenDirectory(const QString& directory);
  // Asks the operator for a data directory and opens it.
  void AskForDirectory();

  // The choice, as the controls set it.
  void SetRange(const std::optional<LocalStamp>& from, const std::optional<LocalStamp>& to);
  void SetChannels(const std::bitset<kChannelSlots + 1>& channels);
  void SetField(int field);
  ExportChoice Choice() const;
  // Writes the export of the shown choice; false with the reason in the status bar.
  bool ExportTo(const QString& path, ExportFormat format);

  bool indexing() const { return indexing_; }
  // Indexing, or gathering the points of the plot.
  bool busy() const { return indexing_ || plotting_; }
  SetTableModel& model() { return *model_; }
  QTableView& table() { return *table_; }
  SetPlot& plot() { return *plot_; }
  QString StatusText() const;
  QString Message() const;

 private:
  void BuildMenus();
  void SizeColumns();
  void SuggestRange();
  QWidget* BuildControls();
  void IndexSlice();
  void FollowFile();
  void ApplyRange();
  void ApplyChannels();
  void Replot();
  void GatherSlice();
  void UpdateStatus();
  void ShowMessage(const QString& message);
  void AskExport(ExportFormat format);

  ZoneRules zone_;
  QString directory_;
  std::unique_ptr<SetIndex> index_;
  std::array<ChannelLimits, kChannelSlots + 1> limits_{};
  std::vector<AlarmEntry> alarms_;

  SetTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  SetPlot* plot_ = nullptr;
  QCheckBox* fromOn_ = nullptr;
  QCheckBox* toOn_ = nullptr;
  QDateTimeEdit* from_ = nullptr;
  QDateTimeEdit* to_ = nullptr;
  QComboBox* field_ = nullptr;
  std::array<QCheckBox*, kChannelSlots + 1> channels_{};
  QLabel* status_ = nullptr;
  QLabel* message_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTimer slices_;
  QTimer follow_;
  bool indexing_ = false;
  bool replotDue_ = false;
  QTimer plotSlices_;
  PlotContent plotJob_;
  std::vector<std::uint32_t> plotLines_;  // the lines of the shown rows
  std::size_t plotRow_ = 0;
  bool plotting_ = false;
};

}  // namespace tally::history
