#pragma once
// The module interface of every module whose documents are form documents: it gives the
// module's Settings menu, opens, creates and edits the document kind selected in its template
// list, finds its templates and kinds, and registers the operation-log template once for the
// whole program.
#include <memory>

#include "app/SmDataType.h"
#include "forms/SmDocKind.h"

class CSmDocTemplate;
class CSmTemplateList;

// The operation-log template: number 990, belonging to no module.
constexpr int kSmLogTemplate = 990;

class CFormDataType : public CSmDataType {
 public:
  CFormDataType() = default;
  ~CFormDataType() override;

  void Init() override;
  // The template-box page is the module's template list.
  bool CreatePage(CSmTemplateBox* box) override;
  virtual bool CreateTemplateList(QWidget* parent);
  void RefreshPage() override;
  // The list's view mode, kept as "ListStyle_%d" under the program key.
  void LoadListStyle() override;
  void SaveListStyle() override;
  CSmTemplateList* TemplateList() const;
  // The first popup of the module's menu resource.
  QMenu* GetContextMenu() override;
  // Opens the operation log; false while no log document can be made.
  bool OpenLogView() override;
  // New, open and properties of the kind selected in the template list.
  void OnFileNew() override { NewSelectedKind(); }
  // Only a kind that documents can be made of, chosen alone and with its right.
  bool CanFileNew() override;
  void OnFileOpen() override { OpenSelectedKind(); }
  virtual void NewSelectedKind() { ActOnSelectedKind(0, false); }
  virtual void OpenSelectedKind() { ActOnSelectedKind(1, false); }
  // Asked before the template list enables each of its commands.
  virtual bool IsListCommandEnabled(int /*id*/) { return true; }
  virtual void EditSelectedKind() { ActOnSelectedKind(1, true); }

  // Lookups over this module's templates, in the order the application holds them.
  CSmDocTemplate* FindTemplate(int templateNumber) const;
  CSmDocTemplate* FindKind(int templateNumber, int kindNumber, CSmDocKind& kind) const;
  // The kinds of all templates numbered one after another: the lines of the template list.
  CSmDocTemplate* KindByIndex(int index, int& templateNumber, CSmDocKind& kind) const;
  int IndexOfKind(int templateNumber, int kindNumber) const;
  std::vector<CSmDocTemplate*> Templates() const;

 private:
  void RegisterLogTemplate();
  void ActOnSelectedKind(int openMode, bool propertiesOnly);

  std::unique_ptr<QMenu> m_contextMenu;
};
