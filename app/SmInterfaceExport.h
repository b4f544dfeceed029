#pragma once
// Export of the standard interface data: the format description file and every module's data
// files in one folder.
#include <string>

class CSmApp;

// Command "导出标准接口数据 ...": asks for a folder and exports into it under the wait cursor.
void SmRunInterfaceExport(CSmApp& app);
// Writes the format description file (UTF-16 with its byte-order mark, CR LF line ends) into
// the folder and lets every data type write its data files there, with the folder as current
// directory for the length of the export. False, after "创建格式文件失败！", when the
// description file cannot be created; then no data type is asked.
bool SmExportInterfaceData(CSmApp& app, const std::string& folder);
