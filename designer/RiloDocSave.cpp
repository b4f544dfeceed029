// Saving a report: the save commands, the question before a changed report closes, files and
// the data file, row and column changes carried over to the child tables, and the sheet as text.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "core/SmDatabase.h"
#include "core/SmPath.h"
#include "core/SmString.h"
#include "core/SmTextFile.h"
#include "core/SmUtil.h"
#include "designer/RiloDb.h"
#include "designer/RiloDoc.h"
#include "designer/RiloSaveDlg.h"
#include "designer/RiloTree.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace fs = std::filesystem;

namespace {

constexpr char kLayerSeparator = '\x01';

bool IsReadOnlyOnDisk(const std::string& path) {
  const QString name = QString::fromStdString(SmNativePath(path));
  return QFileInfo::exists(name) && !(QFile::permissions(name) & QFileDevice::WriteOwner);
}

std::string WithExtension(std::string path, const char* ext) {
  if (GetPathExt(path).empty()) path += std::string(".") + ext;
  return path;
}

std::string Layer(std::string_view cell, int k) {
  size_t start = 0;
  for (int i = 0; i < k; ++i) {
    start = cell.find(kLayerSeparator, start);
    if (start == std::string_view::npos) return {};
    ++start;
  }
  const size_t end = cell.find(kLayerSeparator, start);
  return std::string(cell.substr(start, end == std::string_view::npos ? cell.npos : end - start));
}

// Inserts (count > 0) or removes `count` cells at `index`; false when they are not all there.
bool SpliceCells(std::vector<std::string>& cells, size_t index, int count, bool insert) {
  if (index > cells.size()) return false;
  if (insert) {
    cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(index), static_cast<size_t>(count),
                 std::string());
    return true;
  }
  if (index + static_cast<size_t>(count) > cells.size()) return false;
  const auto first = cells.begin() + static_cast<std::ptrdiff_t>(index);
  cells.erase(first, first + count);
  return true;
}

// One recorded change applied to a child's cells; 0 or the error code.
int ApplyOneChange(const SmIntRect& change, CRiloData& child) {
  int c = change.left;
  int r = change.top;
  int nc = change.right;
  int nr = change.bottom;
  if ((nc < 0 && nr > 0) || (nc > 0 && nr < 0)) return CRiloDoc::kStructureBadCounts;
  if (c < 0 || r < 0) return CRiloDoc::kStructureBadStart;
  const bool deletion = nc + nr < 0;
  nc = std::abs(nc);
  nr = std::abs(nr);
  if (c > child.m_cols || r > child.m_rows) return CRiloDoc::kStructureBadStart;
  if (deletion && c == child.m_cols && r == child.m_rows) return CRiloDoc::kStructureBadStart;
  if (deletion && (c + nc > child.m_cols || r + nr > child.m_rows))
    return CRiloDoc::kStructureDeletionTooLarge;
  std::vector<std::string>& cells = child.m_texts;
  cells.resize(static_cast<size_t>(child.m_cols) * static_cast<size_t>(child.m_rows));
  if (nr > 0) {
    if (!SpliceCells(cells, static_cast<size_t>(child.m_cols) * static_cast<size_t>(r),
                     nr * child.m_cols, !deletion))
      return CRiloDoc::kStructureDeletionTooLarge;
    child.m_rows += deletion ? -nr : nr;
  }
  if (nc > 0) {
    child.m_cols += deletion ? -nc : nc;
    for (int i = 0; i < child.m_rows; ++i) {
      if (!SpliceCells(cells, static_cast<size_t>(c + i * child.m_cols), nc, !deletion))
        return CRiloDoc::kStructureDeletionTooLarge;
    }
  }
  return 0;
}

}  // namespace

// ---------------------------------------------------------------- commands

bool CRiloDoc::OnSaveCommand(int id) {
  switch (id) {
    case SM_ID_FILE_SAVE:
      DoFileSave();
      return true;
    case SM_ID_FILE_SAVE_AS:
      DoSave({}, -1);
      return true;
    case SM_ID_RILO_SAVE_TEXT:
      SaveAsText();
      return true;
    default:
      return false;
  }
}

bool CRiloDoc::OnUpdateSaveCommand(int id, CSmCmdUI& ui) {
  if (id != SM_ID_FILE_SAVE && id != SM_ID_FILE_SAVE_AS && id != SM_ID_RILO_SAVE_TEXT) return false;
  ui.Enable(m_sheet.m_rows > 0 && m_sheet.m_cols > 0 && !m_readOnly);
  return true;
}

// ---------------------------------------------------------------- the question before closing

std::string CRiloDoc::SaveQuestion() const {
  const bool reshaped = !m_structureChanges.empty();
  if (m_storage == SM_RILO_FILE) {
    if (m_path.empty()) return "新建报表存盘吗？";
    if (reshaped)
      return FormatStr("当前报表：\n\n  %s\n\n    的行栏数已被改变，存盘吗？", m_path.c_str());
    if (m_childOpen)
      return FormatStr("当前报表：\n\n  %s\n  %s\n\n    已被改变，存盘吗？", m_path.c_str(),
                       m_childPath.c_str());
    return FormatStr("当前报表：\n\n  %s\n\n    已被改变，存盘吗？", m_path.c_str());
  }
  if (m_nNo == -1) return "新建报表存盘吗？";
  const std::string child = m_childOpen ? "\\" + m_subNo : std::string();
  return FormatStr(reshaped ? "当前报表：\n\n  (%d)%s%s\n\n    的行栏数已被改变，存盘吗？"
                            : "当前报表：\n\n  (%d)%s%s\n\n    已被改变，存盘吗？",
                   m_nNo, m_sheet.m_reportName.c_str(), child.c_str());
}

bool CRiloDoc::SaveModified() {
  if (!IsModified()) return true;
  const int answer = SmMessageBox(SaveQuestion(), SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION);
  if (answer == SM_IDCANCEL) return false;
  if (answer == SM_IDNO) return true;
  return DoFileSave();
}

// ---------------------------------------------------------------- saving

bool CRiloDoc::DoFileSave() {
  if (m_storage == SM_RILO_DB) {
    const long stored =
        GetSmDatabase()->QueryInt(FormatStr("Select Count(*) From bbInfo Where nNo=%d", m_nNo));
    return DoSave({}, stored < 1 ? -1 : m_nNo);
  }
  if (!m_childOpen && IsReadOnlyOnDisk(m_path)) return DoSave({}, -1);
  return DoSave(m_path, -1);
}

bool CRiloDoc::SaveReshaped() {
  CSmWaitWnd wait;
  wait.Show();
  if (!SaveWithStructureChanges()) return false;
  SaveCopy();
  m_copyValid = 1;
  return true;
}

bool CRiloDoc::DoSave(const std::string& path, int nNo, bool /*replace*/) {
  if (m_storage == SM_RILO_DB) return SaveToDbStorage(nNo);
  if (path.empty()) {
    const std::string chosen =
        SmGetSaveFileName("另存为", m_path, SmQtFileFilter("Vornel报表文件(*.QLN)|*.QLN||"));
    if (chosen.empty()) return false;
    m_path = WithExtension(chosen, "QLN");
    m_editMode = 0;
    m_childOpen = 0;
  } else if (!m_structureChanges.empty()) {
    return SaveReshaped();
  }
  CSmWaitWnd wait;
  wait.Show();
  if (!SaveToFiles(true)) return false;
  SaveCopy();
  m_copyValid = 1;
  return true;
}

// Asks for the number and names of a new report (or child); writes what changed in one
// transaction and logs the save once it is stored.
bool CRiloDoc::SaveToDbStorage(int nNo) {
  CSmDatabase* db = GetSmDatabase();
  m_copyValid = 1;
  std::string subNo = m_subNo;
  if (nNo < 0) {
    CRiloSaveDlg dlg(m_childOpen ? SM_RILO_SAVE_BOTH : SM_RILO_SAVE_MASTER, m_nNo, m_subNo,
                     QApplication::activeWindow());
    if (dlg.DoModal() != SM_IDOK) return false;
    nNo = dlg.m_master.m_nNo;
    m_sheet.m_reportName = dlg.m_master.m_name;
    if (m_childOpen) subNo = dlg.m_child.m_subNo;
    m_copyValid = 0;
  } else if (!m_structureChanges.empty()) {
    return SaveReshaped();
  }
  const bool isNew = nNo != m_nNo || m_copyValid == 0;
  CSmWaitWnd wait;
  wait.Show();
  if (!m_sheet.SaveChangedToDb(m_saved, m_copyValid != 0, nNo, m_childOpen ? subNo : "", db)) {
    m_copyValid = 0;  // the next save writes everything again
    return false;
  }
  m_nNo = nNo;
  m_subNo = m_childOpen ? subNo : std::string();
  std::string note = FormatStr("%s：%d", isNew ? "新增" : "保存", nNo);
  if (m_childOpen) note += "\\" + m_subNo;
  CSmOpLog(kSmReportModule, isNew ? 0 : 1, note);
  AfterDbSave();
  SaveCopy();
  m_copyValid = 1;
  return true;
}

void CRiloDoc::AfterSave() {
  ResetEditState();
  m_structureChanges.clear();
}

void CRiloDoc::AfterDbSave() {
  CRiloTree::RefillPage(CRiloTree::EncodePath(m_nNo, m_subNo));
  AfterSave();
  SetPathName(m_path);
}

bool CRiloDoc::SaveToFiles(bool master) {
  if (m_readOnly) return true;
  if (m_childOpen) {
    CRiloData work;
    work.m_cols = m_sheet.m_cols;
    work.m_rows = m_sheet.m_rows;
    for (const std::string& cell : m_sheet.m_texts) work.m_texts.push_back(Layer(cell, 3));
    if (!work.SaveFile(m_childPath)) return false;
    SetPathName(m_path);
  }
  if (!m_childOpen || master) {
    const std::vector<std::string> kept = m_sheet.m_texts;
    for (std::string& cell : m_sheet.m_texts) cell = SetCellLayer(cell, {}, 3);
    const bool written = m_sheet.SaveFile(m_path);
    m_sheet.m_texts = kept;
    if (!written) return false;
    if (!m_childOpen) SetPathName(m_path);
  }
  AfterSave();
  return true;
}

bool CRiloDoc::HasChildFiles() const {
  if (m_storage == SM_RILO_DB) {
    return GetSmDatabase()->QueryInt(
               FormatStr("Select Count(*) From bbInfo6 Where nNo=%d", m_nNo)) > 0;
  }
  return CSmUtil().FindReportDataFile(m_path);
}

bool CRiloDoc::SaveWithStructureChanges() {
  const bool children = HasChildFiles();
  CSmWaitWnd wait;
  wait.Show();
  if (children && CheckOpenReports()) return false;
  if (m_storage == SM_RILO_FILE) {
    if (children) {
      const std::string folder = GetPathFolder(m_path);
      const std::string title = GetPathTitle(m_path);
      const std::string own = SmNativePath(folder + "\\" + title + ".BSJ");
      if (QFileInfo::exists(QString::fromStdString(own))) ApplyToChildFile(own);
      ApplyToChildFolder(folder + "\\" + title);
    }
    return SaveToFiles(true);
  }
  CSmDatabase* db = GetSmDatabase();
  const bool saved = SmRunInTransaction(db, [&] {
    if (children && !ApplyToDbChildren(db)) return false;
    return m_sheet.SaveToDb(m_nNo, m_childOpen ? m_subNo : std::string(), false, db);
  });
  if (!saved) {
    SmMessageBox("报表未能存入数据文件，所做的修改仍在窗口中。", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  AfterDbSave();
  return true;
}

bool CRiloDoc::ApplyToDbChildren(CSmDatabase* db) const {
  CRiloData stored;
  if (!stored.LoadFromDb(m_nNo, {}, true, db)) return false;
  std::vector<std::string> numbers;
  db->QueryStrings(FormatStr("Select Distinct Rtrim(sSubNo) From bbInfo6 Where nNo=%d", m_nNo),
                   &numbers, 1);
  for (const std::string& subNo : numbers) {
    CRiloData child = stored;
    child.m_texts.assign(static_cast<size_t>(child.m_cols) * static_cast<size_t>(child.m_rows),
                         std::string());
    if (!child.ReadChildCells(m_nNo, subNo, true, db)) return false;
    const std::string label =
        FormatStr("(%d)%s\\%s", m_nNo, m_saved.m_reportName.c_str(), subNo.c_str());
    if (!ApplyStructureChanges(label, child)) continue;
    if (!child.WriteChildCells(m_nNo, subNo, true, db)) return false;
  }
  return true;
}

void CRiloDoc::ApplyToChildFile(const std::string& path) const {
  CRiloData child;
  if (!child.LoadFile(path)) {
    ShowStructureError(path, kStructureUnreadable);
    return;
  }
  if (ApplyStructureChanges(path, child)) child.SaveFile(path);
}

void CRiloDoc::ApplyToChildFolder(const std::string& folder) const {
  std::string base = SmNativePath(folder);
  while (base.size() > 1 && (base.ends_with('/') || base.ends_with('\\'))) base.pop_back();
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(fs::path(base), ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(*it);
  std::sort(entries.begin(), entries.end());
  for (const fs::directory_entry& entry : entries) {
    if (!entry.is_directory(ec) && GetPathExt(entry.path().string()) == "BSJ")
      ApplyToChildFile(entry.path().string());
  }
  for (const fs::directory_entry& entry : entries) {
    if (entry.is_directory(ec)) ApplyToChildFolder(entry.path().string());
  }
}

bool CRiloDoc::ApplyStructureChanges(const std::string& label, CRiloData& child) const {
  for (const SmIntRect& change : m_structureChanges) {
    if (const int code = ApplyOneChange(change, child)) {
      ShowStructureError(label, code);
      return false;
    }
  }
  if (child.m_cols != m_sheet.m_cols || child.m_rows != m_sheet.m_rows) {
    ShowStructureError(label, kStructureSizesDiffer);
    return false;
  }
  return true;
}

void CRiloDoc::ShowStructureError(const std::string& label, int code) {
  // By -code - 1; any other code reads as the last.
  static const char* const texts[] = {
      "\n\n无法读出该表的数据！",
      "\n\n行栏增减数目不合理，修改失败！",
      "\n\n行、栏起始坐标不合理，修改失败！",
      "\n\n删除区域过大，修改失败！",
      "\n\n该表和母表的栏、行数目不相等，修改失败！",
  };
  const bool known = code <= kStructureUnreadable && code >= kStructureSizesDiffer;
  SmMessageBox(label + texts[known ? -code - 1 : 4], SM_MB_OK | SM_MB_ICONERROR);
}

bool CRiloDoc::CheckOpenReports() const {
  std::string list;
  for (const auto& owned : GetDocTemplate()->Documents()) {
    const auto* other = dynamic_cast<const CRiloDoc*>(owned.get());
    if (!other || other == this || other->m_storage != m_storage) continue;
    const bool same = m_storage == SM_RILO_FILE ? !m_path.empty() && other->m_path == m_path
                                                : m_nNo != -1 && other->m_nNo == m_nNo;
    if (!same) continue;
    list += "\n    ";
    if (m_storage == SM_RILO_FILE) {
      list += other->m_childOpen ? other->m_childPath : other->m_path;
    } else if (other->m_childOpen) {
      list += FormatStr("(%d)%s/%s", other->m_nNo, other->m_sheet.m_reportName.c_str(),
                        other->m_subNo.c_str());
    } else {
      list += FormatStr("(%d)%s", other->m_nNo, other->m_sheet.m_reportName.c_str());
    }
  }
  if (list.empty()) return false;
  SmMessageBox("    请关闭下列已打开的报表后，\n才可以将当前的报表存盘！\n" + list,
               SM_MB_OK | SM_MB_ICONERROR);
  return true;
}

// ---------------------------------------------------------------- save as text

std::string CRiloDoc::TextFileName() const {
  const std::string& name = m_sheet.m_reportName;
  if (name.empty()) return "××表.TXT";
  if (m_subNo.empty()) return name + ".TXT";
  std::string child = m_subNo;
  std::replace(child.begin(), child.end(), '\\', '-');
  return FormatStr("%s(%s%s).TXT", name.c_str(), child.c_str(), m_sheet.m_tableName.c_str());
}

bool CRiloDoc::WriteTextFile(const std::string& path) const {
  CSmTextFile file;
  std::string error;
  if (!file.Open(path, CSmTextFile::modeCreate | CSmTextFile::modeWrite | CSmTextFile::typeText,
                 false, &error)) {
    SmMessageBox(path + "\n\n无法写入该文件！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  for (int r = 0; r < m_sheet.m_rows; ++r) {
    std::string line;
    for (int c = 0; c < m_sheet.m_cols; ++c) {
      const size_t index = static_cast<size_t>(c + r * m_sheet.m_cols);
      const std::string cell = index < m_sheet.m_texts.size() ? m_sheet.m_texts[index] : "";
      std::string text = StripCodes(Layer(cell, 0));
      if (text.empty()) text = Layer(cell, 3);
      if (c > 0) line += '\t';
      line += text;
    }
    file.WriteString(line + "\n");
  }
  file.Close();
  return true;
}

void CRiloDoc::SaveAsText() {
  const std::string home = QDir::homePath().toStdString();
  const std::string chosen =
      SmGetSaveFileName("保存成文本文档", home + "/" + TextFileName(),
                        SmQtFileFilter("文本文档(*.TXT;*.XLS)|*.TXT;*.XLS||"));
  if (chosen.empty()) return;
  CSmWaitWnd wait;
  wait.Show();
  WriteTextFile(WithExtension(chosen, "TXT"));
}
