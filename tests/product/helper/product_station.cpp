// A workstation of the product in a process of its own, for the tests that kill it while it
// works or give it a full disk or a read-only folder. It runs one of the clerk's tasks on the
// files of the test's home, answers every box with its default button (or the answers given),
// says "begin" just before the task's first write and then the text of every box it showed,
// one a line as "box: <text>" ("ask: <text>" for a question) with line breaks written "\n";
// it exits with 0 when the task succeeded.
//
//   product_station yearfile <folder> <year>            建立新年度数据文件 in a folder
//   product_station yearfile-server <sequence> <year>   the same on the test server (SM_PG_*)
//   product_station backup <data file> [<position>]     数据备份: the unload beside the file,
//                                                       and the copy to the position
//   product_station login <root> <data file>            the log-in to a file of an account set
//   product_station restore <data file>                 数据恢复, shown for a person to use
//
// SM_FILE_SIZE_LIMIT (bytes) limits how far any file may grow, as a full disk would: a write
// past it is refused with the system's "File too large". SM_AS_NOBODY=1 runs the task as the
// unprivileged user, to whom the test's folders are read-only. SM_LOOK=1 shows the boxes to a
// person instead of answering them (for looking at the windows under a virtual display).
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "admin/SmBackupDlg.h"
#include "admin/SmNewYearFileDlg.h"
#include "app/SmOpenDataDlg.h"
#include "core/SmGbk.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/product/TsStationApp.h"

namespace {

// From here on files grow no further than the limit.
void EnterTheTestsWorld() {
  std::printf("begin\n");
  std::fflush(stdout);
  if (const char* limit = std::getenv("SM_FILE_SIZE_LIMIT")) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    const rlim_t bytes = std::strtoull(limit, nullptr, 10);
    const rlimit size{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &size);
  }
}

// The whole run as the unprivileged user.
void BecomeNobody() {
  if (!std::getenv("SM_AS_NOBODY") || geteuid() != 0) return;
  const gid_t none = 65534;
  if (setgroups(1, &none) != 0 || setgid(none) != 0 || setuid(65534) != 0) std::exit(3);
}

bool MakeYearFile(TsStationApp& app, int kind, const std::string& place, const std::string& year) {
  CSmNewYearFileDlg dlg(
      app, 1, kind, kind == 0 ? place : std::string(),
      kind == 0 ? std::string()
                : std::getenv("SM_PG_HOST") + std::string(",") + std::getenv("SM_PG_PORT"));
  dlg.findChild<QLineEdit*>(QString::number(CSmNewYearFileDlg::kPlaceEdit))
      ->setText(QString::fromStdString(place));
  dlg.findChild<QLineEdit*>(QString::number(CSmNewYearFileDlg::kYearEdit))
      ->setText(QString::fromStdString(year));
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);  // 真的要创建吗？
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);   // no carry-over now
  EnterTheTestsWorld();
  return dlg.CreateDataFile();
}

// The unload, and with a position the copy there.
bool Backup(TsStationApp& app, const std::string& file, const std::string& position) {
  if (!app.m_env.OpenFile("", file, "101", true)) return false;
  CSmBackupDlg dlg(app, CSmBackupDlg::kBackup);
  dlg.show();
  EnterTheTestsWorld();
  dlg.OnConfirm();
  if (position.empty() || dlg.GetState() != CSmBackupDlg::kUnloaded)
    return position.empty() && dlg.GetState() == CSmBackupDlg::kUnloaded;
  dlg.BrowseTo(position);
  dlg.OnConfirm();
  return dlg.GetState() == CSmBackupDlg::kCopied;
}

bool ShowRestore(TsStationApp& app, const std::string& file) {
  if (!app.m_env.OpenFile("", file, "101", true)) return false;
  CSmBackupDlg dlg(app, CSmBackupDlg::kRestore);
  return dlg.DoModal() == SM_IDOK;
}

bool LogIn(TsStationApp& app, const std::string& root, const std::string& file) {
  app.m_env.SetRootDir(root);
  // The open-data-file dialog: the file, operator 101 and no password.
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dlg = qobject_cast<CSmOpenDataFileDlg*>(QApplication::activeModalWidget());
    if (!dlg) return;
    timer.stop();
    if (!dlg->Tree()->SelectFile(file)) {
      std::fprintf(stderr, "%s is not in the dialog's tree\n", file.c_str());
      dlg->reject();
      return;
    }
    auto* operators =
        dlg->findChild<QComboBox*>(QString::number(CSmOpenDataFileDlg::kOperatorCombo));
    for (int i = 0; i < operators->count(); ++i)
      if (operators->itemText(i).startsWith("101 ")) operators->setCurrentIndex(i);
    EnterTheTestsWorld();
    dlg->findChild<QPushButton*>(QString::number(SM_ID_OK))->click();
  });
  timer.start();
  return app.LogIn("");
}

}  // namespace

int main(int argc, char** argv) {
  BecomeNobody();
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qt(argc, argv);
  SmUseCNumericLocale();
  CSmMessageService::Instance().SetTestMode(!std::getenv("SM_LOOK"));
  const std::vector<std::string> args(argv + 1, argv + argc);
  TsStationApp app;
  bool done = false;
  if (args.size() == 3 && args[0] == "yearfile") {
    done = MakeYearFile(app, 0, args[1], args[2]);
  } else if (args.size() == 3 && args[0] == "yearfile-server") {
    done = MakeYearFile(app, 2, args[1], args[2]);
  } else if ((args.size() == 2 || args.size() == 3) && args[0] == "backup") {
    done = Backup(app, args[1], args.size() == 3 ? args[2] : std::string());
  } else if (args.size() == 2 && args[0] == "restore") {
    done = ShowRestore(app, args[1]);
  } else if (args.size() == 3 && args[0] == "login") {
    done = LogIn(app, args[1], args[2]);
  } else {
    std::fprintf(stderr, "unknown task\n");
    return 2;
  }
  app.m_env.Close();  // the lock file goes with the last session
  for (const SmShownMessage& box : CSmMessageService::Instance().Shown()) {
    const bool question = (box.flags & 0xF) != SM_MB_OK;
    std::printf("%s: %s\n", question ? "ask" : "box", ReplaceAll(box.text, "\n", "\\n").c_str());
  }
  std::fflush(stdout);
  // The process ends here, without the shutdown a logged-in program would make.
  std::_Exit(done ? 0 : 1);
}
