#pragma once
// What the log-in offers to open, without any window: the account sets under a root folder with
// their year files, the data sources of the server kind with their account sets and years,
// and the changes made from the log-in: deleting a year file (by the administrator) or a data
// source, and setting a data source up. Messages go through the message service.
#include <string>
#include <vector>

#include "app/SmServerYearFile.h"
#include "core/SmConnInfo.h"

class CSmEnvironment;

// An account set of the data-file kind: a folder under the root with its year files.
struct SmFolderBook {
  std::string name;                // the folder's name
  std::string path;                // the folder
  std::vector<std::string> files;  // year files ("<four digits>.<ext>"), by name
};

// A data source of the server kind with the account sets its saved login reaches.
struct SmServerSource {
  std::string name;
  std::vector<SmServerAccountSet> sets;
};

// The server and login a data source is set up with.
struct SmDataSourceSetup {
  std::string host;
  std::string port;  // empty: the driver's default
  std::string user;
  std::string password;
};

class CSmBookStore {
 public:
  // The system administrator: the only operator who may delete a year file.
  static constexpr const char* kAdministrator = "101";

  static std::vector<SmFolderBook> ListFolderBooks(const std::string& root, const std::string& ext);
  static std::vector<SmServerSource> ListServerSources(const std::string& ext);
  // The saved login of a data source, else the defaults with the data source as server.
  static CSmConnInfo DataSourceLogin(const std::string& source);

  // Why a deletion of a year file did not happen: the control to correct, or nothing.
  enum class Refused { No, Operator, Password, File, Declined };
  // Deletes the year file `file` (the data-file path, or a database of data source `source`)
  // of the environment's kind when `opno` is the administrator, `typed` his password and the
  // user confirms; refuses a file that any session has open, here or elsewhere.
  static Refused DeleteYearFile(const CSmEnvironment& env, const std::string& source,
                                const std::string& file, const std::string& opno,
                                const std::string& typed);
  // Asks, then removes the data source.
  static bool DeleteDataSource(const std::string& name);

  // The setup of a data source: its saved server and login.
  static SmDataSourceSetup ReadSetup(const std::string& source);
  // Connects to the server's maintenance database with the setup; the driver's reason when
  // it cannot.
  static bool TryServer(const SmDataSourceSetup& setup, std::string* reason);
  // Makes (`create`) or changes the data source: it leads to the setup's server, and the
  // setup's login is saved for it.
  static bool SaveDataSource(const std::string& name, const SmDataSourceSetup& setup, bool create);
  // The name of a new data source of the driver ("MQIS", "MQIS1" ...).
  static std::string NewDataSourceName();
};
