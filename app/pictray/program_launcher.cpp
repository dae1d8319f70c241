#include "app/pictray/program_launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QWidget>

#include <memory>

#include "engine/settings/profile.h"

namespace pictray::app {
namespace {

bool IsCompanion(const QString& program) {
  const QString base = QFileInfo(program).fileName();
  return base == "Twinscan" || base == "Twinscan.exe";
}

void WriteCompanionPlace(QWidget* window, const QString& programDir) {
  const std::string ini = QDir(programDir).filePath("Twinscan.ini").toStdString();
  const QRect g = window->frameGeometry();
  WriteProfileString("Section0", "Px", std::to_string(g.left() + 100), ini);
  WriteProfileString("Section0", "Py", std::to_string(g.top() + 300), ini);
}

}  // namespace

QString ResolveProgram(const QString& application, const QString& programDir) {
  const QString app = application.trimmed();
  if (app.isEmpty() || app == "open") return app;
  QFileInfo fi(app);
  if (fi.isRelative()) fi = QFileInfo(QDir(programDir).filePath(app));
  // The companion keeps its Windows name in older settings files.
  if (!fi.exists() && fi.fileName().endsWith(".exe"))
    fi = QFileInfo(fi.absolutePath() + "/" + fi.completeBaseName());
  return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
}

namespace {

// Handles what needs no process ("open", nothing configured) and the
// companion's place; returns the program still to be started, or "".
QString PrepareLaunch(QWidget* window, const QString& application, const QString& folder,
                      const QString& programDir) {
  const QString program = ResolveProgram(application, programDir);
  if (program == "open") {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    return {};
  }
  if (!program.isEmpty() && IsCompanion(program)) WriteCompanionPlace(window, programDir);
  return program;
}

QProcess* NewProcess(QObject* parent, const QString& programDir) {
  auto* process = new QProcess(parent);
  process->setWorkingDirectory(programDir);
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  return process;
}

}  // namespace

void shellOpenSubStalone(QWidget* window, const QString& application, const QString& folder,
                         bool wait, const QString& programDir) {
  if (!wait) {
    shellOpenSub(window, application, folder, programDir);
    return;
  }
  const QString program = PrepareLaunch(window, application, folder, programDir);
  if (program.isEmpty()) return;
  std::unique_ptr<QProcess> process(NewProcess(nullptr, programDir));
  process->start(program, {folder});
  if (!process->waitForStarted(5000)) return;
  QEventLoop loop;
  QObject::connect(process.get(), &QProcess::finished, &loop, &QEventLoop::quit);
  window->setEnabled(false);
  if (process->state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
  window->setEnabled(true);
}

void shellOpenSub(QWidget* window, const QString& application, const QString& folder,
                  const QString& programDir) {
  const QString program = PrepareLaunch(window, application, folder, programDir);
  if (program.isEmpty()) return;
  QProcess* process = NewProcess(window, programDir);
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) process->deleteLater();
  });
  process->start(program, {folder});
}

}  // namespace pictray::app
