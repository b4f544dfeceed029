#pragma once
// "文件夹浏览" (804): a folder tree and an edit with the chosen path; a missing folder may be
// created on confirmation.
#include <memory>
#include <string>

#include "ui/SmDlg.h"

class QFileSystemModel;
class QLineEdit;
class QTreeView;

class CSmFolderDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kFolderEdit = 1013,
    kFolderTree = 1014,
  };

  explicit CSmFolderDlg(const std::string& folder, QWidget* parent = nullptr);
  const std::string& GetFolder() const { return m_folder; }
  bool ValidateAndSave() override;

 private:
  // Opens the tree on the folder: its parents expanded, itself selected and scrolled into view.
  void ShowStartFolder(const QString& folder);

  std::string m_folder;
  QLineEdit* m_edit = nullptr;
  QTreeView* m_tree = nullptr;
  QFileSystemModel* m_model = nullptr;
};
