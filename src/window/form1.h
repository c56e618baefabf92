#pragma once
// Form1, the capture window: the controls at their places with their start
// values and help texts. It carries the window surface and the program host
// the procedures use, and passes its control events on as signals; what
// runs on them is wired in window_events.h. It holds no capture logic.

#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "common/program_host.h"
#include "window/surface/window_surface.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tally {

class DirectoryList;
class DriveList;
class EntryListView;
class IndicatorShape;
class PacedText;

inline constexpr char kWindowTitle[] = "ferroLUMEN Tally 77 v1.10";

class Form1 : public QWidget, public WindowSurface, public ProgramHost {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);

  // WindowSurface
  void AppendList1(const std::string& entry) override;
  void AppendList2(const std::string& entry) override;
  std::string Text(TextBox box) const override;
  void SetText(TextBox box, const std::string& text) override;
  void SetCaption(Caption label, const std::string& caption) override;
  void SetIndicatorColour(std::uint32_t colour) override;
  void EnablePortButton(int number) override;
  std::string SelectedDrive() const override;
  void SelectDrive(const std::string& drive) override;
  std::string DirectoryPath() const override;
  bool SetDirectoryPath(const std::string& path) override;

  // ProgramHost
  void Beep() override;
  void EndProgram() override;

  // Opens Dir1 at the directory and Drive1 at the drive holding it. A
  // chosen one becomes the data directory as a click in Dir1 makes it: the
  // port buttons are ready. False, and nothing moved, when it cannot be read.
  bool OpenDataDirectory(const QString& path, bool choose);
  // A port button's help names the device its press opens.
  void ShowPortDevice(int number, const QString& device);

 signals:
  void portButtonClicked(int number);  // Command1..Command4
  void endNowClicked();                // Command5
  void initClicked();                  // Command6
  void driveChanged();                 // Drive1
  void directoryChanged();             // Dir1
  void closing();                      // the operator closes the window
  void portDeviceChosen(int number, const QString& device);  // from a port button's menu

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void PlaceControls();
  void SetTabOrder();
  void NameControls();
  void ConnectControls();

  IndicatorShape* shape1_ = nullptr;
  EntryListView* list1_ = nullptr;
  EntryListView* list2_ = nullptr;
  std::array<QPushButton*, 6> commands_{};  // Command1..Command6
  std::array<QLineEdit*, 4> texts_{};       // Text1..Text4
  std::array<PacedText*, 4> textsSet_{};    // what the program puts in them, drawn at the frame
  std::array<QLabel*, 6> labels_{};         // Label1..Label6
  DriveList* drive1_ = nullptr;
  DirectoryList* dir1_ = nullptr;
};

}  // namespace tally
