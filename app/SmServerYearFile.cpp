#include "app/SmServerYearFile.h"

#include <algorithm>

#include "app/SmApp.h"
#include "app/SmEnvironment.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmSqlDialectPg.h"
#include "core/SmString.h"

namespace {

std::string ExtOf(CSmApp& app) {
  return app.GetDataFileExt().empty() ? "tsd" : app.GetDataFileExt();
}

}  // namespace

std::string SmServerDatabaseName(const std::string& ext, const std::string& code, int year) {
  return FormatStr("%s%s%04d", ext.c_str(), code.c_str(), year);
}

int SmListServerAccountSets(int kind, const CSmConnInfo& login, const std::string& ext,
                            std::vector<SmServerAccountSet>& sets, bool yearly) {
  CSmDatabase master(kind);
  if (!master.Open("master", login)) return -1;
  const int length = static_cast<int>(ext.size()) + 4 + (yearly ? 4 : 0);
  const std::string sql =
      master.OnPostgres()
          ? SmPgDatabaseNamesSql(master.SqlText(ext), length)
          : FormatStr(
                "Select name From sysdatabases Where Left(name,%d)='%s' And Len(name)=%d "
                "Order By name",
                static_cast<int>(ext.size()), master.SqlText(ext).c_str(), length);
  std::vector<std::string> names;
  master.QueryStrings(sql, &names, 1);
  for (const std::string& full : names) {
    const std::string code = full.substr(ext.size(), 4);
    const std::string digits = full.substr(ext.size() + 4);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    if (sets.empty() || sets.back().code != code) sets.push_back({code, {}, {}});
    if (yearly) sets.back().years.push_back(std::stoi(digits));
  }
  // The name of each set is that of its newest year. PostgreSQL reads no other database from
  // a connection, so each newest database is opened on its own there.
  for (SmServerAccountSet& set : sets) {
    const std::string newest =
        yearly ? SmServerDatabaseName(ext, set.code, set.years.back()) : ext + set.code;
    if (master.OnPostgres()) {
      CSmDatabase year(kind);
      if (year.Open(newest, login) && year.TableExists("SysTab"))
        set.name = TrimChars(year.QueryCountString("max(Na) From SysTab"));
    } else {
      set.name = TrimChars(
          master.QueryCountString(FormatStr("max(Na) From %s.dbo.SysTab", newest.c_str())));
    }
  }
  std::erase_if(sets, [](const SmServerAccountSet& s) { return s.name.empty(); });
  return static_cast<int>(sets.size());
}

bool SmCreateServerYearFile(CSmApp& app, int kind, const CSmConnInfo& login,
                            const std::string& code, int year, std::string* name) {
  const std::string database = SmServerDatabaseName(ExtOf(app), code, year);
  if (name) *name = database;
  {
    CSmDatabase master(kind);
    if (!master.Open("master", login) || master.DatabaseExists(database)) return false;
  }
  CSmDatabase db(kind);
  if (!db.CreateDatabase(login, database)) return false;
  app.AfterOpen(&db);
  app.InsertDefaultRows(&db, year);
  // Stamped by this program, as a file the new-year dialog makes: opening it asks nothing.
  CSmEnvironment(kind).CheckVersionStamp(&db, nullptr, nullptr, nullptr);
  const bool made = db.TableExists("SYSTAB") && db.QueryInt("Select Count(*) From SYSTAB") == 1;
  db.Close();
  if (!made) {
    CSmDatabase dropper(kind);
    dropper.DropDatabase(login, database);
  }
  return made;
}
