#include "window/directory_list.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace tally {

namespace {

constexpr int kPathRole = Qt::UserRole;

bool Readable(const QString& path) {
  const QFileInfo info(path);
  return info.isDir() && info.isReadable() && info.isExecutable();
}

}  // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  path_ = QDir::cleanPath(QDir::currentPath());
  Fill();
  connect(this, &QListWidget::itemDoubleClicked, this,
          [this](const QListWidgetItem* item) { Open(item); });
}

bool DirectoryList::SetPath(const QString& path) {
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  if (!Readable(clean)) return false;
  const bool changed = clean != path_;
  path_ = clean;
  Fill();
  if (changed) emit pathChanged();
  return true;
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Open(currentItem());
    return;
  }
  QListWidget::keyPressEvent(event);
}

void DirectoryList::Open(const QListWidgetItem* item) {
  if (item == nullptr) return;
  // The folder the list shows, opened again, is chosen as any other: a
  // directory reopened from the last run is shown but not yet chosen.
  const QString before = path_;
  if (SetPath(item->data(kPathRole).toString()) && path_ == before) emit pathChanged();
}

void DirectoryList::Fill() {
  clear();
  const QIcon openFolder = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closedFolder = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The folders from the root down to the current one, each indented one
  // step further, then the folders inside the current one.
  const QStringList names = path_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  QString walked = QStringLiteral("/");
  auto* root = new QListWidgetItem(openFolder, walked, this);
  root->setData(kPathRole, walked);
  int depth = 1;
  for (const QString& name : names) {
    walked = walked == QStringLiteral("/") ? walked + name : walked + QLatin1Char('/') + name;
    auto* item = new QListWidgetItem(openFolder, QString(depth * 2, QLatin1Char(' ')) + name, this);
    item->setData(kPathRole, walked);
    ++depth;
  }
  setCurrentRow(count() - 1);

  const QDir here(path_);
  const QString indent(depth * 2, QLatin1Char(' '));
  for (const QString& name :
       here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
    auto* item = new QListWidgetItem(closedFolder, indent + name, this);
    item->setData(kPathRole, here.filePath(name));
  }
}

}  // namespace tally
