#pragma once
// A data file, or a server database, with the shell's tables and the print-setting tables,
// for the form tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/SmApp.h"
#include "core/SmDatabase.h"

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
