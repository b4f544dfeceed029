#include "designer/RiloTree.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include "app/SmApp.h"
#include "app/SmDataType.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "designer/BbDataType.h"
#include "designer/RiloData.h"
#include "designer/RiloDb.h"
#include "designer/RiloDoc.h"
#include "designer/RiloPwdDlg.h"
#include "designer/RiloRptEntry.h"
#include "designer/RiloSaveDlg.h"
#include "platform/SmCommand.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "ui/SmListCtrl.h"
#include "ui/SmWaitCursor.h"

namespace {

constexpr const char* kRootText = "我的报表";
enum : int { kImageRoot = 0, kImageMaster = 1, kImageOpen = 2, kImageChild = 3 };
constexpr int kIcons[] = {304, 600, 601, 625};

// The number a node's text starts with, after its "(".
int NodeNumber(const QTreeWidgetItem* item) {
  return std::atoi(item->text(0).toStdString().c_str() + 1);
}

QAction* MenuAction(QMenu* popup, int id, const char* text) {
  auto* action = new QAction(QString::fromUtf8(text), popup);
  action->setObjectName(QString::number(id));
  action->setData(id);
  return action;
}

QAction* FindAction(QMenu* popup, int id) {
  for (QAction* action : popup->actions()) {
    if (!action->isSeparator() && action->data().toInt() == id) return action;
  }
  return nullptr;
}

// Where-clause of the direct children of child `subNo` (the master with an empty one), in
// numeric order of their last level.
std::string ChildrenWhere(CSmDatabase* db, int nNo, const std::string& subNo) {
  if (subNo.empty())
    return FormatStr(
        "Where nNo=%d And sSubNo <>'' And sSubNo Not Like '\x07*\x08\\\x07*\x08' "
        "Order by val(sSubNo)",
        nNo);
  const std::string p = db->SqlText(subNo);
  return FormatStr(
      "Where nNo=%d And sSubNo Like '%s\\\x07*\x08' And sSubNo Not Like "
      "'%s\\\x07*\x08\\\x07*\x08' \t\t\tOrder by val(Mid(sSubNo,%d,15))",
      nNo, p.c_str(), p.c_str(), static_cast<int>(subNo.size()) + 2);
}

}  // namespace

CRiloTree::CRiloTree(CSmDatabase* db, QWidget* parent) : CSmTreeCtrl(db, parent) {
  setObjectName("2003");
  setRootIsDecorated(true);
  Initialize();
  connect(this, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* item) {
    if (item->parent() && !item->parent()->parent())
      item->setIcon(0, SmLoadIcon(kIcons[kImageOpen]));
  });
  connect(this, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* item) {
    if (item->parent() && !item->parent()->parent())
      item->setIcon(0, SmLoadIcon(kIcons[kImageMaster]));
  });
}

CRiloTree* CRiloTree::Page() {
  CSmApp* app = SmGetApp();
  CSmDataType* type = app ? app->FindDataType(kSmReportModule) : nullptr;
  return type ? dynamic_cast<CRiloTree*>(type->m_page.data()) : nullptr;
}

void CRiloTree::RefillPage(const std::vector<std::string>& path) {
  if (CRiloTree* tree = Page()) {
    tree->m_reselect = path;
    tree->Refill();
  }
}

// ---------------------------------------------------------------- menu and availability

void CRiloTree::CustomizeContextMenu(QMenu* popup) {
  QAction* cut = FindAction(popup, SM_ID_EDIT_CUT);
  popup->insertAction(cut, MenuAction(popup, SM_ID_RILO_OPEN_FILES, "用文件对话框打开 ..."));
  popup->insertSeparator(cut);
  popup->insertAction(cut, MenuAction(popup, SM_ID_RILO_MONTH_TABLES, "产生当前报表的月子表"));
  popup->insertAction(cut, MenuAction(popup, SM_ID_RILO_QUARTER_TABLES, "产生当前报表的季子表"));
  if (HasUnitTable())
    popup->insertAction(cut, MenuAction(popup, SM_ID_RILO_UNIT_TABLES, "产生当前报表的单位子表"));
  popup->insertSeparator(cut);
  popup->insertAction(cut, MenuAction(popup, SM_ID_RENAME_PAGE, "修改模块标签标题 ..."));
  popup->insertAction(cut, MenuAction(popup, SM_ID_TEMPLATE_BOX, "关闭文档模板框(&X)"));
  popup->insertSeparator(cut);
  popup->insertAction(FindAction(popup, SM_ID_EDIT_PASTE),
                      MenuAction(popup, SM_ID_RILO_PASTE_STRUCTURE, "粘贴子表结构 ..."));
  popup->removeAction(cut);
  QAction* help = FindAction(popup, SM_ID_HELP);
  popup->insertAction(help, MenuAction(popup, SM_ID_RILO_TREE_REFRESH, "刷新"));
  popup->insertSeparator(help);
}

bool CRiloTree::HasUnitTable() {
  CSmDatabase* db = Database();
  return db && db->TableExists("PRG") &&
         db->QueryInt("Select Count(*) From Prg Where Left(KNO,1)='9'") != 0;
}

bool CRiloTree::IsCommandEnabled(int id) {
  if (id == SM_ID_RILO_PASTE_STRUCTURE && !SmClipboardHasRows(ClipboardFormat())) return false;
  return CSmTreeCtrl::IsCommandEnabled(id);
}

bool CRiloTree::IsCommandAvailable(int id) {
  if (id == SM_ID_CALCULATOR || id == SM_ID_RILO_TREE_REFRESH || id == SM_ID_HELP) return true;
  CSmApp* app = SmGetApp();
  if (app && app->IsAdministrator()) return false;
  std::vector<std::string> texts;
  const int n = GetItemPathTexts(texts);
  switch (id) {
    case SM_ID_RILO_MONTH_TABLES:
    case SM_ID_RILO_QUARTER_TABLES:
    case SM_ID_RILO_UNIT_TABLES:
    case SM_ID_LIST_OPEN:
    case SM_ID_LIST_MODIFY:
    case SM_ID_LIST_DELETE:
    case SM_ID_EDIT_COPY:
    case SM_ID_RILO_PASTE_STRUCTURE:
      return n > 0;
    case SM_ID_LIST_ADD:
      return n >= 0;
    case SM_ID_EDIT_CUT:
      return false;
    default:
      return true;
  }
}

// ---------------------------------------------------------------- paths

int CRiloTree::GetItemPathTexts(std::vector<std::string>& texts) const {
  texts.clear();
  const QTreeWidgetItem* item = currentItem();
  if (!item) return -1;
  for (; item && item->parent(); item = item->parent()) {
    const std::string text = item->text(0).toStdString();
    const size_t open = text.find('(');
    const size_t close = text.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return -1;
    texts.insert(texts.begin(), text.substr(open + 1, close - open - 1));
  }
  return static_cast<int>(texts.size());
}

void CRiloTree::DecodePath(const std::vector<std::string>& texts, int& nNo, std::string& subNo) {
  nNo = texts.empty() ? -1 : std::atoi(texts.front().c_str());
  subNo.clear();
  for (size_t i = 1; i < texts.size(); ++i) subNo += (i > 1 ? "\\" : "") + texts[i];
}

std::vector<std::string> CRiloTree::EncodePath(int nNo, const std::string& subNo) {
  std::vector<std::string> texts{std::to_string(nNo)};
  if (subNo.empty()) return texts;
  for (const QString& level : QString::fromStdString(subNo).split('\\'))
    texts.push_back(level.toStdString());
  return texts;
}

int CRiloTree::GetClipboardRows(std::vector<std::string>& rows) const {
  GetItemPathTexts(rows);
  return static_cast<int>(rows.size());
}

// ---------------------------------------------------------------- refill

void CRiloTree::Refill() {
  CSmDatabase* db = Database();
  setEnabled(false);
  clear();
  auto* root = new QTreeWidgetItem(this, QStringList{QString::fromUtf8(kRootText)});
  root->setIcon(0, SmLoadIcon(kIcons[kImageRoot]));
  std::vector<CRiloRptEntry> masters;
  if (db && db->IsOpen()) CRiloRptEntry::List("Where sSubNo='' Order by nNo", masters, db);
  for (const CRiloRptEntry& master : masters) {
    auto* item = new QTreeWidgetItem(root, QStringList{QString::fromStdString(FormatStr(
                                               "(%d)%s", master.m_nNo, master.m_name.c_str()))});
    item->setIcon(0, SmLoadIcon(kIcons[kImageMaster]));
    AddChildren(item, master.m_nNo, {});
  }
  Reselect();
  setEnabled(true);
  setFocus();
}

void CRiloTree::AddChildren(QTreeWidgetItem* parent, int nNo, const std::string& subNo) {
  std::vector<CRiloRptEntry> children;
  CRiloRptEntry::List(ChildrenWhere(Database(), nNo, subNo), children, Database());
  for (const CRiloRptEntry& child : children) {
    const std::string last = child.m_subNo.substr(child.m_subNo.rfind('\\') + 1);
    auto* item = new QTreeWidgetItem(parent, QStringList{QString::fromStdString(FormatStr(
                                                 "(%s)%s", last.c_str(), child.m_name.c_str()))});
    item->setIcon(0, SmLoadIcon(kIcons[kImageChild]));
    AddChildren(item, nNo, child.m_subNo);
  }
}

// A missing entry selects the next higher one at its level, or the last.
void CRiloTree::Reselect() {
  QTreeWidgetItem* root = topLevelItem(0);
  root->setExpanded(true);
  QTreeWidgetItem* node = root->child(0);
  if (!node) {
    setCurrentItem(root);
    return;
  }
  const size_t k = m_reselect.size();
  for (size_t i = 0; i < k; ++i) {
    const int wanted = std::atoi(m_reselect[i].c_str());
    for (;;) {
      QTreeWidgetItem* parent = node->parent();
      QTreeWidgetItem* next = parent->child(parent->indexOfChild(node) + 1);
      if (NodeNumber(node) == wanted) break;
      if (!next || wanted < NodeNumber(node)) {
        setCurrentItem(node);
        return;
      }
      node = next;
    }
    if (i + 1 == k || node->childCount() == 0) break;
    node->setExpanded(true);
    node = node->child(0);
  }
  setCurrentItem(node);
}

void CRiloTree::Refresh() {
  GetItemPathTexts(m_reselect);
  Refill();
}

// ---------------------------------------------------------------- commands

bool CRiloTree::OnCommand(int id) {
  switch (id) {
    case SM_ID_RILO_TREE_REFRESH:
      Refresh();
      return true;
    case SM_ID_RILO_OPEN_FILES:
      CBbDataType::OpenReportFiles();
      return true;
    case SM_ID_RILO_MONTH_TABLES:
    case SM_ID_RILO_QUARTER_TABLES:
    case SM_ID_RILO_UNIT_TABLES:
      GenerateChildren(id);
      return true;
    case SM_ID_RILO_PASTE_STRUCTURE:
      PasteReport(true);
      return true;
    case SM_ID_RENAME_PAGE:
    case SM_ID_TEMPLATE_BOX:
      CSmCommandManager::Instance().SendToMain(id);
      return true;
    default:
      return false;
  }
}

void CRiloTree::Open() {
  std::vector<std::string> texts;
  GetItemPathTexts(texts);
  int nNo = -1;
  std::string subNo;
  DecodePath(texts, nNo, subNo);
  CBbDataType::OpenReport({}, true, nNo, subNo, false);
}

bool CRiloTree::ExplainRefusal(int id) {
  if (IsCommandEnabled(id)) return false;
  CSmApp* app = SmGetApp();
  std::string why = "请先在模板框“报表”页的报表目录中选择要打开的报表！";
  if (!Database() || !Database()->IsOpen()) {
    why = "没有打开的数据文件，不能打开报表！";
  } else if (app && app->IsAdministrator()) {
    why = "系统操作员“101”不能打开或新建报表，请以其他操作员注册！";
  } else if (id == SM_ID_LIST_ADD) {
    why = "请先在模板框“报表”页的报表目录中选择“我的报表”或一张报表！";
  }
  SmMessageBox(why, SM_MB_OK | SM_MB_ICONINFORMATION);
  return true;
}

void CRiloTree::OpenChosen() {
  if (!ExplainRefusal(SM_ID_LIST_OPEN)) Open();
}

void CRiloTree::AddChosen() {
  if (!ExplainRefusal(SM_ID_LIST_ADD)) Add();
}

void CRiloTree::Add() {
  std::vector<std::string> texts;
  if (GetItemPathTexts(texts) == 0) {
    CBbDataType::OpenReport({}, true, -1, {}, false);
    return;
  }
  int nNo = -1;
  std::string subNo;
  DecodePath(texts, nNo, subNo);
  CRiloSaveDlg dlg(SM_RILO_SAVE_CHILD, nNo, subNo, this);
  if (dlg.DoModal() != SM_IDOK) {
    setFocus();
    return;
  }
  CRiloDoc* doc = CBbDataType::OpenReport({}, true, dlg.m_master.m_nNo, dlg.m_child.m_subNo, false);
  if (!doc) return;
  doc->m_sheet.m_tableName = dlg.m_child.m_name;
  doc->m_sheet.m_reportCode = dlg.m_child.m_code;
}

// Reads the report's header and asks for its modify password, when it has one.
bool CRiloTree::ConfirmModify(int nNo, const std::string& subNo, std::string& name) {
  CRiloData header;
  if (!header.LoadFromDb(nNo, subNo, true, Database())) return false;
  name = header.m_reportName;
  if (header.m_modifyPassword.empty()) return true;
  CRiloPwdDlg dlg(header.m_reportName, header.m_modifyPassword, this);
  if (dlg.DoModal() == SM_IDOK) return true;
  setFocus();
  return false;
}

void CRiloTree::Modify() {
  std::vector<std::string> texts;
  const int n = GetItemPathTexts(texts);
  int nNo = -1;
  std::string subNo;
  std::string name;
  DecodePath(texts, nNo, subNo);
  if (!ConfirmModify(nNo, subNo, name)) return;
  CRiloSaveDlg dlg(n == 1 ? SM_RILO_MODIFY_MASTER : SM_RILO_MODIFY_CHILD, nNo, subNo, this);
  if (dlg.DoModal() != SM_IDOK) {
    setFocus();
    return;
  }
  m_reselect = EncodePath(dlg.m_master.m_nNo, n == 1 ? std::string() : dlg.m_child.m_subNo);
  Refill();
}

void CRiloTree::Delete() {
  std::vector<std::string> texts;
  GetItemPathTexts(texts);
  int nNo = -1;
  std::string subNo;
  std::string name;
  DecodePath(texts, nNo, subNo);
  if (!ConfirmModify(nNo, subNo, name)) return;
  if (SmMessageBox("真的要删除此表吗？", SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) {
    setFocus();
    return;
  }
  const bool deleted = CRiloRptEntry::Delete(nNo, subNo, Database());
  m_reselect = texts;
  Refill();
  if (!deleted) return;
  std::string note = FormatStr("删除：%d", nNo);
  if (!subNo.empty()) note += "\\" + subNo;
  CSmOpLog(kSmReportModule, 0, note);
}

void CRiloTree::GenerateChildren(int id) {
  if (!IsCommandEnabled(id)) return;
  std::vector<std::string> texts;
  GetItemPathTexts(texts);
  int nNo = -1;
  std::string subNo;
  DecodePath(texts, nNo, subNo);
  CSmDatabase* db = Database();
  const std::string p = db->SqlText(subNo);
  const long existing =
      subNo.empty()
          ? db->QueryInt(FormatStr("Select Count(*) From bbinfo7 Where nNo=%d And sSubNo<>''", nNo))
          : db->QueryInt(FormatStr("Select Count(*) From bbinfo7 Where nNo=%d And sSubNo Like "
                                   "'%s\\\x07*\x08'",
                                   nNo, p.c_str()));
  if (existing >= 1) {
    SmMessageBox("该表已有子表！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  m_reselect = texts;
  if (id == SM_ID_RILO_UNIT_TABLES) {
    CSmWaitCursor wait;
    if (CSmApp* app = SmGetApp())
      app->NotifyTypes(1, FormatStr("%d %s", nNo, subNo.c_str()), nullptr);
    Refill();
    return;
  }
  const bool months = id == SM_ID_RILO_MONTH_TABLES;
  if (!subNo.empty() && subNo.size() > (months ? 12u : 13u)) {
    SmMessageBox("该表子表的长度不够！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  const int count = months ? 12 : 4;
  const std::string prefix = subNo.empty() ? std::string() : p + "\\";
  SmRunInTransaction(db, [&] {
    for (int i = 1; i <= count; ++i) {
      if (!db->ExecuteSQL(FormatStr("Insert Into bbinfo7(nNo,sSubNo,sNa,srptNo) "
                                    "Values(%d,'%s%d','%s','')",
                                    nNo, prefix.c_str(), i, months ? "月" : "季")))
        return false;
    }
    return true;
  });
  Refill();
}

void CRiloTree::PasteReport(bool structure) {
  std::vector<std::string> rows;
  bool cut = false;
  bool same = true;
  CSmDatabase from(0);
  if (ReadClipboard(rows, cut, same, from) <= 0 || !from.IsOpen()) return;
  if (!structure) {
    if (rows.size() != 1) return;
    int newNo = -1;
    if (!CRiloRptEntry::CopyReport(std::atoi(rows.front().c_str()), newNo, Database(), &from)) {
      SmMessageBox("源报表已不存在！", SM_MB_OK | SM_MB_ICONERROR);
      return;
    }
    m_reselect = EncodePath(newNo, {});
  } else {
    std::vector<std::string> target;
    if (GetItemPathTexts(target) <= 0) return;
    int sourceNo = -1;
    int targetNo = -1;
    std::string sourceSub;
    std::string targetSub;
    DecodePath(rows, sourceNo, sourceSub);
    DecodePath(target, targetNo, targetSub);
    CRiloRptEntry::CopyChildStructure(sourceNo, sourceSub, targetNo, targetSub, Database(), &from);
    m_reselect = target;
  }
  Refill();
}
