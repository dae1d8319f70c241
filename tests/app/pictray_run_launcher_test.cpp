// The one way the window starts runs: registration from before the thread
// starts, a run letting it go early, and the wait at exit that keeps serving
// a worker that waits for the window.
#include <QObject>
#include <QtTest>

#include <atomic>
#include <future>

#include "app/pictray/run_launcher.h"

using pictray::RunRegistry;
using pictray::app::RunLauncher;

class RunLauncherTest : public QObject {
  Q_OBJECT

 private slots:
  void aRunIsRegisteredBeforeItsThreadStartsAndUntilItReturns() {
    RunRegistry runs;
    RunLauncher launcher(runs);
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
    RunLauncher launcher(runs);
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

  // A worker blocked on a call to the window's thread ends only if the
  // waiting thread keeps serving its events.
  void waitingAtExitServesWorkersThatWaitForTheWindow() {
    RunRegistry runs;
    QObject window;
    int served = 0;
    {
      RunLauncher launcher(runs);
      for (int i = 0; i < 3; ++i)
        launcher.Start([&](RunRegistry::Guard) {
          QMetaObject::invokeMethod(&window, [&] { ++served; }, Qt::BlockingQueuedConnection);
        });
      launcher.WaitForAll();
      QCOMPARE(served, 3);
      // Leaving the scope with a run still going waits for it too.
      launcher.Start([&](RunRegistry::Guard) {
        QMetaObject::invokeMethod(&window, [&] { ++served; }, Qt::BlockingQueuedConnection);
      });
    }
    QCOMPARE(served, 4);
    QVERIFY(!runs.Active());
  }
};

QTEST_MAIN(RunLauncherTest)
#include "pictray_run_launcher_test.moc"
