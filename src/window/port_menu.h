#pragma once
// The menu of a port button (right click or the context-menu key): the
// serial ports found at that moment, by their stable names, then "Other
// device..." to type any device path. The device picked goes to chosen;
// closing the menu or the dialog picks nothing.

#include <QPoint>
#include <QString>
#include <functional>

class QPushButton;

namespace tally {

void ShowPortMenu(QPushButton* button, const QPoint& at,
                  const std::function<void(const QString& device)>& chosen);

}  // namespace tally
