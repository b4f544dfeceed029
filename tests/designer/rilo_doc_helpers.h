#pragma once
// What the report document's tests share: sheets of recognisable cells and the report template.
#include <string>

#include "app/SmApp.h"
#include "designer/RiloDoc.h"

// A sheet whose cells read "<prefix><column><row>".
inline CRiloData Sheet(int cols, int rows, const std::string& prefix) {
  CRiloData sheet;
  sheet.m_cols = cols;
  sheet.m_rows = rows;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      sheet.m_texts.push_back(prefix + std::to_string(c) + std::to_string(r));
  return sheet;
}

inline CRiloDocTemplate* ReportTemplate() {
  for (const auto& docTemplate : SmGetApp()->m_docManager.Templates())
    if (auto* rilo = dynamic_cast<CRiloDocTemplate*>(docTemplate.get())) return rilo;
  return nullptr;
}
