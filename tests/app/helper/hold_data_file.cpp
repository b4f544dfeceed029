// A second workstation for the tests: opens the data file named on the command line as a
// session does, says "open" on its output and keeps the file open until its input ends.
#include <cstdio>
#include <iostream>
#include <string>

#include "core/SmDatabase.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  CSmDatabase db(0);
  if (!db.Open(argv[1], CSmConnInfo(0))) {
    std::cout << "failed" << std::endl;
    return 1;
  }
  std::cout << "open" << std::endl;
  for (std::string line; std::getline(std::cin, line);) {
  }
  return 0;
}
