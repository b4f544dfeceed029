#include "weighing/TsgbDoc.h"

#include <QMenu>
#include <map>

#include "app/SmApp.h"
#include "app/SmOpLog.h"
#include "cane/TsDocTemplates.h"
#include "cane/TsParams.h"
#include "core/SmDatabase.h"
#include "core/SmString.h"
#include "forms/SmChildFrm.h"
#include "platform/SmCommandIds.h"
#include "platform/SmMessage.h"
#include "res/SmResource.h"
#include "weighing/TsSheetOpenDlg.h"
#include "weighing/TsgbFrmView.h"
#include "weighing/TsgbTicketLayout.h"

namespace {

constexpr int kTicketTemplate = 255;

// The working date last chosen, offered at the next opening while the program runs.
std::string& RememberedDate() {
  static std::string date;
  return date;
}

// Code to name of the rows of a directory that the tickets of a day name in `column`.
std::map<std::string, std::string> DayNames(const char* table, const char* column,
                                            const std::string& day, CSmDatabase* db) {
  std::vector<std::string> rows[2];
  db->QueryStrings(FormatStr("Select rtrim(KNO),NA From %s Where KNO In (Select %s From gbSheet "
                             "Where T='%s')",
                             table, column, day.c_str()),
                   rows, 2);
  std::map<std::string, std::string> names;
  for (size_t i = 0; i < rows[0].size() && i < rows[1].size(); ++i)
    names.emplace(TrimChars(rows[0][i]), TrimChars(rows[1][i]));
  return names;
}

}  // namespace

// ---------------------------------------------------------------- CTsgbDoc

void CTsgbDoc::OnInitDocument() {
  m_layout.m_screenMargins = {10, 20, 10, 100};
  if (CSmFrameWnd* main = CSmFrameWnd::Main()) {
    // The client area is what the window's documents share.
    const QWidget* client = main->centralWidget() ? main->centralWidget() : main;
    m_layout.m_cardWidth = client->width() * 4 / 5 - 15;
    m_layout.m_cardHeight = client->height() * 4 / 5;
  }
  // Today, or the working date chosen before; either within the open file's year.
  if (RememberedDate().empty()) RememberedDate() = TsProposedWorkDate();
  m_date = TsNearestYearDay(RememberedDate());
  const int kind = m_kind.nNumber;
  m_queryKind = kind == 2 ? 1 : 0;
  m_tare = kind == 1 ? 1 : 0;
  m_gross = m_tare ? 0 : 1;
}

bool CTsgbDoc::LoadRows(int /*openMode*/) {
  CTsSheetOpenDlg dlg(m_date, nullptr, m_db);
  if (dlg.DoModal() != SM_IDOK) return false;
  RememberedDate() = dlg.m_date;
  m_date = dlg.m_date;
  return true;
}

void CTsgbDoc::Refresh() {
  TsgbBuildTicketLayout(m_layout);
  TsgbFillTicketLayout(m_rec, m_layout, m_db);
}

void CTsgbDoc::SelectTicket(const std::vector<std::string>& numbers) {
  if (numbers.size() == 1 && numbers[0] == kTsNewTicket) {
    // A new ticket starts from the gross-step codes of the ticket shown before.
    CTsgbRec fresh;
    for (int k = 0; k < 3; ++k) fresh.KNO[k] = m_rec.KNO[k];
    m_rec = fresh;
    m_rec.DH = kTsNewTicket;
    m_rec.T = m_date;
    if (m_queryKind) m_tare = 0;
  } else if (numbers.size() == 1) {
    m_rec.Load(FormatStr("Where DH='%s'", m_db->SqlText(numbers[0]).c_str()), m_db);
    if (m_queryKind) m_tare = 1;
  } else {
    m_rec.Clear();
    if (m_queryKind) m_tare = 0;
  }
  m_gross = m_tare ? 0 : 1;
  Refresh();
  m_selected = m_rec;
}

bool CTsgbDoc::GetSavePrompt(std::string& prompt) {
  prompt.clear();
  if (!m_canSave) return false;
  Notify(nullptr, kTsHintTakeFields);
  return !m_rec.IsEqual(m_selected);
}

// Only the form stores a ticket: without it nothing is stored.
bool CTsgbDoc::Save(int saveAs) {
  CSmCardFrmView* form = CardForm();
  return form && form->Save(saveAs);
}

// ---------------------------------------------------------------- CTsgbListView

CTsgbDoc* CTsgbListView::Doc() const {
  return dynamic_cast<CTsgbDoc*>(GetDocument());
}

void CTsgbListView::OnInitialUpdate() {
  if (CTsgbDoc* doc = Doc()) SetDatabase(doc->m_db);
  CSmListView::OnInitialUpdate();
  List()->setSelectionMode(QAbstractItemView::ExtendedSelection);
  List()->setSelectionBehavior(QAbstractItemView::SelectRows);
  if (CTsgbDoc* doc = Doc()) doc->ViewReady();
}

void CTsgbListView::GetColumns(std::vector<int>& widths, std::vector<std::string>& captions) {
  widths = {80, 80, 80, 120, 120};
  captions = {"单号", "车主", "蔗主", "运费结算单", "蔗款结算单"};
}

void CTsgbListView::LoadRows() {
  CTsgbDoc* doc = Doc();
  if (!doc) return;
  const QSignalBlocker quiet(List());
  List()->clear();
  const std::string day = doc->m_db->SqlText(doc->m_date);
  std::vector<CTsgbRec> tickets;
  CTsgbRec reader;
  reader.Select(FormatStr("Where T='%s'", day.c_str()), "Order by DH", tickets, doc->m_db);
  // The names of the day's drivers and farmers, read once for the whole list.
  const auto drivers = DayNames("DriverDir", "KNO1", day, doc->m_db);
  const auto farmers = DayNames("NHDir", "KNO0", day, doc->m_db);
  const auto name = [](const std::map<std::string, std::string>& names, const std::string& code) {
    const auto found = names.find(code);
    return found == names.end() ? std::string() : found->second;
  };
  for (const CTsgbRec& t : tickets) {
    const int icon =
        (t.OPR[1].empty() ? 0 : 1) + (t.JN[0].empty() ? 0 : 1) + 2 * (t.JN[1].empty() ? 0 : 1);
    SetItems({t.DH, name(drivers, t.KNO[1]), name(farmers, t.KNO[0]), t.JN[1], t.JN[0]}, icon);
  }
  if ((doc->m_queryKind || !doc->m_tare) && HasSmRightCode("1623"))
    SetItems({kTsNewTicket, "", "", "", ""}, 0);
}

void CTsgbListView::CustomizeContextMenu(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    const int id = CSmCommandManager::CommandId(action);
    if (id == SM_ID_EDIT_CUT) cut = action;
  }
  QAction* refresh = CSmCommandManager::Instance().Register(kTsRefresh, "刷新\tF5");
  popup->insertAction(cut, refresh);
  popup->insertSeparator(cut);
  for (QAction* action : popup->actions()) {
    const int id = CSmCommandManager::CommandId(action);
    if (id == SM_ID_LIST_ADD || id == SM_ID_LIST_OPEN || id == SM_ID_LIST_MODIFY ||
        id == SM_ID_EDIT_CUT || id == SM_ID_EDIT_COPY || id == SM_ID_EDIT_PASTE)
      popup->removeAction(action);
  }
}

bool CTsgbListView::IsCommandAvailable(unsigned id) {
  if (id != SM_ID_LIST_DELETE) return true;
  std::vector<std::string> numbers;
  GetSelectedTexts(numbers);
  return HasSmRightCode("1624") && numbers.size() == 1 && numbers[0] != kTsNewTicket;
}

void CTsgbListView::Delete() {
  CTsgbDoc* doc = Doc();
  if (!doc || !IsCommandAvailable(SM_ID_LIST_DELETE)) return;
  std::vector<std::string> numbers;
  GetSelectedTexts(numbers);
  const std::string number = numbers[0];
  const int row = List()->FirstSelected();
  const std::string question =
      doc->m_tare ? FormatStr("真的要删除第%s号过磅单的除皮操作吗？", number.c_str())
                  : FormatStr("真的要删除第%s号过磅单吗？", number.c_str());
  if (SmMessageBox(question, SM_MB_YESNO | SM_MB_ICONQUESTION) != SM_IDYES) return;
  if (!TsgbDelete(doc->m_tare, number, doc->m_db)) return;
  // A ticket settled (or tared, for a delete) meanwhile is left alone: nothing to log.
  if (doc->m_db->RowsChanged() == 0) {
    SmMessageBox("数据操作失败！", SM_MB_ICONERROR);
  } else {
    CSmOpLog(16, 5, FormatStr(doc->m_tare ? "取消除皮：%s" : "删除：%s", number.c_str()));
  }
  LoadRows();
  SelectRow(std::min(row, List()->RowCount() - 1));
}

void CTsgbListView::OnSelectionChanged() {
  CTsgbDoc* doc = Doc();
  if (!doc) return;
  std::vector<std::string> numbers;
  GetSelectedTexts(numbers);
  doc->SelectTicket(numbers);
  doc->Notify(this, kTsHintShowRecord);
}

bool CTsgbListView::OnCommand(int id) {
  if (id != kTsRefresh) return CTsCardListView::OnCommand(id);
  Refresh();
  return true;
}

// ---------------------------------------------------------------- installation

void TsInstallWeighingCard() {
  TsSetDocClasses(kTicketTemplate, {[] { return std::make_unique<CTsgbDoc>(); },
                                    [] { return new CTsCardChildFrm(5); },
                                    [](CSmDocument*, CSmChildFrame* frame) {
                                      frame->SetContent(new CTsgbListView);
                                      return new CTsgbFrmView;
                                    }});
}
