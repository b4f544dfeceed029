#include "app/SmBookStore.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include "app/SmEnvironment.h"
#include "app/SmOperator.h"
#include "core/SmDatabase.h"
#include "core/SmOdbcBackend.h"
#include "platform/SmMessage.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kServerKind = 1;  // data sources are reached through ODBC

bool IsYearTitle(const QString& title) {
  if (title.size() != 4) return false;
  for (QChar c : title) {
    if (!c.isDigit()) return false;
  }
  return true;
}

// "host,port" of a setup (the host alone without a port).
std::string ServerOf(const SmDataSourceSetup& setup) {
  return setup.port.empty() ? setup.host : setup.host + "," + setup.port;
}

}  // namespace

std::vector<SmFolderBook> CSmBookStore::ListFolderBooks(const std::string& root,
                                                        const std::string& ext) {
  std::vector<SmFolderBook> books;
  const QDir rootDir(QString::fromStdString(root));
  for (const QFileInfo& set :
       rootDir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    SmFolderBook book{set.fileName().toStdString(), set.filePath().toStdString(), {}};
    for (const QFileInfo& file : QDir(set.filePath()).entryInfoList(QDir::Files, QDir::Name)) {
      if (file.suffix().compare(QString::fromStdString(ext), Qt::CaseInsensitive) != 0) continue;
      if (IsYearTitle(file.completeBaseName())) book.files.push_back(file.filePath().toStdString());
    }
    books.push_back(std::move(book));
  }
  return books;
}

std::vector<SmServerSource> CSmBookStore::ListServerSources(const std::string& ext) {
  std::vector<std::string> names;
  ListOdbcDataSourcesOfDriver(names, SmOdbcDriverName());
  std::vector<SmServerSource> sources;
  for (const std::string& name : names) {
    SmServerSource source{name, {}};
    SmListServerAccountSets(kServerKind, DataSourceLogin(name), ext, source.sets);
    sources.push_back(std::move(source));
  }
  return sources;
}

CSmConnInfo CSmBookStore::DataSourceLogin(const std::string& source) {
  CSmConnInfo login(kServerKind);
  login.server = source;
  CSmEnvironment().ReadDbLogin(login);
  return login;
}

CSmBookStore::Refused CSmBookStore::DeleteYearFile(const CSmEnvironment& env,
                                                   const std::string& source,
                                                   const std::string& file, const std::string& opno,
                                                   const std::string& typed) {
  if (opno.empty()) {
    SmMessageBox("未选择操作员！", SM_MB_OK | SM_MB_ICONERROR);
    return Refused::Operator;
  }
  if (opno != kAdministrator) {
    SmMessageBox(std::string("请选择系统管理操作员“") + kAdministrator + "”，并输入其口令！",
                 SM_MB_OK | SM_MB_ICONERROR);
    return Refused::Operator;
  }
  CSmOperator admin;
  {
    CSmEnvironment copy(env);
    if (!copy.OpenFile(source, file, kAdministrator, true)) return Refused::File;
    const bool found = admin.LoadByCode(kAdministrator, copy.GetDatabase());
    copy.Close();
    if (!found) {
      SmMessageBox("该年度文件中无操作员列表！", SM_MB_OK | SM_MB_ICONERROR);
      return Refused::File;
    }
  }
  if (!admin.CheckPassword(typed, nullptr)) {
    SmMessageBox("系统操作员口令有误，请重输！", SM_MB_OK | SM_MB_ICONERROR);
    return Refused::Password;
  }
  if (SmMessageBox("真的要删除下列数据文件吗？\n\t" + file, SM_MB_YESNO | SM_MB_ICONQUESTION) !=
      SM_IDYES)
    return Refused::Declined;
  const int kind = env.GetDatabaseKind();
  bool dropped = false;
  {
    CSmWaitWnd wait;
    CSmDatabase dropper(kind);
    // A file that any session has open, this one's included, stays.
    dropped = dropper.DropDatabase(kind == 0 ? CSmConnInfo(0) : DataSourceLogin(source), file);
  }
  if (!dropped) {
    SmMessageBox("删除数据文件失败，可能是别人正在使用该数据文件！", SM_MB_OK | SM_MB_ICONERROR);
    return Refused::File;
  }
  SmMessageBox("下列数据文件已被删除！\n\t" + file, SM_MB_OK | SM_MB_ICONINFORMATION);
  return Refused::No;
}

bool CSmBookStore::DeleteDataSource(const std::string& name) {
  if (SmMessageBox("真的要删除“" + name + "”这个数据库连接吗？",
                   SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES)
    return false;
  if (!SmConfigDataSource(SM_DSN_REMOVE, SmOdbcDriverName(), {"DSN=" + name})) {
    SmMessageBox("删除数据库连接失败，可能此连接正在被使用！", SM_MB_OK | SM_MB_ICONERROR);
    return false;
  }
  SmMessageBox("已成功删除数据库连接！", SM_MB_OK | SM_MB_ICONINFORMATION);
  return true;
}

SmDataSourceSetup CSmBookStore::ReadSetup(const std::string& source) {
  const CSmConnInfo login = DataSourceLogin(source);
  SmDataSourceSetup setup{"localhost", {}, login.user, login.password};
  if (login.host.empty()) return setup;
  const size_t comma = login.host.find(',');
  setup.host = login.host.substr(0, comma);
  if (comma != std::string::npos) setup.port = login.host.substr(comma + 1);
  return setup;
}

bool CSmBookStore::TryServer(const SmDataSourceSetup& setup, std::string* reason) {
  // Reached by the driver and server directly: the data source may not exist yet.
  CSmConnInfo login(2);
  login.server = ServerOf(setup);
  login.user = setup.user;
  login.password = setup.password;
  CSmDatabase master(2);
  if (master.Open("master", login)) return true;
  if (reason) *reason = master.LastError();
  return false;
}

bool CSmBookStore::SaveDataSource(const std::string& name, const SmDataSourceSetup& setup,
                                  bool create) {
  const std::string server = ServerOf(setup);
  std::vector<std::string> attributes = {"DSN=" + name, "Server=" + server, "DataBase=master"};
  if (create) attributes.insert(attributes.begin() + 1, "Description=SQL Server 数据源");
  if (!SmConfigDataSource(create ? SM_DSN_ADD : SM_DSN_CONFIG, SmOdbcDriverName(), attributes))
    return false;
  CSmConnInfo login(kServerKind);
  login.server = name;
  login.user = setup.user;
  login.password = setup.password;
  login.host = server;
  return CSmEnvironment().WriteDbLogin(login);
}

std::string CSmBookStore::NewDataSourceName() {
  std::vector<std::string> names;
  ListOdbcDataSourcesOfDriver(names, SmOdbcDriverName());
  return SmNewDataSourceName(names);
}
