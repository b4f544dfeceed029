#pragma once
// A combo box that offers the words the user saved for a field. Its right-click menu 320 saves
// the typed text as a new word or deletes the shown one; the words are SysCsTab rows of group
// 9007 (CsN the word group, CsNa the sub-number as "%d", CsVal the word).
#include <QComboBox>
#include <memory>
#include <string>

class CSmDatabase;
class QMenu;

class CSmWordCB : public QComboBox {
  Q_OBJECT
 public:
  static constexpr long kWordTable = 9007;
  static constexpr int kMaxWordBytes = 200;  // the width of CsVal

  explicit CSmWordCB(QWidget* parent = nullptr);

  // Where the words live; fills the list with the words stored there (each word once).
  void SetWordStore(CSmDatabase* db, int group, int subNumber);
  int LoadWords();

  // Saves the typed text as a word (43023): nothing happens when an entry begins with it.
  void OnSaveWord();
  // Deletes the shown word (43024): only a text listed exactly, with every row that holds it.
  void OnDeleteWord();
  // Carries out 43023 and 43024; false for other commands.
  bool OnCommand(unsigned id);
  // Menu 320; its items are greyed while the box has no connection.
  std::unique_ptr<QMenu> CreateContextMenu();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::string WordWhere() const;

  CSmDatabase* m_db = nullptr;
  int m_group = 0;
  int m_subNumber = 0;
};
