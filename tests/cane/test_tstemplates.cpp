// The cane module's document templates as its template list shows them after log-in: kinds in
// creation order, marks from the operator's rights, user forms, and kinds whose documents are
// not installed yet.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "cane/TsDocTemplates.h"
#include "core/SmDatabase.h"
#include "forms/SmDoc.h"
#include "forms/SmFormDef.h"
#include "forms/SmTemplateList.h"
#include "platform/SmMessage.h"
#include "tests/cane/TsTestApp.h"
#include "tests/common/SmTestDataFile.h"
#include "tests/common/SmTestMain.h"

namespace {

class TsTemplateTest : public TsAppTest {
 protected:
  void SetUp() override {
    TsAppTest::SetUp();
    SmResetMessages();
    ASSERT_TRUE(m_app.m_env.OpenFile("", SmCreateTestDataFile(2016), "101", true));
    m_db = m_app.m_env.GetDatabase();
    ASSERT_TRUE(m_type->CreateTemplateList(nullptr));
    m_list = m_type->TemplateList();
    ASSERT_NE(m_list, nullptr);
  }
  void Login(const std::string& rights) {
    m_app.m_env.SetRights(rights);
    m_type->RefreshPage();
  }
  std::string AllRights() {
    CSmStringList codes, names;
    m_type->GetDocumentRights(codes, names);
    std::string rights;
    for (const std::string& code : codes) rights += "16" + code + " ";
    return rights;
  }
  void SelectRow(int row) {
    m_list->clearSelection();
    m_list->topLevelItem(row)->setSelected(true);
  }

  CSmDatabase* m_db = nullptr;
  CSmTemplateList* m_list = nullptr;
};

TEST_F(TsTemplateTest, PageListsEveryKindInCreationOrderMarkedByRights) {
  Login(AllRights());
  ASSERT_EQ(m_list->RowCount(), 21);
  const struct {
    int row;
    const char* name;
    int templateNumber;
    int kind;
  } expected[] = {{0, "称毛重", 255, 0},
                  {2, "过磅单", 255, 2},
                  {4, "运费结算", 256, 1},
                  {5, "银行代付蔗款报表", 272, 0},
                  {6, "预付款业务", 260, 0},
                  {10, "过榜单明细表", 271, 0},
                  {20, "运户及其预付款余额表", 270, 0}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.row);
    EXPECT_EQ(m_list->topLevelItem(e.row)->text(0).toStdString(), e.name);
    EXPECT_EQ(m_list->TemplateOfRow(e.row), e.templateNumber);
    EXPECT_EQ(m_list->KindOfRow(e.row), e.kind);
  }
  for (int row = 0; row < m_list->RowCount(); ++row) EXPECT_TRUE(m_list->HasRight(row)) << row;

  CSmDocKind kind;
  ASSERT_NE(m_type->FindKind(260, 0, kind), nullptr);
  EXPECT_FALSE(kind.bOpenOnly);
  ASSERT_NE(m_type->FindKind(255, 1, kind), nullptr);
  EXPECT_TRUE(kind.bOpenOnly);
  EXPECT_EQ(kind.sRight, "1621");
  EXPECT_EQ(kind.nIcon, 656);

  // An operator with few rights; a click on a mark does not give the right.
  Login("1620 1651 ");
  std::vector<int> marked;
  for (int row = 0; row < m_list->RowCount(); ++row) {
    if (m_list->HasRight(row)) marked.push_back(row);
  }
  EXPECT_EQ(marked, (std::vector<int>{0, 6}));
  // Held or not, every row's icon has one size in the large view, and its small one in the rest.
  for (int row = 0; row < m_list->RowCount(); ++row) {
    const QIcon icon = m_list->topLevelItem(row)->icon(0);
    EXPECT_EQ(icon.pixmap(32, 32).width(), 32) << row;
    EXPECT_EQ(icon.pixmap(16, 16).width(), 16) << row;
  }
  SelectRow(1);
  m_list->setCurrentItem(m_list->topLevelItem(1));
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
  QApplication::sendEvent(m_list, &space);
  EXPECT_FALSE(m_list->HasRight(1));
}

TEST_F(TsTemplateTest, StoredUserFormsJoinTemplatesThatTakeThem) {
  for (const auto& [templateNumber, kind, open] :
       {std::tuple{257, 1, 0}, std::tuple{257, 2, 1}, std::tuple{255, 3, 1}}) {
    CSmFormDef def;
    def.Attach(m_db, templateNumber, kind);
    def.sFna = "复件_统计表" + std::to_string(kind);
    def.nOpen = open;
    ASSERT_TRUE(def.Save());
  }
  Login(AllRights());
  EXPECT_EQ(m_list->RowCount(), 22);
  const int row = m_list->RowOf(257, 2);
  ASSERT_GE(row, 0);
  EXPECT_EQ(m_list->topLevelItem(row)->text(0).toStdString(), "复件_统计表2");
  EXPECT_EQ(m_list->RowOf(257, 1), -1);
  EXPECT_EQ(m_list->RowOf(255, 3), -1);
}

TEST_F(TsTemplateTest, KindsWithoutInstalledDocumentsOpenNothing) {
  Login(AllRights());
  SelectRow(0);
  m_type->OpenSelectedKind();
  ASSERT_EQ(CSmMessageService::Instance().Shown().size(), 1u);
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].text, "该功能尚未提供。");
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].caption, "称毛重");
  EXPECT_EQ(m_app.m_docManager.DocumentCount(), 0);

  // Once installed, the template makes its documents with the installed classes.
  int made = 0;
  TsSetDocClasses(255, {[&made]() -> std::unique_ptr<CSmDocument> {
                          ++made;
                          return nullptr;
                        },
                        {},
                        {}});
  EXPECT_TRUE(TsHasDocClasses(255));
  SmResetMessages();
  m_type->OpenSelectedKind();
  EXPECT_EQ(made, 1);
  EXPECT_EQ(CSmMessageService::Instance().Shown()[0].text, kSmFailedToCreateDoc);
  TsSetDocClasses(255, {});
  EXPECT_FALSE(TsHasDocClasses(255));
}

TEST_F(TsTemplateTest, KindsWithoutAFrameOfTheirOwnOpenInADocumentWindow) {
  Login(AllRights());
  SelectRow(0);
  TsSetDocClasses(255, {[] { return std::make_unique<CSmDoc>(); },
                        {},
                        [](CSmDocument*, CSmChildFrame*) { return new QWidget; }});
  m_type->OpenSelectedKind();
  EXPECT_EQ(CSmMessageService::Instance().Shown().size(), 0u)
      << CSmMessageService::Instance().LastText();
  EXPECT_EQ(m_app.m_docManager.DocumentCount(), 1);
  m_app.m_docManager.CloseAllDocuments();
  TsSetDocClasses(255, {});
}

}  // namespace

namespace {

// 文件 ▸ 新建 on every kind of the page: offered only where a new document is made, and then it
// makes one; the bank payment report and the other kinds that are only opened grey it.
TEST_F(TsTemplateTest, NewIsOfferedOnlyWhereItMakesADocument) {
  Login(AllRights());
  int offered = 0;
  for (int row = 0; row < m_list->RowCount(); ++row) {
    SCOPED_TRACE(m_list->topLevelItem(row)->text(0).toStdString());
    SelectRow(row);
    const int templateNumber = m_list->TemplateOfRow(row);
    CSmDocKind kind;
    ASSERT_NE(m_type->FindKind(templateNumber, m_list->KindOfRow(row), kind), nullptr);
    EXPECT_EQ(m_type->CanFileNew(), !kind.bOpenOnly);
    if (!m_type->CanFileNew()) continue;
    ++offered;
    const bool installed = TsHasDocClasses(templateNumber);
    if (!installed) {
      TsSetDocClasses(templateNumber, {[] { return std::make_unique<CSmDoc>(); },
                                       {},
                                       [](CSmDocument*, CSmChildFrame*) { return new QWidget; }});
    }
    SmResetMessages();
    m_type->OnFileNew();
    EXPECT_EQ(m_app.m_docManager.DocumentCount(), 1) << CSmMessageService::Instance().LastText();
    m_app.m_docManager.CloseAllDocuments();
    if (!installed) TsSetDocClasses(templateNumber, {});
  }
  EXPECT_EQ(offered, 1);  // 预付款业务
  SelectRow(m_list->RowOf(272, 0));
  EXPECT_FALSE(m_type->CanFileNew());
  // Two rows chosen make nothing new either.
  m_list->topLevelItem(m_list->RowOf(260, 0))->setSelected(true);
  EXPECT_FALSE(m_type->CanFileNew());
}

}  // namespace
