#include "ui/SmPalBitmap.h"

#include <QPainter>
#include <algorithm>

bool CSmPalBitmap::Create(int width, int height, int bits) {
  m_image = QImage();
  if (width <= 0 || height <= 0) return false;
  QImage::Format format = QImage::Format_Indexed8;
  if (bits == 1) {
    format = QImage::Format_Mono;
  } else if (bits != 4 && bits != 8) {
    return false;
  }
  m_image = QImage(width, height, format);
  m_image.setColorCount(1 << bits);
  for (int i = 0; i < m_image.colorCount(); ++i) m_image.setColor(i, qRgb(0, 0, 0));
  m_image.fill(0);
  return true;
}

void CSmPalBitmap::SetPaletteEntry(int index, int red, int green, int blue) {
  if (index < 0 || index >= m_image.colorCount()) return;
  m_image.setColor(index, qRgb(red, green, blue));
}

uint8_t* CSmPalBitmap::Bits() {
  return m_image.bits();
}

int CSmPalBitmap::Stride() const {
  return static_cast<int>(m_image.bytesPerLine());
}

void CSmPalBitmap::Fill(uint8_t value) {
  m_image.fill(value);
}

void CSmPalBitmap::SetPixel(int x, int y, uint8_t value) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  m_image.setPixel(x, y, value);
}

uint8_t CSmPalBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  return static_cast<uint8_t>(m_image.pixelIndex(x, y));
}

void CSmPalBitmap::Blend(unsigned colorRef, int percent) {
  const int p = std::clamp(percent, 0, 100);
  const int r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
  for (int i = 0; i < m_image.colorCount(); ++i) {
    const QRgb entry = m_image.color(i);
    m_image.setColor(
        i, qRgb((r * p + qRed(entry) * (100 - p)) / 100, (g * p + qGreen(entry) * (100 - p)) / 100,
                (b * p + qBlue(entry) * (100 - p)) / 100));
  }
}

void CSmPalBitmap::Draw(QPainter& painter, int x, int y) const {
  if (!m_image.isNull()) painter.drawImage(x, y, m_image);
}
