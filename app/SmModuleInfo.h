#pragma once
// The software-module descriptor: names the product to the shell.
#include <initializer_list>
#include <string>

class CSmModuleInfo {
 public:
  CSmModuleInfo() = default;
  CSmModuleInfo(const CSmModuleInfo&) = default;
  CSmModuleInfo& operator=(const CSmModuleInfo&) = default;
  virtual ~CSmModuleInfo() = default;

  // The type list becomes " " followed by "%d " for each module number.
  void SetTypes(std::initializer_list<int> numbers);
  // Whether the data type of that module number is shown (has a page in the template box).
  bool ShowsType(int number) const;

  int m_id = 0;
  std::string m_suffix;       // appended to the program key text and the version text
  std::string m_ext;          // data-file extension
  std::string m_fileCaption;  // data-file caption
  std::string m_docType;      // document type, also the program's registry application key
  std::string m_title;        // product title
  std::string m_types;        // " 16 3 "
};
