// Two workstations on one data file, each committing back to back for five seconds: how the
// commits divide between them, beside one station alone on the same disk. Neither may be
// locked out, and no commit may fail.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "core/SmDatabase.h"
#include "platform/SmMessage.h"

namespace {

constexpr auto kRun = std::chrono::seconds(5);

// Commits one row per transaction until the time is up; prints the counts.
int CommitBackToBack(const std::string& path, const char* station) {
  CSmMessageService::Instance().SetTestMode(true);
  CSmDatabase db(0);
  if (!db.Open(path)) return 1;
  int commits = 0;
  int failures = 0;
  const std::string insert = std::string("Insert Into T(W) Values('") + station + "')";
  for (const auto end = std::chrono::steady_clock::now() + kRun;
       std::chrono::steady_clock::now() < end;) {
    if (db.BeginTrans() && db.ExecuteSQL(insert, {}, 128, false) && db.CommitTrans()) {
      ++commits;
    } else {
      ++failures;
      db.Rollback();
    }
  }
  std::printf("  station %s: %d commits, %d failed\n", station, commits, failures);
  std::fflush(stdout);
  return failures == 0 ? 0 : 1;
}

// Runs the stations as processes of their own and waits for them.
void RunStations(const std::string& path, std::initializer_list<const char*> stations) {
  std::fflush(stdout);  // a child must not print the parent's lines again
  std::vector<pid_t> children;
  for (const char* station : stations) {
    const pid_t pid = fork();
    if (pid == 0) _exit(CommitBackToBack(path, station));
    children.push_back(pid);
  }
  for (pid_t pid : children) waitpid(pid, nullptr, 0);
}

}  // namespace

int main() {
  const CBenchFolder folder("bench_two_stations");
  const std::string path = folder / "2016.tsd";
  {
    CSmDatabase db(0);
    if (!db.CreateDatabase(CSmConnInfo(0), path) || !db.ExecuteSQL("Create Table T(W Char(1))"))
      return 1;
  }
  std::printf("one station alone:\n");
  RunStations(path, {"A"});
  std::printf("two stations at once:\n");
  RunStations(path, {"A", "B"});
  return 0;
}
