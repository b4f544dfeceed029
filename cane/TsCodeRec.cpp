#include "cane/TsCodeRec.h"

#include <cstdlib>

#include "cane/TsCodeTable.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmString.h"
#include "platform/SmMessage.h"
#include "ui/SmInputSpec.h"
#include "ui/SmPrintJob.h"

namespace {

// The wildcard of LIKE patterns, marked for the translation into the engine's form.
const char* const kAny = "\x07*\x08";
const char* const kCopyPrefix = "复件：";
const char* const kDuplicateText = "产生重码，不能插入！";

bool Fail(bool showMsg, const std::string& text) {
  if (showMsg && !text.empty()) SmMessageBox(text, SM_MB_ICONERROR);
  return false;
}

// After a failed insert: a code stored already (the table's key refuses it, whatever another
// station counted) goes to `failure`, any other reason to the connection's own box. False.
bool InsertRefused(CSmDatabase* db, std::string& failure) {
  if (db->LastFailure() == SmDbFailure::Duplicate) {
    failure = kDuplicateText;
  } else {
    db->ReportLastFailure();
  }
  return false;
}

}  // namespace

void CTsCodeRec::SetKey(CSmDatabase* db, const std::string& code) {
  m_db = db;
  KNO = code;
}

std::string CTsCodeRec::Text(const std::string& value) const {
  return m_db ? m_db->SqlText(value) : value;
}

int CTsCodeRec::LevelLength(int level) const {
  return level >= 0 && level < 5 ? TsGetIntParam(FirstLevelParam() + level) : 0;
}

bool CTsCodeRec::ExecuteMove(const std::string& jet) {
  return m_db->ExecuteSQL(jet, ReplaceAll(jet, "Mid(", "Substring("));
}

std::string CTsCodeRec::GetKeyWhere(int mode) const {
  const std::string code = Text(KNO);
  if (mode == 0) return FormatStr("Where KNO='%s'", code.c_str());
  if (mode == 1) return FormatStr("Where KNO LIKE '%s%s'", code.c_str(), kAny);
  // The length of a child code: one level more than the code has.
  const int length = static_cast<int>(KNO.size());
  int s = 0, c = LevelLength(0), k = 0;
  while (s < length && k < 5) {
    s += LevelLength(k);
    ++k;
    c += LevelLength(k);
  }
  if (k == 5) c = length;
  return FormatStr("Where KNO LIKE '%s%s' And KNO<>'%s' And Len(rtrim(KNO))=%d", code.c_str(), kAny,
                   code.c_str(), c);
}

bool CTsCodeRec::IsReferenced() const {
  std::vector<std::string> jet, server;
  GetRefTables(jet, server);
  for (size_t k = 0; k < jet.size(); ++k) {
    const std::string& serverEntry = k < server.size() && !server[k].empty() ? server[k] : jet[k];
    if (m_db->QueryInt("Select Count(*) From " + jet[k], "Select Count(*) From " + serverEntry) > 0)
      return true;
  }
  return false;
}

int CTsCodeRec::CanDelete(std::string& message) {
  if (!IsReferenced()) return 1;
  message = FormatStr("“%s”已被引用，不能删除！", KNO.c_str());
  if (GetCount(2) > 0) return 0;
  std::unique_ptr<CTsCodeRec> parent = Clone();
  parent->KNO = GetParentCode(KNO);
  if (parent->KNO.size() < 2) return 0;
  return parent->GetCount(2) <= 1 ? 2 : 0;
}

int CTsCodeRec::SelectRows(int mode, const std::string& jetWhere, std::string serverWhere,
                           const std::string& jetOrder, std::string serverOrder,
                           const std::function<void()>& onRow) {
  if (serverWhere.empty()) serverWhere = jetWhere;
  if (serverOrder.empty()) serverOrder = jetOrder;
  const std::string where = GetKeyWhere(mode);
  const std::string order = GetOrderBy();
  const std::string columns = GetColumnList();
  auto text = [&](const std::string& w, const std::string& o) {
    return FormatStr("Select %s From %s %s %s", columns.c_str(), TableName(),
                     (w.empty() ? where : w).c_str(), (o.empty() ? order : o).c_str());
  };
  CSmQuery query(0, NumberCount(), TextCount(), m_db);
  if (!query.Open(text(jetWhere, jetOrder), text(serverWhere, serverOrder))) return 0;
  int rows = 0;
  for (; !query.IsEOF(); query.MoveNext(), ++rows) {
    ReadRow(query);
    onRow();
  }
  return rows;
}

int CTsCodeRec::SelectCopies(std::vector<std::unique_ptr<CTsCodeRec>>& list, int mode) {
  SelectRows(mode, {}, {}, {}, {}, [&] { list.push_back(Clone()); });
  return static_cast<int>(list.size());
}

int CTsCodeRec::Load(int mode) {
  std::unique_ptr<CTsCodeRec> first;
  const int rows = SelectRows(mode, {}, {}, {}, {}, [&] {
    if (!first) first = Clone();
  });
  if (first) {
    CopyFields(*first, false);
    KNO = first->KNO;
  }
  return rows;
}

int CTsCodeRec::GetCount(int mode, const std::string& where) {
  return m_db->QueryInt(FormatStr("Select Count(*) From %s %s", TableName(),
                                  (where.empty() ? GetKeyWhere(mode) : where).c_str()));
}

std::string CTsCodeRec::GetParentCode(const std::string& code) const {
  const int length = static_cast<int>(code.size());
  int s = 0;
  for (int i = 0; i < 5 && s + LevelLength(i) < length; ++i) s += LevelLength(i);
  return code.substr(0, s);
}

bool CTsCodeRec::Validate(bool showMsg) {
  std::vector<CSmDataCol> columns;
  DefineColumns(columns);
  for (CSmDataCol& column : columns) {
    column.sValue = TrimRightSet(column.sValue, " ");
    if (column.sValue.empty() && !column.bMayEmpty)
      return Fail(showMsg, "“" + column.sCaption + "”不能为空！");
    if (column.sValue.empty()) continue;
    if (!ValidateFieldText(column.sValue, {}, 0, column.sInputType, column.nEditLen,
                           column.nDecimals) ||
        !CheckColumn(column))
      return Fail(showMsg, column.sCaption + " ：“" + column.sValue + "”不合适！");
  }
  return true;
}

// Inserts the row and counts the rows of its code; `failure` says why it was not exactly one.
bool CTsCodeRec::InsertRow(std::string& failure, const char* zeroText) {
  if (!m_db->ExecuteSQL(FormatStr("Insert Into %s(%s) Values (%s)", TableName(),
                                  GetColumnList().c_str(), GetValueList().c_str()),
                        {}, 128, false))
    return InsertRefused(m_db, failure);
  const int count = Load(0);
  if (count == 1) return true;
  failure = count == 0 ? zeroText : kDuplicateText;
  return false;
}

bool CTsCodeRec::LockRows(int mode) {
  return m_db->LockRows(TableName(), "KNO", GetKeyWhere(mode));
}

bool CTsCodeRec::Insert(bool showMsg) {
  if (!Validate(showMsg)) return false;
  std::string failure;
  const bool done = SmRunInTransaction(m_db, [&] {
    std::unique_ptr<CTsCodeRec> parent = Clone();
    parent->Clear();
    parent->KNO = GetParentCode(KNO);
    // A ticket saved for the parent meanwhile is stored before the first child takes over the
    // parent's references, or is refused because the parent is no longer a lowest-level code.
    if (!parent->KNO.empty() && !parent->LockRows(0)) return false;
    if (!InsertRow(failure, "插入失败，可能是某些字段不合要求！")) return false;
    if (parent->KNO.empty() || parent->GetCount(2) != 1) return true;
    parent->Load(0);
    return TakeOverParent(*parent);
  });
  return done || Fail(showMsg, failure);
}

bool CTsCodeRec::InsertCopy(std::span<const SmDbValue> values, bool showMsg) {
  if (!Validate(showMsg)) return false;
  std::string marks;
  for (size_t k = 0; k < values.size(); ++k) marks += k == 0 ? "?" : ",?";
  const std::string sql = FormatStr("Insert Into %s(%s) Values(%s)", TableName(),
                                    GetColumnList().c_str(), marks.c_str());
  if (m_db->ExecuteBound(sql, {}, values, false)) return true;
  std::string failure;
  InsertRefused(m_db, failure);
  return Fail(showMsg, failure);
}

// The unit of work of a code change: the old row out, the new one in, the subtree and the
// references after it.
bool CTsCodeRec::RewriteRow(const CTsCodeRec& old, std::string& failure) {
  if (!old.Clone()->DeleteWhere(0)) return false;
  if (GetCount(0) > 0) {
    failure = FormatStr("目标代码“%s”产生重码，不能修改！", KNO.c_str());
    return false;
  }
  if (!InsertRow(failure, "修改失败，可能是某些字段不合要求！")) {
    if (failure == kDuplicateText)
      failure = FormatStr("目标代码“%s”产生重码，不能修改！", KNO.c_str());
    return false;
  }
  if (IsSameCode(old)) return true;
  OnCodeChanged();
  const std::string set = FormatStr("Set KNO='%s'+Mid(KNO,%d,30)", Text(KNO).c_str(),
                                    static_cast<int>(old.KNO.size()) + 1);
  if (!ExecuteMove(
          FormatStr("Update %s %s %s", TableName(), set.c_str(), old.GetKeyWhere(1).c_str())))
    return false;
  return MoveReferences(old);
}

bool CTsCodeRec::ChangeCodeIn(const CTsCodeRec& old, std::string& failure,
                              const Alongside& alongside) {
  std::unique_ptr<CTsCodeRec> shown = old.Clone();
  shown->m_db = m_db;
  std::unique_ptr<CTsCodeRec> current = shown->Clone();
  if (!current->LockRows(1)) return false;
  if (current->Load(0) == 0) {
    failure = FormatStr("源对象“%s”已不存在，不能修改！", old.KNO.c_str());
    return false;
  }
  // Another station saved the row after the caller read it: saving over it would lose that.
  if (current->GetValueList() != shown->GetValueList()) {
    failure = TsChangedElsewhereText(old.KNO, false);
    return false;
  }
  std::vector<CSmDataCol> columns;
  DefineColumns(columns);
  const int longest = current->GetMaxCodeLength() + static_cast<int>(KNO.size()) -
                      static_cast<int>(current->KNO.size());
  if (longest > columns[0].nEditLen) {
    failure = FormatStr("源对象“%s”修改成“%s”后代码超长，不能修改！", old.KNO.c_str(), KNO.c_str());
    return false;
  }
  // The subtree update matches every code starting with the old one, so a code moved below
  // itself would be rewritten along with its own subtree.
  if (KNO.size() > current->KNO.size() && KNO.compare(0, current->KNO.size(), current->KNO) == 0) {
    failure = FormatStr("源对象“%s”不能修改成它自己的下级“%s”！", old.KNO.c_str(), KNO.c_str());
    return false;
  }
  return RewriteRow(*current, failure) && (!alongside || alongside(failure));
}

bool CTsCodeRec::ChangeCode(const CTsCodeRec& old, bool showMsg, const Alongside& alongside) {
  if (!Validate(showMsg)) return false;
  std::string failure;
  const bool done = SmRunInTransaction(m_db, [&] { return ChangeCodeIn(old, failure, alongside); });
  return done || Fail(showMsg, failure);
}

bool CTsCodeRec::DeleteWhere(int mode) {
  return m_db->ExecuteSQL(FormatStr("Delete From %s %s", TableName(), GetKeyWhere(mode).c_str()));
}

// The referenced only child takes over its parent's code and name; its references follow.
bool CTsCodeRec::MergeIntoParent(std::string& failure) {
  if (Load(0) == 0) return false;
  const std::unique_ptr<CTsCodeRec> kept = Clone();
  std::unique_ptr<CTsCodeRec> parent = Clone();
  parent->Clear();
  parent->KNO = GetParentCode(KNO);
  parent->Load(0);
  if (!parent->DeleteWhere(0)) return false;
  KNO = parent->KNO;
  NA = parent->NA;
  if (ChangeCodeIn(*kept, failure, {})) return true;
  CopyFields(*kept, false);
  KNO = kept->KNO;
  return false;
}

bool CTsCodeRec::Delete(bool showMsg) {
  std::string failure;
  const bool done = SmRunInTransaction(m_db, [&] {
    if (!LockRows(1)) return false;
    switch (CanDelete(failure)) {
      case 0:
        return false;
      case 1:
        return DeleteWhere(1);
      default:
        failure.clear();
        return MergeIntoParent(failure);
    }
  });
  return done || Fail(showMsg, failure);
}

int CTsCodeRec::GetMaxCodeLength() {
  return m_db->QueryCountInt(
      FormatStr("Max(Len(rtrim(KNO))) From %s %s", TableName(), GetKeyWhere(1).c_str()));
}

std::string CTsCodeRec::GetNextCode() {
  const int length = static_cast<int>(KNO.size());
  int childLength = 0;
  for (int k = 0, sum = 0; k <= 5; sum += LevelLength(k), ++k) {
    if (sum != length) continue;
    childLength = LevelLength(k);
    break;
  }
  const std::string jet =
      FormatStr("Max(Mid(KNO,%d,20)) From %s %s", length + 1, TableName(), GetKeyWhere(2).c_str());
  const std::string last = m_db->QueryCountString(jet, ReplaceAll(jet, "Mid(", "substring("));
  const std::string number = std::to_string(std::atol(last.c_str()) + 1);
  std::string padded = number.size() < static_cast<size_t>(childLength)
                           ? std::string(childLength - number.size(), '0') + number
                           : number;
  return KNO + padded.substr(padded.size() - childLength);
}

bool CTsCodeRec::IsSameDataFile(const CTsCodeRec& other) const {
  if (m_db == other.m_db) return true;
  if (!m_db || !other.m_db) return false;
  return MakeUpperCopy(m_db->GetFileName()) == MakeUpperCopy(other.m_db->GetFileName());
}

bool CTsCodeRec::Paste(const CTsCodeRec& source, bool showMsg) {
  std::vector<std::unique_ptr<CTsCodeRec>> rows;
  if (source.Clone()->SelectCopies(rows, 1) == 0)
    return Fail(showMsg, FormatStr("源对象“%s”已不存在，不能粘贴！", source.KNO.c_str()));
  const CTsCodeRec& top = *rows.front();
  const std::string target = KNO;
  const bool exists = GetCount(0) > 0;
  if (exists && !(IsSameDataFile(source) && target == top.KNO))
    return Fail(showMsg, "目标对象“" + target + "”已存在，不能覆盖！");
  CopyFields(top, false);
  if (exists) {
    // A copy onto itself becomes a sibling under the next free code.
    std::unique_ptr<CTsCodeRec> parent = Clone();
    parent->KNO = GetParentCode(top.KNO);
    KNO = parent->GetNextCode();
    if (NA.compare(0, std::string(kCopyPrefix).size(), kCopyPrefix) != 0) NA = kCopyPrefix + NA;
  }
  if (!Insert(showMsg)) {
    KNO = target;
    return false;
  }
  const std::string newTop = KNO;
  for (size_t k = 1; k < rows.size(); ++k) {
    std::unique_ptr<CTsCodeRec> row = rows[k]->Clone();
    row->m_db = m_db;
    row->KNO = newTop + rows[k]->KNO.substr(top.KNO.size());
    row->Insert(showMsg);  // a row that fails does not stop the others
  }
  KNO = newTop;
  return true;
}
