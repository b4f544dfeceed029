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
#include "app/SmSystemTables.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "platform/SmMessage.h"

namespace {
constexpr unsigned kNewYearFileTemplate = 813;
constexpr int kSetEdit = 1003;
constexpr int kYearEdit = 1004;
constexpr int kUnitEdit = 1005;
constexpr int kUnitNameWidth = 40;

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
  setWindowTitle(QStringLiteral("建立新年度数据文件"));
  m_set = AddEdit(this, kSetEdit, QString::fromStdString(accountSet.empty() ? "001" : accountSet));
  m_year = AddEdit(this, kYearEdit, QString::number(QDate::currentDate().year()));
  m_year->setMaxLength(4);
  m_unit = AddEdit(this, kUnitEdit, QString());
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("账套："), m_set);
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

bool CSmNewYearFileDlg::ValidateAndSave() {
  if (m_mode != 1 || !App()) return false;
  const std::string set = m_set->text().trimmed().toStdString();
  if (!ValidFolderName(set)) {
    SmMessageBox("账套名称不正确，请重输！", SM_MB_OK | SM_MB_ICONERROR);
    m_set->setFocus();
    return false;
  }
  bool ok = false;
  const int year = m_year->text().trimmed().toInt(&ok);
  if (!ok || year < 1900 || year > 9999) {
    SmMessageBox("年度不正确，请重输！", SM_MB_OK | SM_MB_ICONERROR);
    m_year->setFocus();
    return false;
  }
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
  // The file is this program's own: it carries its stamp, so that opening it asks nothing.
  CSmDatabase db(0);
  if (db.Open(path, CSmConnInfo(0))) {
    CSmEnvironment().CheckVersionStamp(&db, nullptr, nullptr, nullptr);
    const std::string unit = m_unit->text().trimmed().toStdString();
    if (!unit.empty()) {
      db.ExecuteSQL("Update SYSTAB Set NA='" + db.SqlText(unit, kUnitNameWidth) + "'");
    }
  }
  m_file = path;
  return true;
}
