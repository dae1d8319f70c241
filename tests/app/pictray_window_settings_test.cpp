// What the main window keeps in the settings files: the working copy's life,
// what a start reads, what commands read, and what survives to the next start.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/pictray/window_settings.h"
#include "engine/settings/settings_keys.h"

using pictray::app::StartSettings;
using pictray::app::WindowSettings;
namespace key = pictray::key;

class WindowSettingsTest : public QObject {
  Q_OBJECT

  static bool Exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

 private slots:
  void theWorkingCopyLivesFromStartToExitBesideTheSettingsFile() {
    QTemporaryDir dir;
    WindowSettings s(dir.path().toStdString(), "Pictray");
    QVERIFY(s.Open());
    const std::string file = s.store().GRprofile, copy = s.store().profile;
    QCOMPARE(file, dir.filePath("Pictray.ini").toStdString());
    QVERIFY(Exists(copy));
    QVERIFY(copy != file);
    pictray::PictrayState st;
    s.Share(st);
    QCOMPARE(st.profile, copy);
    QCOMPARE(st.GRprofile, file);
    QCOMPARE(st.programDir, dir.path().toStdString());
    s.RemoveWorkingFiles();
    QVERIFY(!Exists(copy));
    QVERIFY(Exists(file));
  }

  // A first start gets the creation values and fallbacks; the next start
  // reads what the first stored.
  void aStartReadsWhatTheLastOneStored() {
    QTemporaryDir dir;
    {
      WindowSettings first(dir.path().toStdString(), "Pictray");
      QVERIFY(first.Open());
      const StartSettings fresh = first.ReadAtStart();
      QCOMPARE(fresh.place, QRect(50, 50, 1500, 1000));
      QCOMPARE(fresh.PartX, std::string("4"));
      QCOMPARE(fresh.WinClose, std::string("1"));
      QCOMPARE(fresh.ZenApp, std::string("Twinscan"));
      QVERIFY(!fresh.ZenAppOn);
      first.StorePlace(QPoint(70, 80), QSize(900, 700));
      first.StorePartX("8");
      first.StoreZenAppOn(true);
      first.RemoveWorkingFiles();
    }
    WindowSettings next(dir.path().toStdString(), "Pictray");
    QVERIFY(next.Open());
    const StartSettings stored = next.ReadAtStart();
    QCOMPARE(stored.place, QRect(70, 80, 900, 700));
    QCOMPARE(stored.PartX, std::string("8"));
    QVERIFY(stored.ZenAppOn);
    next.RemoveWorkingFiles();
  }

  // Commands read the working copy, which the settings dialogs change; the
  // grid counts there at once and in the settings file for the next start.
  void commandsReadTheWorkingCopyAndTheGridIsWrittenToBoth() {
    QTemporaryDir dir;
    WindowSettings s(dir.path().toStdString(), "Pictray");
    QVERIFY(s.Open());
    const std::string copy = s.store().profile, file = s.store().GRprofile;
    QVERIFY(pictray::WriteSetting(pictray::fs::DefaultEnv(), key::ZenApp, "viewer", copy));
    QVERIFY(pictray::WriteSetting(pictray::fs::DefaultEnv(), key::ExifSel, "13", copy));
    QCOMPARE(s.ZenApp(), std::string("viewer"));
    QCOMPARE(s.ExifSel(), std::string("13"));
    QCOMPARE(s.ReadAtStart().ZenApp, std::string("Twinscan"));
    s.StorePartX("8");
    QCOMPARE(pictray::ReadSetting(pictray::fs::DefaultEnv(), key::PartX, copy), std::string("8"));
    QCOMPARE(pictray::ReadSetting(pictray::fs::DefaultEnv(), key::PartX, file), std::string("8"));
    s.RemoveWorkingFiles();
  }
};

QTEST_MAIN(WindowSettingsTest)
#include "pictray_window_settings_test.moc"
