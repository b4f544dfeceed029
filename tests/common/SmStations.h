#pragma once
// Stations working at once: each station is a process of its own (the ODBC driver manager lets
// one process talk to the server one call at a time). Every station connects, says it is ready,
// waits until all are, then does its work and exits with a small number the test compares.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

// A station's work: `station` counts from 0; `go` says ready and waits for the others, false when
// the test has given up on the stations.
using SmStationWork = std::function<int(int station, const std::function<bool()>& go)>;

// Runs `count` stations and returns their exit codes in station order (-1 for one that did not
// exit by itself), or nothing when the stations could not be started.
inline std::vector<int> SmRunStations(int count, const SmStationWork& work) {
  int ready[2];
  int go[2];
  if (pipe(ready) != 0) return {};
  if (pipe(go) != 0) {
    close(ready[0]);
    close(ready[1]);
    return {};
  }
  std::vector<pid_t> stations;
  for (int n = 0; n < count; ++n) {
    const pid_t pid = fork();
    if (pid < 0) break;
    if (pid > 0) {
      stations.push_back(pid);
      continue;
    }
    close(ready[0]);
    close(go[1]);
    const auto signal = [&] {
      char mark = 0;
      const bool said = write(ready[1], &mark, 1) == 1;
      close(ready[1]);  // so that the test sees the end once no station can say more
      return said && read(go[0], &mark, 1) == 1;
    };
    _exit(work(n, signal));
  }
  close(ready[1]);
  close(go[0]);
  // Every station closes its end once it has said it is ready or has ended, so a station that
  // fails to connect cannot leave this waiting.
  int readyCount = 0;
  for (char mark = 0; readyCount < static_cast<int>(stations.size()); ++readyCount) {
    if (read(ready[0], &mark, 1) != 1) break;
  }
  if (readyCount == count) {
    const std::string marks(count, '\0');
    EXPECT_EQ(write(go[1], marks.data(), count), count);
  }
  close(ready[0]);
  close(go[1]);  // stations still waiting read the end and give up
  std::vector<int> results;
  for (pid_t pid : stations) {
    int status = 0;
    waitpid(pid, &status, 0);
    results.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  if (static_cast<int>(stations.size()) < count) return {};
  return results;
}

// Server statements that make every `event` (INSERT, UPDATE) on `table` linger half a second
// after it, per ROW or per STATEMENT, so that a second station acts while the first holds its
// transaction open.
inline std::vector<std::string> SmPgLingerAfter(const std::string& event, const std::string& table,
                                                const std::string& each) {
  return {
      "CREATE OR REPLACE FUNCTION sm_linger() RETURNS trigger AS $$ BEGIN PERFORM "
      "pg_sleep(0.5); RETURN NULL; END $$ LANGUAGE plpgsql",
      "CREATE TRIGGER sm_linger AFTER " + event + " ON " + table + " FOR EACH " + each +
          " EXECUTE FUNCTION sm_linger()"};
}
