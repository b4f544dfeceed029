#pragma once
// The items of the report files over the program's archive stream: integers, pairs,
// four-integer records and texts. A reader also remembers a count it refused, so that a
// damaged file is told apart from one refused for what it says.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "core/SmArchive.h"

class QIODevice;

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
  // The same cells with left <= right and top <= bottom.
  SmIntRect Normalized() const {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right),
            std::max(top, bottom)};
  }
};

class CRiloWriter {
 public:
  explicit CRiloWriter(QIODevice& device) : m_out(device) {}

  void WriteInt(int value) { m_out.WriteInt(value); }
  void WritePair(const SmIntPair& pair);
  void WriteRect(const SmIntRect& rect);
  // A text that has no GBK form makes the stream bad.
  void WriteText(std::string_view utf8);

  // Passes the rest to the device; false when a text or a write failed.
  bool Flush();

 private:
  CSmArchiveWriter m_out;
  bool m_textsOk = true;
};

class CRiloReader {
 public:
  explicit CRiloReader(std::string_view bytes) : m_in(bytes) {}

  bool ReadInt(int& value) { return m_in.ReadInt(value); }
  bool ReadPair(SmIntPair& pair);
  bool ReadRect(SmIntRect& rect);
  bool ReadText(std::string& utf8) { return m_in.ReadText(utf8); }
  // Whether `count` items of at least `size` bytes each can still follow; a count that cannot
  // (or a negative one) makes the stream bad. Checked before anything is sized from a count.
  bool CanHold(long long count, size_t size);

  bool Bad() const { return m_refused || !m_in.Ok(); }
  size_t Left() const { return m_in.Left(); }
  // Refuses the stream for what it says (a value out of its range), with the reason to show.
  void Refuse(std::string reason) {
    m_refused = true;
    m_reason = std::move(reason);
  }
  const std::string& Reason() const { return m_reason; }

 private:
  CSmArchiveReader m_in;
  bool m_refused = false;
  std::string m_reason;
};
