#pragma once
// The operation log as a read-only table document: the log rows of one work session chosen in
// the log query dialog, with the session's number, thread, computer, user and times in the
// head notes.
#include <string>

#include "app/SmOpLog.h"
#include "forms/SmDoc.h"
#include "forms/SmForthView.h"

class CSmLogDoc : public CSmDoc {
 public:
  // The title is always the kind's name.
  void SetTitle(const std::string& /*title*/) override { CSmDoc::SetTitle({}); }
  // The five remembered texts: period, computer, operator, operation, session number.
  void OnInitDocument() override;
  void DefineTitle(CSmFormDef& def) override;
  void DefineColumns(CSmFormDef& def) override;
  void DefineHeadNotes(CSmFormDef& def) override;
  // The query dialog chooses the session; false leaves the document unopened.
  bool LoadRows(int openMode) override;
  void Refresh() override;

  CSmOpLog m_task;
  std::string m_period;  // YYYYMMDD, the day may be two blanks
  std::string m_computer;
  std::string m_operator;
  std::string m_operation;  // code, a blank, name
};

class CSmLogView : public CForthView {
  Q_OBJECT
 public:
  explicit CSmLogView(QWidget* parent = nullptr) : CForthView(parent) {}
  void GetNoteValue(CSmFormHeadNote& note) override;
};

// The time of a session for its head note: "2016年12月19日08:30:05至09:10:00", or ending in
// " ?" while the session has not ended.
std::string SmLogSessionTime(const CSmOpLog& task);
