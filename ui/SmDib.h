#pragma once
// A Windows bitmap file held in memory and drawn unscaled or stretched; the dialogs keep one as
// their background picture. Only files with the 40-byte info header are read.
#include <QImage>
#include <QRect>
#include <string>

class QPainter;

class CSmDib {
 public:
  CSmDib() = default;
  virtual ~CSmDib() = default;

  // Copies the source area (top-down coordinates) one to one to the destination's position;
  // returns the number of rows drawn.
  virtual int Draw(QPainter& painter, const QRect& dest, const QRect& source) const;
  // The whole picture stretched to the rectangle.
  virtual void StretchDraw(QPainter& painter, int x, int y, int width, int height) const;
  virtual void DrawAt(QPainter& painter, int x, int y) const;
  // False when the file cannot be opened or is not a bitmap with a 40-byte info header; no
  // picture is held then.
  virtual bool Load(const std::string& path);
  virtual bool Read(const QByteArray& file);
  virtual bool Save(const std::string& path) const;

  bool IsNull() const { return m_image.isNull(); }
  int Width() const { return m_image.width(); }
  int Height() const { return m_image.height(); }
  int BitCount() const { return m_bitCount; }
  // Entries of the palette; 0 for pictures above 8 bits per pixel.
  int PaletteSize() const { return m_image.colorCount(); }
  // Why the last `Read` failed (never shown to the user).
  const std::string& LastReason() const { return m_reason; }

 private:
  QImage m_image;
  int m_bitCount = 0;
  std::string m_reason;
};
