// A short list of folders above Twinscan's lists: the folders searched, or
// the reference folders. It holds each path as the file system's bytes and
// shows it as text; a path typed over a row (F2, a double click) replaces
// it. Enter asks for the search, Delete for the selected rows' removal; the
// window decides what either does.
#pragma once

#include <QListWidget>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace pictray::twinscan {

class FolderList : public QListWidget {
 public:
  struct Keys {
    std::function<void()> search;   // Enter
    std::function<void()> remove;   // Delete
    std::function<void()> edited;   // a path was typed over
  };
  // `empty`: what the list says while it holds no folder.
  FolderList(QWidget* parent, const QString& empty, Keys keys);

  std::vector<std::string> Paths() const;
  void SetPaths(const std::vector<std::string>& paths);
  // Adds `path` unless it is listed; its row becomes the current one.
  void Add(const std::string& path);
  // Removes the selected rows; false when none was.
  bool RemoveSelected();
  // Makes `path`'s row the current one.
  void Select(const std::string& path);

  // Two rows high, as wide as it is given.
  QSize sizeHint() const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void TakeTypedPath(QListWidgetItem* item);

  QString empty_;
  Keys keys_;
};

}  // namespace pictray::twinscan
