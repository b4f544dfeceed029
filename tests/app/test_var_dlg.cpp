// The variable dialogs driven as a clerk would: the name rules of the entry dialog, adding,
// modifying and deleting in the list, copy and paste between lists, the default variables and
// the dialog's own copy of the caller's table.
#include <gtest/gtest.h>

#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "app/SmApp.h"
#include "app/SmVarDlg.h"
#include "core/SmDatabase.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "tests/common/SmModalScript.h"
#include "tests/common/SmTestMain.h"

namespace {

const std::string kNameRule =
    "变量名必须是以“#”开始且由“数字、字母”构\r\r成的非空字符串！“#”必须在第一位。";

CSmVarTable Table(std::initializer_list<const char*> names) {
  CSmVarTable vars;
  for (const char* name : names) vars.Add(CSmVar(name, std::string("e") + name, 4, "n"));
  return vars;
}

std::vector<std::string> Names(const CSmVarTable& vars) {
  std::vector<std::string> names;
  for (int i = 0; i < vars.GetSize(); ++i) names.push_back(vars.GetAt(i).m_name);
  return names;
}

std::vector<int> Selected(const CSmVarListCtrl& list) {
  std::vector<int> rows;
  for (int i = 0; i < list.RowCount(); ++i)
    if (list.topLevelItem(i)->isSelected()) rows.push_back(i);
  return rows;
}

class VarDlgTest : public testing::Test {
 protected:
  void SetUp() override { SmResetMessages(); }
  void Select(std::initializer_list<int> rows) {
    m_list.clearSelection();
    for (int row : rows) m_list.topLevelItem(row)->setSelected(true);
  }
  void Load(const CSmVarTable& vars) {
    m_list.m_vars = vars;
    m_list.Fill();
  }

  CSmApp m_app;
  CSmVarListCtrl m_list;
};

TEST_F(VarDlgTest, NameRulesOfTheEntryDialog) {
  const CSmVarTable vars = Table({"#a1", "#b"});
  const struct {
    const char* previous;
    const char* name;
    const char* refusal;  // null: accepted
  } cases[] = {
      {"", "#", kNameRule.c_str()},           {"", "a1", kNameRule.c_str()},
      {"", "#a#", kNameRule.c_str()},         {"", "#c1", nullptr},
      {"", "#a1", "变量名“#a1”已被使用！"},   {"#a1", "#a1", nullptr},  // kept while modifying
      {"#b", "#a1", "变量名“#a1”已被使用！"}, {"", "#A1", nullptr},     // case matters
  };
  for (const auto& c : cases) {
    SmResetMessages();
    CModalScript script;
    script.Then(822, [&c](QWidget* dlg) {
      Type(dlg, CSmVarNameDlg::kName, c.name);
      Press(dlg, CSmVarNameDlg::kConfirm);
      if (c.refusal) {
        EXPECT_TRUE(dlg->isVisible()) << c.name;
        Press(dlg, SM_ID_CANCEL);
      }
    });
    CSmVarNameDlg dlg("新增变量", c.previous, &vars);
    dlg.m_name = "#";
    const int result = dlg.DoModal();
    EXPECT_EQ(result, c.refusal ? SM_IDCANCEL : SM_IDOK) << c.name;
    EXPECT_EQ(CSmMessageService::Instance().LastText(), c.refusal ? c.refusal : "") << c.name;
    if (!c.refusal) {
      EXPECT_EQ(dlg.m_name, c.name);
    }
  }
}

TEST_F(VarDlgTest, EntryDialogTypesAndPresets) {
  CModalScript script;
  script.Then(822, [](QWidget* dlg) {
    EXPECT_EQ(dlg->windowTitle(), "修改变量");
    EXPECT_TRUE(
        Control<QRadioButton>(dlg, CSmVarNameDlg::kAnyType)->isChecked());  // type 7 shows as any
    EXPECT_EQ(Control<QPlainTextEdit>(dlg, CSmVarNameDlg::kExpression)->toPlainText(), "zw()");
    Control<QRadioButton>(dlg, CSmVarNameDlg::kNumberType)->click();
    Control<QRadioButton>(dlg, CSmVarNameDlg::kTextType)->click();
    EXPECT_FALSE(Control<QRadioButton>(dlg, CSmVarNameDlg::kNumberType)->isChecked());
    Control<QPlainTextEdit>(dlg, CSmVarNameDlg::kExpression)->setPlainText("dir()");
    Type(dlg, CSmVarNameDlg::kNote, "说明");
    Press(dlg, CSmVarNameDlg::kConfirm);
  });
  CSmVarNameDlg dlg("修改变量", "#z", nullptr);
  dlg.m_name = "#z";
  dlg.m_expression = "zw()";
  dlg.m_type = 7;
  ASSERT_EQ(dlg.DoModal(), SM_IDOK);
  EXPECT_EQ(dlg.m_type, SM_VAR_TEXT);
  EXPECT_EQ(dlg.m_expression, "dir()");
  EXPECT_EQ(dlg.m_note, "说明");
}

TEST_F(VarDlgTest, AddModifyAndDeleteInTheList) {
  Load(Table({"#a", "#b", "#c", "#d"}));
  Select({1});
  CModalScript script;
  script.Then(822, [](QWidget* dlg) {
    // A selected variable presets the new one, under the name "#".
    EXPECT_EQ(Control<QLineEdit>(dlg, CSmVarNameDlg::kName)->text(), "#");
    EXPECT_EQ(Control<QPlainTextEdit>(dlg, CSmVarNameDlg::kExpression)->toPlainText(), "e#b");
    Type(dlg, CSmVarNameDlg::kName, "#e");
    Press(dlg, CSmVarNameDlg::kConfirm);
  });
  script.Then(822, [](QWidget* dlg) {
    Type(dlg, CSmVarNameDlg::kName, "#a1");
    Press(dlg, CSmVarNameDlg::kConfirm);
  });
  m_list.Add();
  EXPECT_EQ(Names(m_list.m_vars), (std::vector<std::string>{"#a", "#b", "#c", "#d", "#e"}));
  EXPECT_EQ(m_list.m_vars.GetAt(4).m_expression, "e#b");
  EXPECT_EQ(Selected(m_list), std::vector<int>{4});
  EXPECT_EQ(m_list.topLevelItem(4)->text(2), "数值");

  Select({0});
  m_list.Modify();
  EXPECT_EQ(Names(m_list.m_vars), (std::vector<std::string>{"#a1", "#b", "#c", "#d", "#e"}));
  EXPECT_EQ(Selected(m_list), std::vector<int>{0});

  Select({1, 3});
  m_list.Delete();
  EXPECT_EQ(Names(m_list.m_vars), (std::vector<std::string>{"#a1", "#c", "#e"}));
  EXPECT_EQ(Selected(m_list), std::vector<int>{1});
  Select({1, 2});
  m_list.Delete();
  EXPECT_EQ(Selected(m_list), std::vector<int>{0});  // the list became shorter
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(VarDlgTest, CopyAndPasteBetweenLists) {
  Load(Table({"#a", "#b"}));
  m_list.m_vars.SetAt(1, CSmVar("#b", "1+\n2", 5, "两行"));
  Select({1});
  m_list.Copy();

  CSmVarListCtrl other;
  other.m_vars = Table({"#b", "#x"});
  other.Fill();
  ASSERT_TRUE(other.IsCommandEnabled(SM_ID_EDIT_PASTE));
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  other.Paste();
  EXPECT_EQ(other.m_vars.GetAt(0).m_expression, "e#b");
  CSmMessageService::Instance().QueueAnswer(SM_IDYES);
  other.Paste();
  EXPECT_EQ(Names(other.m_vars), (std::vector<std::string>{"#b", "#x"}));
  EXPECT_EQ(other.m_vars.GetAt(0), CSmVar("#b", "1+\n2", 5, "两行"));
  EXPECT_EQ(Selected(other), std::vector<int>{0});
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "变量“#b”已存在，覆盖它吗？");

  SmResetMessages();
  CSmDatabase none(0);
  other.InsertPastedRows({"#n", "1", "4"}, false, true, none);  // not groups of four
  other.InsertPastedRows({"#n", "1", "x", ""}, false, true, none);
  EXPECT_EQ(Names(other.m_vars), (std::vector<std::string>{"#b", "#x", "#n"}));
  EXPECT_EQ(other.m_vars.GetAt(2).m_type, 0);  // a type that is no number
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
}

TEST_F(VarDlgTest, DefaultValuesReplaceTheTableAfterTheQuestion) {
  const std::vector<std::string> defaults = {"#z", "#y", "#y1"};
  std::unique_ptr<QMenu> menu = m_list.CreateContextMenu();
  QStringList texts;
  for (QAction* action : menu->actions()) texts << action->text();
  EXPECT_TRUE(texts.contains("取默认值"));
  EXPECT_FALSE(texts.contains("剪切(&T)\tCtrl+X"));

  m_list.OnCommand(SM_ID_VAR_DEFAULTS);  // empty: no question
  EXPECT_TRUE(CSmMessageService::Instance().Shown().empty());
  EXPECT_EQ(Names(m_list.m_vars), defaults);
  EXPECT_EQ(m_list.RowCount(), 3);

  Load(Table({"#a"}));
  CSmMessageService::Instance().QueueAnswer(SM_IDNO);
  m_list.OnCommand(SM_ID_VAR_DEFAULTS);
  EXPECT_EQ(Names(m_list.m_vars), std::vector<std::string>{"#a"});
  EXPECT_EQ(CSmMessageService::Instance().LastText(), "取默认值时将先清除当前变量表，继续吗？");
  m_list.OnCommand(SM_ID_VAR_DEFAULTS);  // Yes by default
  EXPECT_EQ(Names(m_list.m_vars), defaults);
}

TEST_F(VarDlgTest, DialogWorksOnItsOwnCopy) {
  const CSmVarTable callers = Table({"#a", "#b"});
  for (int button : {2, 1}) {
    CModalScript script;
    script.Then(820, [](QWidget* dlg) {
      EXPECT_EQ(dlg->windowTitle(), "变量的增加、修改及删除");
      EXPECT_FALSE(Control<QPushButton>(dlg, CSmVarDlg::kModify)->isEnabled());
      EXPECT_FALSE(Control<QPushButton>(dlg, CSmVarDlg::kDelete)->isEnabled());
      auto* list = Control<CSmVarListCtrl>(dlg, CSmVarDlg::kList);
      list->topLevelItem(0)->setSelected(true);
      EXPECT_TRUE(Control<QPushButton>(dlg, CSmVarDlg::kModify)->isEnabled());
      list->topLevelItem(1)->setSelected(true);
      EXPECT_FALSE(Control<QPushButton>(dlg, CSmVarDlg::kModify)->isEnabled());
      EXPECT_TRUE(Control<QPushButton>(dlg, CSmVarDlg::kDelete)->isEnabled());
      list->clearSelection();
      Press(dlg, CSmVarDlg::kAdd);
    });
    script.Then(822, [](QWidget* dlg) {
      Type(dlg, CSmVarNameDlg::kName, "#c");
      Press(dlg, CSmVarNameDlg::kConfirm);
    });
    script.Then(820, [button](QWidget* dlg) { Press(dlg, button); });
    CSmVarDlg dlg(callers);
    const int result = dlg.DoModal();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(result, button == 1 ? SM_IDOK : SM_IDCANCEL);
    EXPECT_EQ(Names(callers), (std::vector<std::string>{"#a", "#b"}));
    const std::vector<std::string> expected =
        button == 1 ? std::vector<std::string>{"#a", "#b", "#c"} : std::vector<std::string>{};
    EXPECT_EQ(Names(dlg.m_result), expected);
  }
}

}  // namespace
