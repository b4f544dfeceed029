#include "ui/SmListPageSetup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmListPrint.h"

namespace {

// Every item of the layout with its text; only those that differ from a new record's when
// `onlyChanged`, except the title and the screen size, which are always written.
std::vector<std::pair<int, std::string>> StoredItems(const CSmListPageSetup& s) {
  const CSmListPageSetup fresh;
  std::vector<std::pair<int, std::string>> items{{10, s.title}};
  const auto add = [&](int item, long long value, long long freshValue) {
    if (value != freshValue) items.emplace_back(item, std::to_string(value));
  };
  for (int i = 0; i < 4; ++i) add(20 + i, s.margins[i], fresh.margins[i]);
  add(30, s.landscape ? s.paperLength : s.paperWidth, fresh.paperWidth);
  add(31, s.landscape ? s.paperWidth : s.paperLength, fresh.paperLength);
  add(40, s.titleColor, fresh.titleColor);
  add(41, s.bodyColor, fresh.bodyColor);
  add(50, s.landscape, fresh.landscape);
  items.emplace_back(60, std::to_string(s.screenWidth));
  items.emplace_back(61, std::to_string(s.screenHeight));
  for (int j = 0; j <= 13; ++j) {
    const std::string title = SmLogFontMember(s.titleFont, j);
    if (title != SmLogFontMember(fresh.titleFont, j)) items.emplace_back(100 + j, title);
    const std::string body = SmLogFontMember(s.bodyFont, j);
    if (body != SmLogFontMember(fresh.bodyFont, j)) items.emplace_back(200 + j, body);
  }
  return items;
}

void SetItem(CSmListPageSetup& s, int item, const std::string& value) {
  const int number = StrToIntDef(value, 0);
  if (item >= 0 && item <= 19) s.title = value;
  if (item >= 20 && item <= 23) s.margins[item - 20] = number;
  if (item == 30) s.paperWidth = number;
  if (item == 31) s.paperLength = number;
  if (item == 40) s.titleColor = static_cast<SmColorRef>(number);
  if (item == 41) s.bodyColor = static_cast<SmColorRef>(number);
  if (item == 50) s.landscape = number;
  if (item == 60) s.screenWidth = number;
  if (item == 61) s.screenHeight = number;
  if (item >= 100 && item <= 113) SmSetLogFontMember(s.titleFont, item - 100, value);
  if (item >= 200 && item <= 213) SmSetLogFontMember(s.bodyFont, item - 200, value);
}

// Margins then the screen size: control ids.
constexpr int kMarginIds[] = {CSmListPageSetupDlg::kLeftMargin, CSmListPageSetupDlg::kTopMargin,
                              CSmListPageSetupDlg::kRightMargin,
                              CSmListPageSetupDlg::kBottomMargin};

}  // namespace

CSmListPageSetup::CSmListPageSetup()
    : titleFont(SmDefaultLogFont("黑体", 24)), bodyFont(SmDefaultLogFont("宋体", 12)) {}

void CSmListPageSetup::LoadFromCsTab(CSmDatabase* db) {
  for (const auto& [item, value] : SmLoadCsItems(db, kSmCardPageGroup, key)) {
    SetItem(*this, item, value);
  }
  if (landscape) std::swap(paperWidth, paperLength);
}

bool CSmListPageSetup::Save(CSmDatabase* db) const {
  return SmReplaceCsItems(db, kSmCardPageGroup, key, StoredItems(*this));
}

// ---------------------------------------------------------------- the dialog (970)

CSmListPageSetupDlg::CSmListPageSetupDlg(CSmListPageSetup* setup, CSmDatabase* db, QWidget* parent)
    : CSmDlg(970, parent), m_setup(setup), m_edited(*setup), m_db(db) {
  setObjectName("970");
  setWindowTitle(QStringLiteral("列表视图打印页面设置"));
  auto* grid = new QGridLayout(this);
  const auto label = [&](const char* text, QWidget* buddy, int row, int column) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setBuddy(buddy);
    grid->addWidget(l, row, column);
  };
  auto* title = new CSmEdit(this);
  title->setObjectName(QString::number(kTitle));
  title->SetInputType("MDBSTRING", 200, -1);
  title->setText(QString::fromStdString(m_edited.title));
  label("标题(&T)", title, 0, 0);
  grid->addWidget(title, 0, 1, 1, 3);
  grid->addWidget(AddButton(kTitleFont, QStringLiteral("&B.标题字体")), 1, 0, 1, 2);
  grid->addWidget(AddButton(kBodyFont, QStringLiteral("&W.正文字体")), 1, 2, 1, 2);
  m_paper = new QComboBox(this);
  m_paper->setObjectName(QString::number(kPaper));
  m_paper->setEditable(true);
  SmFillPaperBox(m_paper);
  label("纸张(&P)", m_paper, 2, 0);
  grid->addWidget(m_paper, 2, 1, 1, 3);
  m_portrait = new QRadioButton(QStringLiteral("纵向(正常)"), this);
  m_portrait->setObjectName(QString::number(kPortrait));
  m_landscape = new QRadioButton(QStringLiteral("横向"), this);
  m_landscape->setObjectName(QString::number(kLandscape));
  grid->addWidget(m_portrait, 3, 1);
  grid->addWidget(m_landscape, 3, 3);
  const char* const marginLabels[] = {"左边距", "上边距", "右边距", "下边距"};
  for (int i = 0; i < 4; ++i) {
    auto* edit = new CSmEdit(this);
    edit->setObjectName(QString::number(kMarginIds[i]));
    edit->SetInputType("STRING DIGIT", 4, -1);
    edit->setText(QString::number(m_edited.margins[i]));
    label(marginLabels[i], edit, 4 + i / 2, (i % 2) * 2);
    grid->addWidget(edit, 4 + i / 2, (i % 2) * 2 + 1);
  }
  auto* screen = new QGroupBox(QStringLiteral("屏幕大小(单位：像素)"), this);
  auto* screenGrid = new QGridLayout(screen);
  const int screenIds[] = {kScreenWidth, kScreenHeight};
  const int screenValues[] = {m_edited.screenWidth, m_edited.screenHeight};
  const char* const screenLabels[] = {"宽", "高"};
  for (int i = 0; i < 2; ++i) {
    auto* edit = new CSmEdit(screen);
    edit->setObjectName(QString::number(screenIds[i]));
    edit->SetInputType("STRING DIGIT", 4, -1);
    edit->setText(QString::number(screenValues[i]));
    auto* l = new QLabel(QString::fromUtf8(screenLabels[i]), screen);
    l->setBuddy(edit);
    screenGrid->addWidget(l, 0, i * 2);
    screenGrid->addWidget(edit, 0, i * 2 + 1);
  }
  grid->addWidget(screen, 6, 0, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("注：纸张和纸边距的度量\n　　单位均为0.1毫米。"), this),
                  7, 0, 1, 2);
  grid->addWidget(AddButton(kConfirm, QStringLiteral("&S.确认")), 7, 2);
  grid->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("&X.取消")), 7, 3);

  const bool turned = m_edited.landscape != 0;
  SmShowPaper(m_paper, turned ? m_edited.paperLength : m_edited.paperWidth,
              turned ? m_edited.paperWidth : m_edited.paperLength);
  (turned ? m_landscape : m_portrait)->setChecked(true);
}

int CSmListPageSetupDlg::Number(int id) const {
  return StrToIntDef(static_cast<QLineEdit*>(Control(id))->text().toStdString(), 0);
}

void CSmListPageSetupDlg::TakeFont(int which, const SmLogFont& font, SmColorRef color) {
  (which == 0 ? m_edited.titleFont : m_edited.bodyFont) = font;
  (which == 0 ? m_edited.titleColor : m_edited.bodyColor) = color;
}

bool CSmListPageSetupDlg::OnCommand(unsigned id) {
  if (id == kConfirm) {
    OnOK();
    return true;
  }
  if (id != kTitleFont && id != kBodyFont) return CSmDlg::OnCommand(id);
  const int which = id == kTitleFont ? 0 : 1;
  SmLogFont font = which == 0 ? m_edited.titleFont : m_edited.bodyFont;
  SmColorRef color = which == 0 ? m_edited.titleColor : m_edited.bodyColor;
  if (SmAskFont(this, font, color)) TakeFont(which, font, color);
  return true;
}

bool CSmListPageSetupDlg::Refuse(const std::string& text, int focusId) {
  return SmRefuse(text, Control(focusId));
}

bool CSmListPageSetupDlg::ValidateAndSave() {
  CSmListPageSetup s = m_edited;
  s.title = static_cast<QLineEdit*>(Control(kTitle))->text().toStdString();
  for (int i = 0; i < 4; ++i) s.margins[i] = Number(kMarginIds[i]);
  s.screenWidth = Number(kScreenWidth);
  s.screenHeight = Number(kScreenHeight);
  int width = 0;
  int length = 0;
  const std::string paper =
      SmCheckPaperText(m_paper->currentText().toStdString(), false, width, length);
  if (!paper.empty()) return Refuse(paper, kPaper);
  if (width < s.margins[0] + s.margins[2]) return Refuse("纸张宽度无法与纸边距匹配！", kLeftMargin);
  if (length < s.margins[1] + s.margins[3]) return Refuse("纸张长度无法与纸边距匹配！", kTopMargin);
  if (s.screenWidth < 50 || s.screenHeight < 50) return Refuse("屏幕尺寸太小！", kScreenWidth);
  s.landscape = m_landscape->isChecked() ? 1 : 0;
  s.paperWidth = s.landscape ? length : width;
  s.paperLength = s.landscape ? width : length;
  if (!s.Save(m_db)) return false;
  m_edited = s;
  *m_setup = s;
  return true;
}
