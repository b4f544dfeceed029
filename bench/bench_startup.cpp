// Time from launch to the log-in dialog, beside a minimal Qt program that opens one dialog. Both
// run as child processes of this one (the same program in a probe mode) on an X display (a
// virtual one, Xvfb, is started when none is set), alternately, and report when their first
// dialog shows (the minimal one shows text, as the log-in dialog does). The program's launches
// after the first find their settings and the data-file type in place, as on a clerk's machine.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/SmGbk.h"
#include "product/TsApp.h"

namespace {

const int kRuns = 15;

// Prints "shown" and ends the process as soon as a dialog is up.
void ReportFirstDialog() {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) dialog = QApplication::activeWindow();
    if (!dialog || !dialog->isVisible() || !qobject_cast<QDialog*>(dialog)) return;
    if (dialog->objectName() == "805") return;  // the splash
    std::printf("shown\n");
    std::fflush(stdout);
    std::_Exit(0);
  });
  timer->start(1);
}

int RunProgram(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  SmUseCNumericLocale();
  ReportFirstDialog();
  CTsApp app;
  if (!app.InitInstance({})) return app.ExitInstance();
  return QApplication::exec();
}

// The least a log-in dialog is: a Chinese caption, label and edit box in the application's font.
// Any dialog with text pays for Qt's font system and the Chinese font, so this one does too.
int RunMinimal(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  ReportFirstDialog();
  QDialog dialog;
  dialog.setWindowTitle("登录");
  auto* layout = new QHBoxLayout(&dialog);
  layout->addWidget(new QLabel("操作员：", &dialog));
  layout->addWidget(new QLineEdit(&dialog));
  return dialog.exec();
}

// Milliseconds from starting the probe to its "shown"; negative when it never said so.
double Launch(const QString& mode, const QProcessEnvironment& env) {
  QProcess probe;
  probe.setProcessEnvironment(env);
  QElapsedTimer clock;
  clock.start();
  probe.start(QCoreApplication::applicationFilePath(), {mode});
  if (!probe.waitForReadyRead(30000)) {
    probe.kill();
    probe.waitForFinished();
    return -1;
  }
  const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  probe.waitForFinished();
  return ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A virtual display for the probes when none is set; ended with this object.
class CVirtualDisplay {
 public:
  QString Start() {
    if (!qEnvironmentVariable("DISPLAY").isEmpty()) return qEnvironmentVariable("DISPLAY");
    const QString name = ":" + QString::number(90 + QCoreApplication::applicationPid() % 300);
    m_server.start("Xvfb", {name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    if (!m_server.waitForStarted()) return {};
    const QString socket = "/tmp/.X11-unix/X" + name.mid(1);
    for (int k = 0; k < 100 && !QFile::exists(socket); ++k) QThread::msleep(50);
    return QFile::exists(socket) ? name : QString();
  }
  ~CVirtualDisplay() {
    if (m_server.state() == QProcess::NotRunning) return;
    m_server.terminate();
    m_server.waitForFinished();
  }

 private:
  QProcess m_server;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && QString(argv[1]) == "--program") return RunProgram(argc, argv);
  if (argc > 1 && QString(argv[1]) == "--minimal") return RunMinimal(argc, argv);

  QCoreApplication driver(argc, argv);
  CVirtualDisplay display;
  const QString name = display.Start();
  if (name.isEmpty()) {
    std::printf("start-up: no X display and no Xvfb; skipped\n");
    return 0;
  }
  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", name);
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("HOME", home.path());
  env.insert("XDG_CONFIG_HOME", home.path() + "/config");
  env.insert("XDG_DATA_HOME", home.path() + "/data");
  if (Launch("--program", env) < 0 || Launch("--minimal", env) < 0) {
    std::printf("start-up: a probe did not show its dialog\n");
    return 1;
  }
  std::vector<double> program, minimal;
  for (int k = 0; k < kRuns; ++k) {
    program.push_back(Launch("--program", env));
    minimal.push_back(Launch("--minimal", env));
  }
  const double ours = Median(program);
  const double bare = Median(minimal);
  std::printf(
      "launch to first dialog (median of %d)  program %8.1f ms   minimal Qt %8.1f ms"
      "   ratio %5.2f\n",
      kRuns, ours, bare, ours / bare);
  return 0;
}
