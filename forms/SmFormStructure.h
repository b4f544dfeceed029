#pragma once
// Form definitions carried between data files: one kind's definition with its print settings,
// and the document structure files a module's template list writes and reads. A structure
// file is the backup archive of a small temporary data file that holds only the form tables of
// the chosen kinds.
#include <string>
#include <utility>
#include <vector>

#include "forms/SmFormDef.h"
#include "ui/SmPrintInfo.h"

class CFormDataType;
class CSmApp;
class CSmDatabase;

// A form definition with its print settings, as read from one data file.
struct CSmStoredForm {
  CSmFormDef def;
  CSmPrintInfo print;
};

// False when the data file holds no list row for the kind.
bool SmLoadStoredForm(CSmDatabase* db, int templateNumber, int kindNumber, CSmStoredForm& form);
// Writes the form under a kind of the data file in one transaction, replacing whatever was
// stored under that kind.
bool SmStoreForm(CSmDatabase* db, int templateNumber, int kindNumber, CSmStoredForm& form);

// The name the file dialog proposes: for an export "<unit>文档结构.<ext>templ" in the folder of
// the last export, for an import the last file imported or that name in the home folder.
std::string SmStructureFileProposal(CSmApp& app, bool exporting);

// Writes the stored forms of the kinds (template and kind numbers, in this order) to a
// structure file the user chooses.
void SmExportFormStructure(const std::vector<std::pair<int, int>>& kinds);
// Reads a structure file the user chooses into the open data file as forms of the module's
// templates, asking before it replaces a kind's form.
void SmImportFormStructure(CFormDataType& type);
