#include "admin/SmSqlDlg.h"

#include <QGridLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cctype>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmPath.h"
#include "core/SmString.h"
#include "core/SmTextFile.h"
#include "platform/SmMessage.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kEditorId = 1000;
constexpr int kReadId = 1063;
constexpr int kSaveId = 1064;
constexpr int kLogCode = 26;
constexpr const char* kFilter = "SQL语句(*.sql)";

// Statements that end the transaction the dialog keeps open, or reach beyond the data file.
constexpr const char* kRefused[] = {"BEGIN",   "COMMIT", "END",    "ROLLBACK", "SAVEPOINT",
                                    "RELEASE", "ATTACH", "DETACH", "VACUUM",   "PRAGMA"};

std::string FirstWord(const std::string& statement) {
  size_t end = 0;
  while (end < statement.size() && (std::isalpha(static_cast<unsigned char>(statement[end]))))
    ++end;
  return MakeUpperCopy(statement.substr(0, end));
}

std::string InitialFileName() {
  CSmApp* app = SmGetApp();
  return app ? app->m_env.GetUnitName() + ".sql" : std::string();
}

}  // namespace

std::vector<std::string> SmSplitSqlStatements(const std::string& script) {
  std::vector<std::string> statements;
  std::string current;
  char quote = 0;
  for (size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (quote) {
      current += c;
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      current += c;
    } else if (script.compare(i, 2, "--") == 0) {
      i = script.find('\n', i);
      if (i == std::string::npos) break;
      current += '\n';
    } else if (script.compare(i, 2, "/*") == 0) {
      i = script.find("*/", i + 2);
      if (i == std::string::npos) break;
      ++i;
      current += ' ';
    } else if (c == ';') {
      statements.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  statements.push_back(current);
  std::vector<std::string> kept;
  for (const std::string& statement : statements) {
    const std::string trimmed = TrimChars(statement);
    if (!trimmed.empty()) kept.push_back(trimmed);
  }
  return kept;
}

std::string SmFindRefusedSqlKeyword(const std::vector<std::string>& statements) {
  for (const std::string& statement : statements) {
    const std::string word = FirstWord(statement);
    for (const char* refused : kRefused) {
      if (word == refused) return word;
    }
  }
  return {};
}

CSmSqlDlg::CSmSqlDlg(CSmDatabase* db, QWidget* parent) : CSmDlg(795, parent), m_db(db) {
  setWindowTitle(QStringLiteral("SQL语言数据维护"));
  m_editor = new QPlainTextEdit(this);
  m_editor->setObjectName(QString::number(kEditorId));
  m_editor->setMinimumSize(520, 260);
  auto* grid = new QGridLayout(this);
  grid->addWidget(m_editor, 0, 0, 1, 4);
  grid->addWidget(AddButton(kReadId, QStringLiteral("&R.读取SQL")), 1, 0);
  grid->addWidget(AddButton(kSaveId, QStringLiteral("&W.保存SQL")), 1, 1);
  grid->addWidget(AddButton(SM_IDOK, QStringLiteral("&E.执行SQL")), 1, 2);
  grid->addWidget(AddButton(SM_IDCANCEL, QStringLiteral("&X.关闭")), 1, 3);
  SetEnterMovesFocus(false);  // Enter breaks lines in the editor
}

std::string CSmSqlDlg::GetSqlText() const {
  return m_editor->toPlainText().toStdString();
}

void CSmSqlDlg::SetSqlText(const std::string& text) {
  m_editor->setPlainText(QString::fromStdString(text));
}

bool CSmSqlDlg::OnCommand(unsigned id) {
  if (id == kReadId) {
    ReadScript();
    return true;
  }
  if (id == kSaveId) {
    SaveScript();
    return true;
  }
  return CSmDlg::OnCommand(id);
}

void CSmSqlDlg::ReadScript() {
  const std::string path = SmGetOpenFileName("读取SQL", InitialFileName(), kFilter);
  if (path.empty()) return;
  CSmTextFile file;
  if (!file.Open(path, CSmTextFile::modeRead)) {
    SmMessageBox(FormatStr("不能读取文件“%s”！", path.c_str()), SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  SetSqlText(file.ReadAll());
  m_editor->setFocus();
}

void CSmSqlDlg::SaveScript() {
  const std::string text = GetSqlText();
  if (text.empty()) return;
  std::string path = SmGetSaveFileName("保存SQL", InitialFileName(), kFilter);
  if (path.empty()) return;
  if (GetPathExt(path).empty()) path += ".sql";
  CSmTextFile file;
  if (!file.Open(path, CSmTextFile::modeCreate | CSmTextFile::modeWrite)) {
    SmMessageBox(FormatStr("不能保存文件“%s”！", path.c_str()), SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  file.WriteString(text, true);
  m_editor->setFocus();
}

bool CSmSqlDlg::RunSql() {
  const std::string text = GetSqlText();
  const std::vector<std::string> statements = SmSplitSqlStatements(text);
  if (statements.empty() || !m_db) {
    SmMessageBox("没有要执行的SQL语句！", SM_MB_OK | SM_MB_ICONWARNING);
    m_editor->setFocus();
    return false;
  }
  if (const std::string word = SmFindRefusedSqlKeyword(statements); !word.empty()) {
    return SmRefuse(
        FormatStr("不能执行%s语句：语句由本窗口在一个事务中执行，提交与否在执行后询问。",
                  word.c_str()),
        m_editor);
  }
  if (!RunStatements(statements)) return false;
  if (SmMessageBox("SQL语句处理完毕！提交吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) {
    m_db->Rollback();
    return false;
  }
  if (m_db->CommitTrans()) CSmOpLog(kLogCode, FormatStr("执行SQL语句：%s", text.c_str()));
  return false;
}

bool CSmSqlDlg::RunStatements(const std::vector<std::string>& statements) {
  CSmWaitWnd wait;
  wait.Show();
  if (!m_db->BeginTrans()) return false;
  for (const std::string& statement : statements) {
    if (!m_db->ExecuteSQL(statement, statement)) {
      m_db->Rollback();
      return false;
    }
  }
  return true;
}
