#include "designer/RiloPageSetupDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <functional>
#include <numeric>

#include "core/SmNumber.h"
#include "designer/RiloData.h"
#include "designer/RiloDlgParts.h"
#include "designer/RiloDoc.h"
#include "designer/RiloView.h"
#include "platform/SmMessage.h"

namespace {

constexpr int kSettingsChange = 8;  // the settings entry of the document's change flags
constexpr double kMaxLength = 9999;
// The print scales offered, in per cent.
constexpr int kMinScale = 10;
constexpr int kMaxScale = 400;
constexpr int kScaleStep = 5;

int ScaleAt(int index) {
  return kMinScale + kScaleStep * index;
}

struct LengthIds {
  int edit;
  int spin;
  const char* label;
};
// Paper width and length, margins top, bottom, left and right.
using Dlg = CRiloPageSetupDlg;
constexpr std::array<LengthIds, 6> kLengthIds{
    {{Dlg::kPaperWidth, Dlg::kPaperWidthSpin, "宽(&W)"},
     {Dlg::kPaperLength, Dlg::kPaperLengthSpin, "长(&E)"},
     {Dlg::kTopMargin, Dlg::kTopMarginSpin, "上(&T)"},
     {Dlg::kBottomMargin, Dlg::kBottomMarginSpin, "下(&B)"},
     {Dlg::kLeftMargin, Dlg::kLeftMarginSpin, "左(&L)"},
     {Dlg::kRightMargin, Dlg::kRightMarginSpin, "右(&R)"}}};
// Fixed rows top and bottom, fixed columns left and right.
constexpr std::array<LengthIds, 4> kTitleIds{
    {{Dlg::kTopTitle, Dlg::kTopTitleSpin, "上边固定"},
     {Dlg::kBottomTitle, Dlg::kBottomTitleSpin, "下边固定"},
     {Dlg::kLeftTitle, Dlg::kLeftTitleSpin, "左边固定"},
     {Dlg::kRightTitle, Dlg::kRightTitleSpin, "右边固定"}}};

bool HasStep(const std::vector<int>& breaks) {
  for (const int a : breaks) {
    for (const int b : breaks) {
      if (a - b == 1) return true;
    }
  }
  return false;
}

// A widget painted by its owner.
class CPaintedBox : public QWidget {
 public:
  CPaintedBox(QWidget* parent, std::function<void(QPainter&, const QRect&)> paint)
      : QWidget(parent), m_paint(std::move(paint)) {}

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    m_paint(painter, rect());
  }

 private:
  std::function<void(QPainter&, const QRect&)> m_paint;
};

// The page with its margins and lines standing for text, a shadow right and below.
void DrawPagePicture(QPainter& painter, const QRect& frame, const SmRiloPageSettings& s) {
  painter.fillRect(frame, QApplication::palette().color(QPalette::Window).darker(115));
  if (s.paper.first == 0 || s.paper.second == 0) return;
  const QRect area = frame.adjusted(4, 4, -4, -4);
  const double width = s.paper.first * 0.7;
  const double length = s.paper.second * 0.7;
  const double m = std::min(area.width(), area.height()) / std::max(width, length);
  const QPoint centre = area.center();
  const int halfW = static_cast<int>(width * m / 2);
  const int halfL = static_cast<int>(length * m / 2);
  const QRect page =
      QRect(centre.x() - halfW, centre.y() - halfL, 2 * halfW, 2 * halfL).intersected(area);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawRect(page.adjusted(-1, -1, 0, 0));
  const auto clampX = [&](double x) {
    return std::clamp(static_cast<int>(x), page.left(), page.right());
  };
  const auto clampY = [&](double y) {
    return std::clamp(static_cast<int>(y), page.top(), page.bottom());
  };
  const int left = clampX(centre.x() - m * (width / 2 - s.margins.left * 0.7));
  const int right = clampX(centre.x() + m * (width / 2 - s.margins.right * 0.7));
  const int top = clampY(centre.y() - m * (length / 2 - s.margins.top * 0.7));
  const int bottom = clampY(centre.y() + m * (length / 2 - s.margins.bottom * 0.7));
  painter.drawLine(left, page.top(), left, page.bottom());
  painter.drawLine(page.left(), top, page.right(), top);
  for (int y = top + 10; y < bottom; y += 10) painter.drawLine(left, y, right, y);
  painter.drawLine(right, page.top(), right, page.bottom());
  painter.drawLine(page.left(), bottom, page.right(), bottom);
  painter.fillRect(QRect(page.right() + 1, page.top() + 6, 3, page.height() - 4), Qt::darkGray);
  painter.fillRect(QRect(page.left() + 6, page.bottom() + 1, page.width() - 5, 3), Qt::darkGray);
}

// Four pages numbered in the order they print: across first or down first.
void DrawOrderPicture(QPainter& painter, const QRect& frame, bool acrossFirst) {
  painter.fillRect(frame, QApplication::palette().color(QPalette::Window));
  const int w = (frame.width() - 6) / 2;
  const int h = (frame.height() - 6) / 2;
  for (int i = 0; i < 4; ++i) {
    const int across = acrossFirst ? i % 2 : i / 2;
    const int down = acrossFirst ? i / 2 : i % 2;
    const QRect page(frame.left() + 2 + across * (w + 2), frame.top() + 2 + down * (h + 2), w, h);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(page);
    painter.drawText(page, Qt::AlignCenter, QString::number(i + 1));
  }
}

}  // namespace

SmRiloPageSettings RiloPageSettings(const CRiloData& sheet) {
  SmRiloPageSettings s;
  s.margins = sheet.m_margins;
  s.titles = sheet.m_titleArea;
  s.landscape = sheet.m_pageFlags / 2 != 0;
  s.paper = s.landscape ? SmIntPair{sheet.m_paper.second, sheet.m_paper.first} : sheet.m_paper;
  s.colBreaks = sheet.m_colBreaks;
  s.rowBreaks = sheet.m_rowBreaks;
  s.scale = sheet.m_printFactor;
  s.acrossFirst = (sheet.m_pageFlags & 1) != 0;
  return s;
}

void RiloApplyPageSettings(const SmRiloPageSettings& s, CRiloData& sheet) {
  sheet.m_pageFlags = (s.acrossFirst ? 1 : 0) + (s.landscape ? 2 : 0);
  sheet.m_colBreaks = s.colBreaks;
  sheet.m_rowBreaks = s.rowBreaks;
  sheet.m_margins = s.margins;
  sheet.m_titleArea = s.titles;
  sheet.m_paper = s.landscape ? SmIntPair{s.paper.second, s.paper.first} : s.paper;
  sheet.m_printFactor = s.scale;
}

bool RiloPageSetup(CRiloView* view) {
  CRiloDoc* doc = view ? view->GetDocument() : nullptr;
  if (!doc || doc->m_sheet.m_rows <= 0 || doc->m_sheet.m_cols <= 0) return false;
  CRiloData& sheet = doc->m_sheet;
  CRiloPageSetupDlg dlg(RiloPageSettings(sheet), sheet.m_rowHeights, sheet.m_colWidths, view);
  if (dlg.DoModal() != SM_IDOK) return false;
  RiloApplyPageSettings(dlg.m_settings, sheet);
  ++doc->m_changes[kSettingsChange];
  doc->UpdateAllViews(nullptr);
  return true;
}

// ---------------------------------------------------------------- the dialog

CRiloPageSetupDlg::CRiloPageSetupDlg(const SmRiloPageSettings& settings,
                                     const std::vector<int>& rowHeights,
                                     const std::vector<int>& colWidths, QWidget* parent)
    : CSmDlg(831, parent),
      m_settings(settings),
      m_rows(static_cast<int>(rowHeights.size())),
      m_cols(static_cast<int>(colWidths.size())),
      m_heightSum(std::accumulate(rowHeights.begin(), rowHeights.end(), 0)),
      m_widthSum(std::accumulate(colWidths.begin(), colWidths.end(), 0)) {
  setObjectName("831");
  setWindowTitle(QStringLiteral("Vornel软件--页面设置"));
  auto* grid = new QGridLayout(this);
  QWidget* paper = BuildLengthGroup(QStringLiteral("纸张大小"), kWidth, kLength);
  BuildUnitButtons(paper);
  grid->addWidget(paper, 0, 0);
  grid->addWidget(BuildLengthGroup(QStringLiteral("页面边距"), kTop, kRight), 1, 0);
  grid->addWidget(BuildTitleGroup(), 2, 0);

  auto* orientation = new QGroupBox(QStringLiteral("打印方向"), this);
  orientation->setObjectName(QString::number(kOrientationGroup));
  auto* orientationRow = new QHBoxLayout(orientation);
  m_portrait = new QRadioButton(QStringLiteral("纵向(正常)"), orientation);
  m_portrait->setObjectName(QString::number(kPortrait));
  m_landscape = new QRadioButton(QStringLiteral("横向"), orientation);
  m_landscape->setObjectName(QString::number(kLandscape));
  (m_settings.landscape ? m_landscape : m_portrait)->setChecked(true);
  orientationRow->addWidget(m_portrait);
  orientationRow->addWidget(m_landscape);
  grid->addWidget(orientation, 3, 0);

  grid->addWidget(BuildBreakLists(), 0, 1, 3, 1);

  auto* scaleRow = new QHBoxLayout;
  auto* scaleLabel = new QLabel(QStringLiteral("打印缩放比例(&Z)"), this);
  m_scale = new QComboBox(this);
  m_scale->setObjectName(QString::number(kScale));
  for (int percent = kMinScale; percent <= kMaxScale; percent += kScaleStep)
    m_scale->addItem(QString::asprintf("%3d％", percent));
  m_scale->setCurrentIndex(
      std::clamp((m_settings.scale - kMinScale) / kScaleStep, 0, m_scale->count() - 1));
  scaleLabel->setBuddy(m_scale);
  connect(m_scale, &QComboBox::currentIndexChanged, this, [this] {
    m_settings.scale = ScaleAt(m_scale->currentIndex());
    UpdateLines();
  });
  scaleRow->addWidget(scaleLabel);
  scaleRow->addWidget(m_scale);
  grid->addLayout(scaleRow, 3, 1);

  auto* order = new QGroupBox(QStringLiteral("打印顺序"), this);
  order->setObjectName(QString::number(kOrderGroup));
  auto* orderRow = new QHBoxLayout(order);
  auto* orderButtons = new QVBoxLayout;
  m_rowFirst = new QRadioButton(QStringLiteral("先行后栏"), order);
  m_rowFirst->setObjectName(QString::number(kRowFirst));
  m_acrossFirst = new QRadioButton(QStringLiteral("先栏后行"), order);
  m_acrossFirst->setObjectName(QString::number(kAcrossFirst));
  (m_settings.acrossFirst ? m_acrossFirst : m_rowFirst)->setChecked(true);
  connect(m_rowFirst, &QRadioButton::clicked, this, [this] { OnOrderChosen(false); });
  connect(m_acrossFirst, &QRadioButton::clicked, this, [this] { OnOrderChosen(true); });
  orderButtons->addWidget(m_rowFirst);
  orderButtons->addWidget(m_acrossFirst);
  orderRow->addLayout(orderButtons);
  m_orderPicture = new CPaintedBox(order, [this](QPainter& painter, const QRect& frame) {
    DrawOrderPicture(painter, frame, m_settings.acrossFirst);
  });
  m_orderPicture->setFixedSize(71, 47);
  orderRow->addWidget(m_orderPicture);
  grid->addWidget(order, 4, 0);

  m_widthLine = new QLabel(this);
  m_widthLine->setObjectName(QString::number(kWidthLine));
  m_lengthLine = new QLabel(this);
  m_lengthLine->setObjectName(QString::number(kLengthLine));
  grid->addWidget(m_widthLine, 4, 1, Qt::AlignTop);
  grid->addWidget(m_lengthLine, 4, 1, Qt::AlignBottom);

  m_picture = new CPaintedBox(this, [this](QPainter& painter, const QRect& frame) {
    DrawPagePicture(painter, frame, m_settings);
  });
  m_picture->setObjectName(QString::number(kPicture));
  m_picture->setMinimumSize(160, 160);
  grid->addWidget(m_picture, 0, 2, 3, 1);
  auto* preview = new QPushButton(QStringLiteral("预览"), this);
  preview->setObjectName(QString::number(kPreview));
  preview->setAutoDefault(false);
  connect(preview, &QPushButton::clicked, m_picture, qOverload<>(&QWidget::update));
  grid->addWidget(preview, 3, 2);

  QPushButton* cancel = nullptr;
  QPushButton* ok = RiloOkCancel(this, &cancel);
  ok->setText(QStringLiteral("&S.确认"));
  cancel->setText(QStringLiteral("&X.取消"));
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 4, 2);

  connect(m_mm, &QRadioButton::clicked, this, [this] { SetUnit(true); });
  connect(m_cm, &QRadioButton::clicked, this, [this] { SetUnit(false); });
  UpdateLines();
}

QLineEdit* CRiloPageSetupDlg::AddField(QWidget* group, QGridLayout* grid, const char* label,
                                       int editId, int spinId, int row, int column) {
  auto* edit = new QLineEdit(group);
  edit->setObjectName(QString::number(editId));
  auto* caption = new QLabel(QString::fromUtf8(label), group);
  caption->setBuddy(edit);
  grid->addWidget(caption, row, column);
  grid->addWidget(edit, row, column + 1);
  grid->addWidget(RiloSpinArrows(group, spinId, [this, spinId](bool up) { Step(spinId, up); }), row,
                  column + 2);
  return edit;
}

void CRiloPageSetupDlg::BuildUnitButtons(QWidget* group) {
  auto* grid = static_cast<QGridLayout*>(group->layout());
  auto* units = new QGroupBox(QStringLiteral("纸张、页面单位"), group);
  auto* unitRow = new QVBoxLayout(units);
  m_mm = new QRadioButton(QStringLiteral("毫米"), units);
  m_mm->setObjectName(QString::number(kMillimetres));
  m_mm->setChecked(true);
  m_cm = new QRadioButton(QStringLiteral("厘米"), units);
  m_cm->setObjectName(QString::number(kCentimetres));
  unitRow->addWidget(m_mm);
  unitRow->addWidget(m_cm);
  grid->addWidget(units, 0, 3, 2, 1);
}

QWidget* CRiloPageSetupDlg::BuildLengthGroup(const QString& caption, int first, int last) {
  auto* group = new QGroupBox(caption, this);
  auto* grid = new QGridLayout(group);
  const SmRiloPageSettings& s = m_settings;
  const std::array<int, 6> values{s.paper.first,    s.paper.second, s.margins.top,
                                  s.margins.bottom, s.margins.left, s.margins.right};
  for (int length = first; length <= last; ++length) {
    const LengthIds& ids = kLengthIds[static_cast<size_t>(length)];
    // The paper's two fields stand one below the other, the margins two by two.
    const int i = length - first;
    const int row = first == kWidth ? i : i / 2;
    const int column = first == kWidth ? 0 : 3 * (i % 2);
    QLineEdit* edit = AddField(group, grid, ids.label, ids.edit, ids.spin, row, column);
    m_lengths[static_cast<size_t>(length)] = edit;
    ShowLength(length, values[static_cast<size_t>(length)]);
    connect(edit, &QLineEdit::textEdited, this, [this, length] { OnLengthEdited(length); });
  }
  return group;
}

QWidget* CRiloPageSetupDlg::BuildTitleGroup() {
  auto* group = new QGroupBox(QStringLiteral("固定参照行、栏"), this);
  auto* grid = new QGridLayout(group);
  const SmIntRect& t = m_settings.titles;
  const std::array<int, 4> values{t.top, t.bottom, t.left, t.right};
  for (int title = kFixedTop; title <= kFixedRight; ++title) {
    const LengthIds& ids = kTitleIds[static_cast<size_t>(title)];
    QLineEdit* edit = AddField(group, grid, ids.label, ids.edit, ids.spin, title, 0);
    edit->setText(QString::number(values[static_cast<size_t>(title)]));
    m_titleEdits[static_cast<size_t>(title)] = edit;
    grid->addWidget(
        new QLabel(title < kFixedLeft ? QStringLiteral("行") : QStringLiteral("栏"), group), title,
        3);
  }
  return group;
}

QWidget* CRiloPageSetupDlg::BuildBreakLists() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  m_rowList = new QListWidget(box);
  m_rowList->setObjectName(QString::number(kRowBreaks));
  m_colList = new QListWidget(box);
  m_colList->setObjectName(QString::number(kColumnBreaks));
  for (int r = 0; r < m_rows; ++r) m_rowList->addItem(QString::number(r + 1));
  for (int c = 0; c < m_cols; ++c) m_colList->addItem(QString::fromStdString(ColumnLabel(c)));
  for (QListWidget* list : {m_rowList, m_colList}) {
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->installEventFilter(this);
    list->setMinimumWidth(70);
  }
  for (const int r : m_settings.rowBreaks)
    if (r >= 0 && r < m_rows) m_rowList->item(r)->setSelected(true);
  for (const int c : m_settings.colBreaks)
    if (c >= 0 && c < m_cols) m_colList->item(c)->setSelected(true);
  auto* rowLabel = new QLabel(QStringLiteral("行分页(&V)"), box);
  rowLabel->setBuddy(m_rowList);
  auto* colLabel = new QLabel(QStringLiteral("栏分页(&H)"), box);
  colLabel->setBuddy(m_colList);
  grid->addWidget(rowLabel, 0, 0);
  grid->addWidget(colLabel, 0, 1);
  grid->addWidget(m_rowList, 1, 0);
  grid->addWidget(m_colList, 1, 1);
  return box;
}

void CRiloPageSetupDlg::ShowLength(int length, int tenths) {
  LengthEdit(length)->setText(QString::asprintf("%.2f", tenths * (m_millimetres ? 0.1 : 0.01)));
}

int CRiloPageSetupDlg::Tenths(int length) const {
  const double unit = m_millimetres ? 10 : 100;
  return static_cast<int>(StrToDouble(LengthEdit(length)->text().toStdString()) * unit);
}

void CRiloPageSetupDlg::ReadControls(bool confirming) {
  SmRiloPageSettings& s = m_settings;
  s.paper = {Tenths(kWidth), Tenths(kLength)};
  s.margins = {Tenths(kLeft), Tenths(kTop), Tenths(kRight), Tenths(kBottom)};
  if (!confirming) return;
  const auto title = [this](int t) { return StrToIntDef(TitleEdit(t)->text().toStdString(), 0); };
  s.titles = {title(kFixedLeft), title(kFixedTop), title(kFixedRight), title(kFixedBottom)};
  // The lists hold every column (row) in order: an item's place is its index.
  const auto selected = [](const QListWidget* list) {
    std::vector<int> indexes;
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->isSelected()) indexes.push_back(i);
    return indexes;
  };
  s.colBreaks = selected(m_colList);
  s.rowBreaks = selected(m_rowList);
  s.scale = ScaleAt(m_scale->currentIndex());
  s.landscape = m_landscape->isChecked();
  s.acrossFirst = m_acrossFirst->isChecked();
}

QString CRiloPageSetupDlg::WidthLine() const {
  const SmRiloPageSettings& s = m_settings;
  return QString::asprintf(
      "表宽+左右边距=%.1f(厘米)",
      m_widthSum * s.scale * 0.0001 + (s.margins.left + s.margins.right) * 0.01);
}

QString CRiloPageSetupDlg::LengthLine() const {
  const SmRiloPageSettings& s = m_settings;
  return QString::asprintf(
      "表长+上下边距=%.1f(厘米)",
      m_heightSum * s.scale * 0.0001 + (s.margins.top + s.margins.bottom) * 0.01);
}

void CRiloPageSetupDlg::UpdateLines() {
  m_widthLine->setText(WidthLine());
  m_lengthLine->setText(LengthLine());
  if (m_picture) m_picture->update();
}

void CRiloPageSetupDlg::OnLengthEdited(int length) {
  ReadControls(false);
  const SmRiloPageSettings& s = m_settings;
  const bool across = length == kWidth || length == kLeft || length == kRight;
  const bool holds = across ? s.paper.first >= s.margins.left + s.margins.right
                            : s.paper.second >= s.margins.top + s.margins.bottom;
  if (!holds) {
    QApplication::beep();
    return;
  }
  UpdateLines();
}

void CRiloPageSetupDlg::SetUnit(bool millimetres) {
  m_mm->setChecked(millimetres);
  m_cm->setChecked(!millimetres);
  if (millimetres == m_millimetres) return;
  const double factor = millimetres ? 10 : 0.1;
  for (QLineEdit* edit : m_lengths) {
    edit->setText(QString::asprintf("%.2f", StrToDouble(edit->text().toStdString()) * factor));
  }
  m_millimetres = millimetres;
}

bool CRiloPageSetupDlg::Step(int id, bool up) {
  ReadControls(false);
  const SmRiloPageSettings& s = m_settings;
  for (size_t t = 0; t < kTitleIds.size(); ++t) {
    if (kTitleIds[t].spin != id) continue;
    const int count = t < kFixedLeft ? m_rows : m_cols;
    const int opposite = StrToIntDef(TitleEdit(static_cast<int>(t ^ 1))->text().toStdString(), 0);
    const int value = StrToIntDef(TitleEdit(static_cast<int>(t))->text().toStdString(), 0);
    const bool allowed = up ? value < count - opposite : value >= 1;
    if (!allowed) {
      QApplication::beep();
      return false;
    }
    TitleEdit(static_cast<int>(t))->setText(QString::number(value + (up ? 1 : -1)));
    return true;
  }
  int length = -1;
  for (size_t i = 0; i < kLengthIds.size(); ++i)
    if (kLengthIds[i].spin == id) length = static_cast<int>(i);
  if (length < 0) return false;
  QLineEdit* edit = LengthEdit(length);
  const double value = StrToDouble(edit->text().toStdString());
  const bool across = length == kWidth || length == kLeft || length == kRight;
  const int paper = across ? s.paper.first : s.paper.second;
  const int margins = across ? s.margins.left + s.margins.right : s.margins.top + s.margins.bottom;
  const bool isPaper = length == kWidth || length == kLength;
  bool allowed = false;
  if (isPaper)
    allowed = up ? value < kMaxLength : value > 0 && paper > margins;
  else
    allowed = up ? value < kMaxLength && paper > margins : value > 0;
  if (!allowed) {
    QApplication::beep();
    return false;
  }
  edit->setText(QString::asprintf("%.2f", value + (up ? 0.1 : -0.1)));
  ReadControls(false);
  UpdateLines();
  return true;
}

void CRiloPageSetupDlg::OnOrderChosen(bool acrossFirst) {
  m_settings.acrossFirst = acrossFirst;
  m_acrossFirst->setChecked(acrossFirst);
  m_rowFirst->setChecked(!acrossFirst);
  m_orderPicture->update();
}

bool CRiloPageSetupDlg::eventFilter(QObject* watched, QEvent* event) {
  // Ctrl with an arrow toggles the item under the caret of the break list, which then moves
  // as usual: single breaks are added and removed from the keyboard.
  auto* list = qobject_cast<QListWidget*>(watched);
  if (event->type() == QEvent::KeyPress && list && list->currentItem()) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool arrow = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                       key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
    if (arrow && (key->modifiers() & Qt::ControlModifier))
      list->currentItem()->setSelected(!list->currentItem()->isSelected());
  }
  return CSmDlg::eventFilter(watched, event);
}

bool CRiloPageSetupDlg::Refuse(const char* text, QWidget* focus) {
  SmMessageBox(text, SM_MB_OK | SM_MB_ICONWARNING, "Vornel软件");
  focus->setFocus();
  return false;
}

bool CRiloPageSetupDlg::ValidateAndSave() {
  ReadControls(true);
  const SmRiloPageSettings& s = m_settings;
  const SmIntRect& m = s.margins;
  const SmIntRect& t = s.titles;
  const auto rowBreakAt = [&](auto below) {
    return std::any_of(s.rowBreaks.begin(), s.rowBreaks.end(), below);
  };
  const auto colBreakAt = [&](auto below) {
    return std::any_of(s.colBreaks.begin(), s.colBreaks.end(), below);
  };
  const struct {
    bool holds;
    const char* text;
    QWidget* focus;
  } checks[] = {
      {s.paper.first > 0, "纸张宽度不合理！", LengthEdit(kWidth)},
      {s.paper.second > 0, "纸张长度不合理！", LengthEdit(kLength)},
      {m.top >= 0, "页面上边距不合理！", LengthEdit(kTop)},
      {m.bottom >= 0, "页面下边距不合理！", LengthEdit(kBottom)},
      {m.left >= 0, "页面左边距不合理！", LengthEdit(kLeft)},
      {m.right >= 0, "页面右边距不合理！", LengthEdit(kRight)},
      {s.paper.first >= m.left + m.right, "纸张宽、页面左边距、右边距三个数字互相矛盾！",
       LengthEdit(kWidth)},
      {s.paper.second >= m.top + m.bottom, "纸张长、页面上边距、下边距三个数字互相矛盾！",
       LengthEdit(kLength)},
      {t.top >= 0 && t.top <= m_rows, "上边固定行数不合理！", TitleEdit(kFixedTop)},
      {t.bottom >= 0 && t.bottom <= m_rows, "下边固定行数不合理！", TitleEdit(kFixedBottom)},
      {t.top + t.bottom <= m_rows, "上边固定行数、下边固定行数、总行数三个数字互相矛盾！",
       TitleEdit(kFixedTop)},
      {t.left >= 0 && t.left <= m_cols, "左边固定栏数不合理！", TitleEdit(kFixedLeft)},
      {t.right >= 0 && t.right <= m_cols, "右边固定栏数不合理！", TitleEdit(kFixedRight)},
      {t.left + t.right <= m_cols, "左边固定栏数、右边固定栏数、总栏数三个数字互相矛盾！",
       TitleEdit(kFixedLeft)},
      {!HasStep(s.rowBreaks), "行分页线不能连续！", m_rowList},
      {!HasStep(s.colBreaks), "栏分页线不能连续！", m_colList},
      {!rowBreakAt([&](int r) { return r < t.top; }), "上边固定参照行不能选为行分页线！",
       m_rowList},
      {!rowBreakAt([&](int r) { return r >= m_rows - t.bottom; }),
       "下边固定参照行不能选为行分页线！", m_rowList},
      {!colBreakAt([&](int c) { return c < t.left; }), "左边固定参照栏不能选为栏分页线！",
       m_colList},
      {!colBreakAt([&](int c) { return c >= m_cols - t.right; }),
       "右边固定参照栏不能选为栏分页线！", m_colList},
  };
  for (const auto& check : checks) {
    if (!check.holds) return Refuse(check.text, check.focus);
  }
  return true;
}
