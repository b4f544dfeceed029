#include "ui/SmPageSetupDlg.h"

#include <QApplication>
#include <QColorDialog>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "core/SmPrinter.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmListPrint.h"
#include "ui/SmPrintHooks.h"

namespace {

constexpr int kFontIcon = 686;
const char* const kErrorTitle = "Vornel软件-页面设置";

// Edit id, spin id and label of each value, in the order of CSmPageSetupDlg::Value.
struct ValueControl {
  int edit;
  int spin;
  const char* label;
};
constexpr ValueControl kValues[] = {
    {CSmPageSetupDlg::kWidthEdit, CSmPageSetupDlg::kWidthSpin, "宽(&W)"},
    {CSmPageSetupDlg::kLengthEdit, CSmPageSetupDlg::kLengthSpin, "长(&L)"},
    {CSmPageSetupDlg::kSpacingEdit, CSmPageSetupDlg::kSpacingSpin, "行距(&R)"},
    {CSmPageSetupDlg::kHeaderEdit, CSmPageSetupDlg::kHeaderSpin, "上(&I)"},
    {CSmPageSetupDlg::kFooterEdit, CSmPageSetupDlg::kFooterSpin, "下(&M)"},
    {CSmPageSetupDlg::kLeftEdit, CSmPageSetupDlg::kLeftSpin, "左(&J)"},
    {CSmPageSetupDlg::kRightEdit, CSmPageSetupDlg::kRightSpin, "右(&K)"},
};

QColor ToQColor(SmColorRef c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

SmColorRef FromQColor(const QColor& c) {
  return static_cast<SmColorRef>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

SmColorRef RegionColor(const CSmPrintInfo& info, int region) {
  const SmColorRef colors[] = {info.TopicColor, info.HeadColor, info.TextColor, info.TailColor};
  return colors[region];
}

void SetRegionColor(CSmPrintInfo& info, int region, SmColorRef color) {
  SmColorRef* const colors[] = {&info.TopicColor, &info.HeadColor, &info.TextColor,
                                &info.TailColor};
  *colors[region] = color;
}

// Tenths of a millimetre of a value in millimetres; a typed "2.3" is 23, not 22.
int ToTenths(double value) {
  return static_cast<int>(std::floor(value * 10 + 1e-6));
}

}  // namespace

std::string SmColorName(SmColorRef color) {
  static const std::pair<SmColorRef, const char*> names[] = {
      {0x000000, "黑色"},   {0x000080, "深红色"}, {0x0000FF, "红色"},   {0x008000, "绿色"},
      {0x008080, "橄榄色"}, {0x00FF00, "浅绿色"}, {0x00FFFF, "黄色"},   {0x800000, "藏青色"},
      {0x800080, "紫色"},   {0x808000, "深青色"}, {0x808080, "灰色"},   {0xC0C0C0, "银色"},
      {0xFF0000, "蓝色"},   {0xFF00FF, "紫红色"}, {0xFFFF00, "浅青色"}, {0xFFFFFF, "白色"},
  };
  for (const auto& [value, name] : names) {
    if (value == color) return name;
  }
  return "自定义色";
}

std::string SmFontStyleName(const SmLogFont& font) {
  const bool normal = font.weight == 400;
  if (font.italic) return normal ? "斜体" : "粗斜";
  return normal ? "常规" : "粗体";
}

// ---------------------------------------------------------------- font list

CSmFontList::CSmFontList(QWidget* parent) : CSmListCtrl(parent) {
  SetColumns({60, 100, 50, 50, 60, 60, 50},
             {"区域", "字体", "字样", "字号", "删除线", "下划线", "颜色"});
  setRootIsDecorated(false);
  setAllColumnsShowFocus(true);
  Initialize();
}

void CSmFontList::ShowFonts(const CSmPrintInfo& info) {
  clear();
  const char* const regions[] = {"标题", "页头", "正文", "页脚"};
  for (int r = 0; r < 4; ++r) {
    const SmLogFont& f = info.m_fonts[r];
    AddRow({regions[r], f.faceName, SmFontStyleName(f), std::to_string(std::abs(f.height)),
            f.strikeOut ? "√" : "×", f.underline ? "√" : "×", SmColorName(RegionColor(info, r))});
  }
}

bool CSmFontList::IsCommandAvailable(unsigned id) {
  switch (id) {
    case SM_ID_LIST_ADD:
    case SM_ID_LIST_DELETE:
    case SM_ID_EDIT_COPY:
    case SM_ID_EDIT_CUT:
    case SM_ID_EDIT_PASTE:
    case SM_ID_EDIT_SELECT_ALL:
      return false;
    default:
      return true;
  }
}

void CSmFontList::Open() {
  if (onOpen) onOpen();
}

// ---------------------------------------------------------------- the dialog

CSmPageSetupDlg::CSmPageSetupDlg(CSmPrintInfo* info, int key, QWidget* parent)
    : CSmDlg(850, parent), m_info(info), m_key(key) {
  setObjectName("850");
  setWindowTitle(QStringLiteral("Vornel软件－页面设置"));
  auto* grid = new QGridLayout(this);
  m_fonts = new CSmFontList(this);
  m_fonts->setObjectName(QString::number(kFontList));
  m_fonts->setMinimumSize(440, 120);
  m_fonts->onOpen = [this] { OpenRegion(); };
  grid->addWidget(m_fonts, 0, 0, 1, 6);
  for (size_t i = 0; i < std::size(kValues); ++i) {
    const ValueControl& c = kValues[i];
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(c.edit));
    auto* label = new QLabel(QString::fromUtf8(c.label), this);
    label->setBuddy(edit);
    auto* spin = new QWidget(this);
    spin->setObjectName(QString::number(c.spin));
    auto* arrows = new QVBoxLayout(spin);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (bool up : {true, false}) {
      auto* arrow = new QToolButton(spin);
      arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
      arrow->setFocusPolicy(Qt::NoFocus);
      arrow->setFixedSize(16, 11);
      arrow->setAutoRepeat(true);
      connect(arrow, &QToolButton::clicked, this,
              [this, i, up] { Step(static_cast<Value>(i), up); });
      arrows->addWidget(arrow);
    }
    const int row = 1 + static_cast<int>(i) % 4;
    const int column = i < 4 ? 0 : 3;
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
    grid->addWidget(spin, row, column + 2);
  }
  m_portrait = new QRadioButton(QStringLiteral("纵向(正常)"), this);
  m_portrait->setObjectName(QString::number(kPortrait));
  m_landscape = new QRadioButton(QStringLiteral("横向"), this);
  m_landscape->setObjectName(QString::number(kLandscape));
  grid->addWidget(m_portrait, 5, 0, 1, 2);
  grid->addWidget(m_landscape, 5, 3, 1, 2);
  m_tableSwatch = new QWidget(this);
  m_tableSwatch->setObjectName(QString::number(kTableSwatch));
  m_frameSwatch = new QWidget(this);
  m_frameSwatch->setObjectName(QString::number(kFrameSwatch));
  for (QWidget* swatch : {m_tableSwatch, m_frameSwatch}) {
    swatch->setMinimumSize(60, 22);
    swatch->installEventFilter(this);
  }
  grid->addWidget(AddButton(kTableLineButton, QStringLiteral("表线...")), 6, 0);
  grid->addWidget(m_tableSwatch, 6, 1);
  grid->addWidget(AddButton(kFrameLineButton, QStringLiteral("框线...")), 6, 3);
  grid->addWidget(m_frameSwatch, 6, 4);
  grid->addWidget(AddButton(kPapersButton, QStringLiteral("可用纸")), 7, 0);
  grid->addWidget(AddButton(kDefaultsButton, QStringLiteral("取默认值(&G)")), 7, 1);
  grid->addWidget(AddButton(SM_ID_OK, QStringLiteral("确认(&S)")), 7, 3);
  grid->addWidget(AddButton(SM_ID_CANCEL, QStringLiteral("取消(&X)")), 7, 4);
  ShowValues();
}

void CSmPageSetupDlg::ShowValues() {
  const bool landscape = m_info->PageCopies == 0;
  const int width = landscape ? m_info->PageLength : m_info->PageWidth;
  const int length = landscape ? m_info->PageWidth : m_info->PageLength;
  const int tenths[] = {width,
                        length,
                        m_info->PageRow,
                        m_info->PageTop,
                        m_info->PageBottom,
                        m_info->PageLeft,
                        m_info->PageRight};
  for (size_t i = 0; i < std::size(kValues); ++i) {
    static_cast<QLineEdit*>(Control(kValues[i].edit))
        ->setText(QString::asprintf("%.1lf", tenths[i] * 0.1));
  }
  (landscape ? m_landscape : m_portrait)->setChecked(true);
  m_fonts->ShowFonts(*m_info);
  m_tableSwatch->update();
  m_frameSwatch->update();
}

bool CSmPageSetupDlg::ReadValue(const QString& text, double& value) {
  value = 0;
  if (text.isEmpty()) return false;
  for (QChar c : text) {
    if (!c.isDigit() && c != '.') return false;
  }
  return std::sscanf(text.toLatin1().constData(), "%lf", &value) == 1;
}

void CSmPageSetupDlg::ReadValues() {
  for (size_t i = 0; i < std::size(kValues); ++i) {
    m_valid[i] = ReadValue(static_cast<QLineEdit*>(Control(kValues[i].edit))->text(), m_values[i]);
  }
}

bool CSmPageSetupDlg::Step(Value value, bool up) {
  ReadValues();
  const auto& v = m_values;
  const double printable = v[kLength] - v[kHeader] - v[kFooter] - v[kSpacing];
  const double across = v[kWidth] - v[kLeft] - v[kRight];
  const bool notZero = std::abs(v[value]) >= 0.00001;
  bool allowed = false;
  switch (value) {
    case kWidth:
      allowed = up ? v[kWidth] - 9999 <= 0 : across >= 0;
      break;
    case kLength:
      allowed = up ? v[kLength] - 9999 <= 0 : printable >= 0;
      break;
    case kSpacing:
    case kHeader:
    case kFooter:
      allowed = up ? printable >= 0 : notZero;
      break;
    case kLeft:
    case kRight:
      allowed = up ? across >= 0 : notZero;
      break;
  }
  if (!allowed) {
    QApplication::beep();
    return false;
  }
  m_values[value] += up ? 0.1 : -0.1;
  static_cast<QLineEdit*>(Control(kValues[value].edit))
      ->setText(QString::asprintf("%.1lf", m_values[value]));
  return true;
}

bool CSmPageSetupDlg::Refuse(const char* text, Value value) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONERROR, kErrorTitle);
  Control(kValues[value].edit)->setFocus();
  return false;
}

bool CSmPageSetupDlg::ValidateAndSave() {
  if (m_fonts->hasFocus() && m_fonts->IsCommandEnabled(SM_ID_LIST_OPEN)) {
    OpenRegion();
    return false;
  }
  ReadValues();
  const auto& v = m_values;
  const auto& ok = m_valid;
  if (!ok[kWidth] || v[kWidth] < 10 || v[kWidth] > 999)
    return Refuse("无效的页面宽度，\r\r输入另一个数。", kWidth);
  if (!ok[kLength] || v[kLength] < 10 || v[kLength] > 999)
    return Refuse("无效的页面长度，\r\r输入另一个数。", kLength);
  if (!ok[kSpacing] || std::abs(v[kSpacing]) < 0.0001 || v[kSpacing] > 999)
    return Refuse("打印行间距无效，\r\r输入另一个数。", kSpacing);
  if (!ok[kHeader] || v[kHeader] >= v[kLength])
    return Refuse("无效的页头长度，\r\r输入另一个数。", kHeader);
  if (!ok[kFooter] || v[kLength] - (v[kFooter] + v[kHeader]) < 10)
    return Refuse(
        "所给页面除去页头和页脚长度已没有打印区域，\r\r请重新调整页长、页头和页脚之间的长度。",
        kFooter);
  if (!ok[kLeft] || v[kLeft] > v[kWidth])
    return Refuse("无效的页左边距，\r\r输入另一个数。", kLeft);
  if (!ok[kRight] || v[kRight] > v[kWidth])
    return Refuse("无效的页右边距，\r\r输入另一个数。", kRight);
  if (v[kWidth] - 50 < v[kLeft] + v[kRight])
    return Refuse(
        "所给页面除去左右边距外，已没有打印区域，\r\r请重新调整页宽、页左边距和页右边距之间的长度"
        "。",
        kWidth);
  m_info->PageWidth = ToTenths(v[kWidth]);
  m_info->PageLength = ToTenths(v[kLength]);
  m_info->PageRow = ToTenths(v[kSpacing]);
  m_info->PageTop = ToTenths(v[kHeader]);
  m_info->PageBottom = ToTenths(v[kFooter]);
  m_info->PageLeft = ToTenths(v[kLeft]);
  m_info->PageRight = ToTenths(v[kRight]);
  m_info->PageCopies = m_portrait->isChecked() ? 1 : 0;
  if (m_info->PageCopies == 0) std::swap(m_info->PageWidth, m_info->PageLength);
  return true;
}

void CSmPageSetupDlg::SetBusy(bool busy) {
  const int ids[] = {SM_ID_OK, SM_ID_CANCEL, kTableLineButton, kFrameLineButton, kDefaultsButton};
  for (int id : ids) Control(id)->setEnabled(!busy);
}

void CSmPageSetupDlg::OpenRegion() {
  const QList<QTreeWidgetItem*> selected = m_fonts->selectedItems();
  if (selected.size() != 1) return;
  const int region = m_fonts->indexOfTopLevelItem(selected.front());
  SetBusy(true);
  SmLogFont font = m_info->m_fonts[region];
  SmColorRef color = RegionColor(*m_info, region);
  if (SmAskFont(this, font, color)) TakeFont(region, font, color);
  SetBusy(false);
}

void CSmPageSetupDlg::TakeFont(int region, const SmLogFont& font, SmColorRef color) {
  m_info->m_fonts[region] = font;
  SetRegionColor(*m_info, region, color);
  m_fonts->ShowFonts(*m_info);
  if (QTreeWidgetItem* row = m_fonts->topLevelItem(region)) {
    row->setSelected(true);
    m_fonts->setCurrentItem(row);
  }
  m_fonts->setFocus();
}

void CSmPageSetupDlg::ChooseLineColor(bool frame) {
  SmColorRef& color = frame ? m_info->OutBox : m_info->FormLine;
  SetBusy(true);
  const QColor chosen = QColorDialog::getColor(ToQColor(color), this);
  SetBusy(false);
  if (!chosen.isValid()) return;
  color = FromQColor(chosen);
  m_tableSwatch->update();
  m_frameSwatch->update();
}

bool CSmPageSetupDlg::OnCommand(unsigned id) {
  switch (id) {
    case kTableLineButton:
    case kFrameLineButton:
      ChooseLineColor(id == kFrameLineButton);
      return true;
    case kPapersButton: {
      SmPageRequest papers;
      papers.width = -1;
      papers.height = -1;
      papers.left = papers.top = papers.right = papers.bottom = 0;
      SmGetPrinterDC(papers);
      return true;
    }
    case kDefaultsButton:
      m_info->LoadDefault(m_key, m_info->m_mode);
      ShowValues();
      return true;
    default:
      return CSmDlg::OnCommand(id);
  }
}

bool CSmPageSetupDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && (watched == m_tableSwatch || watched == m_frameSwatch)) {
    auto* swatch = static_cast<QWidget*>(watched);
    QPainter painter(swatch);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(swatch->rect().adjusted(0, 0, -1, -1));
    const SmColorRef color = watched == m_tableSwatch ? m_info->FormLine : m_info->OutBox;
    painter.fillRect(swatch->rect().adjusted(2, 2, -2, -2), ToQColor(color));
    return true;
  }
  return CSmDlg::eventFilter(watched, event);
}
