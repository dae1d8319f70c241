// erasekit PATH: moves PATH (a file or a folder) to the desktop trash.
// Exit status 0 when PATH is gone afterwards, 1 with a message otherwise,
// 2 for a wrong command line.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>

namespace {

bool Gone(const char* path) {
  struct stat st {};
  return ::lstat(path, &st) != 0;
}

// QFile::moveToTrash falls back to the current folder when it cannot set up
// the home trash, so the home trash is made ready before it is called.
bool HomeTrashReady() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return !data.isEmpty() && QDir().mkpath(data + "/Trash/files") && QDir().mkpath(data + "/Trash/info");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: erasekit PATH\n");
    return 2;
  }
  const char* path = argv[1];
  if (Gone(path)) return 0;
  if (!HomeTrashReady()) {
    std::fprintf(stderr, "erasekit: the trash folder cannot be made; %s is left as it is\n", path);
    return 1;
  }
  QString inTrash;
  if (!QFile::moveToTrash(QFile::decodeName(path), &inTrash)) {
    std::fprintf(stderr, "erasekit: cannot move %s to the trash\n", path);
    return 1;
  }
  if (!QDir::isAbsolutePath(inTrash)) {
    std::fprintf(stderr, "erasekit: %s went to %s instead of a trash folder\n", path,
                 QFile::encodeName(inTrash).constData());
    return 1;
  }
  if (!Gone(path)) {
    std::fprintf(stderr, "erasekit: %s is still there after moving it to the trash\n", path);
    return 1;
  }
  return 0;
}
