// The advance document: filling a new voucher with households, balances and proposals, saving
// every kind under its numbers, reopening it, rights and read-only vouchers, and the options
// remembered between documents.
#include <QObject>
#include <functional>
#include <set>
#include <utility>

#include "app/SmWorkstation.h"
#include "cane/TsDriverRec.h"
#include "cane/TsParams.h"
#include "forms/SmForthView.h"
#include "platform/SmCommandIds.h"
#include "tests/common/SmModalScript.h"
#include "tests/weighing/TsYfDocTest.h"
#include "weighing/TsYfDoc.h"
#include "weighing/TsjsRec.h"

namespace {

// A station whose number was taken just before another station saved the same one.
class CLateStationDoc : public CTsYfDoc {
 public:
  std::function<void()> meanwhile;

 protected:
  std::string NextNumber() override {
    std::string number = CTsYfDoc::NextNumber();
    if (meanwhile) std::exchange(meanwhile, nullptr)();
    return number;
  }
};

TEST(TsYfDocProposal, AdvanceFollowsRatesBalanceLimitsAndWholeYuan) {
  const struct {
    double rate1, rate2, output, balance;
    const char *lower, *upper;
    bool whole;
    double expected;
  } cases[] = {
      {100, 150, 20, 0, "", "", false, 2000},
      {100, 150, 20, 2500, "", "", false, 500},  // cut to the cap less the balance
      {100, 150, 20, 2500, "600", "", false, 0},
      {100, 150, 20, 2500, "", "400", false, 400},
      {100, 150, 20, 2999.25, "", "", false, 0.75},
      {100, 150, 20, 2999.25, "", "", true, 0},
      {100.0375, 0, 20, 0, "", "", false, 0},  // a cap of nothing stops every advance
      {10.0375, 20, 50, 0, "", "", true, 501},
      {10.0375, 20, 50, 0, "", "", false, 501.88},
      {100, 150, 20, 3500, "", "", false, 0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(
        CTsYfDoc::ProposeAdvance(c.rate1, c.rate2, c.output, c.balance, c.lower, c.upper, c.whole),
        c.expected)
        << c.rate1 << " " << c.balance << " " << c.lower << c.upper << c.whole;
  }
}

TEST_F(TsYfDocTest, NewVouchersListLastLevelHouseholdsWithBalancesAndProposals) {
  // 10101001: output 20 t, balance 2500; 10101002: output 5 t, area 2.5 mu; 10102001 none.
  Store(0, 6, "0001", "10101001", "20160110", -1, 0, 0, 20);
  Store(0, 2, "", "10101001", "20151101", 0, -2000);
  Store(0, 2, "0001", "10101001", "20160115", 0, -500);
  Store(0, 6, "0001", "10101002", "20160110", -1, 0, 0, 5);
  Store(0, 5, "0001", "10101002", "20160110", -1, 0, 2.5, 0);

  auto advance = NewDoc(0);
  advance->m_region = "101";
  advance->m_rate1 = 100;
  advance->m_rate2 = 150;
  advance->m_whole = false;
  Make(*advance, 0, 2);
  // Two households a line for advances, regions left out.
  EXPECT_EQ(Lines(*advance, true), "10101001=500/2500 10101002=500/;10101003=/ 10102001=/;");
  EXPECT_EQ(advance->m_rows[0][advance->m_shownCount + 1], "李四");
  EXPECT_EQ(advance->m_notes[0], "区域：东区/一村");
  EXPECT_EQ(advance->m_notes[1], "2016年 04月 01日");
  EXPECT_EQ(advance->m_notes[2], "款项：化肥款");
  EXPECT_EQ(advance->m_notes[4], "制单：王会计");
  EXPECT_EQ(advance->m_kind.nNumber, 2);

  // Output estimates from the area at the quantity precision, three households a line.
  auto output = NewDoc(0);
  output->m_region = "10101";
  output->m_rate1 = 1.25;
  Make(*output, 0, 6);
  EXPECT_EQ(Lines(*output), "10101001= 10101002=3.13 10101003=;");
  EXPECT_EQ(output->m_notes[2], "");

  // A region that is a household itself; transporters get every driver and no proposals.
  output->m_region = "10102001";
  output->AppendBlankRow();
  EXPECT_EQ(Lines(*output), "10102001=;");
  auto drivers = NewDoc(0);
  Make(*drivers, 1, 2);
  EXPECT_EQ(Lines(*drivers, true), "001=/ 002=/;003=/;");
  EXPECT_EQ(drivers->m_kind.nNumber, 8);
  EXPECT_EQ(drivers->m_notes[0], "");
}

TEST_F(TsYfDocTest, InterestVouchersProposeEachHouseholdsInterest) {
  Store(0, 2, "", "10101001", "20160101", 0, -1000);
  Store(0, 2, "0001", "10101001", "20160201", 0, -500);
  Store(0, 1, "0001", "10101001", "20160301", 0, 300);
  Store(0, 3, "0001", "10101001", "20160101", 1, -100);  // a withholding
  Store(1, 2, "", "002", "20160101", 0, -1000);

  auto doc = NewDoc(0);
  doc->m_region = "10101";
  doc->m_interestFrom = "20160101";
  doc->m_interestTo = "20160401";
  doc->m_dailyRate = 4;
  doc->m_openingOnly = false;
  Make(*doc, 0, 4);
  EXPECT_EQ(Lines(*doc), "10101001=44.68 10101002= 10101003=;");

  // Past the defined items every item counts: the withholding earns interest too.
  doc->m_item = 5;
  doc->m_rows.clear();
  doc->AppendBlankRow();
  EXPECT_EQ(Lines(*doc), "10101001=48.32 10101002= 10101003=;");

  auto drivers = NewDoc(0);
  drivers->m_interestFrom = "20160101";
  drivers->m_interestTo = "20160401";
  drivers->m_openingOnly = true;
  Make(*drivers, 1, 4);
  EXPECT_EQ(Lines(*drivers), "001= 002=36.4 003=;");
}

TEST_F(TsYfDocTest, EveryKindSavesSignedRoundedAmountsAndReopensAsSaved) {
  const struct {
    int party, kind, item;
    const char* stored;
    const char* log;
    const char* total;  // what the clerk is told after saving
  } cases[] = {
      {0, 1, 2, "0/1/0001/10101002/1000.46/O'Neil 还款", "新增农户退预付款单：0001",
       "合计1000.46元"},
      {0, 2, 2, "0/2/0001/10101002/-1000.46/O'Neil 还款", "新增预付农户款单：0001",
       "合计1000.46元"},
      {1, 2, 0, "1/2/0001/002/-1000.46/O'Neil 还款", "新增预付运户款单：0001", "合计1000.46元"},
      {0, 3, 1, "0/3/0001/10101002/-1000.46/O'Neil 还款", "新增委托代扣农户款单：0001",
       "合计1000.46元"},
      {0, 4, 2, "0/4/0001/10101002/-1000.46/O'Neil 还款", "新增农户预付款计息单：0001",
       "合计1000.46元"},
      {0, 5, 0, "0/5/0001/10101002/1000.46/O'Neil 还款", "新增甘蔗种植面积预估单：0001",
       "合计面积1000.46亩"},
      {0, 6, 0, "0/6/0001/10101002/1000.46/O'Neil 还款", "新增甘蔗种植产量预估单：0001",
       "合计产量1000.46吨"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    Run({"Delete From jsSheet", "Delete From SmLog"});
    auto doc = NewDoc(0);
    doc->m_region = "10101";
    doc->m_item = c.kind == 3 ? 0 : c.party == 0 ? 1 : 0;
    doc->m_rate1 = 0;
    Make(*doc, c.party, c.kind);
    const std::string code = c.party ? "002" : "10101002";
    Type(*doc, code, "1000.456", "O'Neil 还款");
    Type(*doc, c.party ? "001" : "10101001", "0");
    doc->AppendRow();
    doc->m_rows.back()[doc->Group(0).name] = "999";  // no such household
    doc->m_rows.back()[doc->Group(0).amount] = "50";
    SmResetMessages();
    ASSERT_TRUE(doc->Save(0));
    EXPECT_EQ(Stored(c.item), c.stored);
    EXPECT_EQ(Logged(1608), c.log);
    EXPECT_EQ(doc->m_openMode, 1);
    // The clerk sees the voucher's number, households and total.
    const std::string title = std::string(c.log).substr(std::string("新增").size());
    EXPECT_EQ(CSmMessageService::Instance().LastText(),
              title.substr(0, title.find("：")) + " 0001号已保存：1户，" + c.total + "。");

    // Opened again: the same line, item and region recovered, the notes of the stored rows.
    const std::string number = "0001";
    auto again = Reopen(c.party, c.kind, number);
    EXPECT_NE(Lines(*again).find(code + "=1000.46"), std::string::npos) << Lines(*again);
    EXPECT_EQ(again->m_notes[3], number);
    EXPECT_EQ(again->m_notes[4], "制单：王会计");
    EXPECT_EQ(again->m_notes[5], "复核：");
    if (c.kind <= 4) {
      EXPECT_EQ(again->m_item, doc->m_item);
      EXPECT_EQ(again->m_notes[2],
                "款项：" + TsGetKindItemName(c.party, 1, c.kind == 3 ? 1 : 2, 0, doc->m_item));
    }
    EXPECT_EQ(again->m_notes[0], c.party ? "" : "区域：东区/一村/一组");

    // Saving it again replaces its rows under the same number.
    Type(*again, code, "12");
    ASSERT_TRUE(again->Save(0));
    EXPECT_EQ(Rows(FormatStr("Select Count(*) From jsSheet Where DB='%d' And DH='%s'", c.kind,
                             number.c_str())),
              "1");
    EXPECT_EQ(Logged(1608), std::string(c.log) + "|" + ReplaceAll(c.log, "新增", "修改"));
  }
}

TEST_F(TsYfDocTest, AFailedReplaceKeepsTheStoredVoucher) {
  auto doc = NewDoc(0);
  doc->m_region = "10101";
  Make(*doc, 0, 1);
  Type(*doc, "10101001", "300");
  ASSERT_TRUE(doc->Save(0));
  std::string error;
  ASSERT_TRUE(m_db->Backend()->Execute(
      "CREATE TRIGGER fail_insert BEFORE INSERT ON jsSheet BEGIN SELECT RAISE(ABORT,'x'); END",
      &error))
      << error;
  Type(*doc, "10101001", "400");
  SmResetMessages();
  EXPECT_FALSE(doc->Save(0));
  EXPECT_EQ(Stored(0), "0/1/0001/10101001/300.0/");
}

TEST_F(TsYfDocTest, TwoStationsSavingOneKindNeverShareANumber) {
  CSmDatabase other;
  ASSERT_TRUE(other.Open(m_db->GetFileName()));
  // The second station, of either party (both count one sequence), took 0001 before the first
  // saved it.
  for (int party : {0, 1}) {
    SCOPED_TRACE(party);
    Run({"Delete From jsSheet"});
    auto first = NewDoc(0, &other);
    first->m_region = "10101";
    Make(*first, 0, 2);
    Type(*first, "10101001", "100");
    auto second = NewDoc<CLateStationDoc>(0);
    second->m_region = "10101";
    Make(*second, party, 2);
    const std::string code = party ? "003" : "10101003";
    Type(*second, code, "70");
    second->meanwhile = [&] { ASSERT_TRUE(first->Save(0)); };
    SmResetMessages();
    EXPECT_FALSE(second->Save(0));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "单号重号！");
    EXPECT_EQ(second->m_openMode, 0);
    EXPECT_NE(Lines(*second).find(code + "=70"), std::string::npos);
    EXPECT_EQ(Stored(0), "0/2/0001/10101001/-100.0/");

    ASSERT_TRUE(second->Save(0));
    EXPECT_EQ(second->m_header.DH, "0002");
    EXPECT_EQ(Rows("Select rtrim(DH) From jsSheet Order By DH"), "0001|0002");
  }
}

TEST_F(TsYfDocTest, RightsAndOtherOperatorsVouchersAreReadOnly) {
  m_app.m_env.SetRights("1651 ");
  auto refused = NewDoc(0);
  SmResetMessages();
  EXPECT_FALSE(refused->LoadRows(0));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "您无单据制作权！");

  m_app.m_env.SetRights("1651 1652 ");
  Store(0, 2, "0001", "10101001", "20160110", 0, -100);  // made by 102, the operator at work
  Store(0, 2, "0002", "10101001", "20160110", 0, -100);
  Run({"Update jsSheet Set OPR1='103' Where DH='0002'",
       "Update jsSheet Set OPR0='103' Where "
       "DH='0001' And DB='2'"});
  Store(0, 2, "0003", "10101001", "20160110", 0, -100);
  for (const char* number : {"0001", "0002"}) {
    auto doc = Reopen(0, 2, number);
    EXPECT_TRUE(doc->IsReadOnly()) << number;
    Type(*doc, "10101001", "999");
    SmResetMessages();
    EXPECT_TRUE(doc->Save(0));
    EXPECT_EQ(CSmMessageService::Instance().LastText(), "该文档是只读的，不能存盘！");
  }
  EXPECT_EQ(Rows("Select Count(*) From jsSheet Where MY0=-999"), "0");

  // Opening balances (empty number) are no voucher: nothing to show, change or delete.
  Store(0, 2, "", "10101001", "20151001", 0, -300);
  auto openings = Reopen(0, 2, "");
  EXPECT_EQ(Lines(*openings), "");
  SmResetMessages();
  EXPECT_TRUE(openings->Save(0));
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "该文档是只读的，不能存盘！");
  EXPECT_EQ(Rows("Select Count(*) From jsSheet Where DH=''"), "1");
  EXPECT_FALSE(Reopen(0, 2, "0003")->IsReadOnly());
  m_app.m_env.SetRights("1651 ");
  EXPECT_TRUE(Reopen(0, 2, "0003")->IsReadOnly());
}

TEST_F(TsYfDocTest, OptionsAreOfferedAgainAndMalformedListsReset) {
  auto first = NewDoc(0);
  EXPECT_EQ(first->m_openModes.size(), 18u);
  EXPECT_EQ(first->m_voucherKind, 2);
  EXPECT_TRUE(first->m_whole);
  first->m_region = "101";
  first->m_rate1 = 12.5;
  first->m_upper = "800";
  Make(*first, 1, 2);

  auto next = NewDoc(0);
  EXPECT_EQ(next->m_party, 1);
  EXPECT_EQ(next->m_voucherKind, 2);
  EXPECT_EQ(next->m_date, "20160401");
  EXPECT_EQ(next->m_upper, "800.00");
  EXPECT_DOUBLE_EQ(next->m_rate1, 12.5);
  EXPECT_EQ(next->m_openModes[11], "12.50");

  ASSERT_TRUE(WriteDocOpenMode(260, 0, {"1", "5"}));
  auto reset = NewDoc(0);
  EXPECT_EQ(reset->m_openModes.size(), 18u);
  EXPECT_EQ(reset->m_party, 0);
  EXPECT_EQ(reset->m_voucherKind, 2);

  // Form kinds of the two parties never meet.
  std::set<int> kinds;
  for (int party : {0, 1}) {
    for (int kind = 1; kind <= 6; ++kind) {
      reset->ApplyParams({std::to_string(party), std::to_string(kind), "0001"});
      kinds.insert(reset->m_kind.nNumber);
    }
  }
  EXPECT_EQ(kinds.size(), 12u);
  EXPECT_EQ(reset->ApplyParams({"0", "2"}), 0);
}

TEST_F(TsYfDocTest, AnOpenedVoucherShowsInTheGridView) {
  Store(0, 2, "0007", "10101001", "20160110", 0, -250);
  Store(0, 2, "0007", "10101003", "20160110", 0, -1234.5);
  Run({"Update jsSheet Set MRY='春耕化肥借款，按时归还' Where KNO='10101003'"});
  auto doc = Reopen(0, 2, "0007");
  CForthView view;
  doc->AddView(&view);
  view.ResetViewState();
  view.ResetLayout();
  view.resize(900, 300);
  view.show();
  view.UpdateScrollSizes(false);
  std::string cells;
  for (int column = 0; column < 4; ++column) {
    std::string text, type;
    int width = 0, decimals = 0;
    doc->GetCell(0, column, "TEXT", text, type, width, decimals);
    cells += text + "|";
  }
  EXPECT_EQ(cells, "10101001||250||");  // no balance beside this voucher
  EXPECT_EQ(Lines(*doc), "10101001=250 10101003=1234.5;");
  if (const char* shot = std::getenv("SM_YF_SHOT")) view.grab().save(shot);
  doc->RemoveView(&view);
}

}  // namespace
