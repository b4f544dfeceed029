#pragma once
// Where the files of a report lie, how a cell text with inline format codes maps to its plain
// text, and the default font of printed and displayed texts.
//
// Report files: a whole report is "X.QLN"; its child tables are ".BSJ" files, "X.BSJ" beside it
// and any in the folder "X" beside it, at any depth (child numbers become folders). Report
// folders lie under the account set's folder by year: <account sets>\<account set>\<year>\X.QLN.
// Paths are read with "\" or "/"; the paths returned use this system's separator.
#include <string>
#include <string_view>

// Bytes of the inline format code that starts at text[i] (byte 27): 2 for an ASCII byte below
// "J"; for "O", "P" and "Q" through the next byte 28; otherwise, and when no byte 28 follows,
// 1 (the escape alone, its letter then read as text).
size_t SmFormatCodeLength(std::string_view text, size_t i);

// A font description as the printing and display code keeps it.
struct SmLogFont {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charSet = 0;
  int outPrecision = 0;
  int clipPrecision = 0;
  int quality = 0;
  int pitchAndFamily = 0;
  std::string faceName;
};

class CSmUtil {
 public:
  virtual ~CSmUtil() = default;

  // The ".QLN" file that owns a report file: for D:\r\X\1\c.BSJ the first existing of
  // D:\r\X\1\c.QLN, D:\r\X\1.QLN, D:\r\X.QLN ...; "" when there is none.
  std::string FindMasterReportFile(const std::string& path);
  // True when the report F\T.QLN has a child table: F\T.BSJ, or a ".BSJ" file in F\T or below.
  bool FindReportDataFile(const std::string& reportPath);
  // The first file matching `pattern` (wildcards "*" and "?", case ignored) in `folder` or its
  // subfolders, depth first; its full path replaces `folder`. A pattern holding any of
  // " #%;/\" is refused.
  bool FindFilesRecursive(const std::string& pattern, std::string& folder);
  // Walks a cell text with inline format codes (byte 27 and a letter; "O", "P", "Q" carry a value
  // ended by byte 28) until `position` plain GBK bytes are read; returns the GBK position reached
  // in the coded text. `text` becomes the plain text read, `position` its GBK length. Position
  // 0 gives the length of the text's leading run of codes.
  int RawTextPos(std::string& text, int& position);
  // Height 14, weight 400, character set 134, pitch and family 32, face "宋体".
  void InitDefaultLogFont(SmLogFont& font);
  // Kind of a report path: 2 a whole report (".QLN"), 3 a child table (".BSJ"), -2 another
  // extension, 1 a catalogue path without extension: data file (the nearest component with an
  // extension, else the first), then report number and child levels. For a catalogue path
  // `folder` is the path up to the data file, `year` the number the data file's name begins with
  // and `subPath` the rest ("12\1"); otherwise `folder` is the path, `year` 0 and `subPath` "".
  int ParseReportPath(const std::string& path, std::string& folder, int& year,
                      std::string& subPath);
  // Turns a reference written in a formula into a file path beside the base report: "file" lies
  // in the base report's folder, "sub\file" below it, "year\file" in that year's folder of the
  // same account set, "account set\year\file" in another account set; an absolute path stays.
  void BuildReportPath(std::string& reference, const std::string& baseReportPath);
};
