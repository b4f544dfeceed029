#include "designer/RiloArchive.h"

#include "core/SmGbk.h"

void CRiloWriter::WriteRaw(unsigned value, int bytes) {
  for (int i = 0; i < bytes; ++i) m_bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void CRiloWriter::WriteInt(int value) {
  WriteRaw(static_cast<unsigned>(value), 4);
}

void CRiloWriter::WritePair(const SmIntPair& pair) {
  WriteInt(pair.first);
  WriteInt(pair.second);
}

void CRiloWriter::WriteRect(const SmIntRect& rect) {
  WriteInt(rect.left);
  WriteInt(rect.top);
  WriteInt(rect.right);
  WriteInt(rect.bottom);
}

void CRiloWriter::WriteText(std::string_view utf8) {
  std::string gbk;
  if (!Utf8ToGbk(utf8, gbk) || gbk.size() > 0xFFFFFFFFu) {
    m_good = false;
    return;
  }
  const size_t length = gbk.size();
  if (length < 0xFF) {
    WriteRaw(static_cast<unsigned>(length), 1);
  } else if (length < 0xFFFE) {
    WriteRaw(0xFF, 1);
    WriteRaw(static_cast<unsigned>(length), 2);
  } else {
    WriteRaw(0xFF, 1);
    WriteRaw(0xFFFF, 2);
    WriteRaw(static_cast<unsigned>(length), 4);
  }
  m_bytes += gbk;
}

bool CRiloReader::Fail() {
  m_bad = true;
  return false;
}

bool CRiloReader::ReadRaw(unsigned& value, int bytes) {
  if (m_bad || Left() < static_cast<size_t>(bytes)) return Fail();
  value = 0;
  for (int i = 0; i < bytes; ++i) {
    value |= static_cast<unsigned>(static_cast<unsigned char>(m_bytes[m_pos++])) << (8 * i);
  }
  return true;
}

bool CRiloReader::ReadInt(int& value) {
  unsigned raw = 0;
  if (!ReadRaw(raw, 4)) return false;
  value = static_cast<int>(raw);
  return true;
}

bool CRiloReader::ReadPair(SmIntPair& pair) {
  return ReadInt(pair.first) && ReadInt(pair.second);
}

bool CRiloReader::ReadRect(SmIntRect& rect) {
  return ReadInt(rect.left) && ReadInt(rect.top) && ReadInt(rect.right) && ReadInt(rect.bottom);
}

bool CRiloReader::ReadText(std::string& utf8) {
  unsigned length = 0;
  if (!ReadRaw(length, 1)) return false;
  if (length == 0xFF) {
    if (!ReadRaw(length, 2)) return false;
    if (length == 0xFFFE) return Fail();
    if (length == 0xFFFF && !ReadRaw(length, 4)) return false;
  }
  if (Left() < length) return Fail();
  const std::string_view gbk = m_bytes.substr(m_pos, length);
  m_pos += length;
  std::string text;
  if (!GbkToUtf8(gbk, text)) return Fail();
  utf8 = std::move(text);
  return true;
}

bool CRiloReader::CanHold(long long count, size_t size) {
  if (m_bad || count < 0) return Fail();
  if (count > 0 && static_cast<unsigned long long>(count) > Left() / size) return Fail();
  return true;
}
