#pragma once
// A data file, or a server database, with the shell's tables and the print-setting tables,
// for the form tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"

// The print-setting tables (made by the print settings record where it runs).
inline void SmCreatePrintTables(CSmDatabase& db) {
  auto run = [&](std::string text) {
    const std::string jet = text;
    for (size_t at = text.find("LONG"); at != std::string::npos; at = text.find("LONG", at))
      text.replace(at, 4, "INT");
    db.ExecuteSQL(jet, text);
  };
  if (!db.TableExists("SMFONT")) {
    run("CREATE TABLE SMFONT(nFlag LONG,sFieldMode CHAR(20),nOrd LONG,lfHeight LONG,"
        "lfWeight LONG,lfFaceName CHAR(60))");
  }
  if (!db.TableExists("SMPAGESET")) {
    run("CREATE TABLE SMPAGESET(nFlag LONG,sFieldMode CHAR(20),PageWidth LONG,PageLength LONG)");
  }
  if (!db.TableExists("FIELDWIDTH")) {
    run("CREATE TABLE FIELDWIDTH(NFLAG LONG,SFIELDMODE CHAR(20),NFIELD LONG,NWIDTH LONG)");
  }
}

// One row in each print-setting table for a kind ("mode" is its form number as text).
inline void SmAddPrintRows(CSmDatabase& db, int flag, const std::string& mode) {
  db.ExecuteSQL(
      FormatStr("INSERT INTO FIELDWIDTH(NFLAG,SFIELDMODE,NFIELD,NWIDTH) VALUES(%d,'%s',0,12)", flag,
                mode.c_str()));
  db.ExecuteSQL(FormatStr(
      "INSERT INTO SMPAGESET(nFlag,sFieldMode,PageWidth,PageLength) VALUES(%d,'%s',2100,2970)",
      flag, mode.c_str()));
  db.ExecuteSQL(
      FormatStr("INSERT INTO SMFONT(nFlag,sFieldMode,nOrd,lfHeight,lfWeight,"
                "lfFaceName) VALUES(%d,'%s',0,12,400,'宋体')",
                flag, mode.c_str()));
}

// The print-setting rows of a kind over the three tables.
inline long SmPrintRows(CSmDatabase& db, int flag, const std::string& mode) {
  long n = 0;
  for (const char* table : {"FIELDWIDTH", "SMPAGESET", "SMFONT"}) {
    n += db.QueryInt(FormatStr("Select Count(*) From %s Where nFlag=%d And SFIELDMODE='%s'", table,
                               flag, mode.c_str()));
  }
  return n;
}
