#pragma once
// Base of every list: a report-style list with the command scheme shared by lists, trees and
// list views (menu 300 and keys), rows from texts, check boxes, finding rows by text and by the
// pinyin initials typed on the keyboard, and a private clipboard text that says where the rows
// were copied from.
#include <QPoint>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class CSmDatabase;

// Where rows come from: the data file of kind 0 or a server connection (kinds 1 and 2).
struct SmListSource {
  bool open = false;
  int kind = 0;
  std::string file;  // kind 0: the data file with its path
  std::string server, user, password, database;
};

// The connection text of a server source without its password ("DSN=..;UID=..;DATABASE=..").
std::string SmSourceConnectText(const SmListSource& source);
// Settings read back out of a connection text of kind 1 or 2.
SmListSource SmParseSourceConnectText(int kind, const std::string& text);

// The private clipboard text that lists and trees share: a header line with the source's kind,
// the word "复制" or "剪切" and the source (file, or connection text without the password), then
// one line per row; `format` is the list's or tree's clipboard format.
void SmCopyRowsToClipboard(unsigned format, const SmListSource& own, bool cut,
                           const std::vector<std::string>& rows);
bool SmClipboardHasRows(unsigned format);
// Reads the rows back with the cut flag, whether they come from `own`'s data file, and where
// they come from (the password taken from `own` when server and user are the same). A cut
// empties the clipboard.
int SmParseClipboardRows(unsigned format, const SmListSource& own, std::vector<std::string>& rows,
                         bool& cut, bool& sameSource, SmListSource& from);
// The source a connection describes (closed when there is none).
SmListSource SmSourceOf(CSmDatabase* db);
// Opens `source` on where pasted rows come from, when the clipboard named it.
void SmOpenClipboardSource(const SmListSource& from, CSmDatabase& source);

class CSmListCtrl : public QTreeWidget {
  Q_OBJECT
 public:
  explicit CSmListCtrl(QWidget* parent = nullptr);
  ~CSmListCtrl() override;

  // The application's connection; the list reads its kind, file and settings when it copies,
  // pastes and prints.
  void SetDatabase(CSmDatabase* db) { m_db = db; }
  CSmDatabase* Database() const { return m_db; }
  // Without a connection the list describes its source with these settings.
  void SetSource(const SmListSource& source) { m_source = source; }
  SmListSource Source() const;

  // Call once from the host's initialisation: takes the clipboard format, loads the icons.
  void Initialize();
  void CreateImageLists();
  void SetColumns(const std::vector<int>& widths, const std::vector<std::string>& captions);
  void AddRow(const std::vector<std::string>& texts, int image = -1);
  void SetCheck(int row, bool checked);
  bool GetCheck(int row) const;
  int FindText(const std::string& text, bool sorted);
  int SelectTexts(const std::vector<std::string>& texts);
  int RowCount() const { return topLevelItemCount(); }
  int FirstSelected() const;
  unsigned ClipboardFormat() const { return m_clipboardFormat; }

  // Carries out a command of the scheme (keys and menu 300 come here).
  virtual bool OnCommand(unsigned id);
  // Menu 300 with every item enabled or greyed by `IsCommandEnabled`.
  std::unique_ptr<QMenu> CreateContextMenu();
  // Runs menu 300 at the point (screen coordinates), as a right click there does.
  void ShowContextMenu(const QPoint& globalPos);
  // Where the menu opens from the keyboard (Shift+F10, the menu key): at the current row, or
  // the top of the list without one.
  QPoint KeyboardMenuPoint() const;
  void Find();
  void FindNext();
  const std::string& SearchText() const { return m_searchText; }
  void SetFindColumn(int column) { m_findColumn = column; }
  int LastFoundRow() const { return m_lastFound; }

  // Overridable operations of the scheme.
  virtual int GetSelectedTexts(std::vector<std::string>& texts) const;
  virtual bool CopyToClipboard(bool cut);
  virtual int GetClipboardRows(std::vector<std::string>& rows) const;
  // Reads this list's clipboard text; `source` is set to the kind and, with a source name,
  // opened on where the rows were copied from.
  virtual int ReadClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                            CSmDatabase& source);
  virtual void InsertPastedRows(const std::vector<std::string>& /*rows*/, bool /*cut*/,
                                bool /*sameSource*/, CSmDatabase& /*source*/) {}
  virtual void CustomizeContextMenu(QMenu* /*popup*/) {}
  virtual bool IsCommandAvailable(unsigned /*id*/) { return true; }
  virtual bool IsCommandEnabled(unsigned id);
  virtual unsigned GetClipboardFormat() { return 512; }
  virtual Qt::Alignment GetColumnFormat(int /*column*/) { return Qt::AlignLeft; }
  virtual std::vector<unsigned> GetIconIds() { return {}; }
  virtual bool GetPrintInfo(int& /*key*/, std::string& /*title*/) { return false; }
  virtual void Add() {}
  virtual void Open() {}
  virtual void Modify() {}
  virtual void Delete() {}
  virtual void Cut() { CopyToClipboard(true); }
  virtual void Copy() { CopyToClipboard(false); }
  virtual void Paste();
  virtual void SelectAll();
  virtual int InvertSelection();
  virtual void Back() {}
  virtual void Forward() {}
  virtual void Print();
  virtual void PageSetup();
  virtual void PrinterSetup();

  // Whether the list can be printed, with its print key and title.
  bool PrintInfo(int& key, std::string& title);
  // The clipboard text read back: rows, cut flag, same-source flag and the source's settings
  // (the password taken from this list's own connection when server and user are the same).
  int ParseClipboard(std::vector<std::string>& rows, bool& cut, bool& sameSource,
                     SmListSource& from);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // A list shows the focus on its current row; without one (an empty list) a frame inside its
  // border shows it.
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyboardSearch(const QString& /*search*/) override {}

 private:
  bool RunIfEnabled(unsigned id);
  void TypedSearch(const QString& typed);
  void SelectOnly(int row);
  bool ClipboardHasFormat() const;

  CSmDatabase* m_db = nullptr;
  SmListSource m_source;
  unsigned m_clipboardFormat = 512;
  std::vector<QIcon> m_icons;
  std::string m_searchText;
  bool m_typedSearch = true;
  int m_findColumn = 1;
  int m_lastFound = 0;
  int m_columnCount = 0;
  QPoint m_menuPoint;
  bool m_fromMenu = false;
};

// Rows of any list: the first selected row (-1 when none) and selecting every row.
int SmList_GetFirstSelected(const QTreeWidget* list);
void SmList_SelectAll(QTreeWidget* list);
