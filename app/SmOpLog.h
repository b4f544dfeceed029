#pragma once
// The operation log's current work session. Until the log tables are built here, a session
// only keeps its enabled flag; starting and ending work write nothing.
class CSmOpLog {
 public:
  virtual ~CSmOpLog() = default;
  void StartWork() {}
  void EndWork() {}

  int m_enabled = 0;
};
