#pragma once
// The data environment of one log-in: the back end and data file that are open, the one
// connection to it, the values of the file's SYSTAB row, the logged-in operator with his
// rights, and the log switch. The last log-in is kept in the settings store.
#include <memory>
#include <string>
#include <vector>

#include "core/SmConnInfo.h"

class CSmDatabase;

class CSmEnvironment {
 public:
  CSmEnvironment();
  explicit CSmEnvironment(int kind);
  // Copies every value and the connection's back-end kind, never the open connection.
  CSmEnvironment(const CSmEnvironment& other);
  CSmEnvironment& operator=(const CSmEnvironment& other);
  void CopyFrom(const CSmEnvironment& other);
  ~CSmEnvironment();

  void Reset();
  // 0 Access/Jet file, 1 server database; the connection takes the same kind.
  void SetKind(int kind);
  void SetDatabaseKind(int kind) { SetKind(kind); }
  int GetDatabaseKind() const { return m_dbKind; }

  // Opens the current data file with the current settings and operator number.
  bool Open(bool show);
  bool OpenFile(const std::string& dataSource, const std::string& file,
                const std::string& operatorNo, bool show);
  void Close();
  // The connection; null while no data file is open.
  CSmDatabase* GetDatabase() const;
  // The connection object whether open or not.
  CSmDatabase* Connection() const { return m_db.get(); }

  bool ReadSysTab(bool show);
  bool WriteSysTab();
  bool LoadRights();
  bool LoadFromRegistry(int* moduleId);
  bool SaveToRegistry(int moduleId);
  bool ReadDbLogin(CSmConnInfo& settings);
  bool WriteDbLogin(const CSmConnInfo& settings);

  void ReadLogSwitch();
  bool SaveLogSwitch();
  bool IsLogOn() const { return m_logOn != 0; }
  void SetLogOn(int on) { m_logOn = on; }

  // Shows the message of an open failure when `show` is set; always false.
  bool ReportOpenError(int code, bool show, const std::string& extra = {}) const;
  // Checks the program stamp and rewrites it when it differs; null means this connection.
  bool CheckVersionStamp(CSmDatabase* db, int* backEnd, int* productNo, int* versionNo);
  // The newest stamp of group 9133 row 1 (all -1 without one); the number of such rows.
  int ReadVersionStamp(CSmDatabase* db, int* backEnd, int* productNo, int* versionNo);
  // Whether the running program takes the file: a newer program's file is refused, an older
  // one's only when the user agrees to upgrade it; another back end's file is pointed out.
  bool CheckFileStamp(CSmDatabase* db);

  // Access: the checks of a data file's path (completed with the extension when it has none);
  // the folder, the year and the full path out.
  bool CheckAccessFile(const std::string& path, std::string* folder, int* year, bool show,
                       std::string* fullPath = nullptr);

  const std::string& GetRootDir() const { return m_rootDir; }
  void SetRootDir(const std::string& dir) { m_rootDir = dir; }
  const std::string& GetDataFolder() const { return m_dataFolder; }
  const std::string& GetDataFileName() const { return m_dataFile; }
  void SetDataFileName(const std::string& file) { m_dataFile = file; }
  const std::string& GetOperatorNo() const { return m_operatorNo; }
  void SetOperatorNo(const std::string& number) { m_operatorNo = number; }
  const std::string& GetOperatorName() const { return m_operatorName; }
  void SetOperatorName(const std::string& name) { m_operatorName = name; }
  const std::string& GetOperatorPassword() const { return m_operatorPassword; }
  void SetOperatorPassword(const std::string& password) { m_operatorPassword = password; }
  const std::string& GetRights() const { return m_rights; }
  void SetRights(const std::string& rights) { m_rights = rights; }
  CSmConnInfo GetConnInfo() const { return m_settings; }
  void SetConnInfo(const CSmConnInfo& settings) { m_settings = settings; }
  int GetMonth() const { return m_month; }
  const std::string& GetSysTabJT() const { return m_jt; }

  // With `fresh` the SYSTAB row is read again first (without messages).
  std::string GetUnitName(bool fresh = false);
  std::string GetSupervisor(bool fresh = false);
  std::string GetIdCode(bool fresh = false);
  std::string GetSysTabT1(bool fresh = false);
  std::string GetSysTabT13(bool fresh = false);
  int GetYear(bool fresh = false);

  void SetFileInfo(const std::string& na, const std::string& kj, const std::string& t1,
                   const std::string& t13);
  void SetIdCode(const std::string& code) { m_idCode = code; }

 private:
  bool OpenWith(const CSmConnInfo& settings, const std::string& file, const std::string& opno,
                bool show);
  bool CheckServerName(const std::string& name, int* year, bool show);
  std::string DataFileExt() const;
  bool YearFiles() const;

  std::string m_rootDir;
  std::unique_ptr<CSmDatabase> m_db;
  int m_dbKind = 0;
  CSmConnInfo m_settings;
  std::string m_dataFolder;
  std::string m_dataFile;
  std::string m_unitName;
  std::string m_supervisor;
  int m_year = 0;
  int m_month = 0;
  std::string m_operatorNo;
  std::string m_operatorName;
  std::string m_idCode;
  std::string m_operatorPassword;
  std::string m_rights;
  std::string m_jt;
  std::string m_t1;
  std::string m_t13;
  int m_logOn = 1;
  // The `SYSTAB` row as last read or written here; a save checks that it is still so.
  std::vector<std::string> m_sysTabRead;
};

// Why a data file (database kind 0) does not open.
enum SmFileOpenError : int {
  SM_FILE_MISSING = -1,
  SM_FILE_NO_NAME = -2,
  SM_FILE_NOT_DATA_FILE = -3,
  SM_FILE_IS_FOLDER = -4,
  SM_FILE_READ_ONLY = -5,
  SM_FILE_SYSTEM = -6,
  SM_FILE_HIDDEN = -7,
  SM_FILE_NAME_NO_YEAR = -8,
  SM_FILE_NO_ENVIRONMENT = -9,
  SM_FILE_YEAR_MISMATCH = -10,
  SM_FILE_NO_OPERATORS = -11,
  SM_FILE_NO_SUCH_OPERATOR = -12,
  SM_FILE_CANNOT_OPEN = -13,
  SM_FILE_DAMAGED = -14,
};

// Why a server database (database kinds 1 and 2) does not open.
enum SmServerOpenError : int {
  SM_SERVER_NAME_LENGTH = -1,
  SM_SERVER_OPEN_FAILED = -2,
  SM_SERVER_NO_SYSTAB = -3,
  SM_SERVER_SYSTAB_EMPTY = -4,
  SM_SERVER_YEAR_MISMATCH = -5,
  SM_SERVER_NO_OPERATOR_TABLE = -6,
  SM_SERVER_NO_OPERATORS = -7,
  SM_SERVER_NO_SUCH_OPERATOR = -8,
};

// The open message of a code (SmFileOpenError for kind 0, SmServerOpenError for kinds 1 and 2)
// for a database kind (the stop box's text).
std::string SmOpenErrorText(int kind, int code, const std::string& ext);
