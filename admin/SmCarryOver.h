#pragma once
// The year-end carry-over: the items every module data type offers, the search for the
// previous year's file and one run over chosen items (check pass, then copy pass).
#include <memory>
#include <string>
#include <vector>

#include "app/SmDataType.h"
#include "app/SmEnvironment.h"

class QLabel;
class QProgressBar;
class CSmApp;
class CSmDatabase;

struct SmCarryOverItems {
  std::vector<int> codes;  // type number x 1000 + sub-code x 100 + item number
  CSmStringList captions;
  CSmStringList tables;

  void Load(CSmApp& app);
  size_t size() const { return codes.size(); }
};

// The previous year's data file of the open one, opened on a copy of the environment as
// operator "101": up to ten years back. Null after ten failed years.
struct SmCarryOverSource {
  std::unique_ptr<CSmEnvironment> env;
  std::string yearText;  // the source's year as the dialog shows it
};
SmCarryOverSource SmFindCarryOverSource(const CSmEnvironment& current, int year,
                                        const std::string& ext);

// How a run ended.
enum class SmCarryOverResult { Done, Refused, Declined, Failed };

// Runs the items of `rows` (indexes into `items`): every item is asked first; a refusal stops
// the run with the collected messages and "不能执行结转！", a question asks "继续吗？". Then each
// item is copied; a copy that fails is named at the end instead of "结转完毕！" (shown with
// `doneFlags`). Nothing is copied unless every item may be. `progress`, when given, counts the
// items copied and stands at its end when the run's last message shows.
SmCarryOverResult SmRunCarryOver(CSmApp& app, const SmCarryOverItems& items,
                                 const std::vector<size_t>& rows, CSmDatabase* source,
                                 CSmDatabase* target, QLabel* status, unsigned doneFlags,
                                 QProgressBar* progress = nullptr);

// The run over every item after a new yearly file, under the busy indicator.
SmCarryOverResult SmCarryOverAll(CSmApp& app, CSmDatabase* source, CSmDatabase* target);
