// What a screen reader and a person copying from the window get: names of
// the controls, whole entries of the lists, Ctrl+C, and the window icon.
// (The walk over AT-SPI itself is atspi/read_capture_window.py.)

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QToolTip>
#include <filesystem>
#include <fstream>

#include "window/entry_list_view.h"
#include "window_helpers.h"

namespace tally::testing {
namespace {

QString NameOf(QWidget* control) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
  return accessible == nullptr ? QString() : accessible->text(QAccessible::Name);
}

TEST(Accessibility, EveryControlHasANameToBeReadBy) {
  WindowRig rig;
  const struct {
    const char* control;
    const char* name;
  } names[] = {
      {"List1", "Processor data stream"}, {"List2", "Alarm limits and status"},
      {"Command1", "Com1"},               {"Command6", "Init"},
      {"Dir1", "Directory"},
      {"Text1", "Marker"},                {"Text2", "Lines count"},
      {"Text3", "Obs #"},                 {"Text4", "Interval"},
      {"Shape1", "Status indicator"},
  };
  for (const auto& named : names) {
    EXPECT_EQ(NameOf(rig.Find<QWidget>(named.control)), QString::fromLatin1(named.name))
        << named.control;
  }
  // On Linux a combo box is read by its current value (the drive), with its
  // help text; the directory list keeps its help text as well.
  for (const char* listed : {"Drive1", "Dir1"}) {
    QWidget* control = rig.Find<QWidget>(listed);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Description),
              control->toolTip())
        << listed;
  }
}

TEST(Accessibility, ListRowsAreChildrenReadWholeEvenWhenCut) {
  WindowRig rig;
  auto* list2 = rig.Find<EntryListView>("List2");
  rig.window.show();
  const std::string cut = "Com1 (/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0): "
                          "permission denied; add your user to the group dialout";
  rig.window.AppendList2("invalid operation");
  rig.window.AppendList2(cut);
  list2->SelectRow(1);

  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(list2);
  ASSERT_EQ(list->role(), QAccessible::List);
  ASSERT_EQ(list->childCount(), 2);
  EXPECT_EQ(list->child(0)->text(QAccessible::Name), QStringLiteral("invalid operation"));
  QAccessibleInterface* row = list->child(1);
  EXPECT_EQ(row->role(), QAccessible::ListItem);
  EXPECT_EQ(row->text(QAccessible::Name), QString::fromStdString(cut));
  EXPECT_TRUE(row->state().selected);
  EXPECT_FALSE(list->child(0)->state().selected);
  EXPECT_EQ(list->indexOfChild(row), 1);

  const QPoint at = list2->RowRect(1).center();
  QHelpEvent help(QEvent::ToolTip, at, list2->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list2->viewport(), &help);
  EXPECT_EQ(QToolTip::text(), QString::fromStdString(cut));
}

TEST(Accessibility, CtrlCCopiesTheSelectedRowAsText) {
  WindowRig rig;
  auto* list1 = rig.Find<EntryListView>("List1");
  rig.window.AppendList1("01,101,00000,00300");
  rig.window.AppendList1("02,102,00001,00300");
  QApplication::clipboard()->setText(QStringLiteral("before"));
  QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);

  QApplication::sendEvent(list1, &copy);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));  // nothing selected
  list1->SelectRow(1);
  QApplication::sendEvent(list1, &copy);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("02,102,00001,00300"));
}

TEST(Accessibility, WindowIconComesFromTheIconThemeWhenItHasOne) {
  TempDir themes;
  const std::filesystem::path theme = std::filesystem::path(themes.path()) / "hicolor";
  std::filesystem::create_directories(theme / "48x48" / "apps");
  std::ofstream(theme / "index.theme") << "[Icon Theme]\nName=hicolor\nDirectories=48x48/apps\n"
                                          "[48x48/apps]\nSize=48\nType=Fixed\n";
  QImage drawn(48, 48, QImage::Format_ARGB32);
  drawn.fill(Qt::magenta);
  ASSERT_TRUE(drawn.save(QString::fromStdString((theme / "48x48/apps/tally77.png").string())));
  const QStringList searchPaths = QIcon::themeSearchPaths();
  const QString themeName = QIcon::themeName();
  QIcon::setThemeSearchPaths({QString::fromStdString(themes.path())});
  QIcon::setThemeName(QStringLiteral("hicolor"));

  WindowRig rig;
  const QImage shown = rig.window.windowIcon().pixmap(48, 48).toImage();
  QIcon::setThemeSearchPaths(searchPaths);
  QIcon::setThemeName(themeName);
  EXPECT_EQ(shown.pixelColor(24, 24), QColor(Qt::magenta));
}

}  // namespace
}  // namespace tally::testing
