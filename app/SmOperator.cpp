#include "app/SmOperator.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QString>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmGbk.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"

namespace {

constexpr char kMarker = 0x07;
constexpr int kLogOperators = 10;
// The code kind under which the modules check and rename operator numbers.
constexpr int kOperatorCodeKind = 1;

// Printable ASCII but the blank (0x21..0x7E) turns within itself by a shift that depends on the
// position; every other byte, the blank included, is kept.
constexpr int kFirst = 0x21;
constexpr int kRange = 0x7E - 0x21 + 1;

int Shift(size_t pos) {
  return static_cast<int>((7 + 13 * pos) % kRange);
}

bool Substitutable(unsigned char c) {
  return c >= kFirst && c < kFirst + kRange;
}

std::string OperatorLogText(const std::string& number, const std::string& name) {
  return number + "(" + name + ")";
}

}  // namespace

std::string SmEncodePassword(const std::string& plain) {
  std::string stored(1, kMarker);
  for (size_t i = 0; i < plain.size(); ++i) {
    const auto c = static_cast<unsigned char>(plain[i]);
    stored +=
        Substitutable(c) ? static_cast<char>(kFirst + (c - kFirst + Shift(i)) % kRange) : plain[i];
  }
  return stored;
}

std::string SmDecodePassword(const std::string& stored) {
  if (!SmIsEncodedPassword(stored)) return stored;
  std::string plain;
  for (size_t i = 1; i < stored.size(); ++i) {
    const auto c = static_cast<unsigned char>(stored[i]);
    plain += Substitutable(c)
                 ? static_cast<char>(kFirst + (c - kFirst + kRange - Shift(i - 1)) % kRange)
                 : stored[i];
  }
  return plain;
}

bool SmIsEncodedPassword(const std::string& stored) {
  return !stored.empty() && stored[0] == kMarker;
}

namespace {

// marker, tag, 16 bytes of salt and 32 of key in hexadecimal: 1 + 3 + 32 + 1 + 64 bytes.
constexpr char kHashTag[] = "$1$";
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
constexpr int kIterations = 60000;

// The form the comparison sees: case folded, every blank kept.
QByteArray ComparedForm(const std::string& plain) {
  return QString::fromStdString(plain).toCaseFolded().toUtf8();
}

QByteArray DeriveKey(const std::string& plain, const QByteArray& salt) {
  return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, ComparedForm(plain), salt,
                                            kIterations, kKeyBytes);
}

}  // namespace

bool SmIsHashedPassword(const std::string& stored) {
  return stored.size() == 1 + 3 + 2 * kSaltBytes + 1 + 2 * kKeyBytes && stored[0] == kMarker &&
         stored.compare(1, 3, kHashTag) == 0 && stored[4 + 2 * kSaltBytes] == '$';
}

std::string SmHashPassword(const std::string& plain) {
  if (plain.empty()) return std::string(1, kMarker);
  QByteArray salt(kSaltBytes, '\0');
  QRandomGenerator::system()->generate(salt.begin(), salt.end());
  return std::string(1, kMarker) + kHashTag + salt.toHex().toStdString() + "$" +
         DeriveKey(plain, salt).toHex().toStdString();
}

bool SmPasswordMatches(const std::string& stored, const std::string& typed) {
  if (!SmIsEncodedPassword(stored)) return false;
  if (!SmIsHashedPassword(stored)) {
    return QString::fromStdString(typed).compare(QString::fromStdString(SmDecodePassword(stored)),
                                                 Qt::CaseInsensitive) == 0;
  }
  const QByteArray salt = QByteArray::fromHex(QByteArray::fromStdString(stored.substr(4, 32)));
  const QByteArray key = QByteArray::fromHex(QByteArray::fromStdString(stored.substr(37)));
  return DeriveKey(typed, salt) == key;
}

bool IsValidOperatorNumber(const std::string& number) {
  return !number.empty() && number >= "101";
}

int CSmOperator::Query(const std::string& where, const std::string& order, CSmDatabase* db,
                       CSmOperatorArray* rows) {
  rows->clear();
  if (!db) return 0;
  CSmQuery query(0, 0, 3, db);
  if (!query.Open("SELECT rtrim(Opno),rtrim(Na),rtrim(Psd) FROM Opr " + where + " " + order)) {
    return 0;
  }
  for (; !query.IsEOF(); query.MoveNext()) {
    CSmOperator& op = rows->emplace_back(query.GetString(0), query.GetString(1), "");
    op.m_stored = query.GetString(2);
    op.m_readName = op.Na;
    op.m_read = true;
  }
  return static_cast<int>(rows->size());
}

bool CSmOperator::LoadByCode(const std::string& number, CSmDatabase* db) {
  if (!db) return false;
  CSmOperatorArray rows;
  if (Query("Where OPNO='" + db->SqlText(number, 3) + "'", "", db, &rows) == 0) return false;
  *this = rows.front();
  return true;
}

int LoadOperatorList(CSmOperatorArray* rows, CSmDatabase* db, bool withAdmin) {
  CSmOperator::Query(withAdmin ? "" : "Where Opno<>'101'", "Order By Opno", db, rows);
  return static_cast<int>(rows->size());
}

bool HasRight(const std::string& number, const std::string& code, CSmDatabase* db) {
  if (!db) return false;
  return db->QueryInt("Select Count(*) From PWR Where OPNO='" + db->SqlText(number, 3) +
                      "' And PWR='" + db->SqlText(code, 4) + "'") > 0;
}

namespace {

// Writes the operator row in a transaction and checks the number is held once.
bool WriteOperator(CSmDatabase* db, const std::string& statement,
                   const std::vector<SmDbValue>& params, const std::string& number) {
  if (!db->BeginTrans()) return false;
  bool duplicate = false;
  if (!db->ExecuteBound(statement, {}, params, false)) {
    duplicate = db->LastFailure() == SmDbFailure::Duplicate;  // the key refused the number
    if (!duplicate) db->ReportLastFailure();
  } else {
    duplicate =
        db->QueryInt("Select Count(*) From Opr Where Opno='" + db->SqlText(number, 3) + "'") != 1;
    if (!duplicate) return db->CommitTrans();
  }
  db->Rollback();
  if (duplicate) SmMessageBox("操作员代码重复！", SM_MB_OK | SM_MB_ICONERROR);
  return false;
}

}  // namespace

bool CSmOperator::Insert(CSmDatabase* db) {
  if (!db || !IsValidOperatorNumber(Opno)) return false;
  const std::string stored = SmHashPassword(Psd);
  const bool ok = WriteOperator(
      db, "Insert Into OPR(OPNO,NA,PSD) Values(?,?,?)",
      {SmDbValue::OfText(GbkCut(Opno, 3)), SmDbValue::OfText(GbkCut(Na, kSmOperatorNameWidth)),
       SmDbValue::OfText(stored)},
      Opno);
  if (!ok) return false;
  m_stored = stored;
  m_readName = GbkCut(Na, kSmOperatorNameWidth);
  m_read = true;
  CSmOpLog(kLogOperators, "增加操作员：" + OperatorLogText(Opno, Na));
  return true;
}

namespace {

// Inside the write transaction: the operator must still be stored as the record read him.
bool StillAsRead(CSmDatabase* db, const std::string& oldNumber, bool read, const std::string& name,
                 const std::string& stored) {
  CSmOperatorArray rows;
  CSmOperator::Query("Where Opno='" + db->SqlText(oldNumber, 3) + "'", "", db, &rows);
  if (rows.empty()) {
    SmMessageBox("该操作员已被另一工作站删除，本次修改没有保存！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  if (read && (rows.front().Na != name || rows.front().StoredPassword() != stored)) {
    SmMessageBox("该操作员已被另一工作站修改，本次修改没有保存！\n请重新打开操作员表后再修改。",
                 SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  return true;
}

// A new number takes the rights and every module's records with it, inside the operator's
// transaction: a failure leaves the operator and his rights as they were.
bool MoveRights(CSmDatabase* db, const std::string& oldNumber, const std::string& number) {
  if (number == oldNumber) return true;
  if (!db->ExecuteBound("Update PWR Set Opno=? Where Opno=?", {},
                        {SmDbValue::OfText(number), SmDbValue::OfText(oldNumber)})) {
    return false;
  }
  if (CSmApp* app = SmGetApp()) app->NotifyTypesText(kOperatorCodeKind, oldNumber, number);
  return true;
}

}  // namespace

bool CSmOperator::Update(const std::string& oldNumber, CSmDatabase* db) {
  if (!db || !IsValidOperatorNumber(Opno)) return false;
  if (oldNumber == "101" && Opno != "101") return false;
  if (!db->BeginTrans()) return false;
  // A server takes the row's lock with the update before it is compared.
  const bool ok = db->ExecuteBound("Update OPR Set Opno=Opno Where Opno=?", {},
                                   {SmDbValue::OfText(oldNumber)}) &&
                  StillAsRead(db, oldNumber, m_read, m_readName, m_stored) &&
                  WriteOperator(db, "Update OPR Set Opno=?,Na=? Where Opno=?",
                                {SmDbValue::OfText(GbkCut(Opno, 3)),
                                 SmDbValue::OfText(GbkCut(Na, kSmOperatorNameWidth)),
                                 SmDbValue::OfText(oldNumber)},
                                Opno) &&
                  MoveRights(db, oldNumber, Opno);
  if (!ok) {
    db->Rollback();
    return false;
  }
  if (!db->CommitTrans()) return false;
  m_readName = GbkCut(Na, kSmOperatorNameWidth);
  CSmOpLog(kLogOperators, "修改操作员(" + oldNumber + ")为：" + OperatorLogText(Opno, Na));
  return true;
}

bool CSmOperator::SetPassword(CSmDatabase* db) {
  if (!db) return false;
  const std::string stored = SmHashPassword(Psd);
  if (!db->ExecuteBound("Update OPR Set PSD=? Where OPNO=?", {},
                        {SmDbValue::OfText(stored), SmDbValue::OfText(Opno)}))
    return false;
  m_stored = stored;
  return true;
}

bool CSmOperator::CheckPassword(const std::string& typed, CSmDatabase* db) {
  if (!SmPasswordMatches(m_stored, typed)) return false;
  if (SmIsHashedPassword(m_stored) || m_stored.size() <= 1 || !db) return true;
  // The substitution of older files can be undone by anyone who holds the file.
  Psd = typed;
  SetPassword(db);
  Psd.clear();
  return true;
}

bool DeleteOperator(const std::string& number, CSmDatabase* db) {
  if (!db || number == "101") return false;
  if (!db->BeginTrans()) return false;
  if (!db->ExecuteBound("Delete From Opr Where Opno=?", {}, {SmDbValue::OfText(number)})) {
    db->Rollback();
    return false;
  }
  CSmApp* app = SmGetApp();
  if (app && !app->AllTypesAgree(kOperatorCodeKind, number, "")) {
    db->Rollback();
    SmMessageBox("该操作员已有操作记录，不能删除！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  // The rights go with the operator, in the same transaction.
  if (!db->ExecuteBound("Delete From PWR Where Opno=?", {}, {SmDbValue::OfText(number)})) {
    db->Rollback();
    return false;
  }
  if (!db->CommitTrans()) return false;
  CSmOpLog(kLogOperators, "删除操作员：" + number);
  return true;
}

bool SetRight(bool grant, const std::string& number, const std::string& code, CSmDatabase* db) {
  if (!db || number == "101") return false;
  const std::vector<SmDbValue> params = {SmDbValue::OfText(number), SmDbValue::OfText(code)};
  if (grant) {
    if (!db->ExecuteBound("Insert Into PWR(OPNO,PWR) Values(?,?)", {}, params, false)) {
      // Granted already, by another workstation: the right is there as asked.
      if (db->LastFailure() == SmDbFailure::Duplicate) return true;
      db->ReportLastFailure();
      return false;
    }
    CSmOpLog(kLogOperators, "为操作员(" + number + ")授权：" + code);
    return true;
  }
  if (!db->ExecuteBound("Delete From PWR Where OPNO=? And PWR=?", {}, params)) return false;
  CSmOpLog(kLogOperators, "取消操作员(" + number + ")的操作权：" + code);
  return true;
}

bool CheckStoredPasswords(CSmDatabase* db) {
  if (!db) return false;
  CSmQuery query(0, 0, 2, db);
  if (!query.Open("SELECT rtrim(Opno),rtrim(Psd) FROM Opr Order By Opno")) return false;
  std::vector<std::string> changed;
  for (; !query.IsEOF(); query.MoveNext()) {
    if (!SmIsEncodedPassword(query.GetString(1))) changed.push_back(query.GetString(0));
  }
  query.Close();
  for (const std::string& number : changed) {
    db->ExecuteBound("Update Opr Set Psd=? Where Opno=?", {},
                     {SmDbValue::OfText(std::string(1, kMarker)), SmDbValue::OfText(number)});
    const std::string question =
        "操作员(" + number + ")的口令被程序外修改，现将他的口令删除，继续吗？";
    if (SmMessageBox(question, SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return false;
  }
  return true;
}
