#pragma once
// The advance document on a data file: farmers of two regions, three drivers, two operators,
// the cane year 2015-2016 and numbers of four digits; making, reopening and reading vouchers.
#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/SmWorkstation.h"
#include "cane/TsDriverRec.h"
#include "cane/TsParams.h"
#include "platform/SmCommandIds.h"
#include "tests/cane/TsDirTest.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestPdf.h"
#include "weighing/TsYfDoc.h"
#include "weighing/TsjsRec.h"

class TsYfDocTest : public TsDirTest {
 protected:
  void SetUp() override {
    TsDirTest::SetUp();
    m_app.m_env.ReadSysTab(false);
    m_app.m_env.SetRights("1651 1652 1654 ");
    m_type->m_strParams[48] = "010";       // the cane year 20151001-20160930
    m_type->m_intParams[12] = 4;           // numbers of four digits
    m_type->m_intParams[13] = 2;           // quantities to two decimals
    m_type->m_strParams[25] = "油款\t21";  // the transporters' advance item
    TsBuildItemTables();
    DeleteDocOpenModes(260, 0);
    AddSampleFarmers();
    AddFarmers({{"10101003", "王五"}, {"10102", "二组"}, {"10102001", "赵六"}});
    for (const char* code : {"001", "002", "003"}) {
      CTsDriverRec driver;
      driver.KNO = code;
      driver.NA = std::string("车主") + code;
      ASSERT_TRUE(TsDriverInsert(driver, m_db));
    }
    Run({"Delete From OPR Where OPNO In ('102','103')",
         "Insert Into OPR(OPNO,NA,PSD) Values('102','王会计','')",
         "Insert Into OPR(OPNO,NA,PSD) Values('103','李出纳','')"});
  }

  // A row of jsSheet as another part of the system writes it.
  void Store(int party, int kind, const char* dh, const char* code, const char* t, int item,
             double amount, double mu0 = 0, double mu1 = 0) {
    CTsjsRec rec;
    rec.LB = party;
    rec.DB = kind;
    rec.DH = dh;
    rec.KNO = code;
    rec.T = t;
    rec.OPR[0] = "102";
    if (item >= 0) rec.MY[item] = amount;
    rec.MU[0] = mu0;
    rec.MU[1] = mu1;
    ASSERT_EQ(rec.Insert(1, m_db), 1);
  }

  template <class Doc = CTsYfDoc>
  std::unique_ptr<Doc> NewDoc(int openMode, CSmDatabase* db = nullptr) {
    auto doc = std::make_unique<Doc>();
    doc->m_module = 16;
    doc->nFlag = 260;
    doc->m_kind.sName = "预付款业务";
    doc->m_openMode = openMode;
    doc->InitDocument();
    if (db) doc->m_db = db;
    return doc;
  }

  // Makes a new voucher with the document's options, the options dialog accepted as it comes.
  void Make(CTsYfDoc& doc, int party, int kind) {
    doc.m_party = party;
    doc.m_voucherKind = kind;
    doc.m_date = "20160401";
    // A refused choice is cancelled, so that the test goes on and says why.
    OnModalOf(&m_timers, 960, [](QWidget* dlg) {
      Press(dlg, SM_ID_OK);
      if (dlg->isVisible()) Press(dlg, SM_ID_CANCEL);
    });
    ASSERT_TRUE(doc.LoadRows(0)) << CSmMessageService::Instance().LastText();
    doc.LoadFormDef();
    doc.AppendBlankRow();
  }

  // Opens one stored voucher as other parts of the system do.
  std::unique_ptr<CTsYfDoc> Reopen(int party, int kind, const std::string& number) {
    auto doc = NewDoc(1);
    EXPECT_EQ(doc->ApplyParams({std::to_string(party), std::to_string(kind), number}), 1);
    doc->LoadFormDef();
    doc->Refresh();
    return doc;
  }

  // "code=amount" of every usable group of every line, joined with " ".
  static std::string Lines(const CTsYfDoc& doc, bool balances = false) {
    std::string text;
    for (int row = 0; row < static_cast<int>(doc.m_rows.size()); ++row) {
      for (int g = 0; g < CTsYfDoc::kGroups; ++g) {
        const CTsYfDoc::GroupColumns group = doc.Group(g);
        if (!group.Usable()) continue;
        const std::string code = doc.CodeOf(row, group);
        if (code.empty()) continue;
        const bool first = text.empty() || text.back() == ';';
        text += (first ? "" : " ") + code + "=" + doc.m_rows[row][group.amount];
        if (balances && group.balance >= 0) text += "/" + doc.m_rows[row][group.balance];
      }
      text += ";";
    }
    return text;
  }

  // Sets the amount (and note) of the household with the code.
  static void Type(CTsYfDoc& doc, const std::string& code, const std::string& amount,
                   const std::string& note = {}) {
    for (int row = 0; row < static_cast<int>(doc.m_rows.size()); ++row) {
      for (int g = 0; g < CTsYfDoc::kGroups; ++g) {
        const CTsYfDoc::GroupColumns group = doc.Group(g);
        if (!group.Usable() || doc.CodeOf(row, group) != code) continue;
        doc.m_rows[row][group.amount] = amount;
        if (group.note >= 0) doc.m_rows[row][group.note] = note;
        return;
      }
    }
    ADD_FAILURE() << "no household " << code;
  }

  // "LB/DB/DH/KNO/amount/MRY" of the stored rows, amount being MU0, MU1 or the item's.
  std::string Stored(int item) {
    return Rows(
        FormatStr("Select rtrim(LB)||'/'||rtrim(DB)||'/'||rtrim(DH)||'/'||rtrim(KNO)||'/'"
                  "||Cast(MY%d+MU0+MU1 As Text)||'/'||rtrim(MRY) From jsSheet Where DH<>'' "
                  "And DH<>'0900' Order By DB,DH,LB,KNO",
                  item));
  }

  QObject m_timers;
};

// The words of a printed PDF with their pages. Characters that read back as the Kangxi
// radicals their glyphs also stand for ("⼀" for "一") are given back as the characters.
inline std::vector<SmPdfWord> TsYfPdfWords(const std::string& pdf) {
  std::vector<SmPdfWord> words = SmPdfWords(pdf);
  for (SmPdfWord& word : words) {
    QString text;
    for (const QChar c : QString::fromStdString(word.text)) {
      const bool radical = c.unicode() >= 0x2F00 && c.unicode() <= 0x2FDF;
      text += radical ? QString(c).normalized(QString::NormalizationForm_KC) : QString(c);
    }
    word.text = text.toStdString();
  }
  return words;
}
