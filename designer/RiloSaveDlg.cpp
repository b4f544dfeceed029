#include "designer/RiloSaveDlg.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "designer/RiloDb.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"

namespace {

constexpr const char* kCaptions[] = {"保存母表", "新增母、子表", "新增子表", "修改母表",
                                     "修改子表"};
constexpr const char* kChildDigits = "STRING 0123456789\\";
constexpr int kMasterNoLimit = 4;
constexpr int kNameLimit = 60;
constexpr int kCodeLimit = 20;
constexpr int kChildLimit = 15;

CSmEdit* AddEdit(QWidget* parent, int id, const std::string& spec, int limit) {
  auto* edit = new CSmEdit(parent);
  edit->setObjectName(QString::number(id));
  edit->SetInputType(spec, limit);
  edit->setMaxLength(limit);
  return edit;
}

QGroupBox* Group(QWidget* parent, const char* title, const char* const labels[3],
                 CSmEdit* const edits[3]) {
  auto* box = new QGroupBox(QString::fromUtf8(title), parent);
  auto* form = new QFormLayout(box);
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(QString::fromUtf8(labels[i]), box);
    label->setBuddy(edits[i]);
    form->addRow(label, edits[i]);
  }
  return box;
}

// The where-clause of the direct children of `parent` (the master's with an empty one).
std::string DirectChildren(int nNo, const std::string& parent, CSmDatabase* db) {
  if (parent.empty())
    return FormatStr("Where nNo=%d And sSubNo<>'' And sSubNo not Like '\x07*\x08\\\x07*\x08'", nNo);
  const std::string p = db->SqlText(parent);
  return FormatStr(
      "Where nNo=%d And sSubNo Like '%s\\\x07*\x08' And sSubNo not Like "
      "'%s\\\x07*\x08\\\x07*\x08'",
      nNo, p.c_str(), p.c_str());
}

}  // namespace

CRiloSaveDlg::CRiloSaveDlg(int mode, int nNo, const std::string& subNo, QWidget* parent)
    : CSmDlg(832, parent),
      m_mode(mode),
      m_given(nNo, SmChildPath(subNo), {}, {}),
      m_masterNo(AddEdit(this, kMasterNo, "STRING DIGIT", kMasterNoLimit)),
      m_masterName(AddEdit(this, kMasterName, "MDBSTRING", kNameLimit)),
      m_masterCode(AddEdit(this, kMasterCode, "MDBSTRING", kCodeLimit)),
      m_childNo(AddEdit(this, kChildNo, kChildDigits, kChildLimit)),
      m_childName(AddEdit(this, kChildName, "MDBSTRING", kNameLimit)),
      m_childCode(AddEdit(this, kChildCode, kChildDigits, kChildLimit)) {
  setWindowTitle(QString::fromUtf8(kCaptions[mode >= 0 && mode <= 4 ? mode : 0]));
  const char* masterLabels[3] = {"&1.表    号：", "&2.表    名：", "&3.上报表号："};
  const char* childLabels[3] = {"&A.表    号：", "&B.表    名：", "&C.上报表号："};
  CSmEdit* const masterEdits[3] = {m_masterNo, m_masterName, m_masterCode};
  CSmEdit* const childEdits[3] = {m_childNo, m_childName, m_childCode};
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Group(this, "母表", masterLabels, masterEdits));
  layout->addWidget(Group(this, "子表", childLabels, childEdits));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(AddButton(1, "&S.确认"));
  buttons->addWidget(AddButton(2, "&X.取消"));
  layout->addLayout(buttons);
  Propose();
  ShowValues();
}

std::string CRiloSaveDlg::NextChildNo(int nNo, const std::string& parent, CSmDatabase* db) {
  const std::string where = DirectChildren(nNo, parent, db);
  const long last = parent.empty()
                        ? db->QueryCountInt("max(val(sSubNo)) From bbInfo7 " + where)
                        : db->QueryCountInt(FormatStr("max(val(Mid(sSubNo,%d,15))) From bbInfo7 ",
                                                      static_cast<int>(parent.size()) + 2) +
                                            where);
  const long next = std::max(last, 0L) + 1;
  return parent.empty() ? std::to_string(next) : FormatStr("%s\\%ld", parent.c_str(), next);
}

std::string CRiloSaveDlg::LastSiblingName(int nNo, const std::string& parent, CSmDatabase* db) {
  return TrimChars(
      db->QueryCountString("max(sNa) From bbInfo7 " + DirectChildren(nNo, parent, db)));
}

void CRiloSaveDlg::Propose() {
  CSmDatabase* db = GetSmDatabase();
  m_masterNoText = std::to_string(m_given.m_nNo);
  if (m_mode == SM_RILO_SAVE_MASTER || m_mode == SM_RILO_SAVE_BOTH)
    m_masterNoText = std::to_string(db->QueryCountInt("max(nNo) From bbInfo7") + 1);
  const int number = StrToIntDef(m_masterNoText, 0);
  if (m_mode == SM_RILO_SAVE_BOTH || m_mode == SM_RILO_SAVE_CHILD) {
    m_child.m_name = "月";
    m_child.m_subNo = NextChildNo(number, m_given.m_subNo, db);
  }
  if (m_mode == SM_RILO_SAVE_CHILD) {
    const std::string sibling = LastSiblingName(number, m_given.m_subNo, db);
    if (!sibling.empty()) m_child.m_name = sibling;
  }
  m_master.Load(m_given.m_nNo, {}, db);
  if (m_mode == SM_RILO_MODIFY_CHILD) m_child.Load(m_given.m_nNo, m_given.m_subNo, db);
  const bool masterOff = m_mode == SM_RILO_SAVE_CHILD || m_mode == SM_RILO_MODIFY_CHILD;
  const bool childOff = m_mode == SM_RILO_SAVE_MASTER || m_mode == SM_RILO_MODIFY_MASTER;
  for (CSmEdit* edit : {m_masterNo, m_masterName, m_masterCode}) edit->setEnabled(!masterOff);
  for (CSmEdit* edit : {m_childNo, m_childName, m_childCode}) edit->setEnabled(!childOff);
  (masterOff ? m_childNo : m_masterNo)->setFocus();
}

void CRiloSaveDlg::ShowValues() {
  m_masterNo->setText(QString::fromStdString(m_masterNoText));
  m_masterName->setText(QString::fromStdString(m_master.m_name));
  m_masterCode->setText(QString::fromStdString(m_master.m_code));
  m_childNo->setText(QString::fromStdString(m_child.m_subNo));
  m_childName->setText(QString::fromStdString(m_child.m_name));
  m_childCode->setText(QString::fromStdString(m_child.m_code));
}

void CRiloSaveDlg::TakeValues() {
  m_masterNoText = TrimChars(m_masterNo->text().toStdString());
  m_master.m_name = TrimChars(m_masterName->text().toStdString());
  m_master.m_code = TrimChars(m_masterCode->text().toStdString());
  m_child.m_subNo = SmChildPath(TrimChars(m_childNo->text().toStdString()));
  m_child.m_name = TrimChars(m_childName->text().toStdString());
  m_child.m_code = TrimChars(m_childCode->text().toStdString());
  m_master.m_subNo.clear();
  m_master.m_nNo = StrToIntDef(m_masterNoText, 0);
  m_child.m_nNo = m_master.m_nNo;
}

bool CRiloSaveDlg::Stop(const char* text, CSmEdit* field) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
  field->setFocus();
  return false;
}

bool CRiloSaveDlg::CheckMaster() {
  if (m_masterNoText.empty()) return Stop("母表号不能为空！", m_masterNo);
  if (m_master.m_nNo < 1) return Stop("母表号应为大于 0 的数！", m_masterNo);
  if (m_master.m_name.empty()) return Stop("母表名不能为空！", m_masterName);
  return true;
}

bool CRiloSaveDlg::CheckChild() {
  const std::string& subNo = m_child.m_subNo;
  if (subNo.empty()) return Stop("子表号不能为空！", m_childNo);
  if (!IsValidLevelCode(subNo, -1, '\\') || subNo[0] == '0')
    return Stop("子表号不正确！", m_childNo);
  const std::string parent = LeftOfLast(subNo, '\\');
  if (subNo.find('\\') == std::string::npos) return true;
  CSmDatabase* db = GetSmDatabase();
  if (db->QueryInt(FormatStr("Select Count(*) From bbInfo7 Where nNo=%d And sSubNo='%s'",
                             m_master.m_nNo, db->SqlText(parent).c_str())) <= 0)
    return Stop("该子表无父级！", m_childNo);
  return true;
}

// The modifying modes write their log line only once the catalogue took the change.
bool CRiloSaveDlg::ValidateAndSave() {
  TakeValues();
  const bool master = m_mode == SM_RILO_SAVE_MASTER || m_mode == SM_RILO_SAVE_BOTH ||
                      m_mode == SM_RILO_MODIFY_MASTER;
  if (master && !CheckMaster()) return false;
  if (m_mode != SM_RILO_SAVE_MASTER && m_mode != SM_RILO_MODIFY_MASTER && !CheckChild())
    return false;
  CSmDatabase* db = GetSmDatabase();
  if (m_mode == SM_RILO_MODIFY_MASTER) {
    CRiloRptEntry old(m_given.m_nNo, {}, {}, {});
    old.Load(m_given.m_nNo, {}, db);
    if (!m_master.Update(old, db)) return false;
    CSmOpLog(3, 0, FormatStr("修改母表：%d-->%d", m_given.m_nNo, m_master.m_nNo));
    return true;
  }
  if (m_mode == SM_RILO_MODIFY_CHILD) {
    CRiloRptEntry old = m_given;
    old.Load(m_given.m_nNo, m_given.m_subNo, db);
    if (!m_child.Update(old, db)) return false;
    CSmOpLog(3, 0,
             FormatStr("修改子表：%d(%s-->%s)", m_given.m_nNo, m_given.m_subNo.c_str(),
                       m_child.m_subNo.c_str()));
  }
  return true;
}
