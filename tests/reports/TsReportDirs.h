#pragma once
// The directories the report fixtures share: two towns of farmers down to three households,
// two drivers with flat codes, a place and a variety under the cane.
#include <string>
#include <vector>

inline std::vector<std::string> TsReportDirectoryRows() {
  return {
      "Insert Into NHDir(KNO,NA) Values('1','东镇')",
      "Insert Into NHDir(KNO,NA) Values('101','一村')",
      "Insert Into NHDir(KNO,NA) Values('10101','一组')",
      "Insert Into NHDir(KNO,NA) Values('10101001','张三')",
      "Insert Into NHDir(KNO,NA) Values('10101002','李四')",
      "Insert Into NHDir(KNO,NA) Values('2','西镇')",
      "Insert Into NHDir(KNO,NA) Values('201','三村')",
      "Insert Into NHDir(KNO,NA) Values('20101','三组')",
      "Insert Into NHDir(KNO,NA) Values('20101001','王五')",
      "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('1','甲车','','')",
      "Insert Into DriverDir(KNO,NA,WG0,WG1) Values('12','乙车','','')",
      "Insert Into AdrDir(KNO,NA,jl,ypr) Values('012','北坡',12,20)",
      "Insert Into GP(KNO,NA,pr) Values('1','甘蔗',0)",
      "Insert Into GP(KNO,NA,pr) Values('101','桂糖',500)",
  };
}
