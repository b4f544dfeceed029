#pragma once
// What a printed PDF holds, read with pdftotext and pdfinfo: the words with their boxes in
// points (per page), and the page count.
#include <QFile>
#include <QProcess>
#include <regex>
#include <string>
#include <vector>

#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"

// A fresh PDF in the test home that the next print in test mode writes to.
inline std::string SmQueueTestPdf(const std::string& name) {
  const std::string path = SmTestHome() + "/" + name + ".pdf";
  QFile::remove(QString::fromStdString(path));
  CSmMessageService::Instance().QueuePrintFile(path);
  return path;
}

struct SmPdfWord {
  double xMin, yMin, xMax, yMax;
  std::string text;
  int page = 1;
};

inline std::vector<SmPdfWord> SmPdfWords(const std::string& pdf) {
  QProcess run;
  run.start("pdftotext", {"-bbox", QString::fromStdString(pdf), "-"});
  run.waitForFinished();
  const std::string html = run.readAllStandardOutput().toStdString();
  const std::regex word(
      R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
  std::vector<SmPdfWord> words;
  int page = 0;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator();
       ++it) {
    if (!(*it)[1].matched) {
      ++page;
      continue;
    }
    words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                     std::stod((*it)[4]), (*it)[5], page});
  }
  return words;
}

inline int SmPdfPages(const std::string& pdf) {
  QProcess run;
  run.start("pdfinfo", {QString::fromStdString(pdf)});
  run.waitForFinished();
  const std::string info = run.readAllStandardOutput().toStdString();
  std::smatch pages;
  return std::regex_search(info, pages, std::regex(R"(Pages:\s+(\d+))")) ? std::stoi(pages[1]) : 0;
}
