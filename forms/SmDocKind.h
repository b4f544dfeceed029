#pragma once
// One kind of document of a module's document template: its number within the template (the
// form number of its definition), its names, its right and how the template list shows it.
#include <string>

struct CSmDocKind {
  int nNumber = 0;
  std::string sName;
  std::string sShortName;
  bool bOpenOnly = false;
  std::string sRight;  // four characters
  int nIcon = 0;
  bool bEnabled = true;
  bool bUserForm = false;
};
