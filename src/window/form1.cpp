#include "window/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <climits>

#include "window/caption_fit.h"
#include "window/control_layout.h"
#include "window/directory_list.h"
#include "window/drive_list.h"
#include "window/entry_list_view.h"
#include "window/frame_pace.h"
#include "window/indicator_shape.h"
#include "window/paced_text.h"
#include "window/port_menu.h"
#include "window/program_icon.h"
#include "window/text_box_panel.h"

namespace tally {

namespace {

// Window text is 8-bit, one byte a character.
QString FromBytes(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// File paths keep the bytes the file system uses for them.
QString PathFromBytes(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathToBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

constexpr char kPortHelp[] = "Com port to read processor.";

int IndexOf(TextBox box) { return static_cast<int>(box); }

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, const char* help) {
  auto* label = new QLabel(QString::fromLatin1(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  if (help != nullptr) label->setToolTip(QString::fromLatin1(help));
  return label;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QString::fromLatin1(kWindowTitle));
  // The icon theme's, as installed with the program; the one drawn here
  // when the theme has none.
  setWindowIcon(QIcon::fromTheme(QStringLiteral("tally77"), ProgramIcon()));
  // The window's texts are Latin-1: laid out from the font's character map
  // and kerning, without a shaping engine's pass for each new reading's
  // count and row (ligatures are all it would add).
  QFont text;
  text.setStyleStrategy(QFont::PreferNoShaping);
  setFont(text);
  CreateControls();
  PlaceControls();
  SetTabOrder();
  NameControls();
  ConnectControls();
  new FramePace(this);
  list1_->setFocus();
}

void Form1::CreateControls() {
  // Shape1 is made first and so lies beneath every other control.
  shape1_ = new IndicatorShape(this);
  shape1_->setObjectName(QStringLiteral("Shape1"));

  list1_ = new EntryListView(this);
  list1_->setObjectName(QStringLiteral("List1"));
  list1_->setToolTip(QStringLiteral("Processor data stream."));

  for (int i = 0; i < 4; ++i) {
    auto* button = new QPushButton(QStringLiteral("Com%1").arg(i + 1), this);
    button->setObjectName(QStringLiteral("Command%1").arg(i + 1));
    button->setToolTip(QString::fromLatin1(kPortHelp));
    button->setEnabled(false);
    commands_[i] = button;
  }

  drive1_ = new DriveList(this);
  drive1_->setObjectName(QStringLiteral("Drive1"));
  drive1_->setToolTip(QStringLiteral("Select drive for processor to be read."));

  dir1_ = new DirectoryList(this);
  dir1_->setObjectName(QStringLiteral("Dir1"));
  dir1_->setToolTip(QStringLiteral("Select subdirectory for processor to be read with double click."));

  const char* const textHelp[] = {
      "Processor subdirectory and file marker (4 char).",
      "Lines count.",
      "Set number of complete observation sets (groups of 16).",
      "Timing interval.",
  };
  const char* const textStart[] = {"fL01", "", "1", "2000"};
  for (int i = 0; i < 4; ++i) {
    auto* box = new QLineEdit(QString::fromLatin1(textStart[i]), this);
    box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
    box->setToolTip(QString::fromLatin1(textHelp[i]));
    box->setMaxLength(INT_MAX);
    texts_[i] = box;
    textsSet_[i] = new PacedText(box);
  }

  commands_[4] = new QPushButton(QStringLiteral("End now"), this);
  commands_[4]->setObjectName(QStringLiteral("Command5"));
  commands_[4]->setToolTip(QStringLiteral("Stop processing without updating database."));
  commands_[5] = new QPushButton(QStringLiteral("Init"), this);
  commands_[5]->setObjectName(QStringLiteral("Command6"));
  commands_[5]->setToolTip(
      QStringLiteral("Initialize default support files when Obs # is cleared."));

  // Made after the boxes, so it outlives them: the window's children go in
  // the order they were made.
  auto* panels = new TextBoxPanelStyle;
  panels->setParent(this);
  for (QLineEdit* box : texts_) box->setStyle(panels);

  list2_ = new EntryListView(this);
  list2_->setObjectName(QStringLiteral("List2"));
  list2_->setToolTip(QStringLiteral("Alarm limits and status."));

  labels_[2] = MakeLabel(this, "Label3", "", "Processor type.");
  labels_[4] = MakeLabel(this, "Label5", "Interval", nullptr);
  labels_[5] = MakeLabel(this, "Label6", "Obs #", nullptr);

  // Over the indicator, from the bottom up: Label2, Label1, Label4. Label4
  // overlaps the right end of Label1 and Label2 and must stay readable.
  // Each paints its own background, so the status message reads the same on
  // red, yellow and green while the indicator shows all round it.
  labels_[1] = MakeLabel(this, "Label2", "", nullptr);
  labels_[0] = MakeLabel(this, "Label1", "", "Progress template.");
  labels_[3] = MakeLabel(this, "Label4", "", "Obs counter.");
  for (int i : {0, 1, 3}) labels_[i]->setAutoFillBackground(true);
}

void Form1::NameControls() {
  // Controls without a caption of their own get a name to be read by
  // (Drive1 is read by the drive it shows, as combo boxes are).
  const struct {
    QWidget* control;
    const char* name;
  } names[] = {
      {shape1_, "Status indicator"},
      {list1_, "Processor data stream"},
      {list2_, "Alarm limits and status"},
      {dir1_, "Directory"},
      {texts_[0], "Marker"},
      {texts_[1], "Lines count"},
  };
  for (const auto& named : names) named.control->setAccessibleName(QString::fromLatin1(named.name));
  // The item view would not offer its tooltip to a screen reader.
  dir1_->setAccessibleDescription(dir1_->toolTip());
  labels_[5]->setBuddy(texts_[2]);  // Obs #
  labels_[4]->setBuddy(texts_[3]);  // Interval
}

void Form1::PlaceControls() {
  const double dotsPerInch = logicalDpiY();
  const TwipsScale scale(dotsPerInch * CaptionFitFactor(fontMetrics(), dotsPerInch));
  for (const ControlPlace& place : ControlPlaces()) {
    if (auto* control = findChild<QWidget*>(QString::fromLatin1(place.name))) {
      control->setGeometry(scale.ToPixels(place.twips));
    }
  }
  // The window keeps its size; controls never move.
  setFixedSize(scale.ClientSize());
}

void Form1::SetTabOrder() {
  const std::array<QWidget*, 13> order{
      list1_,    commands_[0], commands_[1], commands_[2], commands_[3],
      drive1_,   dir1_,        texts_[0],    texts_[1],    commands_[4],
      texts_[2], texts_[3],    list2_};
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  setTabOrder(list2_, commands_[5]);
}

void Form1::ConnectControls() {
  for (int i = 0; i < 4; ++i) {
    connect(commands_[i], &QPushButton::clicked, this, [this, i] { emit portButtonClicked(i + 1); });
    commands_[i]->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(commands_[i], &QPushButton::customContextMenuRequested, this, [this, i](QPoint at) {
      ShowPortMenu(commands_[i], at, [this, i](const QString& device) {
        emit portDeviceChosen(i + 1, device);
      });
    });
  }
  connect(commands_[4], &QPushButton::clicked, this, &Form1::endNowClicked);
  connect(commands_[5], &QPushButton::clicked, this, &Form1::initClicked);
  connect(drive1_, &DriveList::driveChanged, this, &Form1::driveChanged);
  connect(dir1_, &DirectoryList::pathChanged, this, &Form1::directoryChanged);
}

void Form1::AppendList1(const std::string& entry) { list1_->Append(entry); }

void Form1::AppendList2(const std::string& entry) { list2_->Append(entry); }

std::string Form1::Text(TextBox box) const { return textsSet_[IndexOf(box)]->Text(); }

void Form1::SetText(TextBox box, const std::string& text) { textsSet_[IndexOf(box)]->Set(text); }

void Form1::SetCaption(Caption label, const std::string& caption) {
  QLabel* target = label == Caption::Label1   ? labels_[0]
                   : label == Caption::Label3 ? labels_[2]
                                              : labels_[3];
  // The processor type is given again with every reading: compared where
  // it lies, it costs no copy. QLabel tells screen readers of a new text (a
  // name change).
  if (target->text() == QLatin1String(caption.data(), static_cast<qsizetype>(caption.size()))) return;
  target->setText(FromBytes(caption));
}

void Form1::SetIndicatorColour(std::uint32_t colour) { shape1_->SetColour(ColourFromValue(colour)); }

void Form1::EnablePortButton(int number) {
  if (number >= 1 && number <= 4) commands_[number - 1]->setEnabled(true);
}

std::string Form1::SelectedDrive() const { return PathToBytes(drive1_->Drive()); }

void Form1::SelectDrive(const std::string& drive) { drive1_->SelectDrive(PathFromBytes(drive)); }

std::string Form1::DirectoryPath() const { return PathToBytes(dir1_->Path()); }

bool Form1::SetDirectoryPath(const std::string& path) { return dir1_->SetPath(PathFromBytes(path)); }

bool Form1::OpenDataDirectory(const QString& path, bool choose) {
  {
    const QSignalBlocker quiet(dir1_);
    if (!dir1_->SetPath(path)) return false;
  }
  drive1_->SelectDrive(dir1_->Path());
  if (choose) emit directoryChanged();
  return true;
}

void Form1::ShowPortDevice(int number, const QString& device) {
  if (number < 1 || number > 4) return;
  commands_[number - 1]->setToolTip(QString::fromLatin1(kPortHelp) + QStringLiteral("\nOpens ") + device);
}

void Form1::Beep() { QApplication::beep(); }

void Form1::EndProgram() {
  for (PacedText* text : textsSet_) text->ShowNow();  // the boxes end with the program's last texts
  hide();
  // The end comes from a reading the running event loop delivered: leave it.
  // With no loop running (the window driven directly) there is none to leave,
  // and Qt would keep the request and end every later loop at once, a
  // dialog's included.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void Form1::closeEvent(QCloseEvent* event) {
  emit closing();
  event->accept();
}

}  // namespace tally
