// Text files as the program reads them (SQL scripts, imported lists): GBK, UTF-8 with or without
// its mark, UTF-16 with its mark, in text or binary mode. Every line comes out as well-formed
// UTF-8 without its line end, and ReadAll gives the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/SmGbk.h"
#include "core/SmTextFile.h"
#include "fuzz/SmFuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the open mode; the rest is the file.
  const bool binary = data[0] & 1;
  const std::string path = SmFuzzWriteFile(
      "input.txt", std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  const unsigned flags =
      CSmTextFile::modeRead | (binary ? CSmTextFile::typeBinary : CSmTextFile::typeText);
  std::string lines;
  {
    CSmTextFile file;
    if (!file.Open(path, flags)) SmFuzzFail("an existing file does not open");
    std::string line;
    while (file.ReadString(line)) {
      if (!IsValidUtf8(line)) SmFuzzFail("a line is not UTF-8");
      if (line.find('\n') != std::string::npos) SmFuzzFail("a line keeps its end");
      lines += line + "\n";
    }
  }
  CSmTextFile again;
  if (!again.Open(path, flags)) SmFuzzFail("an existing file does not open twice");
  if (again.ReadAll() != lines) SmFuzzFail("ReadAll differs from the lines read one by one");
  return 0;
}
