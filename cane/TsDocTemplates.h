#pragma once
// The cane module's document templates: tickets, settlements, advances, ledgers and reports.
// Their documents, frames and views live in the weighing and report libraries, which install
// them here at start-up; a template without them says so when one of its kinds is opened.
#include "forms/SmDocTemplate.h"

class CSmDocManager;

// What a template makes; an empty frame factory gives a form frame that takes every menu from
// the document windows' menus.
struct TsDocClasses {
  CSmMultiDocTemplate::DocumentFactory document;
  CSmMultiDocTemplate::FrameFactory frame;
  CSmMultiDocTemplate::ViewFactory view;
};

// Installs (or, with empty classes, removes) the classes of a template number.
void TsSetDocClasses(int templateNumber, TsDocClasses classes);
bool TsHasDocClasses(int templateNumber);

class CTsDocTemplate : public CSmDocTemplate {
 public:
  CTsDocTemplate(int templateNumber, int userForms);
  // Opens nothing and says so while the template's document is not installed.
  CSmChildFrame* OpenDocumentOfKind(const CSmDocKind& kind, int openMode, bool visible,
                                    bool propertiesOnly) override;
};

// Adds the module's 18 templates with their kinds, in creation order, to the manager.
void TsRegisterDocTemplates(CSmDocManager& manager, int module);
