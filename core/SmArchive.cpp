#include "core/SmArchive.h"

#include <QIODevice>
#include <algorithm>
#include <bit>
#include <cstring>

#include "core/SmGbk.h"

namespace {

constexpr size_t kFlushAt = 64 * 1024;

template <typename T>
void AppendLittleEndian(std::string& out, T value) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) std::reverse(bytes, bytes + sizeof(T));
  out.append(reinterpret_cast<const char*>(bytes), sizeof(T));
}

template <typename T>
T FromLittleEndian(const char* data) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, data, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) std::reverse(bytes, bytes + sizeof(T));
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

}  // namespace

void CSmArchiveWriter::WriteBytes(std::string_view bytes) {
  m_buffer.append(bytes);
  if (m_buffer.size() >= kFlushAt) Flush();
}

void CSmArchiveWriter::WriteInt(int32_t value) {
  AppendLittleEndian(m_buffer, value);
  if (m_buffer.size() >= kFlushAt) Flush();
}

void CSmArchiveWriter::WriteDouble(double value) {
  AppendLittleEndian(m_buffer, value);
  if (m_buffer.size() >= kFlushAt) Flush();
}

void CSmArchiveWriter::WriteRawText(std::string_view bytes) {
  const size_t length = bytes.size();
  if (length < 0xFF) {
    m_buffer += static_cast<char>(length);
  } else {
    m_buffer += static_cast<char>(0xFF);
    if (length < 0xFFFE) {
      AppendLittleEndian(m_buffer, static_cast<uint16_t>(length));
    } else {
      AppendLittleEndian(m_buffer, static_cast<uint16_t>(0xFFFF));
      AppendLittleEndian(m_buffer, static_cast<uint32_t>(length));
    }
  }
  WriteBytes(bytes);
}

bool CSmArchiveWriter::WriteText(std::string_view utf8) {
  std::string gbk;
  if (!Utf8ToGbk(utf8, gbk)) return false;
  WriteRawText(gbk);
  return true;
}

bool CSmArchiveWriter::Flush() {
  // A file at the end of its room takes part of the bytes: the rest is offered again, and the
  // device then tells why it takes no more.
  const qint64 size = static_cast<qint64>(m_buffer.size());
  for (qint64 done = 0; m_ok && done < size;) {
    const qint64 written = m_device.write(m_buffer.data() + done, size - done);
    m_ok = written > 0;
    done += written;
  }
  m_buffer.clear();
  return m_ok;
}

bool CSmArchiveReader::Take(size_t count, const char*& data) {
  if (!m_ok || count > Left()) {
    m_ok = false;
    return false;
  }
  data = m_bytes.data() + m_pos;
  m_pos += count;
  return true;
}

bool CSmArchiveReader::CanHold(int64_t count, int64_t itemSize) const {
  if (!m_ok || count < 0) return false;
  if (count == 0 || itemSize <= 0) return true;
  return count <= static_cast<int64_t>(Left()) / itemSize;
}

bool CSmArchiveReader::ReadInt(int32_t& value) {
  const char* data = nullptr;
  if (!Take(sizeof(int32_t), data)) return false;
  value = FromLittleEndian<int32_t>(data);
  return true;
}

bool CSmArchiveReader::ReadDouble(double& value) {
  const char* data = nullptr;
  if (!Take(sizeof(double), data)) return false;
  value = FromLittleEndian<double>(data);
  return true;
}

bool CSmArchiveReader::ReadLength(uint32_t& length) {
  const char* data = nullptr;
  if (!Take(1, data)) return false;
  length = static_cast<unsigned char>(*data);
  if (length < 0xFF) return true;
  if (!Take(2, data)) return false;
  length = FromLittleEndian<uint16_t>(data);
  if (length < 0xFFFF) return true;
  if (!Take(4, data)) return false;
  length = FromLittleEndian<uint32_t>(data);
  return true;
}

bool CSmArchiveReader::ReadBytes(size_t count, std::string& bytes) {
  const char* data = nullptr;
  if (!Take(count, data)) return false;
  bytes.assign(data, count);
  return true;
}

bool CSmArchiveReader::ReadRawText(std::string& bytes) {
  uint32_t length = 0;
  return ReadLength(length) && ReadBytes(length, bytes);
}

bool CSmArchiveReader::ReadText(std::string& utf8) {
  uint32_t length = 0;
  const char* data = nullptr;
  if (!ReadLength(length) || !Take(length, data)) return false;
  // Converted from the bytes in place into the room of `utf8`.
  if (GbkToUtf8(std::string_view(data, length), utf8)) return true;
  m_ok = false;
  m_undecodable = true;
  return false;
}
