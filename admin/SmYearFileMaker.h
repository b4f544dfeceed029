#pragma once
// The making of a new yearly data file, apart from the dialog that asks for it: the file is
// made whole under a work name and only then takes its own, so that a kill on the way leaves
// no file of the year, and a full disk stops the making at its first failed write. It is
// filled by converting a file of the other back end, from the previous year's file, or fresh.
#include <string>

#include "core/SmConnInfo.h"
#include "core/SmRefusal.h"

class CSmApp;
class CSmDatabase;

// What the new file is made as.
struct SmYearFileJob {
  int kind = 0;              // 0 a data file, else a server database
  std::string server;        // the data source or server of the server kinds
  std::string folder;        // the data file's folder (kind 0)
  std::string newFile;       // path, or database name
  std::string previousFile;  // the previous year's, named the same way
  int year = 0;
  bool convert = false;  // every table of `sourceFile` of the other back end copied in
  std::string sourceServer;
  std::string sourceFile;
};

// The dialog fields a refusal of the making names (SmRefusal::field).
enum SmYearFileField : int { kSmYearFileFieldPlace, kSmYearFileFieldYear };

// The log-in of the kind: kind 0 needs none, the server kinds read the stored one.
CSmConnInfo SmYearFileLogin(int kind, const std::string& server);

// Whether the new file may be made: the server answers and the file does not exist yet.
// `previousExists` tells whether the previous year's file is there (only with year files).
SmRefusal SmCheckNewYearFile(const SmYearFileJob& job, bool yearly, bool* previousExists);

// Makes the file, filled from the previous year's file when `fromPrevious`, else fresh (or by
// conversion). A refusal when it failed, with nothing left behind; its text is empty when a
// full disk or a read-only folder has said why already.
SmRefusal SmMakeYearFile(CSmApp& app, const SmYearFileJob& job, bool fromPrevious);

// Identity, operators and parameters of `source` into the new file of `year`: the business
// months move on by the years between the two files, groups 6 and 9000 stay behind.
bool SmCopyPreviousYearInfo(CSmApp& app, CSmDatabase* source, CSmDatabase* target, int year);
