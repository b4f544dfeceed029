#include "ui/SmMarkup.h"

#include <QDir>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QRect>
#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

unsigned ColorRef(const QColor& color) {
  return static_cast<unsigned>(color.red()) | static_cast<unsigned>(color.green()) << 8 |
         static_cast<unsigned>(color.blue()) << 16;
}

bool IsSpace(char c) {
  return c == ' ';
}

// One tag as read from the text: name (lower case), closing flag, value and attributes.
struct Tag {
  std::string name;
  bool closing = false;
  bool hasValue = false;
  std::string value;
  std::map<std::string, std::string> attributes;  // lower-case name -> value ("" without one)

  unsigned Number(unsigned fallback) const {
    return hasValue ? static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 0)) : fallback;
  }
  int Attribute(const char* key, int fallback = 0) const {
    auto it = attributes.find(key);
    if (it == attributes.end() || it->second.empty()) return fallback;
    return static_cast<int>(std::strtoul(it->second.c_str(), nullptr, 0));
  }
};

// Reads tags and text runs of a markup text.
class Scanner {
 public:
  explicit Scanner(const std::string& text) : m_text(text) {}
  bool AtEnd() const { return m_pos >= m_text.size(); }

  // The characters up to a tag, a tab, a line feed or the end; carriage returns dropped.
  std::string Run() {
    std::string run;
    while (!AtEnd()) {
      const char c = m_text[m_pos];
      if (c == '\r') {
        ++m_pos;
        continue;
      }
      if (c == '\t' || c == '\n') break;
      if (c == '<') {
        const bool last = m_pos + 1 == m_text.size();
        if (!last && m_text[m_pos + 1] != '<') break;
        run += '<';
        m_pos += last ? 1 : 2;
        continue;
      }
      run += c;
      ++m_pos;
    }
    return run;
  }

  // The tag at the scanning position (a tab or line feed reads as `t` or `br`).
  Tag Next() {
    Tag tag;
    const char c = m_text[m_pos++];
    if (c == '\t' || c == '\n') {
      tag.name = c == '\t' ? "t" : "br";
      return tag;
    }
    SkipSpaces();
    tag.name = Name(true);
    if (!tag.name.empty() && tag.name.front() == '/') {
      tag.closing = true;
      tag.name.erase(0, 1);
    }
    tag.name = QString::fromStdString(tag.name).toLower().toStdString();
    if (Peek() == ' ') ++m_pos;
    tag.hasValue = Value(tag.value);
    const int attributes = tag.name == "bmp"                           ? 3
                           : (tag.name == "img" || tag.name == "icon") ? 2
                                                                       : 0;
    for (int i = 0; i < attributes; ++i) {
      SkipSpaces();
      const std::string name = QString::fromStdString(Name(false)).toLower().toStdString();
      if (name.empty()) break;
      std::string value;
      Value(value);
      tag.attributes[name] = value;
    }
    while (!AtEnd() && m_text[m_pos] != '>' && m_text[m_pos] != '\t' && m_text[m_pos] != '\n')
      ++m_pos;
    if (!AtEnd() && m_text[m_pos] == '>') ++m_pos;
    return tag;
  }

 private:
  char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
  void SkipSpaces() {
    while (IsSpace(Peek())) ++m_pos;
  }
  // A tag or attribute name: up to a space, '=' or '>'; tabs and line breaks inside a tag name
  // are dropped.
  std::string Name(bool dropBreaks) {
    std::string name;
    while (!AtEnd()) {
      const char c = m_text[m_pos];
      if (c == ' ' || c == '=' || c == '>') break;
      if (!dropBreaks && (c == '\t' || c == '\n')) break;
      ++m_pos;
      if (c != '\t' && c != '\n' && c != '\r') name += c;
    }
    return name;
  }
  // "=value" after optional spaces; the value ends at a space or '>'.
  bool Value(std::string& value) {
    size_t at = m_pos;
    while (at < m_text.size() && IsSpace(m_text[at])) ++at;
    if (at >= m_text.size() || m_text[at] != '=') return false;
    m_pos = at + 1;
    SkipSpaces();
    while (!AtEnd() && m_text[m_pos] != ' ' && m_text[m_pos] != '>') value += m_text[m_pos++];
    return true;
  }

  const std::string& m_text;
  size_t m_pos = 0;
};

QPixmap Stretched(const QPixmap& image, int cx, int cy) {
  const int w = cx ? cx : image.width();
  const int h = cy ? cy : image.height();
  if (image.size() == QSize(w, h)) return image;
  return image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPixmap Masked(const QPixmap& image, unsigned maskRef) {
  QImage argb = image.toImage().convertToFormat(QImage::Format_ARGB32);
  const QRgb mask = SmColorFromRef(maskRef).rgb() & 0xFFFFFF;
  for (int y = 0; y < argb.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if ((line[x] & 0xFFFFFF) == mask) line[x] = 0;
  }
  return QPixmap::fromImage(argb);
}

}  // namespace

QColor SmColorFromRef(unsigned colorRef) {
  return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

QPixmap SmResourceImage(int id) {
  static const bool registered = [] {
    QDir::addSearchPath("smres", ":/smres");
    return true;
  }();
  (void)registered;
  for (const char* ext : {".png", ".bmp", ".ico"}) {
    QPixmap image("smres:" + QString::number(id) + ext);
    if (!image.isNull()) return image;
  }
  return {};
}

CSmMarkup::CSmMarkup() {
  static constexpr unsigned kBasic[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                        0x008080, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF,
                                        0xFF00FF, 0x00FFFF, 0xC0C0C0, 0xFFFFFF};
  std::copy(std::begin(kBasic), std::end(kBasic), m_colors.begin());
  const QPalette palette;
  const unsigned text = ColorRef(palette.color(QPalette::ToolTipText));
  const unsigned back = ColorRef(palette.color(QPalette::ToolTipBase));
  m_colors[kTextColor] = text;
  m_colors[kBackColor] = back;
  m_colors[19] = back;
  m_colors[20] = back;
  m_colors[21] = 0xEE0000;
  m_colors[22] = 0x8B1A55;
  m_colors[23] = 0x0000FF;
  m_colors[24] = ColorRef(palette.color(QPalette::Dark));
  m_colors[25] = text;
}

// One measuring or drawing pass over a text.
class CSmMarkup::Pass {
 public:
  Pass(CSmMarkup& owner, QPainter& painter, const QRect& rect, bool measure)
      : m_owner(owner),
        m_painter(painter),
        m_measure(measure),
        m_left(rect.left()),
        m_top(rect.top()),
        m_right(rect.left() + rect.width()),
        m_font(owner.m_font) {
    const QFontMetrics metrics(owner.m_font, painter.device());
    m_charHeight = metrics.height();
    m_tabWidth = 4 * std::max(1, metrics.averageCharWidth());
    m_x = m_left;
    m_y = m_top;
    m_lineHeight = m_charHeight;
    m_painter.setFont(m_font);
    if (m_measure) {
      m_owner.m_lineWidths.clear();
      m_owner.m_lineHeights.clear();
    }
  }

  QSize Run(const std::string& text) {
    Scanner scanner(text);
    for (;;) {
      const std::string run = scanner.Run();
      if (!run.empty()) Text(QString::fromStdString(run));
      if (scanner.AtEnd()) break;
      Apply(scanner.Next());
    }
    LineEnd(1);
    if (m_measure) {
      for (size_t i = 0; i < m_owner.m_lineWidths.size(); ++i)
        m_owner.m_lineWidths[i] += m_widest * m_rulePercents[i] / 100;
    }
    return {m_widest, m_y - m_top};
  }

 private:
  int LineWidth() const {
    return m_line < m_owner.m_lineWidths.size() ? m_owner.m_lineWidths[m_line] : 0;
  }
  int LineHeight() const {
    if (m_measure) return m_lineHeight;
    return m_line < m_owner.m_lineHeights.size() ? m_owner.m_lineHeights[m_line] : m_charHeight;
  }

  // The first text or image of a line takes its place by the alignment.
  void Align() {
    if (m_measure || !m_firstItem) return;
    m_firstItem = false;
    if (m_align == 1) m_x = m_left + (m_right - m_left - LineWidth()) / 2;
    if (m_align == 2) m_x = m_right - LineWidth();
  }

  void Text(const QString& run) {
    const QFontMetrics metrics(m_font, m_painter.device());
    const int width = metrics.horizontalAdvance(run);
    if (m_measure) {
      m_lineHeight = std::max(m_lineHeight, metrics.height());
    } else {
      Align();
      const int top = m_y + LineHeight() - m_charHeight;
      m_painter.drawText(m_x, top + metrics.ascent(), run);
    }
    m_x += width;
  }

  void Image(const QPixmap& image) {
    if (image.isNull()) return;
    if (m_measure) {
      m_lineHeight = std::max(m_lineHeight, image.height());
    } else {
      Align();
      m_painter.drawPixmap(m_x, m_y + LineHeight() - image.height(), image);
    }
    m_x += image.width();
  }

  void LineEnd(int count) {
    if (m_measure) {
      const int width = m_x - m_left;
      m_owner.m_lineWidths.push_back(width);
      m_owner.m_lineHeights.push_back(m_lineHeight);
      m_rulePercents.push_back(m_rulePercent);
      m_widest = std::max(m_widest, width);
    }
    m_y += count * LineHeight();
    m_x = m_left;
    m_lineHeight = m_charHeight;
    m_rulePercent = 0;
    ++m_line;
    m_firstItem = true;
  }

  void Tab(int count) {
    const int rest = (m_x - m_left) % m_tabWidth;
    if (rest != 0) {
      m_x += m_tabWidth - rest;
      --count;
    }
    m_x += count * m_tabWidth;
  }

  void Rule(const Tag& tag) {
    const bool percent = !tag.hasValue || (!tag.value.empty() && tag.value.back() == '%');
    const int value = static_cast<int>(tag.Number(100));
    int width = value;
    if (percent) {
      if (m_measure) {
        m_rulePercent += value;
        return;
      }
      width = (m_right - m_left) * value / 100;
    }
    if (!m_measure) {
      const int y = m_y + LineHeight() / 2;
      m_painter.save();
      m_painter.setPen(QPen(m_painter.pen().color(), 1));
      m_painter.drawLine(m_x, y, m_x + width - 1, y);
      m_painter.restore();
    }
    m_x += width;
  }

  void SetFont() { m_painter.setFont(m_font); }

  void SetTextColor(unsigned colorRef) { m_painter.setPen(SmColorFromRef(colorRef)); }
  void SetBackColor(unsigned colorRef, bool opaque) {
    m_painter.setBackground(SmColorFromRef(colorRef));
    m_painter.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
  }
  unsigned Color(int index) const { return m_owner.m_colors[static_cast<size_t>(index)]; }

  QPixmap Icon(int id, int cx, int cy) const {
    const QPixmap image = SmResourceImage(id);
    if (image.isNull()) return {};
    return Stretched(image, cx, cy);
  }
  QPixmap Bitmap(int id, bool masked, unsigned mask, int cx, int cy) const {
    const QPixmap image = SmResourceImage(id);
    if (image.isNull()) return {};
    const QPixmap sized = Stretched(image, cx, cy);
    return masked ? Masked(sized, mask) : sized;
  }
  QPixmap Named(const Tag& tag) const {
    if (tag.value.empty()) return {};
    for (const SmNamedImage& entry : m_owner.m_namedImages) {
      if (QString::fromStdString(entry.name)
              .compare(QString::fromStdString(tag.value), Qt::CaseInsensitive) != 0)
        continue;
      const int cx = tag.Attribute("cx"), cy = tag.Attribute("cy");
      if (entry.kind == 0) return Icon(entry.id, cx, cy);
      return Bitmap(entry.id, entry.kind == 2, entry.mask, cx, cy);
    }
    return {};
  }
  QPixmap Listed(unsigned index) const {
    if (index >= m_owner.m_imageList.size()) return {};
    return Stretched(m_owner.m_imageList[index], m_owner.m_imageSize.width(),
                     m_owner.m_imageSize.height());
  }

  void Apply(const Tag& tag) {
    const std::string& n = tag.name;
    const int count = static_cast<int>(std::max(1u, tag.Number(1)));
    if (n == "b") {
      m_font.setWeight(tag.closing ? m_owner.m_font.weight()
                                   : static_cast<QFont::Weight>(std::min(
                                         2 * static_cast<int>(m_owner.m_font.weight()), 900)));
      SetFont();
    } else if (n == "i") {
      m_font.setItalic(!tag.closing);
      SetFont();
    } else if (n == "u") {
      m_font.setUnderline(!tag.closing);
      SetFont();
    } else if (n == "s") {
      m_font.setStrikeOut(!tag.closing);
      SetFont();
    } else if (n == "br") {
      LineEnd(count);
    } else if (n == "t") {
      Tab(count);
    } else if (n == "ct") {
      SetTextColor(tag.Number(Color(kTextColor)));
    } else if (n == "cti") {
      const unsigned index = tag.Number(kTextColor);
      if (index < kColorCount) SetTextColor(Color(static_cast<int>(index)));
    } else if (n == "cb") {
      SetBackColor(tag.Number(Color(kBackColor)), !tag.closing);
    } else if (n == "cbi") {
      const unsigned index = tag.Number(kBackColor);
      if (index < kColorCount) SetBackColor(Color(static_cast<int>(index)), !tag.closing);
    } else if (n == "al" || n == "al_l") {
      m_align = 0;
    } else if (n == "al_c") {
      m_align = 1;
    } else if (n == "al_r") {
      m_align = 2;
    } else if (n == "hr") {
      Rule(tag);
    } else if (n == "img") {
      Image(Named(tag));
    } else if (n == "ilst") {
      Image(Listed(tag.Number(0)));
    } else if (n == "icon") {
      Image(Icon(static_cast<int>(tag.Number(0)), tag.Attribute("cx"), tag.Attribute("cy")));
    } else if (n == "bmp") {
      const bool masked = tag.attributes.count("mask") > 0;
      Image(Bitmap(static_cast<int>(tag.Number(0)), masked, tag.Attribute("mask", 0xFF00FF),
                   tag.Attribute("cx"), tag.Attribute("cy")));
    }
  }

  CSmMarkup& m_owner;
  QPainter& m_painter;
  const bool m_measure;
  const int m_left, m_top, m_right;
  QFont m_font;
  int m_charHeight = 0;
  int m_tabWidth = 1;
  int m_x = 0, m_y = 0;
  int m_lineHeight = 0;
  size_t m_line = 0;
  int m_align = 0;
  bool m_firstItem = true;
  int m_widest = 0;
  int m_rulePercent = 0;
  std::vector<int> m_rulePercents;
};

QSize CSmMarkup::DrawMarkup(QPainter& painter, const QRect& rect, const std::string& text,
                            bool measure) {
  if (text.empty()) return {0, 0};
  const QFont previous = painter.font();
  const QSize size = Pass(*this, painter, rect, measure).Run(text);
  painter.setFont(previous);
  return size;
}
