#pragma once
// A module's document template: its number (the template number of every form definition made
// from it), the module it belongs to and its document kinds, one line each in the template
// list. Opening a kind makes the table document, its frame and its view in a fixed order.
#include <memory>
#include <string>
#include <vector>

#include "forms/SmDocKind.h"
#include "platform/SmDocument.h"

class CSmDoc;

// Shown when a document or its frame cannot be made.
inline constexpr const char* kSmFailedToCreateDoc = "无法创建空文档。";

class CSmDocTemplate : public CSmMultiDocTemplate {
 public:
  CSmDocTemplate(int resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view,
                 int templateNumber, int userForms);

  // Appends an enabled kind; an empty short name takes the name.
  void AddKind(int number, const std::string& name, const std::string& shortName, int openOnly,
               const std::string& right, int icon, int userForm);

  // A frame of the template's frame class; a CSmChildFrm learns the template's resource first.
  CSmChildFrame* CreateNewFrame(CSmDocument* doc) override;
  // Makes the document of the kind (open mode 0 new, 1 opened) and, unless only its properties
  // are wanted, its frame and view. The frame, or null when nothing was opened.
  virtual CSmChildFrame* OpenDocumentOfKind(const CSmDocKind& kind, int openMode, bool visible,
                                            bool propertiesOnly);
  CSmChildFrame* CreateFrameForDoc(int openMode, std::unique_ptr<CSmDoc> doc, bool visible);

  int m_module = 0;  // 0: the operation-log template, which belongs to no module
  int m_number = 0;
  int m_userForms = 0;
  std::vector<CSmDocKind> m_kinds;

 private:
  void FillRows(CSmDoc& doc, int openMode);
  void CheckTopWords(CSmDoc& doc);
};
