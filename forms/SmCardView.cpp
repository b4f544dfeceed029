#include "forms/SmCardView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "forms/SmCardDoc.h"
#include "platform/SmCommandIds.h"
#include "ui/SmDlg.h"
#include "ui/SmFieldFocus.h"
#include "ui/SmListView.h"
#include "ui/SmPrintHooks.h"
#include "ui/SmPrintJob.h"
#include "ui/SmToolTip.h"
#include "ui/SmWaitWnd.h"

namespace {

constexpr int kLogPrinted = 17;

// A card printed by a view: the view prepares, the layout draws the one page.
class CardPrintJob : public CSmPrintJob {
 public:
  CardPrintJob(std::function<bool(CSmPrintJob&, CSmPrintState&)> prepare,
               std::function<void(QPainter&)> draw)
      : m_prepare(std::move(prepare)), m_draw(std::move(draw)) {}
  bool OnPreparePrinting(CSmPrintState& state) override { return m_prepare(*this, state); }
  void OnPrint(QPainter& painter, CSmPrintState& /*state*/) override { m_draw(painter); }

 private:
  std::function<bool(CSmPrintJob&, CSmPrintState&)> m_prepare;
  std::function<void(QPainter&)> m_draw;
};

// The printer for the layout's paper (while busy), the print dialog, and for a real print
// of a view with a document one log row.
bool PrepareCardPrinting(const CSmView& view, CSmCardLayout* layout, CSmPrintJob& job,
                         CSmPrintState& state) {
  if (!layout) return false;
  {
    CSmWaitWnd busy;
    if (!layout->PreparePrinting(state)) return false;
  }
  if (!job.DoPreparePrinting(state)) return false;
  if (!state.preview && view.GetDocument()) {
    SmWritePrintLog(kLogPrinted, "打印“" + view.GetDocument()->GetTitle() + "”");
  }
  return true;
}

CSmCardLayout* LayoutOf(CSmDocument* doc) {
  auto* card = dynamic_cast<CSmCardDoc*>(doc);
  return card ? &card->m_layout : nullptr;
}

void SetCardSize(CSmCardSurface* surface, const CSmCardLayout& layout) {
  surface->resize(std::max(1, layout.m_cardWidth), std::max(1, layout.m_cardHeight));
}

QScrollArea* MakeScrollArea(QWidget* view, CSmCardSurface* surface) {
  auto* scroll = new QScrollArea(view);
  scroll->setWidget(surface);
  scroll->setWidgetResizable(false);
  auto* layout = new QVBoxLayout(view);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  return scroll;
}

// The card with the scroll area's frame around it.
QSize CardRoom(const QScrollArea* scroll, const CSmCardSurface* surface) {
  const int frame = 2 * scroll->frameWidth();
  return surface->size() + QSize(frame, frame);
}

}  // namespace

// ---------------------------------------------------------------- CSmCardSurface

CSmCardSurface::CSmCardSurface(std::function<void(QPainter&)> paint, QWidget* parent)
    : QWidget(parent), m_paint(std::move(paint)) {
  setAutoFillBackground(true);
  setCursor(Qt::ArrowCursor);
}

void CSmCardSurface::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  m_paint(painter);
}

// ---------------------------------------------------------------- CSmCardView

CSmCardView::CSmCardView(QWidget* parent)
    : CSmView(parent),
      m_surface(new CSmCardSurface([this](QPainter& painter) { OnDraw(painter); }, nullptr)) {
  m_surface->setBackgroundRole(QPalette::Base);
  m_scroll = MakeScrollArea(this, m_surface);
}

QSize CSmCardView::sizeHint() const {
  return CardRoom(m_scroll, m_surface);
}

CSmCardLayout* CSmCardView::GetCardLayout(CSmDocument* doc) {
  return LayoutOf(doc);
}

void CSmCardView::OnInitialUpdate() {
  auto* doc = dynamic_cast<CSmCardDoc*>(GetDocument());
  if (CSmCardLayout* layout = GetCardLayout(doc); layout && doc) {
    layout->LoadPageSetup(doc->m_db, doc->nFlag * 10 + nCardMode,
                          doc->GetCardTitleHeight(nCardMode), doc->GetCardTitle(nCardMode));
  }
  CSmView::OnInitialUpdate();
}

void CSmCardView::OnUpdate(CSmView* /*sender*/, long /*hint*/) {
  update();
  m_layout = GetCardLayout(GetDocument());
  auto* doc = dynamic_cast<CSmCardDoc*>(GetDocument());
  if (!m_layout || !doc) return;
  m_layout->m_title.SetTitle(doc->GetCardTitleHeight(nCardMode), m_layout->m_title.sText);
  m_layout->ComputeScale();
  SetCardSize(m_surface, *m_layout);
  m_surface->repaint();
}

void CSmCardView::OnDraw(QPainter& painter) {
  if (m_layout) m_layout->Draw(painter, false);
}

bool CSmCardView::OnPreparePrinting(CSmPrintJob& job, CSmPrintState& state) {
  return PrepareCardPrinting(*this, m_layout, job, state);
}

bool CSmCardView::OnCommand(int id) {
  switch (id) {
    case SM_ID_FILE_PAGE_SETUP: {
      auto* doc = dynamic_cast<CSmCardDoc*>(GetDocument());
      if (m_layout && doc && m_layout->PageSetup(doc->m_db, this)) OnUpdate(nullptr, 0);
      return true;
    }
    case SM_ID_FILE_PRINT:
    case SM_ID_FILE_PRINT_DIRECT:
    case SM_ID_FILE_PRINT_PREVIEW: {
      CardPrintJob job([this](CSmPrintJob& j, CSmPrintState& s) { return OnPreparePrinting(j, s); },
                       [this](QPainter& painter) { OnDraw(painter); });
      job.Print(id);
      return true;
    }
    default:
      return CSmView::OnCommand(id);
  }
}

void CSmCardView::resizeEvent(QResizeEvent* event) {
  CSmView::resizeEvent(event);
  OnUpdate(nullptr, 0);
}

void CSmCardView::contextMenuEvent(QContextMenuEvent* event) {
  if (auto* doc = dynamic_cast<CSmCardDoc*>(GetDocument()))
    doc->OnListContextMenu(event->globalPos());
}

// ---------------------------------------------------------------- CSmCardFrmView

CSmCardFrmView::CSmCardFrmView(QWidget* parent)
    : CSmView(parent),
      m_surface(new CSmCardSurface([this](QPainter& painter) { OnDraw(painter); }, nullptr)) {
  m_surface->setBackgroundRole(QPalette::Window);
  m_scroll = MakeScrollArea(this, m_surface);
  // The fields on the card take the focus, not the area around them.
  m_scroll->setFocusPolicy(Qt::NoFocus);
  CSmCommandManager& commands = CSmCommandManager::Instance();
  addAction(commands.Register(SM_ID_CARD_FORM_PRINT, "套打(&T)\tCtrl+T"));
  commands.Register(SM_ID_CARD_FORM_PREVIEW, "套打预览");
  // Enter in the form's controls is the form's own key.
  qApp->installEventFilter(this);
}

QSize CSmCardFrmView::sizeHint() const {
  return CardRoom(m_scroll, m_surface);
}

CSmCardDoc* CSmCardFrmView::CardDoc() const {
  return dynamic_cast<CSmCardDoc*>(GetDocument());
}

QWidget* CSmCardFrmView::Control(int id) const {
  return m_surface->findChild<QWidget*>(QString::number(id));
}

std::string CSmCardFrmView::FieldText(int id) const {
  auto* edit = qobject_cast<QLineEdit*>(Control(id));
  return edit ? edit->text().toStdString() : std::string();
}

void CSmCardFrmView::SetFieldText(int id, const std::string& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(id)))
    edit->setText(QString::fromStdString(text));
}

void CSmCardFrmView::FocusControl(int id) {
  if (QWidget* control = Control(id)) control->setFocus();
}

QPushButton* CSmCardFrmView::AddButton(int id, const QString& text) {
  auto* button = new QPushButton(text, m_surface);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  // Sized now, not when first shown: placing the controls measures the buttons, and a size
  // that changed after the first placing moved them on the next.
  button->resize(button->sizeHint());
  connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
  return button;
}

void CSmCardFrmView::GetControlHint() {
  m_toolTip =
      SmSetupControlHints(m_surface, m_toolTip, [this](int id) { return GetStatusHint(id); });
}

std::string CSmCardFrmView::GetStatusHint(int controlId) {
  return SmControlKindHint(Control(controlId));
}

CSmCardLayout* CSmCardFrmView::GetCardLayout(CSmDocument* doc) {
  return LayoutOf(doc);
}

void CSmCardFrmView::RefreshFromDocument() {
  CSmCardDoc* doc = CardDoc();
  if (!doc) return;
  ExchangeCardData(true);
  doc->Refresh();
  doc->UpdateReadOnly();
  m_surface->update();
}

void CSmCardFrmView::OnEnterKey() {
  ExchangeCardData(true);
  switch (FocusedControlId()) {
    case SM_ID_OK:
      OnEnterButton();
      break;
    case SM_ID_CANCEL:
      OnEnterList();
      break;
    default:
      FocusNextControl();
      break;
  }
  ExchangeCardData(false);
}

void CSmCardFrmView::OnEnterList() {
  CSmCardDoc* doc = CardDoc();
  if (CSmListView* list = doc ? doc->ListView() : nullptr) list->Refresh();
  EnableListView();
}

void CSmCardFrmView::EnableListView() {
  CSmCardDoc* doc = CardDoc();
  CSmListView* list = doc ? doc->ListView() : nullptr;
  if (!list) return;
  std::string prompt;
  list->setEnabled(doc->m_readOnly || !GetSavePrompt(prompt));
}

int CSmCardFrmView::FocusedControlId() const {
  for (QWidget* w = QApplication::focusWidget(); w && w != m_surface; w = w->parentWidget()) {
    bool ok = false;
    const int id = w->objectName().toInt(&ok);
    if (ok && m_surface->isAncestorOf(w)) return id;
  }
  return 0;
}

void CSmCardFrmView::FocusNextControl() {
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !m_surface->isAncestorOf(focus)) focus = m_surface;
  if (QWidget* next = SmNextTabField(focus, m_surface)) next->setFocus(Qt::TabFocusReason);
}

QWidget* CSmCardFrmView::FirstField() const {
  return SmNextTabField(m_surface, m_surface);
}

void CSmCardFrmView::FocusFirstField() {
  if (QWidget* field = FirstField()) field->setFocus(Qt::TabFocusReason);
}

void CSmCardFrmView::OnAddedToDocument() {
  if (CSmCardDoc* doc = CardDoc()) doc->SetCardForm(this);
}

void CSmCardFrmView::OnInitialUpdate() {
  bFormMode = false;
  CSmView::OnInitialUpdate();
  if (QWidget* enter = Control(SM_ID_ENTER)) enter->hide();
  GetControlHint();
}

void CSmCardFrmView::OnUpdate(CSmView* /*sender*/, long /*hint*/) {
  update();
  m_layout = GetCardLayout(GetDocument());
  CSmCardDoc* doc = CardDoc();
  if (!m_layout || !doc) return;
  m_layout->LoadPageSetup(doc->m_db, doc->nFlag * 10 + nCardMode,
                          doc->GetCardTitleHeight(nCardMode), doc->GetCardTitle(nCardMode));
  m_layout->ComputeScale();
  SetCardSize(m_surface, *m_layout);
  PlaceControls();
  SmOrderTabByPosition(m_surface);
  m_surface->repaint();
}

void CSmCardFrmView::OnDraw(QPainter& painter) {
  if (!m_layout) return;
  const bool printing = painter.device()->devType() == QInternal::Printer;
  // On the screen the text bands take the form's own colour.
  m_layout->Draw(painter, bFormMode,
                 printing ? QColor(Qt::white) : palette().color(QPalette::Window));
}

bool CSmCardFrmView::OnPreparePrinting(CSmPrintJob& job, CSmPrintState& state) {
  return PrepareCardPrinting(*this, m_layout, job, state);
}

bool CSmCardFrmView::Print(int commandId) {
  CardPrintJob job([this](CSmPrintJob& j, CSmPrintState& s) { return OnPreparePrinting(j, s); },
                   [this](QPainter& painter) { OnDraw(painter); });
  const bool printed = job.Print(commandId);
  OnUpdate(nullptr, 0);
  return printed;
}

bool CSmCardFrmView::PrintInFormMode(int commandId) {
  bFormMode = true;
  const bool printed = Print(commandId);
  bFormMode = false;
  return printed;
}

bool CSmCardFrmView::OnCommand(int id) {
  switch (id) {
    case SM_ID_ENTER:
      OnEnterKey();
      return true;
    case SM_ID_OK:
      OnEnterButton();
      return true;
    case SM_ID_CARD_FORM_PRINT:
      PrintInFormMode(SM_ID_FILE_PRINT);
      return true;
    case SM_ID_CARD_FORM_PREVIEW:
      PrintInFormMode(SM_ID_FILE_PRINT_PREVIEW);
      return true;
    case SM_ID_FILE_PRINT:
    case SM_ID_FILE_PRINT_DIRECT:
    case SM_ID_FILE_PRINT_PREVIEW:
      Print(id);
      return true;
    case SM_ID_FILE_PAGE_SETUP: {
      CSmCardDoc* doc = CardDoc();
      if (m_layout && doc && m_layout->PageSetup(doc->m_db, this)) OnUpdate(nullptr, 0);
      return true;
    }
    default:
      return CSmView::OnCommand(id);
  }
}

bool CSmCardFrmView::OnUpdateCommand(int id, CSmCmdUI& ui) {
  if (id != SM_ID_CARD_FORM_PRINT && id != SM_ID_CARD_FORM_PREVIEW) {
    return CSmView::OnUpdateCommand(id, ui);
  }
  ui.Enable(m_layout != nullptr);
  return true;
}

void CSmCardFrmView::PlaceControl(QWidget* control, int index, int inset, bool stretch) {
  if (!m_layout || !control) return;
  const CSmCardRect cell = m_layout->GetItemRect(index);
  const int height = control->height();
  const int width = stretch ? cell.right - cell.left - 2 * inset : control->width();
  control->setGeometry(cell.left + inset, cell.top + (cell.bottom - height - cell.top) / 2, width,
                       height);
  control->update();
}

void CSmCardFrmView::OffsetControl(QWidget* control, int x, int y) {
  if (!control) return;
  control->move(x, y);
  control->update();
}

bool CSmCardFrmView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || !m_surface->isAncestorOf(widget)) return false;
  OnCommand(SM_ID_ENTER);
  return true;
}

void CSmCardFrmView::contextMenuEvent(QContextMenuEvent* event) {
  if (CSmCardDoc* doc = CardDoc()) doc->OnListContextMenu(event->globalPos());
}
