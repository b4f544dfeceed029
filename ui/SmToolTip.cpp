#include "ui/SmToolTip.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace {

constexpr std::array<int, CSmToolTip::kMetricCount> kBalloonMetrics = {16, 16, 12, 12, 4, 4,
                                                                       12, 16, 16, 1,  1};
constexpr std::array<int, CSmToolTip::kMetricCount> kRectangleMetrics = {0, 0, 3, 1, 0, 0,
                                                                         0, 0, 0, 1, 1};

int Channel(unsigned colorRef, int shift) {
  return static_cast<int>((colorRef >> shift) & 0xFF);
}

// 64 bands from `start` to `end` across the width or down the height.
void FillGradient(QPainter& painter, const QRect& rect, unsigned start, unsigned end,
                  bool horizontal) {
  const int origin = horizontal ? rect.left() : rect.top();
  const int length = horizontal ? rect.width() : rect.height();
  for (int i = 0; i < 64; ++i) {
    const int from = origin + (length * i) / 64;
    const int to = origin + (length * (i + 1)) / 64;
    if (to <= from) continue;
    int rgb[3];
    for (int c = 0; c < 3; ++c) {
      const int s = Channel(start, 8 * c), e = Channel(end, 8 * c);
      rgb[c] = (s * 64 + i * (e - s)) / 64;
    }
    const QColor color(rgb[0], rgb[1], rgb[2]);
    if (horizontal)
      painter.fillRect(from, rect.top(), to - from, rect.height(), color);
    else
      painter.fillRect(rect.left(), from, rect.width(), to - from, color);
  }
}

// A random number as the C library's rand() gives it (0 to 32767).
int Rand(std::minstd_rand& random) {
  return static_cast<int>(random() % 32768);
}

int Cube(int t) {
  return t * t * t / 16384;
}

// The texture's pixel before noise; y counts rows from the bottom.
int TexturePixel(int effect, int x, int y, int w, int h, int g) {
  const int d = 255 - 2 * g;
  const int ty = 255 * y / h - 127;
  const int tx = 255 * (w - x) / w - 127;
  switch (effect) {
    case 8:
      return g + y * (d / 2) / h + (w - x) * (d / 2) / w;
    case 9:
      return g + y * d / h;
    case 10:
      return g + (w - x) * d / w;
    case 11:
      return 128 + Cube(ty) * (128 - g) / 128;
    case 12:
      return 128 + Cube(tx) * (128 - g) / 128;
    case 13:
      return std::clamp(128 + (Cube(ty) + Cube(tx)) * (128 - g) / 128, g, 255 - g);
    case 14:
      return 128 + Cube(ty) * (64 - g) * 2 / 128;
    default:
      return 128;
  }
}

}  // namespace

CSmToolTip::CSmToolTip() : m_metrics(kBalloonMetrics) {
  m_showTimer.setSingleShot(true);
  m_hideTimer.setSingleShot(true);
  connect(&m_showTimer, &QTimer::timeout, this, &CSmToolTip::OnShowTimer);
  connect(&m_hideTimer, &QTimer::timeout, this, &CSmToolTip::OnHideTimer);
}

CSmToolTip::~CSmToolTip() = default;

bool CSmToolTip::Create(QWidget* host, bool balloon) {
  if (!host) return false;
  m_host = host;
  setParent(host, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                      Qt::WindowTransparentForInput);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  host->setMouseTracking(true);
  SetDefaultFont();
  SetBalloonLook(balloon);
  return true;
}

int CSmToolTip::ToolIndexFor(QWidget* window) const {
  for (size_t i = 0; i < m_tools.size(); ++i)
    if (m_tools[i].window == window) return static_cast<int>(i);
  return -1;
}

void CSmToolTip::AddTool(QWidget* window, const std::string& text, int iconId, int iconWidth,
                         int iconHeight, const QRect* hotRect, int id) {
  if (!window) return;
  SmToolInfo info;
  info.window = window;
  info.id = id;
  info.text = text;
  if (iconId) {
    const QPixmap icon = SmResourceImage(iconId);
    if (!icon.isNull() && (iconWidth || iconHeight))
      info.icon = icon.scaled(iconWidth ? iconWidth : icon.width(),
                              iconHeight ? iconHeight : icon.height());
    else
      info.icon = icon;
  }
  // Pointer moves reach the control and the parts it is made of.
  window->setMouseTracking(true);
  for (QWidget* part : window->findChildren<QWidget*>()) part->setMouseTracking(true);
  if (hotRect) {
    info.hotRect = *hotRect;
  } else if (const int index = ToolIndexFor(window); index >= 0) {
    m_tools[static_cast<size_t>(index)] = info;
    return;
  }
  m_tools.push_back(info);
}

void CSmToolTip::UpdateTipText(int id, const std::string& text) {
  for (SmToolInfo& tool : m_tools) {
    if (tool.id != id) continue;
    tool.text = text;
    return;
  }
}

void CSmToolTip::SetToolRect(int id, int left, int top, int right, int bottom) {
  for (SmToolInfo& tool : m_tools) {
    if (tool.id != id) continue;
    tool.hotRect = QRect(left, top, right - left, bottom - top);
    return;
  }
}

SmToolInfo* CSmToolTip::ToolForSetting(int tool, int bit) {
  if (tool < 0 || tool >= ToolCount()) return nullptr;
  SmToolInfo& info = m_tools[static_cast<size_t>(tool)];
  info.overrideMask |= bit;
  return &info;
}

void CSmToolTip::SetBkEffect(int effect, int granularity, int tool) {
  if (SmToolInfo* info = ToolForSetting(tool, kOwnEffect)) {
    info->effect = effect;
    info->granularity = granularity;
    return;
  }
  m_effect = effect;
  m_granularity = granularity;
}

void CSmToolTip::SetBehaviour(int flags, int tool) {
  if (SmToolInfo* info = ToolForSetting(tool, kOwnBehaviour))
    info->behaviour = flags;
  else
    m_behaviour = flags;
}

void CSmToolTip::SetDirection(int direction, int tool) {
  if (direction < 0 || direction > 3) return;
  if (SmToolInfo* info = ToolForSetting(tool, kOwnDirection))
    info->direction = direction;
  else
    m_direction = direction;
}

void CSmToolTip::ModifyStyle(int add, int remove, int tool) {
  int base = m_style;
  if (tool >= 0 && tool < ToolCount()) {
    const SmToolInfo& info = m_tools[static_cast<size_t>(tool)];
    if (info.overrideMask & kOwnStyle) base = info.style;
  }
  SetStyle(add | (base & ~remove), tool);
}

void CSmToolTip::SetStyle(int style, int tool) {
  if (SmToolInfo* info = ToolForSetting(tool, kOwnStyle))
    info->style = style;
  else
    m_style = style;
}

void CSmToolTip::SetDelay(int kind, int milliseconds) {
  if (kind == 3) m_showDelay = milliseconds;
  if (kind == 2) m_hideDelay = milliseconds;
}

void CSmToolTip::SetColor(int index, unsigned colorRef) {
  if (index >= 0 && index < CSmMarkup::kColorCount)
    m_markup.m_colors[static_cast<size_t>(index)] = colorRef;
}

void CSmToolTip::SetMetric(int index, int value) {
  if (index >= 0 && index < kMetricCount) m_metrics[static_cast<size_t>(index)] = value;
}

void CSmToolTip::SetBalloonLook(bool balloon) {
  m_metrics = balloon ? kBalloonMetrics : kRectangleMetrics;
}

void CSmToolTip::SetDefaultColors() {
  m_markup.m_colors = CSmMarkup().m_colors;
}

void CSmToolTip::SetFont(const QFont& font) {
  m_markup.m_font = font;
}

void CSmToolTip::SetDefaultFont() {
  m_markup.m_font = QApplication::font("QStatusBar");
}

void CSmToolTip::HideTip() {
  m_showTimer.stop();
  m_hideTimer.stop();
  hide();
  if (m_shown == -2) m_shown = -1;
}

bool CSmToolTip::OverTip(const QPoint& screenPos) const {
  return isVisible() && geometry().contains(screenPos);
}

void CSmToolTip::RelayEvent(QObject* watched, QEvent* event) {
  if (!m_host || !watched->isWidgetType()) return;
  auto* widget = static_cast<QWidget*>(watched);
  const bool ours = widget->window() == m_host->window() || widget == this;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
      if (ours) HideTip();
      break;
    case QEvent::MouseMove:
      if (ours) OnMouseMove(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      break;
    case QEvent::Leave:
      // The pointer left the host's window altogether.
      if (widget == m_host->window() &&
          !(OverTip(QCursor::pos()) && m_tip.behaviour & kKeepOverTip)) {
        HideTip();
        m_pending = m_shown = -1;
      }
      break;
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
      if (widget == m_host->window()) HideTip();
      break;
    default:
      break;
  }
}

void CSmToolTip::OnMouseMove(const QPoint& screenPos) {
  if (screenPos == m_lastPos) return;
  if (!(m_style & kTrackInactive) && !QApplication::activeWindow()) return;
  m_lastPos = screenPos;
  const int tool = HitTest(screenPos);
  if (tool >= 0) {
    if (tool != m_shown) {
      StartTip(tool, !isVisible());
    } else if (!(isVisible() && m_tip.behaviour & kKeepOverTip)) {
      if (m_tip.behaviour & kRestartOnMove)
        StartTip(tool, true);
      else
        HideTip();
    }
    return;
  }
  if (OverTip(screenPos) && m_tip.behaviour & kKeepOverTip) return;
  HideTip();
  m_pending = m_shown = -1;
}

int CSmToolTip::HitTest(const QPoint& screenPos) const {
  if (!m_host) return -1;
  const QPoint local = m_host->mapFromGlobal(screenPos);
  if (!m_host->rect().contains(local)) return -1;
  QWidget* window = m_host->childAt(local);
  while (window && window != m_host && ToolIndexFor(window) < 0) window = window->parentWidget();
  if (!window) window = m_host;
  if (!window->isEnabled() && !(m_style & kDisabledTools)) return -1;
  const QPoint point = window->mapFromGlobal(screenPos);
  for (size_t i = 0; i < m_tools.size(); ++i) {
    const SmToolInfo& tool = m_tools[i];
    if (tool.window == window && (tool.hotRect.isEmpty() || tool.hotRect.contains(point)))
      return static_cast<int>(i);
  }
  return -1;
}

void CSmToolTip::StartTip(int index, bool delayed) {
  m_shown = -1;
  HideTip();
  if (index < 0 || index >= ToolCount()) return;
  m_tip = m_tools[static_cast<size_t>(index)];
  m_pending = index;
  if (delayed)
    m_showTimer.start(m_showDelay);
  else
    OnShowTimer();
}

void CSmToolTip::OnShowTimer() {
  HideTip();
  const QPoint pos = QCursor::pos();
  if (m_pending < 0 || HitTest(pos) != m_pending) return;
  if (pos != m_lastPos) return;
  ShowTipAt(pos);
  if (isVisible() && m_hideDelay != 0 && !(m_tip.behaviour & kNoHideTimer))
    m_hideTimer.start(m_hideDelay);
}

void CSmToolTip::OnHideTimer() {
  if (OverTip(QCursor::pos()) && m_tip.behaviour & kHideTimerKeepsOverTip) return;
  HideTip();
}

void CSmToolTip::ResolveSettings() {
  const int mask = m_tip.overrideMask;
  if (!(mask & kOwnStyle)) m_tip.style = m_style;
  if (!(mask & kOwnEffect)) {
    m_tip.effect = m_effect;
    m_tip.granularity = m_granularity;
  }
  if (!(mask & kOwnColors)) {
    m_tip.backColor = m_markup.m_colors[kColorBack];
    m_tip.middleColor = m_markup.m_colors[kColorMiddle];
    m_tip.endColor = m_markup.m_colors[kColorEnd];
  }
  if (!(mask & kOwnDirection)) m_tip.direction = m_direction;
  if (!(mask & kOwnBehaviour)) m_tip.behaviour = m_behaviour;
}

void CSmToolTip::ShowTipAt(const QPoint& screenPos) {
  ResolveSettings();
  if (m_notify && m_host) {
    SmToolInfo copy = m_tip;
    if (copy.window) {
      const QRect area = copy.hotRect.isEmpty() ? copy.window->rect() : copy.hotRect;
      copy.hotRect = QRect(copy.window->mapTo(m_host, area.topLeft()), area.size());
    }
    emit TipNotify(screenPos, &copy);
    copy.hotRect = m_tip.hotRect;
    m_tip = copy;
  }
  if (m_tip.icon.isNull() && m_tip.text.empty()) return;

  QImage scratch(1, 1, QImage::Format_ARGB32);
  scratch.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
  scratch.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
  {
    QPainter painter(&scratch);
    m_textSize = m_markup.DrawMarkup(painter, QRect(), m_tip.text, true);
  }
  m_iconSize = m_tip.icon.isNull() ? QSize() : m_tip.icon.size();
  const auto& m = m_metrics;
  const bool shadow = m_tip.style & kShadow;
  int width = m_textSize.width() + m_iconSize.width() + 2 * m[kMarginX];
  if (!m_iconSize.isEmpty() && !m_tip.text.empty()) width += m[kMarginX];
  int height =
      std::max(m_textSize.height(), m_iconSize.height()) + m[kAnchorHeight] + 2 * m[kMarginY];
  if (shadow) {
    width += m[kShadowX];
    height += m[kShadowY];
  }
  if (m_tip.effect >= 7 && m_tip.effect <= 15)
    MakeTexture(m_texture, width, height, m_tip.effect, m_tip.granularity, m_tip.backColor,
                m_tip.middleColor, m_tip.endColor, m_random);

  QScreen* screen = QGuiApplication::screenAt(screenPos);
  if (!screen) screen = QGuiApplication::primaryScreen();
  int direction = m_tip.direction;
  const QRect place =
      PlaceTip(screenPos, {width + 2, height + 2}, direction, screen ? screen->geometry() : QRect(),
               m[kAnchorMargin], shadow ? QPoint(m[kShadowX], m[kShadowY]) : QPoint());
  m_tipDirection = direction;
  setGeometry(place);
  MakeRegion(screenPos - place.topLeft());
  show();
  update();
  m_shown = m_pending;
  m_pending = -1;
}

QRect CSmToolTip::PlaceTip(const QPoint& point, const QSize& size, int& direction,
                           const QRect& screen, int anchorMargin, const QPoint& shadowOffset) {
  const int screenLeft = screen.left(), screenTop = screen.top();
  const int screenRight = screen.left() + screen.width();
  const int screenBottom = screen.top() + screen.height();
  auto left = [&](int dir) {
    if (dir == 1 || dir == 3)
      return point.x() < screenLeft + anchorMargin ? screenLeft : point.x() - anchorMargin;
    return std::min(point.x() + anchorMargin, screenRight) - size.width();
  };
  auto top = [&](int dir) { return dir >= 2 ? point.y() : point.y() - size.height(); };
  int x = left(direction);
  if (x < screenLeft || x + size.width() > screenRight) {
    direction ^= 1;
    x = left(direction);
  }
  int y = top(direction);
  if (y < screenTop || y + size.height() > screenBottom) {
    direction ^= 2;
    y = top(direction);
  }
  QRect rect(x, y, size.width(), size.height());
  if (direction == 0 || direction == 2) rect.translate(shadowOffset);
  // The shadow's move must not carry a balloon that fits past the screen's edges.
  if (rect.width() <= screen.width() && rect.left() + rect.width() > screenRight)
    rect.moveLeft(screenRight - rect.width());
  if (rect.height() <= screen.height() && rect.top() + rect.height() > screenBottom)
    rect.moveTop(screenBottom - rect.height());
  return rect;
}

void CSmToolTip::MakeRegion(const QPoint& anchor) {
  const auto& m = m_metrics;
  const bool shadow = m_tip.style & kShadow;
  const int dir = m_tipDirection;
  QRect body(0, 0, width() - (shadow ? m[kShadowX] : 0), height() - (shadow ? m[kShadowY] : 0));
  if (dir >= 2)
    body.setTop(body.top() + m[kAnchorHeight]);
  else
    body.setHeight(body.height() - m[kAnchorHeight]);
  QPainterPath path;
  if (m_tip.style & kRounded)
    path.addRoundedRect(QRectF(body), m[kCornerX] / 2.0, m[kCornerY] / 2.0);
  else
    path.addRect(QRectF(body));
  if (m_tip.style & kAnchor) {
    const int baseY = dir >= 2 ? body.top() : body.top() + body.height();
    const bool rightward = dir == 1 || dir == 3;
    const int x1 =
        rightward ? body.left() + m[kAnchorMargin] : body.left() + body.width() - m[kAnchorMargin];
    const int x2 = rightward ? x1 + m[kAnchorWidth] : x1 - m[kAnchorWidth];
    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({QPointF(anchor), QPointF(x1, baseY), QPointF(x2, baseY)}));
    triangle.closeSubpath();
    path = path.united(triangle);
  }
  m_balloon = path;
  const QRegion balloon(path.toFillPolygon().toPolygon());
  m_shadow = shadow ? balloon.translated(m[kShadowX], m[kShadowY]) : QRegion();
  setMask(balloon.united(m_shadow));
}

void CSmToolTip::DrawBackground(QPainter& painter, const QRect& rect) {
  const unsigned b = m_tip.backColor, mid = m_tip.middleColor, e = m_tip.endColor;
  const int w = rect.width(), h = rect.height();
  const QRect left(rect.left(), rect.top(), w / 2, h);
  const QRect right(rect.left() + w / 2, rect.top(), w - w / 2, h);
  const QRect upper(rect.left(), rect.top(), w, h / 2);
  const QRect lower(rect.left(), rect.top() + h / 2, w, h - h / 2);
  switch (m_tip.effect) {
    case 1:
      return FillGradient(painter, rect, b, e, true);
    case 2:
      return FillGradient(painter, rect, b, e, false);
    case 3:
      FillGradient(painter, left, b, e, true);
      return FillGradient(painter, right, e, b, true);
    case 4:
      FillGradient(painter, upper, b, e, false);
      return FillGradient(painter, lower, e, b, false);
    case 5:
      FillGradient(painter, left, b, mid, true);
      return FillGradient(painter, right, mid, e, true);
    case 6:
      FillGradient(painter, upper, b, mid, false);
      return FillGradient(painter, lower, mid, e, false);
    default:
      if (m_tip.effect >= 7 && m_tip.effect <= 15)
        return m_texture.Draw(painter, rect.x(), rect.y());
      painter.fillRect(rect, SmColorFromRef(b));
  }
}

void CSmToolTip::paintEvent(QPaintEvent* /*event*/) {
  if (m_pending >= 0) {
    m_shown = m_pending;
    m_pending = -1;
  }
  const auto& m = m_metrics;
  const bool shadow = m_tip.style & kShadow;
  QPainter painter(this);
  QRect content = rect();
  if (shadow) {
    for (const QRect& part : m_shadow)
      painter.fillRect(part, SmColorFromRef(m_markup.m_colors[kColorShadow]));
    content.adjust(0, 0, -m[kShadowX], -m[kShadowY]);
  }
  painter.setClipRegion(QRegion(m_balloon.toFillPolygon().toPolygon()));
  DrawBackground(painter, content);
  painter.setPen(
      QPen(SmColorFromRef(m_markup.m_colors[kColorFrame]), 2 * std::max(m[kFrameX], m[kFrameY])));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(m_balloon);

  QRect inner = content.adjusted(m[kMarginX], m[kMarginY], -m[kMarginX], -m[kMarginY]);
  if (m_tipDirection >= 2)
    inner.setTop(inner.top() + m[kAnchorHeight]);
  else
    inner.setHeight(inner.height() - m[kAnchorHeight]);
  int textLeft = inner.left();
  if (!m_tip.icon.isNull()) {
    int iconTop = inner.top();
    if (m_tip.style & kIconVCenter) iconTop += (inner.height() - m_iconSize.height()) / 2;
    if (m_tip.style & kIconBottom) iconTop = inner.top() + inner.height() - m_iconSize.height();
    painter.drawPixmap(inner.left(), iconTop, m_tip.icon);
    textLeft += m_iconSize.width() + m[kMarginX];
  }
  int textTop = inner.top();
  if (m_tip.style & kTextVCenter) textTop += (inner.height() - m_textSize.height()) / 2;
  if (m_tip.style & kTextBottom) textTop = inner.top() + inner.height() - m_textSize.height();
  painter.setPen(SmColorFromRef(m_markup.m_colors[kColorText]));
  painter.setBackgroundMode(Qt::TransparentMode);
  m_markup.DrawMarkup(
      painter,
      QRect(textLeft, textTop, inner.left() + inner.width() - textLeft, m_textSize.height()),
      m_tip.text, false);
}

void CSmToolTip::MakeTexture(CSmPalBitmap& texture, int width, int height, int effect,
                             int granularity, unsigned back, unsigned middle, unsigned end,
                             std::minstd_rand& random) {
  if (!texture.Create(width, height, 8)) return;
  const int w = width, h = height, g = granularity;
  for (int i = 0; i <= 128; ++i)
    texture.SetPaletteEntry(i, (Channel(end, 0) * (128 - i) + Channel(middle, 0) * i) / 128,
                            (Channel(end, 8) * (128 - i) + Channel(middle, 8) * i) / 128,
                            (Channel(end, 16) * (128 - i) + Channel(middle, 16) * i) / 128);
  for (int j = 1; j <= 128; ++j)
    texture.SetPaletteEntry(127 + j, (Channel(back, 0) * j + Channel(middle, 0) * (128 - j)) / 128,
                            (Channel(back, 8) * j + Channel(middle, 8) * (128 - j)) / 128,
                            (Channel(back, 16) * j + Channel(middle, 16) * (128 - j)) / 128);
  const int s = g ? 2 * g : 1;
  auto noise = [&] { return Rand(random) / std::max(1, 32767 / s) - g; };
  auto put = [&](int x, int yFromBottom, int value) {
    texture.SetPixel(x, h - 1 - yFromBottom, static_cast<uint8_t>(value));
  };
  if (effect == 15) {
    texture.Fill(0);
    const int d = 255 - 2 * g, e = (d - 40) / 2;
    for (int stroke = 0; stroke < 200; ++stroke) {
      const int sx = Rand(random) / std::max(1, 32767 / w);
      const int sy = Rand(random) / std::max(1, 32767 / h);
      const int length = Rand(random) / std::max(1, 32767 / std::min(w, h));
      const int value = Rand(random) / 819;
      for (int i = 0; i < length / 2; ++i) {
        put(sx + i, sy + i, value);
        put(w - 1 - (sx + i), sy + i, value);
      }
    }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        put(x, y,
            texture.Pixel(x, h - 1 - y) + y * e / h + (w - x) * e / w +
                Rand(random) / std::max(1, 32767 / s));
  } else {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) put(x, y, TexturePixel(effect, x, y, w, h, g) + noise());
  }
  if (effect == 14) {
    const int n = std::min(w / 6, 16);
    const int quarter = h * h / 4;
    for (int j = 0; n > 0 && quarter > 0 && j < h; ++j) {
      const int o = (j * n - n * (h / 2)) * (j - h / 2) / quarter + w / 2 - n;
      for (int k = 0; k < w; ++k) {
        int value = texture.Pixel(k, h - 1 - j);
        if (o < k - w / 2) value = g + (128 * w - 128 * k) / n;
        if (o + k - w / 2 < 0) value = (255 - g) - 128 * k / n;
        put(k, j, value + noise());
      }
    }
  }
  texture.Blend(back, 5);
}
