#pragma once
// What the report sheet's storage and the report catalogue share about the report tables.
#include <cstddef>
#include <string>

// The report designer's module number: its variables are stored under it in SMVAR.
constexpr int kSmReportModule = 3;
// Widths of the report tables' text columns, in GBK bytes.
constexpr size_t kSmReportNameWidth = 60;
constexpr size_t kSmReportCodeWidth = 20;
constexpr size_t kSmReportCellWidth = 250;
constexpr size_t kSmChildNoWidth = 15;

// Cell layers and child values keep "'" as the byte 0x0F in the tables.
std::string SmStoredCellText(const std::string& text);
std::string SmReadCellText(const std::string& stored);
// A report number written in a reference: digits of a number in int range.
bool SmReportNumber(const std::string& text, int& nNo);
// A child number with "/" written as "\".
std::string SmChildPath(const std::string& subNo);
// Shows why a text cannot be stored (stop icon); false, for returning.
bool SmRefuseStore(const std::string& text);
