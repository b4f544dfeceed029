#pragma once
// The module's six tables: the farmer, place, driver and variety directories (NHDir, AdrDir,
// DriverDir, GP), the weighing tickets (gbSheet) and the money documents (jsSheet). A new data
// file gets them at its first log-in; an older one is brought up to date in place
// (CTsDataType::CreateTables). Each creator runs its statements in the form of the connection's
// engine and reports a failed statement; false then.
class CSmDatabase;

bool TsCreateGpTable(CSmDatabase* db);
bool TsCreateSheetTables(CSmDatabase* db);  // gbSheet
bool TsCreateJsTable(CSmDatabase* db);

// The box of a data file whose tickets still live in TsSheet (no GP table): it is not converted.
extern const char* const kTsOldFormatText;
