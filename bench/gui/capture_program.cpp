#include "gui/capture_program.h"

#include <QByteArray>
#include <QPushButton>
#include <QtGlobal>

#include "link/event_wiring.h"
#include "window/window_events.h"

namespace tally::bench {

CaptureProgram::CaptureProgram() {
  ConnectWindowEvents(window, context);
  ConnectCaptureEvents(context);
}

bool CaptureProgram::OpenPort(const std::string& directory, int number) {
  window.SetDirectoryPath(directory);
  auto* button = window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
  if (button == nullptr || !button->isEnabled()) return false;
  button->click();
  return port.IsOpen();
}

void PreferOffscreenPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace tally::bench
