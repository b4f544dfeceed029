#include "ui/SmDib.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace {
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
}  // namespace

int CSmDib::Draw(QPainter& painter, const QRect& dest, const QRect& source) const {
  if (IsNull()) return 0;
  const QRect from(source.left(), source.top(), dest.width(), dest.height());
  const QRect part = from.intersected(m_image.rect());
  painter.drawImage(dest.topLeft() + (part.topLeft() - from.topLeft()), m_image, part);
  return part.height();
}

void CSmDib::StretchDraw(QPainter& painter, int x, int y, int width, int height) const {
  if (IsNull()) return;
  painter.drawImage(QRect(x, y, width, height), m_image);
}

void CSmDib::DrawAt(QPainter& painter, int x, int y) const {
  StretchDraw(painter, x, y, Width(), Height());
}

bool CSmDib::Load(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  return Read(file.readAll());
}

bool CSmDib::Read(const QByteArray& data) {
  m_image = QImage();
  m_bitCount = 0;
  m_reason.clear();
  if (data.size() < kFileHeaderSize + kInfoHeaderSize || !data.startsWith("BM")) {
    m_reason = "Error:Unexpected file type, not a DIB\n";
    return false;
  }
  const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
  if (qFromLittleEndian<quint32>(bytes + kFileHeaderSize) != kInfoHeaderSize) {
    m_reason = "Error:OS2 PM BMP Format not supported\n";
    return false;
  }
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  QImage image;
  if (!reader.read(&image)) {
    m_reason = reader.errorString().toStdString();
    return false;
  }
  m_image = image;
  m_bitCount = qFromLittleEndian<quint16>(bytes + kFileHeaderSize + 14);
  return true;
}

bool CSmDib::Save(const std::string& path) const {
  if (IsNull()) return false;
  return m_image.save(QString::fromStdString(path), "BMP");
}
