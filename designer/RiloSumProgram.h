#pragma once
// The summing settings and the source-report program a report keeps in its sheet's note text,
// and the run of the program: its blocks name data files or server databases by folder or
// account set, year, report number and child-number pattern, and every matching child table
// of their catalogues becomes a source reference.
#include <array>
#include <functional>
#include <string>
#include <vector>

class CSmDatabase;

struct SmRiloSumSettings {
  int scale = 0;     // the sources are divided by 10^scale, 0 to 6
  int decimals = 2;  // at most this many decimals in a sum, 0 to 6
  int clear = 1;     // the target's numbers are emptied before the first source
  bool IsDefault() const { return scale == 0 && decimals == 2 && clear == 1; }
};

// Splits a note text into the settings (when its prefix stands before the escape byte) and the
// program after it; a note without the escape byte is the program alone, with default settings.
void RiloReadSumNote(const std::string& note, SmRiloSumSettings& settings, std::string& program);
// The note text of the settings and the program: the prefix "%d%d%d" and the escape byte only
// when the settings are not the defaults.
std::string RiloSumNote(const SmRiloSumSettings& settings, const std::string& program);
// The program a report without one starts from, naming data files of the type code `ext`.
std::string RiloSumProgramTemplate(const std::string& ext);
// The later of two texts equal without regard to case goes.
void RiloRemoveDuplicateTexts(std::vector<std::string>& texts);
// The lines of a source list: line ends unified, tabs as blanks, each line trimmed, empty lines
// and duplicates dropped.
std::vector<std::string> RiloSplitSumList(const std::string& list);

enum SmRiloSumKey { SM_SUM_FILE, SM_SUM_SET, SM_SUM_YEAR, SM_SUM_REPORT, SM_SUM_CHILD };

// One "开始" ... "结束" block: the value of each key and the line its key word stood on.
struct SmRiloSumBlock {
  std::array<std::string, 5> values;
  std::array<int, 5> lines{};
};

// Runs a block, appending its references; returns the error message, empty when it ran.
using SmRiloSumBlockRunner =
    std::function<std::string(const SmRiloSumBlock&, std::vector<std::string>&)>;

// Reads the program and runs each block as it closes. Returns the error message of the first
// fault of the program or of a block ("" when none); the references found before it stay in
// `refs`, duplicates removed.
std::string RiloRunSumProgram(const std::string& program, const SmRiloSumBlockRunner& runBlock,
                              std::vector<std::string>& refs);

// What the defaults of a block are taken from.
struct SmRiloSumTarget {
  std::string ext;       // the module's data-file type code
  std::string dataFile;  // the open data file's path, or the open database's name on a server
  int nNo = 0;           // the target's report number
  std::string subNo;     // the target's child number
};

// The child-number pattern of an item: "." is the target's child number, "#XH" the last part
// of it.
std::string RiloSumChildPattern(const std::string& item, const std::string& targetSubNo);

// A block over data files in folders (and their subfolders) by year. Opens each data file on a
// connection of its own with the application's settings.
std::string RiloSumBlockFiles(const SmRiloSumBlock& block, const SmRiloSumTarget& target,
                              std::vector<std::string>& refs);
// A block over the server's databases named by type code, account set and year; `server` is the
// application's connection, whose kind and settings open them.
std::string RiloSumBlockServer(const SmRiloSumBlock& block, const SmRiloSumTarget& target,
                               CSmDatabase& server, std::vector<std::string>& refs);
