#pragma once
// The backup archive: every user table of one data file in a single file, and the restore of
// such a file into the data file. The archive is read in three modes: 0 the marker test, 1 the
// header, 2 the restore. A restore checks the whole archive first, fills a side data file
// beside the data file (or a side database on the server) in one transaction, and only then
// replaces the data file with it; a failure on the way leaves the data file as it was.
#include <string>
#include <vector>

class CSmArchiveReader;
class CSmArchiveWriter;
class CSmDatabase;

class CSmMDBBak {
 public:
  // The nine bytes every archive begins with.
  static const std::string kMarker;

  // Fills the header from the application's data environment and the connection, which must
  // stay open while the object is used.
  explicit CSmMDBBak(CSmDatabase& db);
  virtual ~CSmMDBBak() = default;

  // Writes the archive of the connection (one consistent snapshot) to a temporary file in the
  // target's folder and renames it over the target.
  bool SaveBackup(const std::string& path);
  bool LoadBackup(const std::string& path, int mode);
  // The user tables, "SysTab", "SysCsTab" and "SmReportSQL" first; the count.
  int GetTableList(std::vector<std::string>& names);

  std::string m_markerRead;
  std::string m_dataFile;
  int m_moduleId = 0;
  int m_year = 0;
  std::string m_unitName;
  std::string m_operator;
  std::string m_time;  // "%Y年%m月%d日%H时%M分"
  std::string m_currentCode;
  std::string m_archiveCode;
  // Set when the user answered a restore's question with anything but Yes.
  bool m_declined = false;
  // Set when a restore refused the archive itself (damaged, or a row that does not read) and
  // said so: the data file was not touched.
  bool m_archiveRefused = false;
  // Backups of the data file load only in their own business year; the form structures
  // carried between data files load in any.
  bool m_checkYear = true;

 protected:
  bool WriteArchive(CSmArchiveWriter& out);
  virtual bool WriteTable(CSmArchiveWriter& out, const std::string& table);
  bool ReadArchive(CSmArchiveReader& in, int mode);
  bool ReadHeader(CSmArchiveReader& in);
  // Reads one table block; with `target` its rows are inserted there into the table of the
  // same name among `targetTables`, else only checked.
  bool RestoreTable(CSmArchiveReader& in, CSmDatabase* target,
                    const std::vector<std::string>* targetTables);
  bool Restore(CSmArchiveReader& in);

 private:
  bool FillSide(CSmArchiveReader& in, int tables, CSmDatabase& side);
  bool ReplaceFileWith(const std::string& sidePath);
  bool ReplaceDatabaseWith(const std::string& sideName);

  CSmDatabase& m_db;
};
