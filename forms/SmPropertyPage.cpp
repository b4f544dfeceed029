#include "forms/SmPropertyPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include "core/SmGbk.h"
#include "core/SmNumber.h"
#include "forms/SmDoc.h"
#include "forms/SmFormDef.h"
#include "ui/SmDlg.h"
#include "ui/SmEdit.h"
#include "ui/SmSpinCtrl.h"

namespace {

// The stored title carries a tab in front when the totals per page are on; the column holds
// 200 bytes.
constexpr int kTitleBytes = 199;

}  // namespace

// ---------------------------------------------------------------- page bases

CSmPropertyPage::CSmPropertyPage(unsigned templateId, const QString& caption, QWidget* parent)
    : QWidget(parent), m_templateId(templateId), m_caption(caption) {
  setObjectName(QString::number(templateId));
}

QWidget* CSmPropertyPage::Control(int id) const {
  return findChild<QWidget*>(QString::number(id));
}

void CSmPropertyPage::OnSetActive() {
  if (m_shown) return;
  m_shown = true;
  OnInitDialog();
  GetControlHint();
}

void CSmPropertyPage::GetControlHint() {
  m_toolTip = SmSetupControlHints(this, m_toolTip, [this](int id) { return GetStatusHint(id); });
}

std::string CSmPropertyPage::GetStatusHint(int controlId) {
  return SmControlKindHint(Control(controlId));
}

CSmPublicPage::CSmPublicPage(unsigned templateId, const QString& caption, CSmDoc& doc,
                             CSmFormDef& def, QWidget* parent)
    : CSmPropertyPage(templateId, caption, parent), m_doc(doc), m_def(def) {}

std::string CSmPublicPage::GetStatusHint(int controlId) {
  return m_doc.ComposeHint(CSmPropertyPage::GetStatusHint(controlId), GetPageHint(controlId));
}

std::string CSmPublicPage::GetPageHint(int controlId) {
  switch (controlId) {
    case CSmPublicPage1::kTitle:
      return "在此录入文档的标题，此标题中可<br>使用变量“#name”代表主体名称。";
    case CSmPublicPage1::kHeaderRows:
      return "在此指定文档的栏头行数，栏头行数<br>"
             "变小时应当先删除“栏头属性”下的栏头定义。<br>"
             "栏头行数被改变后，应当在“栏头属性”下重<br>"
             "新生成默认栏头，或重新定义栏头。<br>";
    case kColumnList:
      return "文档可用的栏及其属性列表。此列表框中的栏只有前面的核<br>"
             "选框中打“√”的栏才在文档中被显示。<br>"
             "　　栏有固定栏、公式栏、运算栏三种。固定栏不可以增删，但<br>"
             "大多数可取舍；通过改变栏序数，可以改变栏位置；固定栏的内<br>"
             "容由软件确定。公式栏是用户可以自定义提取内容的栏，用户可<br>"
             "以根据公式说明定义公式，以达到提取特定数据的目的。运算栏<br>"
             "也是用户可以自定义的栏，运算栏的数据根据用户定义的栏运算<br>"
             "公式由别的栏运算产生。";
    default:
      return {};
  }
}

// ---------------------------------------------------------------- general page

CSmPublicPage1::CSmPublicPage1(CSmDoc& doc, CSmFormDef& def, QWidget* parent)
    : CSmPublicPage(852, "综合设置", doc, def, parent) {
  auto* grid = new QGridLayout(this);
  auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
  auto edit = [this](int id) {
    auto* field = new CSmEdit(this);
    field->setObjectName(QString::number(id));
    return field;
  };
  m_title = edit(kTitle);
  m_title->SetInputType("STRING NOT |[]'/\"\\", kTitleBytes);
  m_title->setMinimumWidth(360);
  m_flag = label("");
  m_flag->setObjectName(QString::number(kTemplateNumber));
  m_form = edit(kFormNumber);
  m_form->SetInputType("STRING DIGIT", 9);
  m_topNum = edit(kHeaderRows);
  m_topNum->SetInputType("STRING DIGIT", 2);
  m_topSpin = new CSmSpinCtrl(m_topNum, this);
  m_topSpin->setObjectName(QString::number(kHeaderRowSpin));
  m_pageSum = new QCheckBox(QStringLiteral("打印输出时单页求和"), this);
  m_pageSum->setObjectName(QString::number(kPageTotal));

  grid->addWidget(label("标题名称："), 0, 0);
  grid->addWidget(m_title, 0, 1, 1, 3);
  grid->addWidget(label("模 板 号："), 1, 0);
  grid->addWidget(m_flag, 1, 1);
  grid->addWidget(label("序    号："), 2, 0);
  grid->addWidget(m_form, 2, 1);
  grid->addWidget(label("栏头行数："), 3, 0);
  auto* rows = new QHBoxLayout;
  rows->setSpacing(0);
  rows->addWidget(m_topNum);
  rows->addWidget(m_topSpin);
  grid->addLayout(rows, 3, 1);
  grid->addWidget(m_pageSum, 4, 1, 1, 3);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(5, 1);
}

void CSmPublicPage1::OnSetActive() {
  CSmPublicPage::OnSetActive();
  int lowest = 1;
  for (const CSmFormTopWord& word : m_def.m_topWords) {
    lowest = std::max({lowest, word.nRow1, word.nRow2});
  }
  m_topSpin->SetRange(lowest, kMaxHeaderRows);
  m_topSpin->SetPos(m_def.nTopNum);
  Fill();
}

void CSmPublicPage1::Fill() {
  m_title->setText(QString::fromStdString(GbkCut(m_def.sFna, kTitleBytes)));
  m_flag->setText(QString::number(m_def.nFlag));
  m_form->setText(QString::number(m_def.nForm));
  m_form->setEnabled(m_doc.AllowFormNumberChange());
  m_pageSum->setChecked(m_def.bPageSum != 0);
}

void CSmPublicPage1::OnKillActive() {
  if (!WasShown()) return;
  m_def.sFna = m_title->text().toStdString();
  m_def.nForm = StrToIntDef(m_form->text().toStdString(), m_def.nForm);
  m_def.bPageSum = m_pageSum->isChecked() ? 1 : 0;
  const int rows = m_topSpin->Value(0);
  if (m_topSpin->InRange(rows)) m_def.nTopNum = rows;
}
