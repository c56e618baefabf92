// Dir1 and Drive1: the path rules, folders opened by keyboard and mouse,
// unreadable places refused, and which drive holds a path.

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "window/directory_list.h"
#include "window/drive_list.h"
#include "window_helpers.h"

namespace tally::testing {
namespace {

class DirectoryListTest : public ::testing::Test {
 protected:
  DirectoryListTest() {
    for (const char* name : {"alpha", "Beta", "gamma"}) std::filesystem::create_directory(dir.path() + "/" + name);
    dir.Write("not-a-folder.txt", "x");
    list.SetPath(Here());
  }
  QString Here() const { return QString::fromStdString(dir.path()); }
  QString Row(int row) const { return list.item(row)->text().trimmed(); }

  TempDir dir;
  DirectoryList list;
};

TEST_F(DirectoryListTest, ShowsTheFoldersAboveAndTheFoldersInside) {
  const QStringList above = Here().split(QLatin1Char('/'), Qt::SkipEmptyParts);
  ASSERT_EQ(list.count(), 1 + above.size() + 3);
  EXPECT_EQ(Row(0), QStringLiteral("/"));
  EXPECT_EQ(Row(above.size()), above.back());
  EXPECT_EQ(list.currentRow(), above.size()) << "the current folder is selected";
  EXPECT_EQ(Row(list.count() - 3), QStringLiteral("alpha"));
  EXPECT_EQ(Row(list.count() - 2), QStringLiteral("Beta"));
  EXPECT_EQ(Row(list.count() - 1), QStringLiteral("gamma"));
}

TEST_F(DirectoryListTest, PathHasNoSeparatorAtTheEndExceptAtTheRoot) {
  const std::pair<QString, QString> cases[] = {
      {Here() + "/", Here()},
      {Here() + "/alpha/", Here() + "/alpha"},
      {Here() + "/alpha/../Beta", Here() + "/Beta"},
      {QStringLiteral("/"), QStringLiteral("/")},
  };
  for (const auto& [given, path] : cases) {
    ASSERT_TRUE(list.SetPath(given)) << given.toStdString();
    EXPECT_EQ(list.Path(), path) << given.toStdString();
  }
}

TEST_F(DirectoryListTest, PlacesThatCannotBeReadLeaveTheListWhereItWas) {
  int changes = 0;
  QObject::connect(&list, &DirectoryList::pathChanged, [&changes] { ++changes; });
  const int rows = list.count();
  for (const QString& place : {Here() + "/missing", Here() + "/not-a-folder.txt"}) {
    EXPECT_FALSE(list.SetPath(place)) << place.toStdString();
  }
  if (geteuid() != 0) {  // the superuser reads every folder
    std::filesystem::create_directory(dir.path() + "/locked");
    std::filesystem::permissions(dir.path() + "/locked", std::filesystem::perms::none);
    EXPECT_FALSE(list.SetPath(Here() + "/locked"));
  }
  EXPECT_EQ(list.Path(), Here());
  EXPECT_EQ(list.count(), rows);
  EXPECT_EQ(changes, 0);
}

TEST_F(DirectoryListTest, ChangeIsRaisedOnlyWhenThePathChanges) {
  int changes = 0;
  QObject::connect(&list, &DirectoryList::pathChanged, [&changes] { ++changes; });
  ASSERT_TRUE(list.SetPath(Here()));
  EXPECT_EQ(changes, 0);
  ASSERT_TRUE(list.SetPath(Here() + "/gamma"));
  EXPECT_EQ(changes, 1);
}

// A folder shown but not chosen yet (the last run's, reopened at start) is
// chosen by opening it as any other.
TEST_F(DirectoryListTest, OpeningTheFolderShownChoosesItAgain) {
  int changes = 0;
  QObject::connect(&list, &DirectoryList::pathChanged, [&changes] { ++changes; });
  DoubleClickRow(&list, list.currentRow());
  EXPECT_EQ(changes, 1);
  PressKey(&list, Qt::Key_Return);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(list.Path(), Here());
}

TEST_F(DirectoryListTest, KeysMoveTheSelectionAndEnterOpensIt) {
  PressKey(&list, Qt::Key_End);
  EXPECT_EQ(Row(list.currentRow()), QStringLiteral("gamma"));
  PressKey(&list, Qt::Key_Up);
  EXPECT_EQ(Row(list.currentRow()), QStringLiteral("Beta"));
  EXPECT_EQ(list.Path(), Here()) << "moving the selection opens nothing";
  PressKey(&list, Qt::Key_Return);
  EXPECT_EQ(list.Path(), Here() + "/Beta");

  PressKey(&list, Qt::Key_Home);
  EXPECT_EQ(list.currentRow(), 0);
  PressKey(&list, Qt::Key_Enter);
  EXPECT_EQ(list.Path(), QStringLiteral("/"));
}

TEST_F(DirectoryListTest, DoubleClickOpensAFolderAbove) {
  const int parentRow = list.currentRow() - 1;
  DoubleClickRow(&list, parentRow);
  EXPECT_EQ(list.Path(), QFileInfo(Here()).path());
}

TEST(DriveList, OffersTheRootAndTheHomeFolderAndFindsTheDriveOfAPath) {
  DriveList drives;
  EXPECT_GE(drives.findText(QStringLiteral("/")), 0);
  EXPECT_GE(drives.findText(QDir::cleanPath(QDir::homePath())), 0);
  const QString home = QDir::cleanPath(QDir::homePath());
  EXPECT_EQ(drives.DriveOf(home + "/some/folder"), home);
  EXPECT_EQ(drives.DriveOf(home + "x"), drives.DriveOf(QFileInfo(home).path()))
      << "a name that merely starts like the home folder is not in it";
}

TEST(DriveList, SelectingFromTheProgramRaisesNoChange) {
  DriveList drives;
  int changes = 0;
  QObject::connect(&drives, &DriveList::driveChanged, [&changes] { ++changes; });
  const QString home = QDir::cleanPath(QDir::homePath());
  drives.SelectDrive(home + "/inner");
  EXPECT_EQ(drives.Drive(), home);
  drives.SelectDrive(QStringLiteral("/"));
  EXPECT_EQ(drives.Drive(), QStringLiteral("/"));
  EXPECT_EQ(changes, 0);
  drives.setCurrentIndex(drives.findText(home));
  EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace tally::testing
