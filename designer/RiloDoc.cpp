#include "designer/RiloDoc.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>

#include "app/SmApp.h"
#include "core/SmGbk.h"
#include "core/SmPath.h"
#include "core/SmString.h"
#include "core/SmUtil.h"
#include "designer/RiloChildFrm.h"
#include "designer/RiloDb.h"
#include "designer/RiloPwdDlg.h"
#include "forms/SmChildFrm.h"
#include "forms/SmDoc.h"
#include "platform/SmMessage.h"

namespace {

constexpr char kLayerSeparator = '\x01';
constexpr size_t kTitleMax = 30;
constexpr size_t kTitleKept = 28;

template <typename T>
T At(const std::vector<T>& list, int index) {
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return T{};
  return list[static_cast<size_t>(index)];
}

bool Exists(const std::string& path) {
  return QFileInfo::exists(QString::fromStdString(path));
}

bool Fail(const std::string& text) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR);
  return false;
}

}  // namespace

// ---------------------------------------------------------------- CRiloDoc

bool CRiloDoc::OnNewDocument() {
  m_path.clear();
  m_childPath.clear();
  ResetForNew();
  SaveCopy();
  return true;
}

bool CRiloDoc::OnOpenDocument(const std::string& path) {
  if (!OpenReport(path)) return false;
  SaveCopy();
  return true;
}

bool CRiloDoc::OnSaveDocument(const std::string& /*path*/) {
  return DoFileSave();
}

void CRiloDoc::OnCloseDocument() {
  CSmDocument::OnCloseDocument();  // destroys this document
  SmRestoreBarsWithoutDocuments();
}

void CRiloDoc::SetTitle(const std::string& title) {
  if (GbkSize(title) <= kTitleMax) {
    CSmDocument::SetTitle(title);
    return;
  }
  CSmDocument::SetTitle(GbkCut(title, kTitleKept) + "...");
}

void CRiloDoc::SetPathName(const std::string& path, bool /*addToRecent*/) {
  if (m_storage == SM_RILO_FILE) {
    CSmDocument::SetPathName(path.empty() ? "新报表文件" : m_childOpen ? m_childPath : path);
    return;
  }
  std::string title = "新报表";
  if (m_nNo != -1 && m_childOpen) {
    title = FormatStr("(%d)%s\\%s", m_nNo, m_sheet.m_reportName.c_str(), m_subNo.c_str());
  } else if (m_nNo != -1) {
    title = FormatStr("(%d)%s", m_nNo, m_sheet.m_reportName.c_str());
  }
  CSmDocument::SetPathName(title);
  SetTitle(title);
}

bool CRiloDoc::IsModified() const {
  if (m_sheet.m_rows <= 0 || m_sheet.m_cols <= 0 || m_readOnly) return false;
  if (m_storage == SM_RILO_FILE ? m_path.empty() : m_nNo == -1) return true;
  if (!m_structureChanges.empty()) return true;
  return std::any_of(m_changes.begin(), m_changes.end(), [](int flag) { return flag != 0; });
}

bool CRiloDoc::OnCommand(int id) {
  if (OnSaveCommand(id)) return true;
  if (id != SM_ID_RILO_STORE_FILE && id != SM_ID_RILO_STORE_DB) return false;
  m_storage = id == SM_ID_RILO_STORE_FILE ? SM_RILO_FILE : SM_RILO_DB;
  SetPathName(m_path);
  return true;
}

bool CRiloDoc::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (OnUpdateSaveCommand(id, ui)) return true;
  if (id == SM_ID_RILO_STORE_FILE) {
    ui.SetCheck(m_storage == SM_RILO_FILE ? 1 : 0);
    return true;
  }
  if (id == SM_ID_RILO_STORE_DB) {
    ui.SetCheck(m_storage == SM_RILO_DB ? 1 : 0);
    return true;
  }
  return false;
}

bool CRiloDoc::OpenReport(const std::string& path) {
  return m_storage == SM_RILO_DB ? OpenFromDb() : OpenFromFile(path);
}

bool CRiloDoc::OpenFromDb() {
  m_childOpen = m_subNo.empty() ? 0 : 1;
  m_editMode = m_childOpen ? 3 : 0;
  if (!m_sheet.LoadFromDb(m_nNo, m_subNo, false, GetSmDatabase())) return false;
  if (!AskDbPasswords()) return false;
  ResetEditState();
  return true;
}

// Without the modify password the report may still open read-only, behind its read password.
bool CRiloDoc::AskDbPasswords() {
  const std::string& name = m_sheet.m_reportName;
  if (!m_readOnly && !m_sheet.m_modifyPassword.empty()) {
    if (AskPassword(m_sheet.m_modifyPassword, name)) return true;
    if (SmMessageBox("你想以只读方式打开此报表吗？", SM_MB_YESNO | SM_MB_ICONQUESTION,
                     kRiloPwdCaption) != SM_IDYES)
      return false;
    m_readOnly = 1;
    return m_sheet.m_readPassword.empty() || AskPassword(m_sheet.m_readPassword, name);
  }
  if (m_readOnly && !m_sheet.m_readPassword.empty())
    return AskPassword(m_sheet.m_readPassword, name);
  return true;
}

bool CRiloDoc::AskPassword(const std::string& password, const std::string& name) {
  CRiloPwdDlg dlg(name, password, QApplication::activeWindow());
  return dlg.DoModal() == SM_IDOK;
}

bool CRiloDoc::OpenFromFile(const std::string& path) {
  const std::string ext = GetPathExt(path);
  if (ext == "QLN") {
    m_path = path;
    m_childOpen = 0;
    m_editMode = 0;
    if (!Exists(path)) {
      ResetForNew();  // a new report, saved under this name
      return true;
    }
  } else if (ext == "BSJ") {
    m_childPath = path;
    const std::string master = CSmUtil().FindMasterReportFile(path);
    if (master.empty()) return Fail(path + "\n\n无母表文件!");
    m_path = master;
    m_childOpen = 1;
    m_editMode = 3;
  } else {
    return Fail(path + "\n\n该文件名无效!");
  }
  if (!m_sheet.LoadFile(m_path, true)) return false;
  const std::string& password = m_readOnly ? m_sheet.m_readPassword : m_sheet.m_modifyPassword;
  if (!password.empty() && !AskPassword(password, path)) return false;
  if (!m_sheet.LoadFile(m_path)) return false;
  ResetEditState();
  return m_childOpen ? OpenChildFile() : true;
}

// A child file not yet written opens as an empty child table; the read-only flag the user
// asked for stays, so that the master cannot be saved past its modify password.
bool CRiloDoc::OpenChildFile() {
  if (!Exists(m_childPath)) return true;
  CRiloData child;
  if (!child.LoadFile(m_childPath)) return false;
  if (child.m_cols != m_sheet.m_cols || child.m_rows != m_sheet.m_rows) {
    const std::string question =
        FormatStr("%s:%d栏,%d行\n", m_path.c_str(), m_sheet.m_cols, m_sheet.m_rows) +
        FormatStr("%s:%d栏,%d行\n\n", m_childPath.c_str(), child.m_cols, child.m_rows) +
        "该表和母表的栏、行数目不相等,打开吗?";
    if (SmMessageBox(question, SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return false;
  }
  const int rows = std::min(child.m_rows, m_sheet.m_rows);
  const int cols = std::min(child.m_cols, m_sheet.m_cols);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      std::string& cell = m_sheet.m_texts[static_cast<size_t>(c + r * m_sheet.m_cols)];
      cell = SetCellLayer(cell, At(child.m_texts, c + r * child.m_cols), 3);
    }
  }
  return true;
}

void CRiloDoc::ResetForNew() {
  m_editMode = 0;
  m_childOpen = 0;
  m_sheet.m_vars.RemoveAll();
  m_sheet.m_vars.m_nSoft = kSmReportModule;
  m_sheet.m_vars.m_nNo = m_nNo;
  m_sheet.m_vars.SetDefaults();
  ResetEditState();
}

void CRiloDoc::ResetEditState() {
  m_changes.fill(0);
}

void CRiloDoc::SaveCopy() {
  m_saved = m_sheet;
  m_saved.m_vars = m_sheet.m_vars;
}

SmRiloCellFormat CRiloDoc::GetCellFormat(int column, int row) const {
  const int n = m_sheet.m_cols;
  const int cell = column + row * n;
  const auto point = [n](int c, int r) { return c + r * (n + 1); };
  SmRiloCellFormat format;
  format.backColor = At(m_sheet.m_backColors, cell);
  format.layout3 = At(m_sheet.m_layout3, cell);
  format.layout4 = At(m_sheet.m_layout4, cell);
  format.layout5 = At(m_sheet.m_layout5, cell);
  const std::array<SmIntPair, 4> styles = {At(m_sheet.m_lineStyles, point(column, row)),
                                           At(m_sheet.m_lineStyles, point(column, row)),
                                           At(m_sheet.m_lineStyles, point(column + 1, row)),
                                           At(m_sheet.m_lineStyles, point(column, row + 1))};
  const std::array<SmIntPair, 4> colors = {At(m_sheet.m_lineColors, point(column, row)),
                                           At(m_sheet.m_lineColors, point(column, row)),
                                           At(m_sheet.m_lineColors, point(column + 1, row)),
                                           At(m_sheet.m_lineColors, point(column, row + 1))};
  for (size_t i = 0; i < 4; ++i) {
    const bool left = i % 2 == 0;  // left and right edges are the first values
    format.lineStyles[i] = left ? styles[i].first : styles[i].second;
    format.lineColors[i] = left ? colors[i].first : colors[i].second;
  }
  return format;
}

// ---------------------------------------------------------------- CRiloDocTemplate

CRiloDocTemplate::CRiloDocTemplate()
    : CSmMultiDocTemplate(
          kResourceId, [] { return std::make_unique<CRiloDoc>(); },
          [](CSmDocument* /*doc*/, CSmChildFrame* frame) -> QWidget* {
            auto* report = dynamic_cast<CRiloChildFrm*>(frame);
            return report ? report->CreateClient() : nullptr;
          },
          [] {
            auto* frame = new CRiloChildFrm;
            frame->m_resourceId = kResourceId;
            return frame;
          }) {}

CRiloDoc* CRiloDocTemplate::OpenReportDocument(const SmRiloOpenRequest& request) {
  auto owned = std::make_unique<CRiloDoc>();
  owned->m_storage = request.storage;
  owned->m_nNo = request.nNo;
  owned->m_subNo = request.subNo;
  owned->m_readOnly = request.readOnly;
  auto* doc = static_cast<CRiloDoc*>(AddDocument(std::move(owned)));
  const bool existing = request.storage == SM_RILO_DB ? request.nNo >= 0 : !request.path.empty();
  bool opened = false;
  if (existing) {
    opened = doc->OnOpenDocument(request.path);
    if (opened) doc->SetPathName(request.path, true);
  } else {
    doc->SetPathName(request.path, false);
    opened = doc->OnNewDocument();
  }
  if (!opened) {
    RemoveDocument(doc);
    return nullptr;
  }
  const bool firstWindow = !SmDocumentWindowsOpen();
  CSmChildFrame* frame = CreateNewFrame(doc);
  if (!frame) {
    SmMessageBox("建立空文档失败。", SM_MB_OK | SM_MB_ICONERROR);
    RemoveDocument(doc);
    return nullptr;
  }
  if (!existing) ++m_untitledCount;
  if (firstWindow) SmHideBarsForDocuments();
  InitialUpdateFrame(frame, doc, request.visible);
  return doc;
}

// ---------------------------------------------------------------- CRiloFileDialog

bool CRiloFileDialog::DoModal() {
  bool readOnly = m_readOnly != 0;
  m_names = SmGetOpenFileNames(m_title, {}, SmQtFileFilter(m_filter), "以只读方式打开", readOnly);
  if (m_names.empty()) return false;
  m_readOnly = readOnly ? 1 : 0;
  return true;
}

std::string SmQtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString label = parts[i];
    const QString patterns = parts[i + 1];
    // A label that already ends in its patterns shows them once; Qt reads the patterns from
    // the last brackets, separated by blanks.
    const QString written = "(" + patterns + ")";
    if (label.endsWith(written)) {
      label.chop(written.size());
    } else {
      label += ' ';
    }
    filters.append(label + "(" + QString(patterns).replace(';', ' ') + ")");
  }
  return filters.join(";;").toStdString();
}
