#pragma once
// A new yearly data file for a test: the shell's tables and seed rows, and the tables of the
// data types registered with the running application (when there is one).
#include <string>

// Creates "<folder>/<year>.tsd" (folder made when missing; an existing file is replaced) and
// returns its path; empty when it could not be made. Without a folder a fresh one under the
// test home is used.
std::string SmCreateTestDataFile(int year, const std::string& folder = {});
