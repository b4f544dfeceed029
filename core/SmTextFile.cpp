#include "core/SmTextFile.h"

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/SmGbk.h"
#include "core/SmString.h"

namespace {

const char kBom[2] = {'\xFF', '\xFE'};
const std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Lines longer than this many UTF-16 units arrive in several parts.
const size_t kMaxWideLine = 4095;

void StripLineEnd(std::string& line) {
  if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
    line.resize(line.size() - 2);
  else if (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
    line.pop_back();
}

enum class FileEncoding { Gbk, Utf16, Utf8 };

bool StartsWith(std::string_view bytes, std::string_view head) {
  return bytes.substr(0, head.size()) == head;
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The length of the head of `bytes` that ends with a whole character: a UTF-8 sequence begun
// in the last three bytes and cut by the end is left out.
size_t WholeUtf8Head(std::string_view bytes) {
  for (size_t k = 1; k <= std::min<size_t>(3, bytes.size()); ++k) {
    const auto b = static_cast<unsigned char>(bytes[bytes.size() - k]);
    if (b < 0x80) break;
    if (b < 0xC0) continue;
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    return length > k ? bytes.size() - k : bytes.size();
  }
  return bytes.size();
}

// How the file's bytes are to be read, told by its byte-order mark or by its bytes; read in
// pieces, and only up to the first byte that is not UTF-8.
FileEncoding EncodingOf(const std::string& fileName) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(fileName.c_str(), "rb"),
                                                    std::fclose);
  if (!f) return FileEncoding::Gbk;
  char chunk[65536];
  size_t n = std::fread(chunk, 1, 3, f.get());
  const std::string_view head(chunk, n);
  if (StartsWith(head, std::string_view(kBom, 2))) return FileEncoding::Utf16;
  if (StartsWith(head, kUtf8Bom)) return FileEncoding::Utf8;
  std::string bytes(head);
  bool ascii = true;
  do {
    const std::string_view whole = std::string_view(bytes).substr(0, WholeUtf8Head(bytes));
    if (!IsValidUtf8(whole)) return FileEncoding::Gbk;
    ascii = ascii && IsAscii(whole);
    bytes.erase(0, whole.size());
    n = std::fread(chunk, 1, sizeof chunk, f.get());
    bytes.append(chunk, n);
  } while (n > 0);
  // A character cut by the end of the file is not UTF-8.
  return !ascii && bytes.empty() ? FileEncoding::Utf8 : FileEncoding::Gbk;
}

// A line of a UTF-8 file as it stands; in a file that only its mark calls UTF-8, a byte that
// starts no valid character becomes "?".
std::string DecodeUtf8Line(const std::string& bytes) {
  if (IsValidUtf8(bytes)) return bytes;
  std::string utf8;
  for (size_t i = 0; i < bytes.size();) {
    const size_t len = Utf8Next(bytes, i);
    const std::string_view one = std::string_view(bytes).substr(i, len);
    utf8 += IsValidUtf8(one) ? one : "?";
    i += len;
  }
  return utf8;
}

// A line of GBK bytes as UTF-8. A byte that starts no valid character becomes "?" and the
// rest of the line is still read.
std::string DecodeGbkLine(const std::string& bytes) {
  std::string utf8;
  if (GbkToUtf8(bytes, utf8)) return utf8;
  utf8.clear();
  std::string one;
  for (size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      utf8 += bytes[i++];
      continue;
    }
    if (i + 1 < bytes.size() && GbkToUtf8(std::string_view(bytes).substr(i, 2), one)) {
      utf8 += one;
      i += 2;
      continue;
    }
    utf8 += '?';
    ++i;
  }
  return utf8;
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

const char* ModeText(unsigned flags) {
  const unsigned access = flags & 0x3;
  if (access == CSmTextFile::modeRead) return "rb";
  if (flags & CSmTextFile::modeCreate) {
    if (flags & CSmTextFile::modeNoTruncate) return access == CSmTextFile::modeWrite ? "ab" : "a+b";
    return access == CSmTextFile::modeWrite ? "wb" : "w+b";
  }
  return "r+b";
}

}  // namespace

CSmTextFile::~CSmTextFile() = default;

bool CSmTextFile::Close() {
  bool written = !m_writeFailed;
  if (std::FILE* file = m_fileOwner.release()) written = std::fclose(file) == 0 && written;
  m_file = nullptr;
  m_writeFailed = false;
  return written;
}

bool CSmTextFile::Open(const std::string& fileName, unsigned flags, bool writeUnicode,
                       std::string* error) {
  Close();
  m_writeUnicode = writeUnicode;
  m_readUnicode = false;
  m_readUtf8 = false;
  const bool writes = (flags & 0x3) != modeRead || (flags & modeCreate);
  if (!(flags & typeBinary) && !writes) {
    const FileEncoding encoding = EncodingOf(fileName);
    m_readUtf8 = encoding == FileEncoding::Utf8;
    if (encoding == FileEncoding::Utf16) {
      m_readUnicode = true;
      flags = (flags & ~static_cast<unsigned>(typeText)) | typeBinary;
    }
  }
  m_openFlags = flags;
  m_fileOwner.reset(std::fopen(fileName.c_str(), ModeText(flags)));
  m_file = m_fileOwner.get();
  if (!m_file) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  if ((flags & 0x3) == modeWrite && m_writeUnicode) WriteString("");
  return true;
}

bool CSmTextFile::ReadRawLine(std::string& bytes) {
  bytes.clear();
  int c;
  while ((c = std::fgetc(m_file)) != EOF) {
    bytes.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !bytes.empty();
}

bool CSmTextFile::ReadWideLine(std::u16string& units) {
  units.clear();
  unsigned char pair[2];
  // A line part never ends between the two halves of a surrogate pair.
  while ((units.size() < kMaxWideLine || IsHighSurrogate(units.back())) &&
         std::fread(pair, 1, 2, m_file) == 2) {
    const char16_t unit = static_cast<char16_t>(pair[0] | (pair[1] << 8));
    units.push_back(unit);
    if (unit == u'\n') break;
  }
  return !units.empty();
}

bool CSmTextFile::ReadString(std::string& line) {
  line.clear();
  if (!m_file) return false;
  if (m_readUnicode) {
    if (std::ftell(m_file) == 0) std::fseek(m_file, 2, SEEK_SET);
    std::u16string units;
    if (!ReadWideLine(units)) return false;
    line = Utf16ToUtf8(units);
  } else {
    const bool atStart = std::ftell(m_file) == 0;
    std::string bytes;
    if (!ReadRawLine(bytes)) return false;
    if (m_readUtf8 && atStart && StartsWith(bytes, kUtf8Bom)) {
      bytes.erase(0, kUtf8Bom.size());
      // A file of the mark alone holds no line, as a UTF-16 one does.
      if (bytes.empty() && !ReadRawLine(bytes)) return false;
    }
    line = m_readUtf8 ? DecodeUtf8Line(bytes) : DecodeGbkLine(bytes);
  }
  StripLineEnd(line);
  return true;
}

std::string CSmTextFile::ReadAll() {
  std::string all;
  std::string line;
  while (ReadString(line)) {
    all += line;
    all += '\n';
  }
  return all;
}

void CSmTextFile::WriteString(const std::string& text, bool normalise) {
  if (!m_file) return;
  std::string t = text;
  if (normalise) {
    t = ReplaceAll(t, "\r\n", "\n");
    t = ReplaceAll(t, "\r", "\n");
    if (m_writeUnicode) t = ReplaceAll(t, "\n", "\r\n");
  }
  if (m_writeUnicode) {
    if (std::ftell(m_file) == 0) std::fwrite(kBom, 1, 2, m_file);
    const std::u16string units = QString::fromStdString(t).toStdU16String();
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
      bytes.push_back(static_cast<char>(u & 0xFF));
      bytes.push_back(static_cast<char>(u >> 8));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) m_writeFailed = true;
    return;
  }
  if (!(m_openFlags & typeBinary)) {
    // A text-mode stream writes each "\n" as "\r\n".
    t = ReplaceAll(t, "\r\n", "\n");
    t = ReplaceAll(t, "\n", "\r\n");
  }
  std::string gbk;
  if (!Utf8ToGbk(t, gbk) || std::fwrite(gbk.data(), 1, gbk.size(), m_file) != gbk.size()) {
    m_writeFailed = true;
  }
}
