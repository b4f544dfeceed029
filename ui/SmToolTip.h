#pragma once
// The hint balloon: a frameless topmost popup that shows beside the pointer when it rests on a
// registered control, shaped as a balloon with a pointing anchor and a drop shadow, filled with
// a gradient or a generated texture, with an optional icon and a markup text (ui/SmMarkup.h).
// The host window registers its tools (a control, optionally a rectangle of it, and a text) and
// feeds the events it sees, from its event filter, to `RelayEvent`.
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "ui/SmMarkup.h"
#include "ui/SmPalBitmap.h"

// One registered tool. The settings below `overrideMask` are in force only for the bits set in
// it; every other setting comes from the tooltip's defaults.
struct SmToolInfo {
  QPointer<QWidget> window;
  int id = 0;
  QRect hotRect;  // in the window's coordinates; empty = the whole window
  QPixmap icon;
  std::string text;
  int overrideMask = 0;
  int style = 0;
  int direction = 0;
  int effect = 0;
  int behaviour = 0;
  int granularity = 0;
  unsigned backColor = 0;
  unsigned middleColor = 0;
  unsigned endColor = 0;
};

class CSmToolTip : public QWidget {
  Q_OBJECT
 public:
  // Timers of the popup.
  static constexpr int kShowTimer = 256;
  static constexpr int kHideTimer = 257;
  // Override bits of a tool's own settings.
  static constexpr int kOwnStyle = 0x01, kOwnEffect = 0x02, kOwnColors = 0x04, kOwnDirection = 0x08,
                       kOwnBehaviour = 0x10;
  // Style bits.
  static constexpr int kAnchor = 0x01, kShadow = 0x02, kRounded = 0x04, kTextVCenter = 0x08,
                       kTextBottom = 0x10, kIconVCenter = 0x20, kIconBottom = 0x40,
                       kTrackInactive = 0x100, kDisabledTools = 0x200;
  static constexpr int kDefaultStyle = 0x27;
  // Behaviour bits.
  static constexpr int kRestartOnMove = 0x01, kKeepOverTip = 0x04, kHideTimerKeepsOverTip = 0x08,
                       kNoHideTimer = 0x10;
  // Colour table slots and metric indexes.
  enum {
    kColorText = 17,
    kColorBack = 18,
    kColorMiddle = 19,
    kColorEnd = 20,
    kColorShadow = 24,
    kColorFrame = 25
  };
  enum {
    kCornerX,
    kCornerY,
    kMarginX,
    kMarginY,
    kShadowX,
    kShadowY,
    kAnchorWidth,
    kAnchorHeight,
    kAnchorMargin,
    kFrameX,
    kFrameY,
    kMetricCount
  };

  CSmToolTip();
  ~CSmToolTip() override;

  // Makes the popup for the host (owned by it) in balloon or rectangle look.
  bool Create(QWidget* host, bool balloon = true);
  QWidget* Host() const { return m_host; }

  // Adds a tool for the window; without a rectangle a tool the window already has is replaced.
  // The icon is the program's image `iconId` at the given size (0 = none).
  void AddTool(QWidget* window, const std::string& text, int iconId = 0, int iconWidth = 0,
               int iconHeight = 0, const QRect* hotRect = nullptr, int id = 0);
  void UpdateTipText(int id, const std::string& text);
  void SetToolRect(int id, int left, int top, int right, int bottom);
  int ToolCount() const { return static_cast<int>(m_tools.size()); }
  const SmToolInfo& Tool(int index) const { return m_tools.at(static_cast<size_t>(index)); }

  // Per-tool settings; an index outside the tool list (-1) sets the default of all tools.
  void SetBkEffect(int effect, int granularity, int tool = -1);
  void SetBehaviour(int flags, int tool = -1);
  void SetDirection(int direction, int tool = -1);
  void ModifyStyle(int add, int remove, int tool = -1);
  void SetStyle(int style, int tool = -1);
  void SetDefaultStyle(int tool = -1) { SetStyle(kDefaultStyle, tool); }

  // Kind 3 the show delay, kind 2 the hide delay (0: the tip stays until the pointer leaves).
  void SetDelay(int kind, int milliseconds);
  void SetColor(int index, unsigned colorRef);
  void SetMetric(int index, int value);
  void SetBalloonLook(bool balloon);
  void SetDefaultColors();
  void SetFont(const QFont& font);
  void SetDefaultFont();
  // On: `TipNotify` is sent just before a tip shows.
  void SetNotify(bool on) { m_notify = on; }

  // Feeds one event seen by the host.
  void RelayEvent(QObject* watched, QEvent* event);
  void HideTip();
  QSize DrawMarkup(QPainter& painter, const QRect& rect, const std::string& text, bool measure) {
    return m_markup.DrawMarkup(painter, rect, text, measure);
  }

  int PendingIndex() const { return m_pending; }
  int ShownIndex() const { return m_shown; }
  int TipDirection() const { return m_tipDirection; }
  const SmToolInfo& CurrentTip() const { return m_tip; }
  CSmMarkup& Markup() { return m_markup; }

  // Where a tip of the size goes for the anchor point: its window rectangle; `direction` comes
  // back mirrored where the screen's edges asked for it.
  static QRect PlaceTip(const QPoint& point, const QSize& size, int& direction, const QRect& screen,
                        int anchorMargin, const QPoint& shadowOffset);
  // The texture of effects 7 to 15 over the content (back, middle and end colours 0x00BBGGRR).
  static void MakeTexture(CSmPalBitmap& texture, int width, int height, int effect, int granularity,
                          unsigned back, unsigned middle, unsigned end, std::minstd_rand& random);

 signals:
  // Sent before a tip shows when notification is on; the receiver may change the tool's copy
  // (its hot rectangle is in the host's coordinates).
  void TipNotify(const QPoint& screenPos, SmToolInfo* info);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int HitTest(const QPoint& screenPos) const;
  int ToolIndexFor(QWidget* window) const;
  void StartTip(int index, bool delayed);
  void OnShowTimer();
  void OnHideTimer();
  void ShowTipAt(const QPoint& screenPos);
  void ResolveSettings();
  void MakeRegion(const QPoint& anchor);
  void DrawBackground(QPainter& painter, const QRect& rect);
  void OnMouseMove(const QPoint& screenPos);
  bool OverTip(const QPoint& screenPos) const;
  SmToolInfo* ToolForSetting(int tool, int bit);

  QPointer<QWidget> m_host;
  bool m_notify = false;
  std::vector<SmToolInfo> m_tools;
  CSmMarkup m_markup;
  std::array<int, kMetricCount> m_metrics{};
  int m_style = kDefaultStyle;
  int m_direction = 3;
  int m_effect = 0;
  int m_granularity = 2;
  int m_behaviour = 0;
  int m_showDelay = 500;
  int m_hideDelay = 0;
  QPoint m_lastPos{-1, -1};
  int m_pending = -1;
  int m_shown = -1;
  SmToolInfo m_tip;
  int m_tipDirection = 3;
  QSize m_iconSize;
  QSize m_textSize;
  QPainterPath m_balloon;  // window coordinates
  QRegion m_shadow;
  CSmPalBitmap m_texture;
  std::minstd_rand m_random;
  QTimer m_showTimer;
  QTimer m_hideTimer;
};
