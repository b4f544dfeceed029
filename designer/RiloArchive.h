#pragma once
// The byte stream of the report files: little-endian 4-byte integers, pairs and four-integer
// records, and texts in GBK behind a length prefix of one byte (below 255), three bytes (0xFF
// and a 2-byte length below 0xFFFE) or seven bytes (0xFF, 0xFFFF and a 4-byte length). Texts
// are UTF-8 in memory and converted here only.
#include <cstddef>
#include <string>
#include <string_view>

struct SmIntPair {
  int first = 0;
  int second = 0;
  bool operator==(const SmIntPair&) const = default;
};

struct SmIntRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const SmIntRect&) const = default;
};

class CRiloWriter {
 public:
  void WriteInt(int value);
  void WritePair(const SmIntPair& pair);
  void WriteRect(const SmIntRect& rect);
  // A text that has no GBK form makes the stream bad.
  void WriteText(std::string_view utf8);

  bool Good() const { return m_good; }
  const std::string& Bytes() const { return m_bytes; }

 private:
  void WriteRaw(unsigned value, int bytes);

  std::string m_bytes;
  bool m_good = true;
};

// Every read checks the bytes left; a short or undecodable stream becomes bad and stays bad.
class CRiloReader {
 public:
  explicit CRiloReader(std::string_view bytes) : m_bytes(bytes) {}

  bool ReadInt(int& value);
  bool ReadPair(SmIntPair& pair);
  bool ReadRect(SmIntRect& rect);
  bool ReadText(std::string& utf8);
  // Whether `count` items of at least `size` bytes each can still follow; a count that cannot
  // (or a negative one) makes the stream bad. Checked before anything is sized from a count.
  bool CanHold(long long count, size_t size);

  bool Bad() const { return m_bad; }
  size_t Left() const { return m_bytes.size() - m_pos; }

 private:
  bool ReadRaw(unsigned& value, int bytes);
  bool Fail();

  std::string_view m_bytes;
  size_t m_pos = 0;
  bool m_bad = false;
};
