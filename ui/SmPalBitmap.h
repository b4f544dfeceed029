#pragma once
// A palette bitmap of 1, 4 or 8 bits per pixel (2, 16 or 256 palette entries), its pixels held
// in memory: the texture behind hint balloons. Rows run from the top; a row is `Stride()` bytes.
#include <QImage>
#include <cstdint>

class QPainter;

class CSmPalBitmap {
 public:
  // Any earlier content is freed; false for a bit count other than 1, 4 or 8 or an empty size.
  bool Create(int width, int height, int bits = 8);
  void SetPaletteEntry(int index, int red, int green, int blue);
  uint8_t* Bits();
  int Stride() const;
  // One value per pixel (8 bits per pixel only, as the texture uses).
  void Fill(uint8_t value);
  void SetPixel(int x, int y, uint8_t value);
  uint8_t Pixel(int x, int y) const;
  // Moves every palette entry toward the colour (0x00BBGGRR) by the percentage (at most 100).
  void Blend(unsigned colorRef, int percent);
  void Draw(QPainter& painter, int x, int y) const;

  int Width() const { return m_image.width(); }
  int Height() const { return m_image.height(); }
  bool IsNull() const { return m_image.isNull(); }
  QRgb PaletteEntry(int index) const { return m_image.color(index); }

 private:
  QImage m_image;
};
