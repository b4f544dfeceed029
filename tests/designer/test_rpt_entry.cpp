// The report catalogue: renaming and renumbering entries with everything stored under them,
// deleting, copying reports and child structures, and a child table read from another data
// file; on the data file and on the server.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/SmFileLock.h"
#include "designer/RiloData.h"
#include "designer/RiloRptEntry.h"
#include "tests/designer/report_db_fixture.h"

namespace {

using Rows = std::vector<std::string>;

// Report 1 with child tables 3, 3\1, 3\1\4, 31 and 5 (one cell each) and a variable; report 2
// without children.
class CatalogueTest : public ReportDbTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReportDbTest::SetUp());
    for (
        const char* row :
        {"Insert into bbInfo(nNo,sNa,sCopyRight,nRowNum,nColNum) Values(1,'甲表','Rilo-> 1.0',2,2)",
         "Insert into bbInfo(nNo,sNa,sCopyRight,nRowNum,nColNum) Values(2,'乙表','Rilo-> 1.0',1,1)",
         "Insert into bbInfo1(nNo,rectBound,rectStatic,sizePaper,bIsRowFirst,nScrFact,nLpFact) "
         "Values(1,'1 2 3 4','1 2 1 1','2100 2970',0,100,100)",
         "Insert into bbInfo2(nNo,sFlg,sValue) Values(1,'1','1')",
         "Insert into bbInfo3(nNo,sFlg,nxy,nValue) Values(1,'1',1,70)",
         "Insert into bbInfo4(nNo,sFlg,nx,ny,sValue) Values(1,'2',1,1,'255')",
         "Insert into bbInfo5(nNo,sFlg,nx,ny,sValue) Values(1,'0',1,1,'单位')",
         "Insert into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(1,'','甲表','J1')",
         "Insert into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(2,'','乙表','')",
         "Insert into SMVAR(nSoft,nNo,SVAR,SEXP,SNOTE,NTYPE) Values(3,1,'#a','1','',4)"})
      ASSERT_TRUE(Run(row));
    for (const char* subNo : {"3", "3\\1", "3\\1\\4", "31", "5"}) {
      ASSERT_TRUE(
          Run(FormatStr("Insert into bbInfo6(nNo,sSubNo,nx,ny,sValue) Values(1,'%s',1,1,"
                        "'v%s')",
                        subNo, subNo)));
      ASSERT_TRUE(Run(FormatStr(
          "Insert into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(1,'%s','表%s','')", subNo, subNo)));
    }
  }

  // In byte order, whatever the server's collation.
  Rows Subs(const char* table, int nNo = 1, CSmDatabase* db = nullptr) {
    Rows subs = Strings(FormatStr("Select rtrim(sSubNo) From %s Where nNo=%d", table, nNo), db);
    std::sort(subs.begin(), subs.end());
    return subs;
  }
  // Everything of the report catalogue and the child cells, to see that nothing changed.
  Rows Snapshot() {
    Rows all = Strings("Select rtrim(sNa) From bbInfo Order By nNo");
    for (const char* table : {"bbInfo6", "bbInfo7"}) {
      for (int nNo : {1, 2}) {
        const Rows subs = Subs(table, nNo);
        all.insert(all.end(), subs.begin(), subs.end());
      }
    }
    const Rows names = Strings("Select rtrim(sNa) From bbInfo7 Order By nNo,sSubNo");
    all.insert(all.end(), names.begin(), names.end());
    return all;
  }
  CRiloRptEntry Stored(int nNo, const std::string& subNo) {
    CRiloRptEntry entry;
    EXPECT_TRUE(entry.Load(nNo, subNo, m_db));
    return entry;
  }
};

INSTANTIATE_TEST_SUITE_P(Kinds, CatalogueTest, testing::Values(0, 2));

TEST_P(CatalogueTest, LoadListAndChildCells) {
  CRiloRptEntry entry;
  EXPECT_FALSE(entry.Load(1, "9", m_db));
  EXPECT_EQ(entry, CRiloRptEntry());
  EXPECT_EQ(Stored(1, ""), CRiloRptEntry(1, "", "甲表", "J1"));
  std::vector<CRiloRptEntry> list;
  EXPECT_EQ(CRiloRptEntry::List("Where sSubNo='' Order by nNo", list, m_db), 2);
  EXPECT_EQ(list[1], CRiloRptEntry(2, "", "乙表", ""));
  EXPECT_TRUE(CRiloRptEntry::HasChildCells(1, m_db));
  EXPECT_FALSE(CRiloRptEntry::HasChildCells(2, m_db));
}

TEST_P(CatalogueTest, ChildRenamedInPlace) {
  const Rows before = Subs("bbInfo6");
  EXPECT_EQ(CRiloRptEntry(1, "3", "一月", "R'3").Update(Stored(1, "3"), m_db), 1);
  EXPECT_EQ(Stored(1, "3"), CRiloRptEntry(1, "3", "一月", "R'3"));
  EXPECT_EQ(Stored(1, "3\\1").m_name, "表3\\1");
  EXPECT_EQ(Subs("bbInfo6"), before);
  EXPECT_TRUE(ShownTexts().empty());
}

TEST_P(CatalogueTest, ChildRenumberingRefusals) {
  const Rows before = Snapshot();
  const struct {
    std::string subNo;
    const char* message;
  } cases[] = {
      {"5", "该子表已存在！"},
      {"1234567890123", "修改成目标表号后表号超长！"},  // 3\1\4 would become 17 characters
      {"3\\2", "子表不能移到它自己的下级！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subNo);
    SmResetMessages();
    EXPECT_EQ(CRiloRptEntry(1, c.subNo, "表3", "").Update(Stored(1, "3"), m_db), 0);
    EXPECT_EQ(ShownTexts(), Rows{c.message});
    EXPECT_EQ(Snapshot(), before);
  }
}

TEST_P(CatalogueTest, ChildRenumberedWithItsSubtree) {
  EXPECT_EQ(CRiloRptEntry(1, "12", "表3", "").Update(Stored(1, "3"), m_db), 1);
  EXPECT_EQ(Subs("bbInfo7"), (Rows{"", "12", "12\\1", "12\\1\\4", "31", "5"}));
  EXPECT_EQ(Subs("bbInfo6"), (Rows{"12", "12\\1", "12\\1\\4", "31", "5"}));
  EXPECT_EQ(Strings("Select rtrim(sValue) From bbInfo6 Where nNo=1 And sSubNo='12\\1\\4'"),
            Rows{"v3\\1\\4"});
  // Exactly 15 characters is still allowed.
  EXPECT_EQ(CRiloRptEntry(1, "12345678902", "表3", "").Update(Stored(1, "12"), m_db), 1);
  EXPECT_EQ(Subs("bbInfo7").back(), "5");
  EXPECT_EQ(Subs("bbInfo7")[3], "12345678902\\1\\4");
}

TEST_P(CatalogueTest, FailedSubtreeMoveChangesNothing) {
  ASSERT_TRUE(Run("Drop Table bbInfo6"));
  const Rows before = Subs("bbInfo7");
  SmResetMessages();
  EXPECT_EQ(CRiloRptEntry(1, "12", "表3", "").Update(Stored(1, "3"), m_db), 0);
  ASSERT_EQ(ShownTexts().size(), 1u);
  EXPECT_TRUE(IsSqlError(ShownTexts()[0]));
  EXPECT_EQ(Subs("bbInfo7"), before);
}

TEST_P(CatalogueTest, MasterRenumbering) {
  const Rows before = Snapshot();
  EXPECT_EQ(CRiloRptEntry(2, "", "甲表", "J1").Update(Stored(1, ""), m_db), 0);
  EXPECT_EQ(ShownTexts(), Rows{"该报表已存在！"});
  EXPECT_EQ(Snapshot(), before);

  EXPECT_EQ(CRiloRptEntry(9, "", "丙表", "C9").Update(Stored(1, ""), m_db), 1);
  for (const char* table :
       {"bbInfo", "bbInfo1", "bbInfo2", "bbInfo3", "bbInfo4", "bbInfo5", "bbInfo6", "bbInfo7"}) {
    EXPECT_EQ(Count(FormatStr("Count(*) From %s Where nNo=1", table)), 0) << table;
    EXPECT_GT(Count(FormatStr("Count(*) From %s Where nNo=9", table)), 0) << table;
  }
  EXPECT_EQ(Count("Count(*) From SMVAR Where nSoft=3 And nNo=9"), 1);
  EXPECT_EQ(Stored(9, ""), CRiloRptEntry(9, "", "丙表", "C9"));
  EXPECT_EQ(Strings("Select rtrim(sNa) From bbInfo Where nNo=9"), Rows{"丙表"});
  // A child cannot leave its report, nor become a master.
  EXPECT_EQ(CRiloRptEntry(2, "3", "表3", "").Update(Stored(9, "3"), m_db), 0);
  EXPECT_EQ(CRiloRptEntry(9, "", "表3", "").Update(Stored(9, "3"), m_db), 0);
}

TEST_P(CatalogueTest, DeleteChildSubtreeOrWholeReport) {
  ASSERT_TRUE(CRiloRptEntry::Delete(1, "3", m_db));
  EXPECT_EQ(Subs("bbInfo7"), (Rows{"", "31", "5"}));
  EXPECT_EQ(Subs("bbInfo6"), (Rows{"31", "5"}));
  EXPECT_EQ(Count("Count(*) From SMVAR Where nNo=1"), 1);

  ASSERT_TRUE(CRiloRptEntry::Delete(1, "", m_db));
  for (const char* table :
       {"bbInfo", "bbInfo1", "bbInfo2", "bbInfo3", "bbInfo4", "bbInfo5", "bbInfo6", "bbInfo7"})
    EXPECT_EQ(Count(FormatStr("Count(*) From %s Where nNo=1", table)), 0) << table;
  EXPECT_EQ(Count("Count(*) From SMVAR Where nSoft=3 And nNo=1"), 0);
  EXPECT_EQ(Stored(2, "").m_name, "乙表");
}

TEST_P(CatalogueTest, CopyReportWithinAndAcrossDataFiles) {
  int newNo = 0;
  ASSERT_TRUE(CRiloRptEntry::CopyReport(1, newNo, m_db, m_db));
  EXPECT_EQ(newNo, 3);
  EXPECT_EQ(Stored(3, "").m_name, "复件_甲表");
  EXPECT_EQ(Subs("bbInfo7", 3), Subs("bbInfo7", 1));
  EXPECT_EQ(Subs("bbInfo6", 3), Subs("bbInfo6", 1));
  EXPECT_EQ(Stored(3, "3\\1").m_name, "表3\\1");
  ASSERT_TRUE(CRiloRptEntry::CopyReport(3, newNo, m_db, m_db));
  EXPECT_EQ(newNo, 4);
  EXPECT_EQ(Stored(4, "").m_name, "复件_甲表");
  EXPECT_FALSE(CRiloRptEntry::CopyReport(77, newNo, m_db, m_db));

  CSmDatabase other(GetParam());
  ASSERT_NO_FATAL_FAILURE(OpenFresh(other, "rpt_other", 2027));
  ASSERT_TRUE(CRiloRptEntry::CopyReport(1, newNo, &other, m_db));
  EXPECT_EQ(newNo, 1);
  CRiloRptEntry copied;
  ASSERT_TRUE(copied.Load(1, "", &other));
  EXPECT_EQ(copied, CRiloRptEntry(1, "", "甲表", "J1"));
  EXPECT_EQ(Subs("bbInfo6", 1, &other), Subs("bbInfo6", 1));
  CRiloData sheet;
  ASSERT_TRUE(sheet.LoadFromDb(1, "3", false, &other));
  EXPECT_EQ(sheet.m_texts[0], "单位\x01\x01\x01v3");
  EXPECT_TRUE(ShownTexts().empty());
}

TEST_P(CatalogueTest, CopyChildStructure) {
  ASSERT_TRUE(Run("Insert into bbInfo7(nNo,sSubNo,sNa,srptNo) Values(20,'5\\1','旧','')"));
  const struct {
    std::string source;
    int target;
    std::string targetSubNo;
    Rows expected;
  } cases[] = {
      {"3", 20, "5", {"5\\1", "5\\1\\4"}},
      {"3", 21, "", {"1", "1\\4"}},
      {"", 22, "5", {"5\\3", "5\\3\\1", "5\\3\\1\\4", "5\\31", "5\\5"}},
      {"",
       23,
       "1234567890",
       {"1234567890\\3", "1234567890\\31", "1234567890\\3\\1", "1234567890\\5"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(CRiloRptEntry::CopyChildStructure(1, c.source, c.target, c.targetSubNo, m_db, m_db),
              1);
    Rows expected = c.expected;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Subs("bbInfo7", c.target), expected);
  }
  EXPECT_EQ(Stored(20, "5\\1").m_name, "表3\\1");  // the existing entry takes the copied name
  EXPECT_EQ(Stored(22, "5\\3\\1\\4").m_name, "表3\\1\\4");
  EXPECT_EQ(Count("Count(*) From bbInfo6 Where nNo>=20"), 0);  // entries only
}

TEST_P(CatalogueTest, ChildTableOfAnotherDataFile) {
  std::string reference;
  {
    CSmDatabase other(GetParam());
    ASSERT_NO_FATAL_FAILURE(OpenFresh(other, "rpt_ref", 2025));
    int newNo = 0;
    ASSERT_TRUE(CRiloRptEntry::CopyReport(1, newNo, &other, m_db));
    ASSERT_TRUE(other.ExecuteSQL("Update bbInfo6 Set sValue='上年' Where sSubNo='3\\1'"));
    reference = other.GetFileName() + "\\1\\3\\1";
  }
  CRiloData sheet;
  ASSERT_TRUE(sheet.LoadRefFromDb(reference, m_db));
  EXPECT_EQ(sheet.m_texts, (Rows{"上年", "", "", ""}));
  EXPECT_EQ(sheet.m_reportName, "甲表");
  const std::string file = reference.substr(0, reference.size() - 6);
  if (GetParam() == 0) {
    // Nobody holds the data file any more, and its lock file has gone with the last session.
    EXPECT_FALSE(std::filesystem::exists(SmDataFileLockPath(file)));
    CSmFileLock probe;
    EXPECT_TRUE(probe.Lock(SmDataFileLockPath(file), true));
  } else {
    // The server ends a closed session's process a moment after the client has gone.
    CSmDatabase master(GetParam());
    ASSERT_TRUE(master.Open("master", SmPgLogin(GetParam())));
    const std::string sessions = "Count(*) From pg_stat_activity Where datname='" + file + "'";
    for (int i = 0; i < 50 && master.QueryCountInt(sessions) > 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(master.QueryCountInt(sessions), 0);
  }
  const std::string missing = GetParam() == 0 ? SmTestHome() + "/nosuch.tsd" : "nosuchdb";
  // A formula naming a data file that is not there makes no lock file for it, however often.
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(sheet.LoadRefFromDb(missing + "\\1\\3", m_db));
  EXPECT_FALSE(std::filesystem::exists(SmDataFileLockPath(missing)));
}

}  // namespace
