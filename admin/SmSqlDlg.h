#pragma once
// "SQL语言数据维护" (template 795): free SQL text run on the open data file inside one
// transaction, committed or rolled back on the user's answer; scripts are read from and saved to
// ".sql" files (GBK text).
#include <string>
#include <vector>

#include "ui/SmDlg.h"

class QPlainTextEdit;
class CSmDatabase;

// The statements of a script: split at ";" outside quotes, with "--" and "/* */" comments
// removed and blank statements dropped.
std::vector<std::string> SmSplitSqlStatements(const std::string& script);
// The first keyword among the statements that would end the dialog's transaction or reach beyond
// the data file (BEGIN, COMMIT, ...), upper-cased; empty when there is none.
std::string SmFindRefusedSqlKeyword(const std::vector<std::string>& statements);

class CSmSqlDlg : public CSmDlg {
  Q_OBJECT
 public:
  CSmSqlDlg(CSmDatabase* db, QWidget* parent = nullptr);

  std::string GetSqlText() const;
  void SetSqlText(const std::string& text);
  // "&E.执行SQL": every statement in one transaction, kept only when the user agrees. Always
  // false: the dialog stays open.
  bool RunSql();
  // "&R.读取SQL" and "&W.保存SQL".
  void ReadScript();
  void SaveScript();

  bool OnCommand(unsigned id) override;
  bool ValidateAndSave() override { return RunSql(); }

 private:
  bool RunStatements(const std::vector<std::string>& statements);

  CSmDatabase* m_db;
  QPlainTextEdit* m_editor;
};
