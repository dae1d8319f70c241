// The one way the window starts runs: registration from before the thread
// starts, a run letting it go early, each run's end told from its thread,
// and the wait at exit.
#include <QObject>
#include <QtTest>

#include <atomic>
#include <future>

#include "app/common/run_launcher.h"

using pictray::RunRegistry;
using pictray::ui::RunLauncher;

class RunLauncherTest : public QObject {
  Q_OBJECT

 private slots:
  void aRunIsRegisteredBeforeItsThreadStartsAndUntilItReturns() {
    RunRegistry runs;
    RunLauncher launcher(runs, [] {});
    std::promise<void> go;
    std::shared_future<void> goSignal = go.get_future().share();
    launcher.Start([goSignal](RunRegistry::Guard) { goSignal.wait(); });
    // The command that follows the start is already refused.
    QVERIFY(runs.Active());
    go.set_value();
    QVERIFY(QTest::qWaitFor([&] { return !runs.Active(); }, 5000));
    launcher.WaitForAll();
  }

  // List-up lets its registration go before it tells the window it has
  // ended: the window may start the next run while the worker finishes.
  void aRunMayLetItsRegistrationGoBeforeItEnds() {
    RunRegistry runs;
    RunLauncher launcher(runs, [] {});
    std::promise<void> go;
    std::shared_future<void> goSignal = go.get_future().share();
    std::atomic<bool> ended{false};
    launcher.Start([&, goSignal](RunRegistry::Guard g) {
      g.Release();
      goSignal.wait();
      ended = true;
    });
    QVERIFY(QTest::qWaitFor([&] { return !runs.Active(); }, 5000));
    QVERIFY(!ended);
    launcher.Start([](RunRegistry::Guard) {});
    go.set_value();
    launcher.WaitForAll();
    QVERIFY(ended);
    QVERIFY(!runs.Active());
  }

  // The window learns of a run's end from the worker, after the run has let
  // its registration go; joining at exit needs no event from the window.
  void eachRunTellsOfItsEndFromItsThreadOnceItHasReturned() {
    RunRegistry runs;
    std::atomic<int> ended{0};
    std::atomic<bool> registeredAtFirstEnd{true};
    std::promise<void> go;
    std::shared_future<void> goSignal = go.get_future().share();
    {
      RunLauncher launcher(runs, [&] {
        if (ended == 0) registeredAtFirstEnd = runs.Active();
        ++ended;
      });
      launcher.Start([goSignal](RunRegistry::Guard) { goSignal.wait(); });
      QVERIFY(launcher.JoinEnded());
      go.set_value();
      QVERIFY(QTest::qWaitFor([&] { return ended == 1; }, 5000));
      QVERIFY(!registeredAtFirstEnd);
      QVERIFY(!launcher.JoinEnded());
      for (int i = 0; i < 3; ++i) launcher.Start([](RunRegistry::Guard) {});
    }
    QCOMPARE(ended.load(), 4);
    QVERIFY(!runs.Active());
  }
};

QTEST_MAIN(RunLauncherTest)
#include "pictray_run_launcher_test.moc"
