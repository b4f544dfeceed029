// The backup archive on the data file: what its header holds, a backup restored row for row,
// and archives that are cut, damaged or of another year leaving the data file as it was.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "admin/SmBackupDlg.h"
#include "admin/SmMDBBak.h"
#include "app/SmApp.h"
#include "core/SmArchive.h"
#include "core/SmDatabase.h"
#include "core/SmQuery.h"
#include "platform/SmMessage.h"
#include "tests/admin/test_admin_fixture.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class BackupApp : public CSmApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
  void ExitProcess(int code) override { exitedWith = code; }
  int exitedWith = -1;
};

// A module whose table the restore makes again before it fills it.
class TicketModule : public CSmDataType {
 public:
  void CreateTables(CSmDatabase* db) override {
    if (!db->TableExists("Ticket"))
      db->ExecuteSQL("Create Table Ticket(N Long,W Double,T Char(20))");
  }
};

class MDBBakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    app.m_moduleInfo.m_ext = "tsd";
    app.m_moduleInfo.m_id = 9;
    app.m_dataTypes = {&tickets};
    path = SmCreateTestDataFile(2016);
    ASSERT_TRUE(app.m_env.OpenFile("", path, "101", true));
    db = app.m_env.GetDatabase();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->ExecuteSQL("Update SysTab Set AN='ID42',NA='某单位'"));
    app.m_env.GetUnitName(true);
    ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(1,12.12345678,'甘蔗''s|1')"));
    ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(-2,123456789012345678901.5,'')"));
    archive = path + ".bak";
  }

  std::vector<std::string> Rows() {
    std::vector<std::string> rows[1];
    db->QueryStrings(
        "Select Cast(N As Char(12))+'/'+Cast(W As Char(40))+'/'+T From Ticket Order By N", rows, 1);
    return rows[0];
  }

  std::string Bytes() {
    QFile file(QString::fromStdString(archive));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
  }
  void WriteBytes(const std::string& bytes) {
    QFile file(QString::fromStdString(archive));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  void TearDown() override { app.m_dataTypes.clear(); }

  TicketModule tickets;
  BackupApp app;
  std::string path;
  std::string archive;
  CSmDatabase* db = nullptr;
};

TEST_F(MDBBakTest, HeaderAndTableListOrder) {
  CSmMDBBak bak(*db);
  bak.m_time = "2016年12月07日10时30分";
  std::vector<std::string> tables;
  EXPECT_GT(bak.GetTableList(tables), 3);
  ASSERT_GE(tables.size(), 2u);
  EXPECT_EQ(tables[0], "SysTab");
  EXPECT_EQ(tables[1], "SysCsTab");
  ASSERT_TRUE(bak.SaveBackup(archive));

  const std::string bytes = Bytes();
  // The marker and the identification code: one length byte, then the text in the code page.
  const std::string first = std::string("\x0E", 1) + CSmMDBBak::kMarker + "/ID42";
  EXPECT_EQ(bytes.substr(0, first.size()), first);
  CSmArchiveReader in(bytes);
  std::string text, file, unit, oper, time;
  int32_t module = 0, year = 0, count = 0;
  ASSERT_TRUE(in.ReadText(text) && in.ReadText(file) && in.ReadInt(module) && in.ReadInt(year) &&
              in.ReadText(unit) && in.ReadText(oper) && in.ReadText(time) && in.ReadInt(count));
  EXPECT_EQ(file, path);
  EXPECT_EQ(module, 9);
  EXPECT_EQ(year, 2016);
  EXPECT_EQ(unit, "某单位");
  EXPECT_EQ(time, "2016年12月07日10时30分");
  EXPECT_EQ(count, static_cast<int32_t>(tables.size()));
  // The unit name is two bytes a character in the file.
  EXPECT_NE(bytes.find(std::string("\x06\xC4\xB3\xB5\xA5\xCE\xBB", 7)), std::string::npos);

  CSmMDBBak reader(*db);
  EXPECT_TRUE(reader.LoadBackup(archive, 0));
  EXPECT_TRUE(reader.LoadBackup(archive, 1));
  EXPECT_EQ(reader.m_unitName, "某单位");
  EXPECT_EQ(reader.m_archiveCode, "ID42");
}

TEST_F(MDBBakTest, RestoreGivesEveryRowBackExactly) {
  const std::vector<std::string> before = Rows();
  ASSERT_EQ(before.size(), 2u);
  ASSERT_TRUE(CSmMDBBak(*db).SaveBackup(archive));
  ASSERT_TRUE(db->ExecuteSQL("Delete From Ticket Where N=1"));
  ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(9,9,'junk')"));
  const long operators = db->QueryInt("Select Count(*) From OPR");
  SmResetMessages();
  ASSERT_TRUE(CSmMDBBak(*db).LoadBackup(archive, 2)) << CSmMessageService::Instance().LastText();
  EXPECT_TRUE(
      CSmMessageService::Instance().Shown().empty());  // equal codes and counts: no question
  // The archive keeps texts in the data file's literal form, where "|" is the full-width bar.
  std::vector<std::string> expected = before;
  expected[1] = "1/12.12345678/甘蔗's｜1";
  EXPECT_EQ(Rows(), expected);
  EXPECT_EQ(db->QueryInt("Select Count(*) From OPR"), operators);
  EXPECT_EQ(db->QueryInt("Select Count(*) From SysCsTab Where CS=9133"), 1);
  // More than six decimals come back as they were.
  EXPECT_EQ(db->QueryInt("Select Count(*) From Ticket Where W=12.12345678"), 1);
}

TEST_F(MDBBakTest, DamagedArchivesChangeNothing) {
  ASSERT_TRUE(CSmMDBBak(*db).SaveBackup(archive));
  const std::string whole = Bytes();
  ASSERT_TRUE(db->ExecuteSQL("Insert Into Ticket(N,W,T) Values(7,7,'after')"));
  const std::vector<std::string> now = Rows();
  for (size_t cut : {size_t{5}, size_t{40}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(cut);
    WriteBytes(whole.substr(0, cut));
    EXPECT_FALSE(CSmMDBBak(*db).LoadBackup(archive, 2));
    EXPECT_EQ(Rows(), now);
  }
  // Another business year: not loaded, without a word.
  ASSERT_TRUE(db->ExecuteSQL("Update SysTab Set PY=2017"));
  app.m_env.GetYear(true);
  WriteBytes(whole);
  SmResetMessages();
  CSmMDBBak other(*db);
  EXPECT_TRUE(other.LoadBackup(archive, 0));
  EXPECT_FALSE(other.LoadBackup(archive, 1));
  EXPECT_FALSE(other.LoadBackup(archive, 2));
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(Rows(), now);
  // Unless the year is not asked for.
  other.m_checkYear = false;
  EXPECT_TRUE(other.LoadBackup(archive, 1));
  EXPECT_EQ(other.m_year, 2016);
  // An empty file fails the marker test.
  WriteBytes("");
  EXPECT_FALSE(other.LoadBackup(archive, 0));
}

// A module table closes the data file's connection while the side file is being filled: the
// data file cannot be switched to any more, and the program ends with a non-zero code.
class ClosingModule : public CSmDataType {
 public:
  void CreateTables(CSmDatabase* db) override {
    if (keep && db != keep) keep->Close();
  }
  CSmDatabase* keep = nullptr;
};

TEST_F(MDBBakTest, RestoreThatLosesTheDataFileEndsTheProgram) {
  const std::string folder = SmTestHome() + "/lost";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  ASSERT_TRUE(CSmMDBBak(*db).SaveBackup(folder + "/x_tsd.bak"));
  CSmBackupDlg dlg(app, CSmBackupDlg::kRestore);
  dlg.show();
  dlg.BrowseTo(folder);
  ClosingModule closing;
  closing.keep = db;
  app.m_dataTypes = {&tickets, &closing};
  SmResetMessages();
  dlg.OnConfirm();
  EXPECT_EQ(app.exitedWith, 1);
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "数据恢复后不能重新打开数据文件“" + path + "”，程序将退出！");
}

}  // namespace

// The same backup and restore on a server database: the side database is filled, then the
// databases are swapped while no other session uses them.
#include "tests/core/test_server_fixture.h"

namespace {

TEST(MDBBakServer, RestoreSwapsInAFilledSideDatabase) {
  BackupApp app;
  TicketModule tickets;
  app.m_dataTypes = {&tickets};
  CSmDatabase db(2);
  const std::string name = SmServerTestName("bak");
  SmFreshServerDatabase(db, name);
  app.AfterOpen(&db);
  ASSERT_TRUE(db.ExecuteSQL("Insert Into Ticket(N,W,T) Values(1,12.12345678,'甘蔗''s|1')"));
  const std::string archive = SmTestHome() + "/" + name + ".bak";
  SmResetMessages();
  ASSERT_TRUE(CSmMDBBak(db).SaveBackup(archive)) << CSmMessageService::Instance().LastText();
  ASSERT_TRUE(db.ExecuteSQL("Delete From Ticket"));
  ASSERT_TRUE(CSmMDBBak(db).LoadBackup(archive, 2)) << CSmMessageService::Instance().LastText();
  ASSERT_TRUE(db.IsOpen());
  std::vector<std::string> rows[1];
  db.QueryStrings("Select T From Ticket Where W=12.12345678", rows, 1);
  EXPECT_EQ(rows[0], std::vector<std::string>{"甘蔗's|1"});
  app.m_dataTypes.clear();
}

}  // namespace

// Table blocks byte for byte, on the data file and on the server: the columns in their groups,
// texts in the literal form cut to the column's width, and the header as the reader expects it.
namespace {

// Writes single table blocks, and lets a second connection change two tables between two
// blocks of a whole archive.
class ExposedBak : public CSmMDBBak {
 public:
  using CSmMDBBak::CSmMDBBak;
  std::string Block(const std::string& table) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool ok = false;
    {
      CSmArchiveWriter out(buffer);
      ok = WriteTable(out, table) && out.Flush();
    }
    return ok ? buffer.data().toStdString() : "failed";
  }
  bool WriteTable(CSmArchiveWriter& out, const std::string& table) override {
    if (MakeUpperCopy(table) == "PAIRB" && between) {
      const std::function<void()> run = std::move(between);
      between = nullptr;
      run();
    }
    return CSmMDBBak::WriteTable(out, table);
  }
  std::function<void()> between;
};

class PairModule : public CSmDataType {
 public:
  void CreateTables(CSmDatabase* db) override {
    for (const char* table : {"PairA", "PairB"}) {
      if (!db->TableExists(table))
        db->ExecuteSQL(std::string("Create Table ") + table + "(K Long)");
    }
  }
};

class ArchiveBytesTest : public AdminFileTest {
 protected:
  void SetUp() override {
    m_app.m_dataTypes = {&m_pairs};
    AdminFileTest::SetUp();
  }
  // Column names as the server's catalogue gives them back.
  std::string Name(std::string name) {
    if (GetParam() != 0) {
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
  }
  PairModule m_pairs;
};

TEST_P(ArchiveBytesTest, TableBlocksByteForByte) {
  ASSERT_TRUE(
      m_db->ExecuteSQL("Create Table Mix(T Char(6),N Long,B LongBinary,W Double,S Char(5))"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Mix(T,N,W,S) Values('a甘蔗甘',-2,0.1,'o''k|')"));
  ASSERT_TRUE(m_db->ExecuteSQL("Create Table Empty(N Long)"));
  ASSERT_TRUE(m_db->ExecuteSQL("Create Table Wide(T Char(255))"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into Wide(T) Values('" + std::string(255, 'x') + "')"));
  ExposedBak bak(*m_db);

  // Integers, then numbers, then texts; the binary column is counted but not kept. The text is
  // cut to six bytes before a character would be split; the quote is doubled; "|" is the
  // full-width bar on the data file only.
  const std::string mix = std::string("\x0C", 1) + "Mix(" + Name("N,W,T,S") + ")" +
                          std::string(
                              "\x05\0\0\0"
                              "\x01\0\0\0"
                              "\x01\0\0\0"
                              "\x02\0\0\0"
                              "\x01\0\0\0",
                              20) +
                          "\xFE\xFF\xFF\xFF"
                          "\x9A\x99\x99\x99\x99\x99\xB9\x3F"
                          "\x05"
                          "a\xB8\xCA\xD5\xE1" +
                          (GetParam() == 0 ? "\x06o''k\xA3\xFC" : "\x05o''k|");
  EXPECT_EQ(bak.Block("Mix"), mix);
  EXPECT_EQ(bak.Block("Empty"), std::string("\x08", 1) + "Empty(" + Name("N") + ")" +
                                    std::string("\x01\0\0\0"
                                                "\x01\0\0\0"
                                                "\0\0\0\0"
                                                "\0\0\0\0"
                                                "\0\0\0\0",
                                                20));
  // 255 bytes take the long prefix.
  EXPECT_EQ(bak.Block("Wide"), std::string("\x07", 1) + "Wide(" + Name("T") + ")" +
                                   std::string("\x01\0\0\0"
                                               "\0\0\0\0"
                                               "\0\0\0\0"
                                               "\x01\0\0\0"
                                               "\x01\0\0\0"
                                               "\xFF\xFF\x00",
                                               23) +
                                   std::string(255, 'x'));
}

TEST_P(ArchiveBytesTest, HeaderByteForByte) {
  ASSERT_TRUE(m_db->ExecuteSQL("Update SysTab Set AN='ID42'"));
  ExposedBak bak(*m_db);
  bak.m_dataFile = "2016.tsa";
  bak.m_moduleId = 9;
  bak.m_unitName = "某单位";
  bak.m_operator = "系统管理员(101)";
  bak.m_time = "2016年12月07日10时30分";
  std::vector<std::string> tables;
  const int count = bak.GetTableList(tables);
  ASSERT_LT(count, 128);
  const std::string archive = SmTestHome() + "/header.bak";
  ASSERT_TRUE(bak.SaveBackup(archive));
  QFile file(QString::fromStdString(archive));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string bytes = file.readAll().toStdString();
  const std::string header = std::string(
                                 "\x0E\x02\x03\x06\x04\x08\x1B\x15\x10\x07/ID42"
                                 "\x08"
                                 "2016.tsa"
                                 "\x09\0\0\0"
                                 "\xE0\x07\0\0"
                                 "\x06\xC4\xB3\xB5\xA5\xCE\xBB"
                                 "\x0F\xCF\xB5\xCD\xB3\xB9\xDC\xC0\xED\xD4\xB1(101)"
                                 "\x16"
                                 "2016\xC4\xEA"
                                 "12\xD4\xC2"
                                 "07\xC8\xD5"
                                 "10\xCA\xB1"
                                 "30\xB7\xD6",
                                 78) +
                             static_cast<char>(count) + std::string(3, '\0');
  EXPECT_EQ(bytes.substr(0, header.size()), header);
}

TEST_P(ArchiveBytesTest, OnlyBinaryOrUnknownColumnsRefuseTheBackup) {
  const std::string archive = SmTestHome() + "/refused.bak";
  ASSERT_TRUE(m_db->ExecuteSQL("Create Table Bin(B LongBinary)"));
  EXPECT_EQ(ExposedBak(*m_db).Block("Bin"), "failed");
  EXPECT_FALSE(CSmMDBBak(*m_db).SaveBackup(archive));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(archive)));  // nothing half written
  ASSERT_TRUE(m_db->ExecuteSQL("Drop Table Bin"));
  ASSERT_TRUE(m_db->ExecuteSQL("Create Table Odd(N Long,D Date)"));
  SmResetMessages();
  EXPECT_FALSE(CSmMDBBak(*m_db).SaveBackup(archive));
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "表“" + Name("Odd") + "”的列“" + Name("D") + "”的类型不能备份！");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(archive)));
}

TEST_P(ArchiveBytesTest, ChangeCommittedBetweenTwoTablesIsInBothOrNeither) {
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairA(K) Values(1)"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairB(K) Values(1)"));
  CSmDatabase other(GetParam());
  ASSERT_TRUE(other.Open(m_db->GetFileName(true), m_db->GetConnInfo()));
  other.SetQueryTimeout(1);
  ExposedBak bak(*m_db);
  bool committed = false;
  bak.between = [&] {
    // On the data file the backup holds the write lock: the change waits, then gives up.
    if (!other.BeginTrans()) return;
    committed = other.ExecuteSQL("Insert Into PairA(K) Values(2)") &&
                other.ExecuteSQL("Insert Into PairB(K) Values(2)") && other.CommitTrans();
    if (!committed) other.Rollback();
  };
  const std::string archive = SmTestHome() + "/pairs.bak";
  ASSERT_TRUE(bak.SaveBackup(archive));
  EXPECT_EQ(committed, GetParam() != 0);
  other.Close();
  SmResetMessages();
  ASSERT_TRUE(CSmMDBBak(*m_db).LoadBackup(archive, 2)) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From PairA"), 1);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From PairB"), 1);
}

TEST_P(ArchiveBytesTest, CutOrMiscountedArchivesChangeNothing) {
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairA(K) Values(1)"));
  const std::string archive = SmTestHome() + "/cut.bak";
  ASSERT_TRUE(CSmMDBBak(*m_db).SaveBackup(archive));
  QFile file(QString::fromStdString(archive));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string whole = file.readAll().toStdString();
  file.close();
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairA(K) Values(2)"));
  // PairB's row count (after its name and four counts) raised to rows the file cannot hold.
  const size_t name = MakeUpperCopy(whole).find("PAIRB(K)");
  ASSERT_NE(name, std::string::npos);
  std::string miscounted = whole;
  miscounted[name + 8 + 16 + 2] = '\x10';
  const std::string cases[] = {whole.substr(0, 30), whole.substr(0, whole.size() / 3),
                               whole.substr(0, whole.size() - 2), miscounted};
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.size());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    SmResetMessages();
    EXPECT_FALSE(CSmMDBBak(*m_db).LoadBackup(archive, 2));
    EXPECT_FALSE(CSmMessageService::Instance().Shown().empty());  // the user is told
    EXPECT_EQ(m_db->QueryInt("Select Count(*) From PairA"), 2);
    EXPECT_TRUE(m_db->IsOpen());
  }
}

// Every row of every table of the data file, each as its values in column-group order,
// sorted within its table.
std::map<std::string, std::vector<std::string>> EveryRow(CSmDatabase& db) {
  std::map<std::string, std::vector<std::string>> all;
  std::vector<std::string> tables;
  CSmMDBBak(db).GetTableList(tables);
  for (const std::string& table : tables) {
    std::vector<std::string> groups[4];
    db.GetTableColumns(table, groups);
    CSmQuery query(static_cast<int>(groups[0].size()), static_cast<int>(groups[1].size()),
                   static_cast<int>(groups[2].size()), &db);
    std::string list;
    for (int group = 0; group < 3; ++group) {
      query.SetFieldNames(group, groups[group]);
      for (const std::string& name : groups[group]) list += (list.empty() ? "" : ",") + name;
    }
    std::vector<std::string>& rows = all[MakeUpperCopy(table)];
    if (!query.Open("Select " + list + " From " + table)) {
      rows.push_back("(not read)");
      continue;
    }
    for (; !query.IsEOF(); query.MoveNext()) {
      std::string row;
      for (size_t i = 0; i < groups[0].size(); ++i)
        row += std::to_string(query.GetInt(static_cast<int>(i))) + "|";
      for (size_t i = 0; i < groups[1].size(); ++i)
        row += FormatStr("%.17g|", query.GetDouble(static_cast<int>(i)));
      for (size_t i = 0; i < groups[2].size(); ++i)
        row += query.GetString(static_cast<int>(i)) + "|";
      rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
  }
  return all;
}

TEST_P(ArchiveBytesTest, WholeDataFileComesBackRowForRow) {
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairA(K) Values(1)"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairA(K) Values(-7)"));
  ASSERT_TRUE(m_db->ExecuteSQL(
      "Insert Into SmFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(257,3,'农户''年报表',1,2)"));
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL) Values(9130,5,'甘蔗款','" +
                               std::string(150, 'x') + "')"));
  const auto before = EveryRow(*m_db);
  ASSERT_EQ(before.at("PAIRB").size(), 0u);
  ASSERT_EQ(before.at("PAIRA").size(), 2u);
  const std::string archive = SmTestHome() + "/whole.bak";
  ASSERT_TRUE(CSmMDBBak(*m_db).SaveBackup(archive));

  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairB(K) Values(5)"));
  ASSERT_TRUE(m_db->ExecuteSQL("Delete From PairA"));
  ASSERT_TRUE(m_db->ExecuteSQL("Delete From SmFormList"));
  ASSERT_TRUE(m_db->ExecuteSQL("Update SysCsTab Set CSVAL='changed'"));
  SmResetMessages();
  ASSERT_TRUE(CSmMDBBak(*m_db).LoadBackup(archive, 2)) << CSmMessageService::Instance().LastText();
  EXPECT_EQ(EveryRow(*m_db), before);
}

// An archive made by hand: the header of this data file and the table blocks given.
struct CraftedBlock {
  std::string head;
  std::vector<int32_t> counts;  // total, integers, numbers, texts, rows
  std::function<void(CSmArchiveWriter&)> rows;
};

std::string CraftArchive(CSmDatabase& db, int32_t tableCount,
                         const std::vector<CraftedBlock>& blocks) {
  CSmMDBBak like(db);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    CSmArchiveWriter out(buffer);
    out.WriteText(CSmMDBBak::kMarker + "/" + like.m_currentCode);
    out.WriteText(like.m_dataFile);
    out.WriteInt(like.m_moduleId);
    out.WriteInt(like.m_year);
    out.WriteText(like.m_unitName);
    out.WriteText(like.m_operator);
    out.WriteText(like.m_time);
    out.WriteInt(tableCount);
    for (const CraftedBlock& block : blocks) {
      out.WriteText(block.head);
      for (int32_t count : block.counts) out.WriteInt(count);
      if (block.rows) block.rows(out);
    }
  }
  return buffer.data().toStdString();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Texts that would end the statement they were pasted into, and names that would carry one:
// the texts are stored as they stand, the names are refused, and no statement of theirs runs.
TEST_P(ArchiveBytesTest, HostileTextsAreStoredAsTheyStandAndRunNothing) {
  const std::vector<std::string> hostile = {
      "x'); Create Table Pwned(K Long); --",
      "'; Update SysTab Set NA='pwned'; Drop Table PairB; --",
      "a''b",
      "1;2;3 \\'\\",
      "甘蔗'); Delete From PairA; Select ('",
  };
  const auto rows = [&](CSmArchiveWriter& out) {
    for (size_t n = 0; n < hostile.size(); ++n) {
      out.WriteInt(77);
      out.WriteInt(static_cast<int32_t>(n));
      out.WriteText(hostile[n]);
      out.WriteText(hostile[n]);
    }
  };
  const std::string archive = SmTestHome() + "/hostile.bak";
  WriteFile(
      archive,
      CraftArchive(*m_db, 2,
                   {{"PairA(K)", {1, 1, 0, 0, 1}, [](CSmArchiveWriter& out) { out.WriteInt(5); }},
                    {"SysCsTab(CS,CSN,CSNA,CSVAL)",
                     {4, 2, 0, 2, static_cast<int32_t>(hostile.size())},
                     rows}}));
  SmResetMessages();
  ASSERT_TRUE(CSmMDBBak(*m_db).LoadBackup(archive, 2)) << CSmMessageService::Instance().LastText();
  std::vector<std::string> stored[2];
  m_db->QueryStrings("Select rtrim(CSNA),rtrim(CSVAL) From SysCsTab Where CS=77 Order By CSN",
                     stored, 2);
  std::vector<std::string> expected = hostile;
  expected[2] = "a'b";  // a doubled quote is the archive's way of writing one
  EXPECT_EQ(stored[0], expected);
  EXPECT_EQ(stored[1], expected);
  EXPECT_FALSE(m_db->TableExists("Pwned"));
  EXPECT_TRUE(m_db->TableExists("PairB"));
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From PairA"), 1);
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From SysTab Where NA='pwned'"), 0);

  // A statement hidden in a table's or a column's name is no name of the data file.
  const auto one = [](CSmArchiveWriter& out) { out.WriteInt(9); };
  const struct {
    const char* head;
    const char* said;
  } names[] = {
      {"PairA(K) Values(9); Create Table Pwned(K Long); --(K)",
       "备份件中数据表“PairA”的列“K) Values(9); Create Table Pwned(K Long); --(K”"},
      {"PairA;Create Table Pwned(K Long)(K)", "备份件中的数据表“PairA;Create Table Pwned”"},
      {"PairA(K,K)", "备份件中数据表“PairA”的列“K”"},
  };
  for (const auto& name : names) {
    SCOPED_TRACE(name.head);
    const bool twoColumns = std::string(name.head) == "PairA(K,K)";
    WriteFile(archive, CraftArchive(*m_db, 1,
                                    {{name.head,
                                      {twoColumns ? 2 : 1, twoColumns ? 2 : 1, 0, 0, 1},
                                      [&](CSmArchiveWriter& out) {
                                        one(out);
                                        if (twoColumns) one(out);
                                      }}}));
    SmResetMessages();
    EXPECT_FALSE(CSmMDBBak(*m_db).LoadBackup(archive, 2));
    EXPECT_EQ(CSmMessageService::Instance().LastText().rfind(name.said, 0), 0u)
        << CSmMessageService::Instance().LastText();
    EXPECT_FALSE(m_db->TableExists("Pwned"));
    EXPECT_EQ(m_db->QueryInt("Select Count(*) From PairA"), 1);
  }
}

// Counts read from an archive are checked before they are used or added: each crafted count is
// refused with a message, and the data file stays as it was.
TEST_P(ArchiveBytesTest, CraftedCountsAreRefused) {
  ASSERT_TRUE(m_db->ExecuteSQL("Insert Into PairA(K) Values(1)"));
  const int32_t most = std::numeric_limits<int32_t>::max();
  const auto block = [](std::vector<int32_t> counts) {
    return CraftedBlock{"PairA(K)", std::move(counts),
                        [](CSmArchiveWriter& out) { out.WriteInt(2); }};
  };
  const struct {
    const char* what;
    int32_t tables;
    std::vector<int32_t> counts;
  } cases[] = {
      {"tables", most, {1, 1, 0, 0, 1}},
      {"negative tables", -1, {1, 1, 0, 0, 1}},
      {"rows", 1, {1, 1, 0, 0, most}},
      {"negative rows", 1, {1, 1, 0, 0, -5}},
      {"columns that overflow a sum", 1, {most, most, most, 2, 1}},
      {"negative columns", 1, {1, 2, -1, 0, 1}},
      {"more listed than there are", 1, {1, 1, 1, 0, 1}},
      {"none listed", 1, {1, 0, 0, 0, 1}},
      {"too many columns", 1, {5000, 5000, 0, 0, 1}},
  };
  const std::string archive = SmTestHome() + "/counts.bak";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(archive, CraftArchive(*m_db, c.tables, {block(c.counts)}));
    SmResetMessages();
    EXPECT_FALSE(CSmMDBBak(*m_db).LoadBackup(archive, 2));
    EXPECT_EQ(CSmMessageService::Instance().LastText(),
              "备份件已损坏或不完整，不能恢复！\n当前数据文件没有任何改动。");
    EXPECT_EQ(m_db->QueryInt("Select Count(*) From PairA"), 1);
  }
  // A text whose length runs past the end of the file.
  std::string bytes = CraftArchive(*m_db, 1, {block({1, 0, 0, 1, 1})});
  bytes.resize(bytes.size() - 4);
  bytes += std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7);
  WriteFile(archive, bytes);
  SmResetMessages();
  EXPECT_FALSE(CSmMDBBak(*m_db).LoadBackup(archive, 2));
  EXPECT_FALSE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(m_db->QueryInt("Select Count(*) From PairA"), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ArchiveBytesTest, testing::Values(0, 2));

}  // namespace
