#pragma once
// Dir1: the current directory with the folders above it and the folders in
// it. A double click or Enter opens the selected folder, the one it shows
// included (that chooses it again); the arrow keys, Home and End move the
// selection. The path is "/" at the root and has no
// separator at the end otherwise.

#include <QListWidget>
#include <QString>

namespace tally {

class DirectoryList : public QListWidget {
  Q_OBJECT

 public:
  explicit DirectoryList(QWidget* parent = nullptr);

  QString Path() const { return path_; }
  // Moves the list to the directory; raises pathChanged when the path
  // changes (the operator opening the folder shown raises it as well). A directory that cannot be read leaves the list where it was
  // and gives false.
  bool SetPath(const QString& path);

 signals:
  void pathChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Open(const QListWidgetItem* item);
  void Fill();

  QString path_;
};

}  // namespace tally
