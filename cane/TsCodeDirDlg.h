#pragma once
// What the farmer and the variety directory have in common: the code-list dialog over a
// directory record (CNH or CGp) with fixed level lengths, the parent line, the editing buttons
// under the directory's right, and the record operations behind delete, cut, copy and paste,
// each change written to the operation log.
#include <memory>
#include <string>
#include <vector>

#include "forms/SmCodeListDlg.h"

class QLabel;
class CTsCodeRec;

// The control ids of one directory's template.
struct TsCodeDirIds {
  int list, parentText, add, modify, remove, down, back;
};

class CTsCodeDirDlg : public CSmCodeListDlg {
  Q_OBJECT
 public:
  // `right` is the cane module's right item that allows changes; `logItem` the item of the
  // directory's log lines (group 16); `prototype` the record class of the directory.
  CTsCodeDirDlg(unsigned templateId, const TsCodeDirIds& ids, CSmDatabase* db, int mode,
                const std::string& startCode, const char* right, int logItem,
                std::unique_ptr<CTsCodeRec> prototype, QWidget* parent);
  ~CTsCodeDirDlg() override;

  bool CanMaintain() const { return m_maintain; }
  // A record of the directory on the dialog's connection (or `db`) with the code.
  std::unique_ptr<CTsCodeRec> Record(const std::string& code, CSmDatabase* db = nullptr) const;

  bool OnCommand(unsigned id) override;
  void SetupColumns() override;
  bool IsCommandEnabled(unsigned id) override;
  std::vector<unsigned> GetIconIds() override { return {600}; }
  bool CodeExists(const std::string& code) override;
  bool IsCodeReferenced(const std::string& code) override;
  bool IsLowestLevel(const std::string& code) override;
  bool CanGoDown(const std::string& code) override;
  std::string GetParentCode(const std::string& code) override;
  bool EditCode(std::string& code, bool add) override;
  bool CanDelete(const std::string& code) override;
  void DeleteCode(const std::string& code) override;
  int ExpandCodes(CSmDatabase* db, std::vector<std::string>& codes) override;
  std::string MakePastedCode(const std::string& targetParent, const std::string& ownPart) override;
  bool CopyOrMoveCode(CSmDatabase* source, const std::string& oldCode, std::string& newCode,
                      bool move) override;

 protected:
  // The card of one code: true when it saved; `code` becomes the saved code.
  virtual bool RunCard(std::string& code, bool add) = 0;
  // The number of levels a code spans and the length of a level.
  virtual int CodeLevel(const std::string& code) const = 0;
  virtual int LevelCount() const = 0;
  virtual int LevelLength(int level) const = 0;
  virtual int FullCodeLength() const = 0;
  // The parent line and the caption of the back button, for the level now shown.
  void ShowParent();
  void Log(const std::string& note) const;

 private:
  TsCodeDirIds m_ids;
  std::string m_right;
  int m_logItem;
  bool m_maintain;
  std::unique_ptr<CTsCodeRec> m_prototype;
  QLabel* m_parentText;
};
