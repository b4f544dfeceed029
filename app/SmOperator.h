#pragma once
// Operators of a data file (table OPR) and their rights (table PWR). A stored password begins
// with the marker byte 0x07; the marker alone is an empty password, and behind it stands a
// salted, slow hash of the password (older files: a substitution, replaced by the hash at the
// operator's next log-in). A stored text without the marker was edited outside the program.
#include <string>
#include <vector>

class CSmDatabase;
class CSmOperator;
using CSmOperatorArray = std::vector<CSmOperator>;

// Widths of the operator columns in new data files (older files are widened at open).
constexpr int kSmOperatorNameWidth = 20;
constexpr int kSmStoredPasswordWidth = 120;
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
  // Rewrites number and name of the operator stored under `oldNumber` (the stored password
  // stays); a changed number moves its rights and is carried into every module's tables. A
  // record read from the file is refused when another workstation changed or deleted the
  // operator since.
  bool Update(const std::string& oldNumber, CSmDatabase* db);
  // Stores `Psd` (hashed).
  bool SetPassword(CSmDatabase* db);
  // True when `typed` is the operator's password (case ignored). A password of the older
  // stored form is stored hashed from now on.
  bool CheckPassword(const std::string& typed, CSmDatabase* db);
  // The stored form as read from the file or last written.
  const std::string& StoredPassword() const { return m_stored; }

  std::string Opno;  // three characters, "101" and above
  std::string Na;
  std::string Psd;  // plain, as typed for Insert and SetPassword; empty after reading

 private:
  std::string m_stored;    // the stored password
  std::string m_readName;  // the name as read (empty for a record not read from the file)
  bool m_read = false;
};

// The stored form of a password: the marker alone for an empty one, else the marker and a
// salted PBKDF2 hash of the password as compared (case folded, blanks kept).
std::string SmHashPassword(const std::string& plain);
// True when `typed` is the password of the stored form (hashed or of older files).
bool SmPasswordMatches(const std::string& stored, const std::string& typed);
bool SmIsHashedPassword(const std::string& stored);
// The substitution of older files and of the settings store, and back.
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
