#pragma once
// The little-endian archive stream of the program's binary files (backup archives, report
// files): 4-byte ints, 8-byte IEEE doubles and texts in the ANSI code page (GBK) behind a
// length prefix of one byte (below 255), 0xFF and 16 bits (below 65534), or 0xFF, 0xFFFF and
// 32 bits, with no terminator. Texts are UTF-8 in memory and converted here only.
#include <cstdint>
#include <string>
#include <string_view>

class QIODevice;

class CSmArchiveWriter {
 public:
  // Writes to an open device through a buffer; Flush (or destruction) passes the rest on.
  explicit CSmArchiveWriter(QIODevice& device) : m_device(device) {}
  ~CSmArchiveWriter() { Flush(); }
  CSmArchiveWriter(const CSmArchiveWriter&) = delete;
  CSmArchiveWriter& operator=(const CSmArchiveWriter&) = delete;

  void WriteInt(int32_t value);
  void WriteDouble(double value);
  // A UTF-8 text, stored as its GBK bytes; false when it has no GBK form.
  bool WriteText(std::string_view utf8);
  // Bytes already in the code page, behind their length prefix.
  void WriteRawText(std::string_view bytes);
  void WriteBytes(std::string_view bytes);
  // False once any write to the device failed.
  bool Flush();
  bool Ok() const { return m_ok; }

 private:
  QIODevice& m_device;
  std::string m_buffer;
  bool m_ok = true;
};

// Reads the same stream from bytes in memory (a mapped file), which must outlive it. Every read
// checks the bytes left first: a truncated stream or a length beyond the end fails the read and
// every read after it, and nothing is sized from an unchecked count.
class CSmArchiveReader {
 public:
  explicit CSmArchiveReader(std::string_view bytes) : m_bytes(bytes) {}

  bool ReadInt(int32_t& value);
  bool ReadDouble(double& value);
  // A text converted from GBK to UTF-8; false at the end of the stream or for bytes that are
  // no text of the code page (then `Undecodable` tells so).
  bool ReadText(std::string& utf8);
  // The code-page bytes of a text, unconverted.
  bool ReadRawText(std::string& bytes);
  bool ReadBytes(size_t count, std::string& bytes);
  // Whether `count` items of at least `itemSize` bytes each can still follow.
  bool CanHold(int64_t count, int64_t itemSize) const;

  size_t Left() const { return m_bytes.size() - m_pos; }
  size_t Position() const { return m_pos; }
  bool Ok() const { return m_ok; }
  // The reading stopped at a whole text whose bytes have no meaning in the code page.
  bool Undecodable() const { return m_undecodable; }

 private:
  bool Take(size_t count, const char*& data);
  bool ReadLength(uint32_t& length);

  std::string_view m_bytes;
  size_t m_pos = 0;
  bool m_ok = true;
  bool m_undecodable = false;
};
