#include "forms/SmFormStructure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/SmApp.h"
#include "app/SmAppCommands.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "core/SmRegKey.h"
#include "core/SmString.h"
#include "forms/SmDocTemplate.h"
#include "forms/SmFormDataType.h"
#include "forms/SmTemplateList.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace {

const char* const kExportPosition = "TemplExportPos";
const char* const kImportPosition = "TemplImportPos";
const char* const kExportCaption = "卸出文档结构";
const char* const kImportCaption = "载入文档结构";
constexpr unsigned kInformation = SM_MB_OK | SM_MB_ICONINFORMATION;

// The structure file's extension: the data file's followed by "templ".
std::string StructureExt(const CSmApp& app) {
  return app.GetDataFileExt() + "templ";
}

std::string StructureFilter(const std::string& ext) {
  return "文档结构文件 (*." + ext + ")";
}

std::string ReadPosition(CSmApp& app, const char* name) {
  std::string path;
  CSmRegKey().Open(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), name, path);
  return path;
}

void WritePosition(CSmApp& app, const char* name, const std::string& path) {
  CSmRegKey().SetValue(SM_HKEY_CURRENT_USER, app.GetSmRegKey(), name, path);
}

// A name typed without an extension gets the structure file's.
std::string WithExtension(const std::string& path, const std::string& ext) {
  return QFileInfo(QString::fromStdString(path)).suffix().isEmpty() ? path + "." + ext : path;
}

// The temporary data file of one export or import, "FormTemplMDB.<ext>tmp" in a folder of its
// own under the system's temporary folder, with the system's tables and the print tables. It
// goes with its folder when the object does.
class CFormTemplFile {
 public:
  CFormTemplFile() = default;
  CFormTemplFile(const CFormTemplFile&) = delete;
  CFormTemplFile& operator=(const CFormTemplFile&) = delete;
  ~CFormTemplFile() {
    m_db.Close();
    if (m_path.empty()) return;
    QFile file(QString::fromStdString(m_path));
    if (file.exists() && !file.remove())
      SmMessageBox("删除临时数据库“" + m_path + "”失败！", SM_MB_OK | SM_MB_ICONERROR);
  }

  // Says so when the file cannot be made.
  bool Create(CSmApp& app) {
    const std::string path =
        m_folder.path().toStdString() + "/FormTemplMDB." + app.GetDataFileExt() + "tmp";
    if (!m_folder.isValid() || !m_db.CreateDatabase(CSmConnInfo(), path)) {
      SmMessageBox("建立临时数据库“" + path + "”失败！", SM_MB_OK | SM_MB_ICONERROR);
      return false;
    }
    m_path = path;
    app.CreateSystemTables(&m_db);
    CSmPrintInfo::CreateSmFontTable(&m_db);
    CSmPrintInfo::CreateSmPageSetTable(&m_db);
    if (m_db.Reopen() && m_db.TableExists("SmFormList")) return true;
    SmMessageBox("建立临时数据库“" + path + "”失败！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }

  CSmDatabase& Db() { return m_db; }

 private:
  QTemporaryDir m_folder;
  std::string m_path;
  CSmDatabase m_db{0};
};

// The archive of the administration, or null after saying that it is missing.
const SmArchiveHook* ArchiveFor(CSmApp* app, const char* caption) {
  if (!app || !app->GetDatabase()) return nullptr;
  const SmArchiveHook& hook = app->ArchiveHook();
  if (hook.save && hook.restore) return &hook;
  SmFunctionNotBuilt(caption);
  return nullptr;
}

// A box over the busy indicator, which shows again afterwards.
int Ask(CSmWaitWnd& wait, const std::string& text, unsigned flags) {
  wait.Hide();
  const int answer = SmMessageBox(text, flags);
  wait.Show();
  return answer;
}

// Reads one kind of the structure file into the data file. A kind the module lists, or one the
// data file stores, is replaced, made a new kind of its template or skipped, as the user says.
void ImportKind(CFormDataType& type, CSmDatabase& source, CSmDatabase* db, CSmWaitWnd& wait,
                int templateNumber, int kindNumber) {
  CSmStoredForm form;
  if (!SmLoadStoredForm(&source, templateNumber, kindNumber, form)) return;
  CSmDocTemplate* docTemplate = type.FindTemplate(templateNumber);
  if (!docTemplate) {
    Ask(wait, FormatStr("系统不能接受该种文档模扳：%d-%d！", templateNumber, kindNumber),
        kInformation);
    return;
  }
  CSmDocKind kind;
  const bool listed = type.FindKind(templateNumber, kindNumber, kind) != nullptr;
  CSmFormDef stored;
  stored.Attach(db, templateNumber, kindNumber);
  const bool isStored = stored.LoadList();
  int number = kindNumber;
  if (listed || isStored) {
    const std::string name = listed ? kind.sName : stored.sFna;
    const int answer =
        Ask(wait, name + "\n\n　　已存在，覆盖吗？", SM_MB_YESNOCANCEL | SM_MB_ICONQUESTION);
    if (answer == SM_IDCANCEL) return;
    if (answer == SM_IDNO) {
      if (!docTemplate->m_userForms) {
        Ask(wait, name + "\n\n　　系统不能产生该种文档模扳的复件！", kInformation);
        return;
      }
      if (docTemplate->m_kinds.empty()) {
        Ask(wait, name + "\n\n　　文档模扳异常！", kInformation);
        return;
      }
      number = SmNextFreeKindNumber(db, templateNumber, docTemplate->m_kinds.back().nNumber);
      form.def.nOpen = 1;
    }
  }
  if (!SmStoreForm(db, templateNumber, number, form)) return;
  // The copy is a kind of its template from now on.
  if (number != kindNumber) type.RefreshPage();
}

std::vector<std::pair<int, int>> StoredKinds(CSmDatabase& db) {
  std::vector<std::pair<int, int>> kinds;
  CSmQuery query(2, 0, 0, &db);
  if (!query.Open("SELECT nFlag,nForm FROM SmFormList Order by nFlag,nForm")) return kinds;
  for (; !query.IsEOF(); query.MoveNext())
    kinds.emplace_back(static_cast<int>(query.GetInt(0)), static_cast<int>(query.GetInt(1)));
  return kinds;
}

}  // namespace

bool SmLoadStoredForm(CSmDatabase* db, int templateNumber, int kindNumber, CSmStoredForm& form) {
  form.def.Attach(db, templateNumber, kindNumber);
  if (!form.def.LoadList()) return false;
  form.def.LoadCols();
  form.def.LoadTopWords();
  form.def.LoadHeadNotes();
  form.print.Load(db, templateNumber, std::to_string(kindNumber));
  return true;
}

bool SmStoreForm(CSmDatabase* db, int templateNumber, int kindNumber, CSmStoredForm& form) {
  form.def.Attach(db, templateNumber, kindNumber);
  return SmRunInTransaction(db, [&] {
    return form.def.Replace() && form.print.Save(db, templateNumber, std::to_string(kindNumber));
  });
}

std::string SmStructureFileProposal(CSmApp& app, bool exporting) {
  const std::string last = ReadPosition(app, exporting ? kExportPosition : kImportPosition);
  if (!exporting && !last.empty()) return last;
  const std::string folder =
      exporting && !last.empty()
          ? QFileInfo(QString::fromStdString(last)).absolutePath().toStdString()
          : QDir::homePath().toStdString();
  return folder + "/" + app.m_env.GetUnitName() + "文档结构." + StructureExt(app);
}

void SmExportFormStructure(const std::vector<std::pair<int, int>>& kinds) {
  CSmApp* app = SmGetApp();
  const SmArchiveHook* archive = ArchiveFor(app, kExportCaption);
  if (!archive) return;
  const std::string ext = StructureExt(*app);
  std::string path =
      SmGetSaveFileName(kExportCaption, SmStructureFileProposal(*app, true), StructureFilter(ext));
  if (path.empty()) return;
  path = WithExtension(path, ext);

  CSmWaitWnd wait;
  CFormTemplFile temp;
  if (!temp.Create(*app)) return;
  CSmDatabase* db = app->GetDatabase();
  int written = 0;
  for (const auto& [templateNumber, kindNumber] : kinds) {
    CSmStoredForm form;
    if (!SmLoadStoredForm(db, templateNumber, kindNumber, form)) continue;
    if (SmStoreForm(&temp.Db(), templateNumber, kindNumber, form)) ++written;
  }
  WritePosition(*app, kExportPosition, path);
  if (written == 0) {
    wait.Hide();
    SmMessageBox("没有卸出文档结构！", kInformation);
    return;
  }
  if (!archive->save(temp.Db(), path)) return;
  wait.Hide();
  SmMessageBox("已成功地将文档结构卸出到文件：" + path + "！", kInformation);
}

void SmImportFormStructure(CFormDataType& type) {
  CSmApp* app = SmGetApp();
  const SmArchiveHook* archive = ArchiveFor(app, kImportCaption);
  if (!archive) return;
  const std::string path = SmGetOpenFileName(kImportCaption, SmStructureFileProposal(*app, false),
                                             StructureFilter(StructureExt(*app)));
  if (path.empty()) return;

  CSmWaitWnd wait;
  CFormTemplFile temp;
  if (!temp.Create(*app)) return;
  WritePosition(*app, kImportPosition, path);
  // A file that does not restore leaves the temporary file without kinds: the archive has
  // said why, and nothing is read.
  archive->restore(temp.Db(), path, true);
  const std::vector<std::pair<int, int>> kinds = StoredKinds(temp.Db());
  if (kinds.empty()) {
    wait.Hide();
    SmMessageBox("没有可载入的文档结构！", SM_MB_OK | SM_MB_ICONERROR);
    return;
  }
  CSmDatabase* db = app->GetDatabase();
  for (const auto& [templateNumber, kindNumber] : kinds)
    ImportKind(type, temp.Db(), db, wait, templateNumber, kindNumber);
  type.RefreshPage();
  wait.Hide();
  SmMessageBox("已成功地从文件：" + path + "中载入文档结构！", kInformation);
}
