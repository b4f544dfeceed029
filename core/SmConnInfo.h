#pragma once
// Connection settings of one database connection.
#include <string>

class CSmConnInfo {
 public:
  CSmConnInfo() { SetDefaults(0); }
  explicit CSmConnInfo(int kind) { SetDefaults(kind); }

  // Server "MQIS" for kind 1, "(local)" for kind 2 and above, empty for kind 0; user "sa";
  // empty password; database "master"; no host.
  void SetDefaults(int kind);

  std::string server;    // kind 1: ODBC data source name; kind 2: server name
  std::string user;      // login name
  std::string password;  // in plain text while in memory
  std::string database;  // database name on the server; kind 0 does not use it
  // Kind 1: the server the data source leads to ("host,port"), passed with each connection so
  // that a changed data source takes effect at once; empty: as the data source says.
  std::string host;
};
