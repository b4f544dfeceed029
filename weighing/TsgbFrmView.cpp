#include "weighing/TsgbFrmView.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "app/SmWorkstation.h"
#include "cane/TsAdrRec.h"
#include "cane/TsDriverDirDlg.h"
#include "cane/TsDriverRec.h"
#include "cane/TsFarmerDirDlg.h"
#include "cane/TsGp.h"
#include "cane/TsItems.h"
#include "cane/TsNH.h"
#include "cane/TsParams.h"
#include "cane/TsPlaceDirDlg.h"
#include "cane/TsVarietyDirDlg.h"
#include "core/SmDatabase.h"
#include "core/SmNumber.h"
#include "core/SmString.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "ui/SmEdit.h"
#include "ui/SmFieldFocus.h"
#include "weighing/SmMSComm.h"
#include "weighing/TsgbDoc.h"
#include "weighing/TsgbTicketLayout.h"
#include "weighing/TsgbTicketPrint.h"

namespace {

using enum CTsgbFrmView::ControlId;

enum : int {
  kCustomPrint = 43125,
};

const int kDisplays[2] = {kDisplay1, kDisplay2};
const int kSends[2] = {kSend1, kSend2};
const int kPortLabels[2] = {kPortLabel1, kPortLabel2};

int NumberOf(const QWidget* widget) {
  bool ok = false;
  const int id = widget ? widget->objectName().toInt(&ok) : 0;
  return ok ? id : 0;
}

bool Differs(double a, double b, double by) {
  return std::fabs(a - b) > by;
}

}  // namespace

CTsgbFrmView::CTsgbFrmView() {
  struct Labelled {
    int label;
    const char* text;
    int field;
  };
  const Labelled labelled[] = {{1076, "交蔗单位：", kFarmer},
                               {1077, "驾 驶 员：", kDriver},
                               {1078, "砍运地点：", kPlace},
                               {1080, "甘蔗品种：", kVariety},
                               {1095, "杂 质 比：", kRatio}};
  AddEdit(kNumber);
  for (const Labelled& l : labelled) {
    AddLabel(l.label, l.text);
    AddEdit(l.field);
  }
  for (int id : {kGross, kTare, kImpurity, kCanePrice, kFreightPrice}) AddEdit(id);
  CreateItemFields();
  for (int i = 0; i < 2; ++i) {
    m_scales[i] = new CMSComm(this);
    m_scales[i]->setObjectName(QString::number(1072 + i));
    AddLabel(kPortLabels[i], i == 0 ? "串口1：" : "串口2：");
    auto* display = new QLineEdit(Form());
    display->setObjectName(QString::number(kDisplays[i]));
    display->setReadOnly(true);
    display->setFocusPolicy(Qt::NoFocus);
    display->resize(90, 24);
    // The reader hands each whole weight over as it is shown: the display shows it and 送数
    // takes that same text; a lost line empties both.
    connect(m_scales[i], &CMSComm::WeightShown, this, [this, i, display](const QString& text) {
      m_weights[i] = text;
      display->setText(text);
    });
    connect(m_scales[i], &CMSComm::PortLost, this, [this, i, display] {
      m_weights[i].clear();
      display->clear();
    });
    // Ctrl and the port's number: Alt+1 and Alt+2 are the program's 操作环境注册 and 文档模板目录.
    AddButton(kSends[i], i == 0 ? "送数 Ctrl+1" : "送数 Ctrl+2");
  }
  for (int id : {kGrossStep, kTareStep}) {
    auto* radio = new QRadioButton(id == kGrossStep ? "&M.毛重" : "&C.除皮", Form());
    radio->setObjectName(QString::number(id));
    connect(radio, &QRadioButton::clicked, this, [this, id] { OnCommand(id); });
  }
  AddButton(kPrint, "打印(&P)");
  AddButton(SM_ID_OK, "确认(&S)");
  AddButton(SM_ID_ENTER, "默认按扭");
  // Enter goes through the ticket as it is typed: codes, weights, prices, items, confirm. Tab
  // follows where the fields stand on the card.
  m_entryOrder = {kNumber, kFarmer,   kDriver, kPlace,     kGross,       kVariety,
                  kTare,   kImpurity, kRatio,  kCanePrice, kFreightPrice};
  m_entryOrder.insert(m_entryOrder.end(), m_itemIds.begin(), m_itemIds.end());
  m_entryOrder.push_back(SM_ID_OK);
}

CTsgbFrmView::~CTsgbFrmView() {
  for (CMSComm* scale : m_scales) {
    if (scale) scale->SetPortOpen(false);
  }
}

CTsgbDoc* CTsgbFrmView::Doc() const {
  return dynamic_cast<CTsgbDoc*>(GetDocument());
}

CSmEdit* CTsgbFrmView::AddEdit(int id, int width) {
  auto* edit = new CSmEdit(Form());
  edit->setObjectName(QString::number(id));
  edit->resize(width, 24);
  connect(edit, &QLineEdit::textEdited, this, [this] { Recalc(); });
  return edit;
}

QLabel* CTsgbFrmView::AddLabel(int id, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), Form());
  label->setObjectName(QString::number(id));
  label->adjustSize();
  return label;
}

void CTsgbFrmView::CreateItemFields() {
  for (int kind = 0; kind < 2; ++kind) {
    for (int category = 0; category < 2; ++category) {
      const int count = TsGetKindItemCount(kind, 0, category, 0);
      for (int n = 0; n < count; ++n) {
        const int item = TsGetKindItemIndex(kind, 0, category, 0, n);
        const int id = kItemBase + TsTicketMoneyColumn(kind, item);
        CSmEdit* edit = AddEdit(id, 20);
        edit->resize(20, 22);
        m_itemIds.push_back(id);
        if (m_firstItemId == 0) m_firstItemId = id;
      }
      if (count > 0) m_lastItemOfGroup.push_back(m_itemIds.back());
    }
  }
}

void CTsgbFrmView::SetShown(int id, bool enabled, bool shown) {
  if (QWidget* control = Control(id)) {
    control->setEnabled(enabled);
    control->setVisible(shown);
  }
}

// ---------------------------------------------------------------- start and layout

void CTsgbFrmView::OnInitialUpdate() {
  CSmCardFrmView::OnInitialUpdate();
  const int qty = TsGetQtyPrecision();
  const auto type = [this](int id, const std::string& spec, int limit1, int limit2 = -1) {
    if (auto* edit = dynamic_cast<CSmEdit*>(Control(id))) edit->SetInputType(spec, limit1, limit2);
  };
  type(kNumber, "STRING DIGIT", TsGetTicketNoLen());
  type(kFarmer, "STRING DIGIT", TsGetFarmerCodeLen());
  type(kDriver, "STRING DIGIT", TsGetIntParam(TsIntParam::DriverCodeLen));
  type(kPlace, "STRING DIGIT", TsGetIntParam(TsIntParam::PlaceCodeLen));
  type(kVariety, "STRING DIGIT", TsGetVarietyCodeLen());
  for (int id : {kGross, kTare, kImpurity}) type(id, "NUMBER", 12, qty);
  type(kRatio, "NUMBER", 12, 4);
  for (int id : {kCanePrice, kFreightPrice}) type(id, "NUMBER", 12, 2);
  for (int id : m_itemIds) type(id, "NUMBER", 12, 2);
  OpenScales();
  if (CTsgbDoc* doc = Doc()) doc->ViewReady();
}

void CTsgbFrmView::OnUpdate(CSmView* sender, long hint) {
  switch (hint) {
    case 0:
      return CSmCardFrmView::OnUpdate(sender, hint);
    case kTsHintShowRecord:
      return ShowTicket();
    case kTsHintTakeFields:
      return ExchangeRecord(true);
    case kTsHintStartTyping:
      // A new ticket is typed from its farmer on, a tare from its variety.
      return FocusFirstField();
    default:
      return;
  }
}

void CTsgbFrmView::PlaceControls() {
  if (!Layout() || Layout()->m_items.empty()) return;
  const int a = TsgbMoneyCellCount(0) - 2;
  const int b = TsgbMoneyCellCount(1) - 2;
  PlaceControl(Control(kNumber), kTsgbCellNumber, 4, true);
  PlaceControl(Control(kGross), kTsgbCellGross, 4, true);
  PlaceControl(Control(kTare), kTsgbCellTare, 4, true);
  PlaceControl(Control(kImpurity), kTsgbCellImpurity, 4, true);
  PlaceControl(Control(kCanePrice), a + 26, 4, true);
  PlaceControl(Control(kFreightPrice), 2 * a + b + 30, 4, true);
  size_t next = 0;
  for (int kind = 0; kind < 2; ++kind) {
    const int count0 = TsGetKindItemCount(kind, 0, 0, 0);
    for (int category = 0; category < 2; ++category) {
      for (int n = 0; n < TsGetKindItemCount(kind, 0, category, 0); ++n) {
        const int cell = 28 + n + category * count0 + (kind == 0 ? a : b) + 2 * kind * (a + 2);
        PlaceControl(Control(m_itemIds[next++]), cell, 4, true);
      }
    }
  }
  const int footer = 2 * a + 2 * b + 32;
  const CSmCardRect under = Layout()->GetItemRect(footer);
  const int right = Layout()->GetItemRect(footer - 1).right;
  // A row as high as its label or its field, whichever is higher, so no field lies over the
  // one above.
  const int labelHeight = std::max(Control(1076)->height(), Control(kFarmer)->height());
  const std::pair<int, int> grid[] = {
      {1076, kFarmer}, {1077, kDriver}, {1078, kPlace}, {1080, kVariety}, {1095, kRatio}};
  for (int i = 0; i < 5; ++i) {
    const int x = 5 + (i % 3) * right / 3;
    const int y = under.bottom + (i / 3) * (labelHeight + 5);
    QWidget* label = Control(grid[i].first);
    OffsetControl(label, x, y);
    OffsetControl(Control(grid[i].second), x + label->width(), y);
  }
  QWidget* ok = Control(SM_ID_OK);
  const int h = ok->height();
  const int row1 = under.bottom + 3 * h;
  const int row2 = row1 + h * 3 / 2;
  for (int i = 0; i < 2; ++i) {
    const int y = i == 0 ? row1 : row2;
    OffsetControl(Control(kPortLabels[i]), 20, y);
    OffsetControl(Control(kDisplays[i]), 75, y);
    OffsetControl(Control(kSends[i]), 170, y);
  }
  OffsetControl(Control(kGrossStep), 270, row1);
  OffsetControl(Control(kTareStep), 370, row1);
  const int printX = under.left + 2 * ok->width() + 40;
  OffsetControl(Control(kPrint), printX, row1);
  OffsetControl(ok, printX, row2);
  Form()->resize(Form()->width(), std::max(Form()->height(), row2 + 2 * h));
}

// ---------------------------------------------------------------- record and controls

void CTsgbFrmView::ExchangeRecord(bool toRecord) {
  CTsgbDoc* doc = Doc();
  if (!doc) return;
  CTsgbRec& rec = doc->m_rec;
  const int qty = TsGetQtyPrecision();
  const int codes[4] = {kFarmer, kDriver, kPlace, kVariety};
  const int weights[4] = {kGross, kTare, kImpurity, kRatio};
  const int prices[2] = {kCanePrice, kFreightPrice};
  if (toRecord) {
    if (!doc->IsNew()) rec.DH = FieldText(kNumber);
    for (int k = 0; k < 4; ++k) rec.KNO[k] = FieldText(codes[k]);
    for (int k = 0; k < 4; ++k)
      rec.MU[k] = RoundTo(StrToDouble(FieldText(weights[k])), k == 3 ? 4 : qty);
    for (int k = 0; k < 2; ++k) rec.PR[k] = StrToDouble(FieldText(prices[k]));
    rec.SetBaseAmounts(doc->m_tare != 0);
    for (int id : m_itemIds) rec.MY[id - kItemBase] = StrToDouble(FieldText(id));
    return;
  }
  // Weights show every decimal of the quantity precision ("15.200"), the others no trailing
  // zeros.
  const auto show = [this](int id, double value, int decimals, int minDecimals = 0) {
    if (!Differs(StrToDouble(FieldText(id)), value, 1e-6) && !FieldText(id).empty()) return;
    SetFieldText(id, ReplaceAll(FormatNumber(value, 0, minDecimals, decimals), ",", ""));
  };
  SetFieldText(kNumber, doc->IsNew() ? std::string() : rec.DH);
  for (int k = 0; k < 4; ++k) SetFieldText(codes[k], rec.KNO[k]);
  for (int k = 0; k < 3; ++k) show(weights[k], rec.MU[k], qty, qty);
  show(kRatio, rec.MU[3], 4);
  for (int k = 0; k < 2; ++k) show(prices[k], rec.PR[k], 4);
  for (int id : m_itemIds) show(id, rec.MY[id - kItemBase], 2);
}

void CTsgbFrmView::ShowTicket() {
  CTsgbDoc* doc = Doc();
  if (!doc) return;
  m_updating = true;
  for (int id : {kGross, kTare, kImpurity, kRatio, kCanePrice, kFreightPrice}) SetFieldText(id, "");
  for (int id : m_itemIds) SetFieldText(id, "");
  ExchangeRecord(false);
  m_updating = false;
  if (auto* radio = qobject_cast<QRadioButton*>(Control(doc->m_tare ? kTareStep : kGrossStep)))
    radio->setChecked(true);
  UpdateControls();
  OnUpdate(nullptr, 0);
}

void CTsgbFrmView::UpdateControls() {
  CTsgbDoc* doc = Doc();
  if (!doc) return;
  const CTsgbRec& rec = doc->m_rec;
  const bool isNew = doc->IsNew();
  const bool hasNumber = !rec.DH.empty();
  const int stage =
      (!rec.JN[0].empty() || !rec.JN[1].empty() ? 1 : 0) + (rec.OPR[1].empty() ? 0 : 1);
  const bool r24 = HasSmRight(16, "24");
  const bool r27 = HasSmRight(16, "27");
  const bool tare = doc->m_tare != 0;
  const bool number = !isNew && !tare && r24 && stage == 0 && hasNumber;
  SetShown(kNumber, number, number);
  const bool ge = isNew || (!tare && r24 && stage == 0);
  for (int id : {kFarmer, kDriver, kPlace}) Control(id)->setEnabled(ge && hasNumber);
  SetShown(kGross, ge && hasNumber && r27, ge && hasNumber && r27);
  const bool te = !isNew && tare && (stage == 0 || (stage == 1 && r24));
  const bool edit = te && hasNumber;
  Control(kVariety)->setEnabled(edit);
  SetShown(kTare, edit && r27, edit && r27);
  SetShown(kImpurity, edit, edit);
  Control(kRatio)->setEnabled(edit);
  for (int id : {kCanePrice, kFreightPrice}) SetShown(id, edit, edit);
  for (int id : m_itemIds) SetShown(id, edit, edit);
  const bool w = isNew || (r24 && (tare ? stage <= 1 : stage == 0));
  for (int i = 0; i < 2; ++i) {
    if (m_portOpen[i]) SetShown(kSends[i], w && hasNumber, w && hasNumber);
  }
  const bool steps = w && hasNumber && doc->m_queryKind && !isNew && stage == 0;
  for (int id : {kGrossStep, kTareStep}) SetShown(id, steps, steps);
  doc->m_canSave =
      hasNumber && (isNew || (tare ? stage == 0 || (stage == 1 && r24) : r24 && stage == 0));
  Control(SM_ID_OK)->setEnabled(doc->m_canSave != 0);
}

void CTsgbFrmView::Recalc() {
  CTsgbDoc* doc = Doc();
  if (!doc || m_updating) return;
  m_updating = true;
  const CTsgbRec before = doc->m_rec;
  ExchangeRecord(true);
  doc->m_rec.Recompute(before, doc->m_tare != 0, doc->m_db);
  ExchangeRecord(false);
  m_updating = false;
  doc->Refresh();
  Form()->update();
}

void CTsgbFrmView::FillPrice(int kind) {
  CTsgbDoc* doc = Doc();
  if (!doc || m_updating) return;
  ExchangeRecord(true);
  CTsgbRec& rec = doc->m_rec;
  if (rec.PR[kind] > 1e-6) return;
  double price = 0;
  if (kind == 0) {
    CGp variety(doc->m_db, rec.KNO[3]);
    if (rec.KNO[3].empty() || variety.Load(0) == 0 || variety.GetCount(1) != 1) return;
    price = variety.PR;
  } else {
    CTsAdrRec place;
    if (rec.KNO[2].empty() || TsAdrLoad(place, rec.KNO[2], doc->m_db) != 1) return;
    price = place.ypr;
  }
  rec.PR[kind] = TsGetDblParam(TsDblParam::FloatingCanePrice + kind) + price;
  SetFieldText(kind == 0 ? kCanePrice : kFreightPrice,
               ReplaceAll(FormatNumber(rec.PR[kind], 0, 0, 4), ",", ""));
  Recalc();
}

int CTsgbFrmView::ScaleOfKey(QObject* watched, QEvent* event) const {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return -1;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != Qt::ControlModifier) return -1;
  const int port = key->key() == Qt::Key_1 ? 0 : key->key() == Qt::Key_2 ? 1 : -1;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (port < 0 || !widget || !Doc()) return -1;
  // The card is the form and the ticket list beside it: the document's views.
  const auto& views = Doc()->Views();
  if (!std::any_of(views.begin(), views.end(),
                   [widget](const CSmView* view) { return view->isAncestorOf(widget); }))
    return -1;
  const QWidget* send = Control(kSends[port]);
  return send && send->isVisible() && send->isEnabled() ? port : -1;
}

bool CTsgbFrmView::eventFilter(QObject* watched, QEvent* event) {
  // Ctrl+1 and Ctrl+2 send the weight wherever the card has the focus, before any shortcut of
  // the main window.
  if (const int port = ScaleOfKey(watched, event); port >= 0) {
    event->accept();
    if (event->type() == QEvent::KeyPress) TakeScaleWeight(port);
    return true;
  }
  auto* widget = qobject_cast<QWidget*>(watched);
  if (event->type() == QEvent::FocusIn && widget && Form()->isAncestorOf(widget)) {
    const int id = NumberOf(widget);
    if (id == kCanePrice) FillPrice(0);
    if (id == kFreightPrice) FillPrice(1);
  }
  return CSmCardFrmView::eventFilter(watched, event);
}

// ---------------------------------------------------------------- Enter, pickers, scales

void CTsgbFrmView::OnEnterKey() {
  QWidget* focus = QApplication::focusWidget();
  if (!focus) focus = window()->focusWidget();
  for (QWidget* w = focus; w && w != Form(); w = w->parentWidget()) {
    if (NumberOf(w) != 0) return OnEnterField(NumberOf(w));
  }
}

bool CTsgbFrmView::CheckCodeOrPick(int id) {
  CTsgbDoc* doc = Doc();
  CSmDatabase* db = doc->m_db;
  const std::string code = FieldText(id);
  std::string picked;
  if (id == kFarmer) {
    CNH farmer(db, code);
    if (!code.empty() && farmer.Load(0) == 1 && farmer.GetCount(1) == 1) return true;
    CTsFarmerDirDlg picker(db, 1, code, this);
    if (picker.DoModal() != SM_IDOK) return false;
    picked = picker.CurrentCode();
  } else if (id == kVariety) {
    CGp variety(db, code);
    if (!code.empty() && variety.Load(0) == 1 && variety.GetCount(1) == 1) return true;
    CTsVarietyDirDlg picker(db, 1, code, this);
    if (picker.DoModal() != SM_IDOK) return false;
    picked = picker.CurrentCode();
  } else if (id == kPlace) {
    CTsAdrRec place;
    if (TsAdrLoad(place, code, db) == 1) return true;
    CTsPlaceDirDlg picker(1, db, code, this);
    if (picker.DoModal() != SM_IDOK) return false;
    picked = picker.SelectedCode();
  } else {
    CTsDriverRec driver;
    if (TsDriverLoad(driver, code, db) == 1) return true;
    CTsDriverDirDlg picker(1, db, code, this);
    if (picker.DoModal() != SM_IDOK) return false;
    picked = picker.SelectedCode();
  }
  SetFieldText(id, picked);
  FocusControl(id);
  return false;
}

void CTsgbFrmView::OnEnterField(int id) {
  CTsgbDoc* doc = Doc();
  if (!doc) return;
  ExchangeRecord(true);
  if (std::find(m_lastItemOfGroup.begin(), m_lastItemOfGroup.end(), id) != m_lastItemOfGroup.end())
    return FocusControl(SM_ID_OK);
  bool next = true;
  if (id == kFarmer || id == kPlace || id == kDriver || id == kVariety) {
    next = CheckCodeOrPick(id);
  } else if (id == kFreightPrice) {
    FocusControl(m_firstItemId ? m_firstItemId : SM_ID_OK);
    next = false;
  } else if (id == kGross && !doc->m_tare) {
    FocusControl(SM_ID_OK);
    next = false;
  } else if (id == SM_ID_OK) {
    SaveTicket(true);
    return;
  }
  if (QWidget* field = next ? NextEntryField(id) : nullptr) field->setFocus(Qt::TabFocusReason);
  Recalc();
}

QWidget* CTsgbFrmView::NextEntryField(int id) const {
  auto at = std::find(m_entryOrder.begin(), m_entryOrder.end(), id);
  if (at == m_entryOrder.end()) return SmNextTabField(Control(id), Form());
  for (++at; at != m_entryOrder.end(); ++at) {
    if (SmTakesTabNow(Control(*at))) return Control(*at);
  }
  return nullptr;
}

QWidget* CTsgbFrmView::FirstField() const {
  for (int id : m_entryOrder) {
    if (SmTakesTabNow(Control(id), Form())) return Control(id);
  }
  return CSmCardFrmView::FirstField();
}

void CTsgbFrmView::OpenScales() {
  std::vector<std::string> names;
  std::vector<std::string> definitions;
  const int count = std::min(LoadCommPorts(names, definitions), 2);
  for (int i = 0; i < 2; ++i) {
    m_portOpen[i] = false;
    if (i < count) {
      const int port = StrToIntDef(names[static_cast<size_t>(i)], 0);
      if (CTsgbDoc* doc = Doc()) m_scales[i]->SetHolderName(doc->m_kind.sName);
      m_portOpen[i] = m_scales[i]->SetParams(port, definitions[static_cast<size_t>(i)]) &&
                      m_scales[i]->OpenPort();
      if (auto* label = qobject_cast<QLabel*>(Control(kPortLabels[i])))
        label->setText(QString::fromStdString(FormatStr("串口%s：", names[i].c_str())));
      continue;
    }
    for (int id : {kDisplays[i], kSends[i], kPortLabels[i]}) SetShown(id, false, false);
  }
}

void CTsgbFrmView::TakeScaleWeight(int port) {
  CTsgbDoc* doc = Doc();
  if (!doc || port < 0 || port > 1) return;
  // Nothing is taken before the indicator has shown a whole weight.
  const std::string text = m_weights[port].toStdString();
  if (TrimChars(text).empty()) return;
  ExchangeRecord(true);
  const double shown = CMSComm::WeightValue(text);
  const int factor = std::max(1, m_scales[port]->GetScaleFactor());
  doc->m_rec.MU[doc->m_tare ? 1 : 0] = shown / factor;
  m_updating = true;
  ExchangeRecord(false);
  m_updating = false;
  Recalc();
}

bool CTsgbFrmView::OnCommand(int id) {
  CTsgbDoc* doc = Doc();
  switch (id) {
    case kSend1:
    case kSend2:
      TakeScaleWeight(id == kSend1 ? 0 : 1);
      return true;
    case kPrint:
      PrintTicket(false);
      return true;
    case kCustomPrint:
      PrintTicket(true);
      return true;
    case kGrossStep:
    case kTareStep:
      if (!doc) return true;
      doc->m_tare = id == kTareStep ? 1 : 0;
      doc->m_gross = 1 - doc->m_tare;
      ShowTicket();
      return true;
    case kTsRefresh:
      if (doc) doc->Notify(this, kTsHintReread);
      return true;
    default:
      return CSmCardFrmView::OnCommand(id);
  }
}

bool CTsgbFrmView::PrintTicket(bool customPositions) {
  CTsgbDoc* doc = Doc();
  if (!doc) return false;
  const int style = customPositions ? kTsPrintAtPositions : TsGetPrintStyle(0);
  // The print's own windows take the focus away; the clerk goes on where he was.
  const QPointer<QWidget> focus = window()->focusWidget();
  const bool printed = TsgbPrintTicket(style, doc->m_rec, doc->m_layout, doc->m_db);
  OnUpdate(nullptr, 0);
  if (focus) focus->setFocus();
  return printed;
}

// ---------------------------------------------------------------- saving

QWidget* CTsgbFrmView::FieldOf(int field) const {
  // As TsgbField counts them.
  static constexpr int kFields[kTsgbFieldCount] = {kFarmer,       kDriver, kPlace,    kVariety,
                                                   kGross,        kTare,   kImpurity, kCanePrice,
                                                   kFreightPrice, kNumber};
  if (field < 0 || field >= kTsgbFieldCount) return nullptr;
  return Control(kFields[field]);
}

bool CTsgbFrmView::SaveTicket(bool print) {
  CTsgbDoc* doc = Doc();
  if (!doc || !doc->m_canSave) return false;
  ExchangeRecord(true);
  CTsgbRec& rec = doc->m_rec;
  CSmDatabase* db = doc->m_db;
  const bool isNew = doc->IsNew();
  const bool tare = doc->m_tare != 0;
  const std::string op = TsOperatorNo();
  for (const SmRefusal& refusal : TsgbCheckTicket(rec, isNew, tare, op, db)) {
    if (SmShowRefusal(refusal, FieldOf(refusal.field))) continue;
    // A refusal of no field concerns the ticket chosen in the list.
    if (refusal.field == kSmNoField) doc->Notify(this, kTsHintFocusList);
    return false;
  }
  const bool written = WriteTicket(isNew);
  FocusControl(tare ? kTare : kFarmer);
  if (!written) return false;
  // The list shows the stored ticket, and the card with it.
  doc->Notify(this, kTsHintRowsStored, std::string(rec.DH));
  if (tare && print && TsGetPrintWhen(0) == 1) PrintTicket(false);
  if (isNew) {
    doc->Notify(this, kTsHintSelectNumber, kTsNewTicket);
    FocusControl(kFarmer);
  }
  return true;
}

bool CTsgbFrmView::WriteTicket(bool isNew) {
  CTsgbDoc* doc = Doc();
  CTsgbRec& rec = doc->m_rec;
  CSmDatabase* db = doc->m_db;
  const std::string op = TsOperatorNo();
  // A code another station deleted since the checks above is found in the write transaction.
  int missing = -1;
  const auto refused = [&] {
    if (!TsgbMissingCodeText(missing).empty())
      SmMessageBox(TsgbMissingCodeText(missing), SM_MB_ICONERROR);
    return false;
  };
  if (isNew) {
    CTsgbRec ticket = rec;
    ticket.OPR[0] = op;
    // The number is taken as the ticket is stored; the card keeps what was typed on a refusal.
    if (!ticket.InsertNew(doc->m_tare != 0, db, &missing)) return refused();
    rec = ticket;
    CSmOpLog(16, 5, "新增：" + rec.DH);
    return true;
  }
  if (rec.IsEqual(doc->m_selected)) return false;
  const CTsgbRec& old = doc->m_selected;
  rec.OPR[1].clear();
  rec.OPR[doc->m_tare ? 1 : 0] = op;
  bool stale = false;
  if (!rec.Rewrite(old, doc->m_tare != 0, db, &stale, &missing)) {
    for (int k = 0; k < 2; ++k) rec.OPR[k] = old.OPR[k];
    if (stale) SmMessageBox("无法修改！", SM_MB_ICONERROR);
    refused();
    FocusControl(kFarmer);
    return false;
  }
  const std::string step = doc->m_tare ? "除皮操作" : "毛重操作";
  const std::string numbers =
      rec.DH != old.DH ? FormatStr("：%s --> %s", old.DH.c_str(), rec.DH.c_str()) : "：" + rec.DH;
  CSmOpLog(16, 5, "修改" + step + numbers);
  return true;
}
