#pragma once
// What PostgreSQL reads differently from the server form of the statements, in one place.
// The statements of the server kinds are written for SQL Server; when the driver says the
// server is PostgreSQL (SQL_DBMS_NAME), the ODBC back end adapts each statement here, and the
// catalogue and server statements that have no common form are taken from here.
#include <string>
#include <string_view>

#include "core/SmSqlDialect.h"

// True when the driver's SQL_DBMS_NAME names PostgreSQL.
bool SmIsPostgres(std::string_view dbmsName);

// Adapts a statement in the server form for PostgreSQL:
// - `+` between texts becomes `||` (SmRewriteConcat);
// - Len, Mid/Substring, Left, Right, RTrim, LTrim, UCase/Upper, LCase/Lower, InStr take their
//   first argument as text (SQL Server converts numbers to text there); CStr and Val convert;
//   iif becomes a CASE; getdate() the local time stamp; IsNull becomes Coalesce;
// - LIKE patterns have no escape character (a backslash is an ordinary character);
// - an index named like its table gets the derived name, in Create Index and Drop Index
//   ("Drop Index name On table" and "Drop Index table.name" both);
// - the column types Long, Double, LongBinary and Image of table definitions.
std::string SmAdaptSqlForPg(std::string_view sql, CSmSqlSchema* schema);

// The name of the maintenance database that stands in for "master".
inline constexpr const char* kSmPgMaintenanceDb = "postgres";

// Server statements without a common form: each returns the PostgreSQL statement.
// One row, one text column: the server's local time as "YYYYMMDDHHMMSS".
std::string SmPgServerTimeSql();
// One row, one integer column: 1 when the database exists (names compared without case).
std::string SmPgDatabaseExistsSql(const std::string& quotedName);
// One row, one integer column: 1 when the index exists (names compared without case).
std::string SmPgIndexExistsSql(const std::string& quotedName);
// Rows of host (its address, or "local" for a local socket), program, lowest and highest
// process id and connection count of the other connections to the database (names compared
// without case), as texts.
std::string SmPgDatabaseUsersSql(const std::string& quotedName);
// The names of the databases that begin with `quotedPrefix` and are `length` characters long,
// ordered by name (one text column).
std::string SmPgDatabaseNamesSql(const std::string& quotedPrefix, int length);
// Renames a database no session is connected to (SQL Server: "Alter Database %s Modify Name = %s").
std::string SmPgRenameDatabaseSql(const std::string& from, const std::string& to);
// One row, one text column: the server's address, empty when reached on this machine
// (a local socket or the loopback address).
std::string SmPgServerAddressSql();
