// The cane module's Settings menu: each command under its right, the maintenance commands greyed
// while a document window is open, and where each goes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QTimer>

#include "cane/TsDataType.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "product/TsApp.h"
#include "tests/common/SmTestMain.h"

namespace {

class SettingsApp : public CTsApp {
 public:
  bool InitInstance(const std::vector<std::string>&) override { return true; }
};

class TsSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    SmResetMessages();
    app.SetMainWnd(std::make_unique<CSmFrameWnd>());
    // The dialogs read the cane module's parameters.
    app.AdoptDataType(std::make_unique<CTsDataType>())->Init();
  }
  void SetDocumentOpen(bool open) {
    for (QMdiSubWindow* child : app.GetMainWnd()->MdiArea()->subWindowList()) delete child;
    if (!open) return;
    auto* child = new CSmChildFrame;
    child->setWidget(new QWidget);
    app.GetMainWnd()->AddChild(child);
  }
  SettingsApp app;
};

TEST_F(TsSettingsTest, EachCommandNeedsItsRightAndSomeNeedNoDocumentWindow) {
  struct Case {
    int id;
    const char* right;
    bool greyedByDocument;
  };
  const Case cases[] = {
      {SM_ID_SYS_PARAMS, "1601", true},   {SM_ID_FARMER_DIR, "1602", false},
      {SM_ID_PLACE_DIR, "1603", false},   {SM_ID_DRIVER_DIR, "1604", false},
      {SM_ID_VARIETY_DIR, "1605", false}, {SM_ID_COMM_PORTS, "0008", true},
  };
  const std::string all = "1601 1602 1603 1604 1605 0008 ";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const std::string right = std::string(c.right) + " ";
    std::string others = all;
    others.erase(others.find(right), right.size());
    for (const bool document : {false, true}) {
      SetDocumentOpen(document);
      app.m_env.SetOperatorNo("101");  // the administrator holds only what he was given
      app.m_env.SetRights(others);
      EXPECT_FALSE(CSmCommandManager::Instance().Update(c.id));
      app.m_env.SetOperatorNo("102");
      app.m_env.SetRights(right);
      EXPECT_EQ(CSmCommandManager::Instance().Update(c.id), !(document && c.greyedByDocument))
          << document;
    }
  }
  // The application's own commands still answer behind the product's.
  SetDocumentOpen(true);
  EXPECT_FALSE(CSmCommandManager::Instance().Update(SM_ID_LOGIN));
}

TEST_F(TsSettingsTest, CommandsOpenTheirDialogs) {
  SetDocumentOpen(false);
  app.m_env.SetRights("1601 1602 1603 1604 1605 0008 ");
  const std::pair<int, const char*> dialogs[] = {
      {SM_ID_COMM_PORTS, "806"},  {SM_ID_SYS_PARAMS, "950"}, {SM_ID_FARMER_DIR, "952"},
      {SM_ID_VARIETY_DIR, "963"}, {SM_ID_PLACE_DIR, "954"},  {SM_ID_DRIVER_DIR, "956"}};
  for (const auto& [id, templateId] : dialogs) {
    std::string shown;
    QTimer::singleShot(0, [&shown] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      shown = modal->objectName().toStdString();
      modal->close();
    });
    EXPECT_TRUE(SmExecuteCommand(id));
    EXPECT_EQ(shown, templateId) << id;
  }
}

}  // namespace
