// Backup archives as the restore reads them: the header (what the restore dialog shows), then
// the whole restore onto the data file, every question answered yes. A damaged archive ends in
// a message and leaves the data file as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "admin/SmMDBBak.h"
#include "app/SmApp.h"
#include "core/SmDatabase.h"
#include "fuzz/SmFuzzSupport.h"
#include "platform/SmMessage.h"

namespace {

struct DataFile {
  CSmApp app;
  DataFile() {
    app.m_moduleInfo.m_ext = "tsd";
    SmFuzzOpenDataFile(app, 2016);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DataFile file;
  CSmDatabase* db = file.app.GetDatabase();
  if (!db || !db->IsOpen()) SmFuzzFail("the data file was lost");
  const std::string path =
      SmFuzzWriteFile("input.bak", std::string_view(reinterpret_cast<const char*>(data), size));
  CSmMDBBak header(*db);
  header.LoadBackup(path, 0);
  if (header.LoadBackup(path, 1)) {
    CSmMDBBak restore(*db);
    for (int k = 0; k < 4; ++k) CSmMessageService::Instance().QueueAnswer(SM_IDYES);
    restore.LoadBackup(path, 2);
  }
  SmFuzzResetMessages();
  return 0;
}
