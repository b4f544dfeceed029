#pragma once
// Operators of a data file (table OPR) and their rights (table PWR). A record holds the plain
// password in memory; the stored password carries the substitution of this program, which
// begins with the marker byte 0x07 (the marker alone is an empty password).
#include <string>
#include <vector>

class CSmDatabase;
class CSmOperator;
using CSmOperatorArray = std::vector<CSmOperator>;

// Widths of the operator columns in new data files (older files are widened at open).
constexpr int kSmOperatorNameWidth = 20;
constexpr int kSmStoredPasswordWidth = 11;
constexpr int kSmPasswordMaxLength = 10;

class CSmOperator {
 public:
  CSmOperator() = default;
  CSmOperator(std::string number, std::string name, std::string password)
      : Opno(std::move(number)), Na(std::move(name)), Psd(std::move(password)) {}

  // Rows of OPR with the caller's where and order clauses; passwords made plain. The count.
  static int Query(const std::string& where, const std::string& order, CSmDatabase* db,
                   CSmOperatorArray* rows);
  bool LoadByCode(const std::string& number, CSmDatabase* db);
  // Inserts the operator; a duplicate number rolls back and shows "操作员代码重复！".
  bool Insert(CSmDatabase* db);
  // Rewrites the operator stored under `oldNumber`; a changed number moves its rights and is
  // carried into every module's tables.
  bool Update(const std::string& oldNumber, CSmDatabase* db);
  bool SetPassword(CSmDatabase* db);

  std::string Opno;  // three characters, "101" and above
  std::string Na;
  std::string Psd;  // plain
};

// The stored form of a password and back. Printable ASCII is substituted, other bytes kept.
std::string SmEncodePassword(const std::string& plain);
std::string SmDecodePassword(const std::string& stored);
bool SmIsEncodedPassword(const std::string& stored);

// "Order By Opno"; without `withAdmin` operator "101" is left out. The count.
int LoadOperatorList(CSmOperatorArray* rows, CSmDatabase* db, bool withAdmin);
bool HasRight(const std::string& number, const std::string& code, CSmDatabase* db);
// Deletes an operator no module still refers to, and his rights.
bool DeleteOperator(const std::string& number, CSmDatabase* db);
// Grants or revokes one right.
bool SetRight(bool grant, const std::string& number, const std::string& code, CSmDatabase* db);
// Resets passwords changed outside the program; false when the user does not go on.
bool CheckStoredPasswords(CSmDatabase* db);
// Operator numbers compare as text; below "101" is refused.
bool IsValidOperatorNumber(const std::string& number);
