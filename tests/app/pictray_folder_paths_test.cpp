// Folder paths of the window: compared as bytes, made whole against the
// current folder.
#include <QDir>
#include <QtTest>

#include "app/pictray/folder_paths.h"

using pictray::app::SameFolder;

class FolderPathsTest : public QObject {
  Q_OBJECT

 private slots:
  void sameFolderComparesWholePathsAsBytes() {
    const std::string here = QDir::currentPath().toStdString();
    const struct {
      std::string a, b;
      bool same;
    } cases[] = {
        {"/p/A", "/p/A", true},
        {"/p/A/", "/p/A", true},
        {"/p/A//", "/p/A/", true},
        {"/", "/", true},
        {"A", here + "/A", true},
        {"A/", here + "/A", true},
        {"\xff", here + "/\xff", true},
        {"/p/A", "/p/B", false},
        {"/p/A", "/p/AB", false},
        {"/p/A", "/p/a", false},
        {"/p/\xff", "/p/\xfe", false},  // the same text once shown, other bytes
        {"/p/\xff", "/p/\xff/", true},
        {"", "/p/A", false},
    };
    for (const auto& c : cases) {
      QVERIFY2(SameFolder(c.a, c.b) == c.same, (c.a + " | " + c.b).c_str());
      QVERIFY2(SameFolder(c.b, c.a) == c.same, (c.b + " | " + c.a).c_str());
    }
  }
};

QTEST_MAIN(FolderPathsTest)
#include "pictray_folder_paths_test.moc"
