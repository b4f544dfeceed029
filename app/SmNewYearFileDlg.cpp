#include "app/SmNewYearFileDlg.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/SmApp.h"
#include "app/SmEnvironment.h"
#include "app/SmServerYearFile.h"
#include "app/SmSystemTables.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace {
constexpr unsigned kNewYearFileTemplate = 813;
constexpr int kSetEdit = 1003;
constexpr int kYearEdit = 1004;
constexpr int kUnitEdit = 1005;
constexpr int kUnitNameWidth = 40;
constexpr int kServerCodeWidth = 4;

QLineEdit* AddEdit(QWidget* parent, int id, const QString& text) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(QString::number(id));
  return edit;
}

bool ValidFolderName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\:*?\"<>|") == std::string::npos;
}
}  // namespace

CSmNewYearFileDlg::CSmNewYearFileDlg(CSmApp* app, int mode, const std::string& rootDir,
                                     const std::string& accountSet, QWidget* parent)
    : CSmAppDlg(kNewYearFileTemplate, app, parent), m_mode(mode), m_rootDir(rootDir) {
  BuildControls(QStringLiteral("账套："), accountSet.empty() ? "001" : accountSet);
}

CSmNewYearFileDlg::CSmNewYearFileDlg(CSmApp* app, int mode, int kind, const CSmConnInfo& login,
                                     const std::string& code, QWidget* parent)
    : CSmAppDlg(kNewYearFileTemplate, app, parent), m_mode(mode), m_kind(kind), m_login(login) {
  BuildControls(QStringLiteral("&P.序  号："), code.empty() ? "0001" : code);
  m_set->setMaxLength(kServerCodeWidth);
}

void CSmNewYearFileDlg::BuildControls(const QString& setLabel, const std::string& set) {
  setWindowTitle(QStringLiteral("建立新年度数据文件"));
  m_set = AddEdit(this, kSetEdit, QString::fromStdString(set));
  m_year = AddEdit(this, kYearEdit, QString::number(QDate::currentDate().year()));
  m_year->setMaxLength(4);
  m_unit = AddEdit(this, kUnitEdit, QString());
  auto* form = new QFormLayout;
  form->addRow(setLabel, m_set);
  form->addRow(QStringLiteral("年度："), m_year);
  form->addRow(QStringLiteral("单位名称："), m_unit);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(1, QStringLiteral("&S.建立")));
  buttons->addWidget(AddButton(2, QStringLiteral("&X.取消")));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

bool CSmNewYearFileDlg::ReadYear(int* year) {
  bool ok = false;
  *year = m_year->text().trimmed().toInt(&ok);
  if (ok && *year >= 1900 && *year <= 9999) return true;
  SmMessageBox("年度不正确，请重输！", SM_MB_OK | SM_MB_ICONERROR);
  m_year->setFocus();
  return false;
}

bool CSmNewYearFileDlg::ValidateAndSave() {
  if (m_mode != 1 || !App()) return false;
  if (m_kind != 0) return CreateServerFile();
  const std::string set = m_set->text().trimmed().toStdString();
  if (!ValidFolderName(set)) {
    SmMessageBox("账套名称不正确，请重输！", SM_MB_OK | SM_MB_ICONERROR);
    m_set->setFocus();
    return false;
  }
  int year = 0;
  if (!ReadYear(&year)) return false;
  const std::string folder = m_rootDir + "/" + set;
  if (!QDir().mkpath(QString::fromStdString(folder))) {
    SmMessageBox("无法建立文件夹“" + folder + "”！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  std::string path;
  if (!SmCreateYearFile(*App(), folder, year, &path)) {
    SmMessageBox(QFileInfo::exists(QString::fromStdString(path))
                     ? "年度数据文件“" + path + "”已经存在！"
                     : "建立年度数据文件“" + path + "”失败！",
                 SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  CSmDatabase db(0);
  if (db.Open(path, CSmConnInfo(0))) FinishNewFile(db);
  m_file = path;
  return true;
}

bool CSmNewYearFileDlg::CreateServerFile() {
  // The sequence number becomes part of a database name: digits only.
  const QString typed = m_set->text().trimmed();
  bool ok = !typed.isEmpty();
  for (QChar c : typed) ok = ok && c >= '0' && c <= '9';
  const int sequence = ok ? typed.toInt() : 0;
  if (sequence < 1 || sequence > 9999) {
    SmMessageBox("序号有误！", SM_MB_OK | SM_MB_ICONERROR);
    m_set->setFocus();
    return false;
  }
  const std::string code = FormatStr("%04d", sequence);
  m_set->setText(QString::fromStdString(code));
  int year = 0;
  if (!ReadYear(&year)) return false;
  const std::string ext = App()->GetDataFileExt().empty() ? "tsd" : App()->GetDataFileExt();
  const std::string name = SmServerDatabaseName(ext, code, year);
  {
    CSmDatabase master(m_kind);
    if (!master.Open("master", m_login)) {
      SmMessageBox("无法连接到数据源：" + m_login.server + "！", SM_MB_OK | SM_MB_ICONERROR);
      return false;
    }
    if (master.DatabaseExists(name)) {
      SmMessageBox("下列数据文件已存在：\n" + name + "！", SM_MB_OK | SM_MB_ICONERROR);
      m_year->setFocus();
      return false;
    }
  }
  {
    CSmWaitWnd wait;
    if (!SmCreateServerYearFile(*App(), m_kind, m_login, code, year)) {
      wait.Hide();
      SmMessageBox("创建下列数据文件失败：\n" + name + "！", SM_MB_OK | SM_MB_ICONERROR);
      m_year->setFocus();
      return false;
    }
  }
  CSmDatabase db(m_kind);
  if (db.Open(name, m_login)) FinishNewFile(db);
  m_file = name;
  return true;
}

void CSmNewYearFileDlg::FinishNewFile(CSmDatabase& db) {
  // The file is this program's own: it carries its stamp, so that opening it asks nothing.
  CSmEnvironment().CheckVersionStamp(&db, nullptr, nullptr, nullptr);
  const std::string unit = m_unit->text().trimmed().toStdString();
  if (!unit.empty()) {
    db.ExecuteSQL("Update SYSTAB Set NA='" + db.SqlText(unit, kUnitNameWidth) + "'");
  }
}
