#include "window/port_menu.h"

#include <QInputDialog>
#include <QMenu>
#include <QPushButton>

#include "link/qt/port_scan.h"

namespace tally {

namespace {

QString Local(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

void AskForOtherDevice(QPushButton* button,
                       const std::function<void(const QString&)>& chosen) {
  bool accepted = false;
  const QString device = QInputDialog::getText(
      button, QStringLiteral("Other device"),
      QStringLiteral("Device for %1:").arg(button->text()), QLineEdit::Normal, QString(),
      &accepted);
  if (accepted && !device.trimmed().isEmpty()) chosen(device.trimmed());
}

}  // namespace

void ShowPortMenu(QPushButton* button, const QPoint& at,
                  const std::function<void(const QString&)>& chosen) {
  auto* menu = new QMenu(button);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setToolTipsVisible(true);
  const std::vector<FoundPort> ports = FindPorts();
  if (ports.empty()) menu->addAction(QStringLiteral("No serial ports found"))->setEnabled(false);
  for (const FoundPort& port : ports) {
    const QString device = Local(port.Name());
    QAction* action = menu->addAction(device, menu, [device, chosen] { chosen(device); });
    action->setToolTip(Local(PortListLine(port)));
  }
  menu->addSeparator();
  menu->addAction(QStringLiteral("Other device..."), button,
                  [button, chosen] { AskForOtherDevice(button, chosen); });
  menu->popup(button->mapToGlobal(at));
}

}  // namespace tally
