#include "cane/TsCodeDirDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "cane/TsCodeRec.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr int kCaneModule = 16;

}  // namespace

CTsCodeDirDlg::CTsCodeDirDlg(unsigned templateId, const TsCodeDirIds& ids, CSmDatabase* db,
                             int mode, const std::string& startCode, const char* right, int logItem,
                             std::unique_ptr<CTsCodeRec> prototype, QWidget* parent)
    : CSmCodeListDlg(templateId, ids.list, db, mode, parent),
      m_ids(ids),
      m_right(right),
      m_logItem(logItem),
      m_maintain(HasSmRight(kCaneModule, right)),
      m_prototype(std::move(prototype)),
      m_parentText(new QLabel(this)) {
  SetCurrentCode(startCode);
  // Levels have fixed lengths: a pasted code is the parent's code and its own part.
  SetSeparator({});
  m_parentText->setObjectName(QString::number(ids.parentText));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("父项："), this), 0, 0);
  grid->addWidget(m_parentText, 0, 1);
  grid->addWidget(List(), 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(AddButton(ids.add, QStringLiteral("&A.新增")));
  buttons->addWidget(AddButton(ids.modify, QStringLiteral("&M.修改")));
  buttons->addWidget(AddButton(ids.remove, QStringLiteral("&D.删除")));
  buttons->addWidget(AddButton(ids.down, QStringLiteral("进子项")));
  buttons->addStretch();
  buttons->addWidget(AddButton(SM_ID_OK, QStringLiteral("&O.打开")));
  buttons->addWidget(AddButton(ids.back, QStringLiteral("&X.关闭")));
  grid->addLayout(buttons, 1, 2);
  resize(760, 420);
}

CTsCodeDirDlg::~CTsCodeDirDlg() = default;

std::unique_ptr<CTsCodeRec> CTsCodeDirDlg::Record(const std::string& code, CSmDatabase* db) const {
  std::unique_ptr<CTsCodeRec> record = m_prototype->Clone();
  record->Clear();
  record->SetKey(db ? db : Database(), code);
  return record;
}

void CTsCodeDirDlg::Log(const std::string& note) const {
  CSmOpLog(kCaneModule, m_logItem, note);
}

void CTsCodeDirDlg::ShowParent() {
  const std::string& code = CurrentCode();
  std::string text;
  if (!code.empty()) {
    std::unique_ptr<CTsCodeRec> parent = Record(code);
    parent->Load(0);
    text = code + "  " + parent->NA;
  }
  m_parentText->setText(QString::fromStdString(text));
  if (QWidget* back = Control(m_ids.back)) {
    static_cast<QPushButton*>(back)->setText(code.empty() ? QStringLiteral("&X.关闭")
                                                          : QStringLiteral("&X.后退"));
  }
}

bool CTsCodeDirDlg::OnCommand(unsigned id) {
  CSmCodeList* list = List();
  const int command = static_cast<int>(id);
  if (command == m_ids.add || command == m_ids.remove) {
    if (m_maintain) list->OnCommand(command == m_ids.add ? SM_ID_LIST_ADD : SM_ID_LIST_DELETE);
    return true;
  }
  if (command == m_ids.modify) {
    if (!list->IsCommandEnabled(SM_ID_LIST_MODIFY)) return true;
    CSmWaitCursor wait;
    list->OnCommand(SM_ID_LIST_MODIFY);
    return true;
  }
  if (command == m_ids.down) {
    if (list->IsCommandEnabled(SM_ID_GO_FORWARD)) list->OnCommand(SM_ID_GO_FORWARD);
    return true;
  }
  if (command == m_ids.back) {
    if (CurrentCode().empty()) {
      OnCancel();
    } else {
      list->OnCommand(SM_ID_GO_BACK);
    }
    return true;
  }
  return CSmCodeListDlg::OnCommand(id);
}

void CTsCodeDirDlg::SetupColumns() {
  for (int id : {m_ids.add, m_ids.modify, m_ids.remove}) {
    if (QWidget* button = Control(id)) button->setEnabled(m_maintain);
  }
}

bool CTsCodeDirDlg::IsCommandEnabled(unsigned id) {
  const int selected = static_cast<int>(List()->selectedItems().size());
  switch (id) {
    case SM_ID_LIST_ADD:
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_PASTE:
      return m_maintain;
    case SM_ID_LIST_OPEN:
      return selected == 1;
    case SM_ID_LIST_MODIFY:
      return m_maintain && selected == 1;
    case SM_ID_LIST_DELETE:
      return m_maintain && selected > 0;
    default:
      return true;
  }
}

bool CTsCodeDirDlg::CodeExists(const std::string& code) {
  return Record(code)->Load(0) > 0;
}

bool CTsCodeDirDlg::IsCodeReferenced(const std::string& code) {
  return Record(code)->IsReferenced();
}

bool CTsCodeDirDlg::IsLowestLevel(const std::string& code) {
  return Record(code)->Load(1) == 1;
}

bool CTsCodeDirDlg::CanGoDown(const std::string& code) {
  return static_cast<int>(code.size()) < FullCodeLength();
}

std::string CTsCodeDirDlg::GetParentCode(const std::string& code) {
  return Record(code)->GetParentCode(code);
}

bool CTsCodeDirDlg::EditCode(std::string& code, bool add) {
  return m_maintain && RunCard(code, add);
}

bool CTsCodeDirDlg::CanDelete(const std::string& code) {
  std::string message;
  if (Record(code)->CanDelete(message) != 0) return true;
  SmMessageBox(message, SM_MB_ICONERROR);
  return false;
}

void CTsCodeDirDlg::DeleteCode(const std::string& code) {
  if (Record(code)->Delete(true)) Log(FormatStr("删除：%s", code.c_str()));
}

int CTsCodeDirDlg::ExpandCodes(CSmDatabase* db, std::vector<std::string>& codes) {
  std::vector<std::string> expanded;
  for (const std::string& code : codes) {
    std::vector<std::unique_ptr<CTsCodeRec>> rows;
    Record(code, db)->SelectCopies(rows, 1);
    for (const auto& row : rows) expanded.push_back(row->KNO);
  }
  codes = std::move(expanded);
  return static_cast<int>(codes.size());
}

std::string CTsCodeDirDlg::MakePastedCode(const std::string& targetParent,
                                          const std::string& ownPart) {
  const int level = CodeLevel(targetParent);
  if (level >= LevelCount()) return {};
  const std::string number = std::to_string(StrToLongDef(ownPart, 0));
  const int length = LevelLength(level);
  if (static_cast<int>(number.size()) > length) return {};
  return std::string(length - number.size(), '0') + number;
}

bool CTsCodeDirDlg::CopyOrMoveCode(CSmDatabase* source, const std::string& oldCode,
                                   std::string& newCode, bool move) {
  std::unique_ptr<CTsCodeRec> from = Record(oldCode, source);
  if (from->Load(0) == 0) {
    SmMessageBox(FormatStr("源对象“%s”已不存在，不能粘贴！", oldCode.c_str()), SM_MB_ICONERROR);
    return false;
  }
  std::unique_ptr<CTsCodeRec> to = from->Clone();
  to->SetKey(Database(), newCode);
  const bool done = move ? to->ChangeCode(*from, true) : to->Paste(*from, true);
  if (!done) return false;
  newCode = to->KNO;
  Log(FormatStr(move ? "移动：%s(%s-->%s)" : "复制：%s(%s-->%s)", to->NA.c_str(), oldCode.c_str(),
                newCode.c_str()));
  return true;
}
