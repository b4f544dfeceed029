#pragma once
// Account sets and years on a server: each yearly data file is a database named by the
// data-file extension, a four-character account-set code and the four-digit year
// ("tsd00012016").
#include <string>
#include <vector>

#include "core/SmConnInfo.h"

class CSmApp;

struct SmServerAccountSet {
  std::string code;        // the four characters after the extension
  std::string name;        // SYSTAB NA of its newest year
  std::vector<int> years;  // ascending
};

// "%s%s%04d" of the extension, the account-set code and the year.
std::string SmServerDatabaseName(const std::string& ext, const std::string& code, int year);

// The account sets of the server that `login` reaches (kind 1: `login.server` is the data
// source; kind 2: the server), from its maintenance database; with `yearly` off a set is one
// database named by the extension and the code, and has no years. Sets without a name are
// dropped. -1 when the server cannot be reached.
int SmListServerAccountSets(int kind, const CSmConnInfo& login, const std::string& ext,
                            std::vector<SmServerAccountSet>& sets, bool yearly = true);

// Creates the yearly database of account set `code` with the system tables and first rows of
// `app` (as a new data file gets them); `name` receives the database name. False when it
// exists already or cannot be made; a half-made database is dropped again.
bool SmCreateServerYearFile(CSmApp& app, int kind, const CSmConnInfo& login,
                            const std::string& code, int year, std::string* name = nullptr);
