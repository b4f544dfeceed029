#include "designer/RiloArchive.h"

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
  if (!m_out.WriteText(utf8)) m_textsOk = false;
}

bool CRiloWriter::Flush() {
  return m_out.Flush() && m_textsOk;
}

bool CRiloReader::ReadPair(SmIntPair& pair) {
  return ReadInt(pair.first) && ReadInt(pair.second);
}

bool CRiloReader::ReadRect(SmIntRect& rect) {
  return ReadInt(rect.left) && ReadInt(rect.top) && ReadInt(rect.right) && ReadInt(rect.bottom);
}

bool CRiloReader::CanHold(long long count, size_t size) {
  if (m_in.CanHold(count, static_cast<int64_t>(size))) return true;
  m_refused = true;
  return false;
}
