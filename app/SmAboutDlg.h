#pragma once
// The About box (template 807): the product, its version and the distributor's information,
// or the maker's own text with the date the program file was last changed.
#include <string>

#include "ui/SmDlg.h"

class CSmApp;

class CSmAboutDlg : public CSmDlg {
  Q_OBJECT
 public:
  CSmAboutDlg(CSmApp* app, QWidget* parent = nullptr);

  // What the template gives the information static (1085).
  static std::string TemplateText();

  std::string m_title;    // 1066
  std::string m_version;  // 1065: "(%s版)"
  std::string m_info;     // 1085

 protected:
  void OnInitDialog() override;
  void DoDataExchange(bool save) override;

 private:
  CSmApp* m_app;
};
