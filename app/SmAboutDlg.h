#pragma once
// The About box (template 807): the product, its version and the distributor's information,
// or the maker's own text with the date the program file was last changed.
#include <string>

#include "ui/SmDlg.h"

class CSmApp;

class CSmAboutDlg : public CSmDlg {
  Q_OBJECT
 public:
  // Control ids (object names of the controls).
  enum ControlId : int {
    kVersion = 1065,
    kTitle = 1066,
    kInfo = 1085,
  };

  CSmAboutDlg(CSmApp* app, QWidget* parent = nullptr);

  // What the template gives the information static (kInfo).
  static std::string TemplateText();

  std::string m_title;    // kTitle
  std::string m_version;  // kVersion: "(%s版)"
  std::string m_info;     // kInfo

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  CSmApp* m_app;
};
