#include "designer/RiloRichText.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/SmGbk.h"
#include "core/SmString.h"
#include "designer/RiloDoc.h"
#include "ui/SmFonts.h"
#include "ui/SmMarkup.h"

namespace {

// The tallest font a height code may ask for, pixels at zoom 100.
constexpr long long kMaxCodeHeight = 1000;

// The value read as "%d" reads it; false when it does not start with a number or lies beyond
// `limit` either way (such a code is one the program never writes).
bool ReadInt(std::string_view value, int& out, long long limit = INT_MAX) {
  if (value.empty()) return false;
  const std::string text(value);
  char* end = nullptr;
  const long long read = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str() || read < -limit || read > limit) return false;
  out = static_cast<int>(read);
  return true;
}

SmColor ColorOf(const QColor& color) {
  return SmRgb(color.red(), color.green(), color.blue());
}

void Fill(QPainter& painter, const QRect& rect, SmColor color) {
  if (rect.width() > 0 && rect.height() > 0) painter.fillRect(rect, SmColorFromRef(color));
}

int RightOf(const QRect& rect) {
  return rect.x() + rect.width();
}

}  // namespace

SmRiloTextState RiloDefaultState() {
  SmRiloTextState state;
  CSmUtil().InitDefaultLogFont(state.font);
  state.color = GetSysWindowTextColor();
  return state;
}

std::vector<SmRiloPiece> RiloScan(std::string_view text) {
  std::vector<SmRiloPiece> pieces;
  int plain = 0;
  size_t i = 0;
  while (i < text.size()) {
    SmRiloPiece piece;
    piece.begin = i;
    piece.plainPos = plain;
    if (text[i] == kRiloEsc) {
      const size_t length = SmFormatCodeLength(text, i);
      piece.code = length == 1 ? kRiloEsc : text[i + 1];
      if (length > 2) piece.value = text.substr(i + 2, length - 3);
      i += length;
    } else {
      char32_t cp = 0;
      i += Utf8Next(text, i, &cp);
      piece.size = static_cast<int>(GbkCharSize(cp));
      plain += piece.size;
    }
    piece.end = i;
    pieces.push_back(piece);
  }
  return pieces;
}

void RiloApplyCode(const SmRiloPiece& piece, SmRiloTextState& state, double heightFactor) {
  SmLogFont& font = state.font;
  int number = 0;
  switch (piece.code) {
    case 'A':
    case 'B':
      font.italic = piece.code == 'A';
      break;
    case 'C':
    case 'D':
      font.underline = piece.code == 'C';
      break;
    case 'E':
    case 'F':
      font.strikeOut = piece.code == 'E';
      break;
    case 'G':
      font.weight = 700;
      break;
    case 'H':
      font.weight = 400;
      break;
    case 'O':
      if (!piece.value.empty()) font.faceName = std::string(piece.value);
      break;
    case 'P':
      if (ReadInt(piece.value, number, kMaxCodeHeight))
        font.height = static_cast<int>(number * heightFactor);
      break;
    case 'Q':
      if (ReadInt(piece.value, number)) state.color = static_cast<SmColor>(number);
      break;
    default:
      break;
  }
}

size_t RiloRawOffset(const std::vector<SmRiloPiece>& pieces, size_t textSize, int plainPos) {
  for (const SmRiloPiece& piece : pieces) {
    if (piece.IsCode()) continue;
    if (plainPos <= 0) return piece.begin;
    if (piece.plainPos + piece.size >= plainPos) return piece.end;
  }
  return textSize;
}

double SmRiloRenderContext::HeightFactor() const {
  if (!printing) return zoom * 0.01;
  return printerScaleY / screenScaleY * printFactor * 0.01;
}

// ---------------------------------------------------------------- CRiloRichText

std::string CRiloRichText::ResolvePageValues(std::string_view text) const {
  const std::string pageNo = m_context.printing ? FormatStr("%d", m_context.pageNo) : "";
  const std::string pageCount = m_context.printing ? FormatStr("%d", m_context.pageCount) : "";
  std::string resolved;
  for (const char c : text) {
    if (c == kRiloPageNo) {
      resolved += pageNo;
    } else if (c == kRiloPageCount) {
      resolved += pageCount;
    } else {
      resolved += c;
    }
  }
  return resolved;
}

namespace {

// Where the run that starts at `start` must end: the text selection, the start and stop
// indexes, and the next character when hit-testing.
int NextCut(int start, const SmRiloRenderRequest& request, const SmRiloRenderContext& context) {
  int cut = INT_MAX;
  const auto consider = [&](int at) {
    if (at > start) cut = std::min(cut, at);
  };
  if (!context.printing && context.selStart != context.selEnd) {
    consider(std::min(context.selStart, context.selEnd));
    consider(std::max(context.selStart, context.selEnd));
  }
  consider(request.startIndex);
  if (request.stopIndex >= 0) consider(request.stopIndex);
  if (request.hitX >= 0) consider(start + 1);
  return cut;
}

bool InTextSelection(int position, const SmRiloRenderContext& context) {
  if (context.printing || context.selStart == context.selEnd) return false;
  return position >= std::min(context.selStart, context.selEnd) &&
         position < std::max(context.selStart, context.selEnd);
}

}  // namespace

SmRiloTextExtent CRiloRichText::RenderRichText(QPainter& painter, std::string& text,
                                               SmRiloTextState& state,
                                               const SmRiloRenderRequest& request) const {
  const double k = m_context.HeightFactor();
  const std::string resolved = ResolvePageValues(text);
  state = RiloDefaultState();
  state.font.height = static_cast<int>(state.font.height * k);
  const SmColor back = ColorOf(painter.background().color());
  const std::optional<QPoint>& origin = request.origin;
  const QRect& clip = request.clip;
  const int left = origin ? origin->x() : 0;
  int x = left;
  if (origin && clip.left() < x)
    Fill(painter, QRect(clip.left(), clip.top(), x - clip.left(), clip.height()).intersected(clip),
         back);

  const std::vector<SmRiloPiece> pieces = RiloScan(resolved);
  SmRiloTextExtent extent;
  extent.color = state.color;
  bool measured = false;
  std::string plain;
  size_t i = 0;
  while (i < pieces.size()) {
    const SmRiloPiece& piece = pieces[i];
    if (piece.IsCode()) {
      if (piece.code != 'I') {
        RiloApplyCode(piece, state, k);
      } else if (piece.plainPos >= request.startIndex) {
        if (origin)
          Fill(painter, QRect(x, clip.top(), request.gapWidth, clip.height()).intersected(clip),
               back);
        x += request.gapWidth;
      }
      ++i;
      continue;
    }
    const int runStart = piece.plainPos;
    const int cut = NextCut(runStart, request, m_context);
    std::string run;
    int runEnd = runStart;
    for (; i < pieces.size() && !pieces[i].IsCode() && pieces[i].plainPos < cut; ++i) {
      run.append(resolved, pieces[i].begin, pieces[i].end - pieces[i].begin);
      runEnd = pieces[i].plainPos + pieces[i].size;
    }
    plain += run;
    if (runStart < request.startIndex) continue;

    SmColor textColor = state.color;
    SmColor runBack = back;
    if (m_context.cellSelected && !m_context.printing)
      textColor = GetPaletteColor(textColor, false);
    if (InTextSelection(runStart, m_context)) {
      textColor = GetPaletteColor(state.color, false);
      runBack = GetPaletteColor(back, false);
    }
    const std::optional<QPoint> at =
        origin ? std::optional<QPoint>(QPoint(x, origin->y())) : std::nullopt;
    const QSize size = RenderRun(painter, at, clip, run, state, textColor, runBack);
    extent.color = textColor;
    extent.height = std::max(extent.height, size.height());
    measured = true;
    const int before = x;
    x += size.width();
    if (request.hitX >= 0 && request.hitX >= before && request.hitX < x) {
      extent.hitIndex = runStart;
      break;
    }
    if (request.stopIndex >= 0 && runEnd >= request.stopIndex) break;
  }
  if (origin && x < RightOf(clip))
    Fill(painter, QRect(x, clip.top(), RightOf(clip) - x, clip.height()).intersected(clip), back);
  if (!measured) extent.height = std::abs(state.font.height);
  extent.width = x - left;
  if (!origin) {
    for (; i < pieces.size(); ++i) {
      if (!pieces[i].IsCode())
        plain.append(resolved, pieces[i].begin, pieces[i].end - pieces[i].begin);
    }
    text = plain;
  }
  return extent;
}

QSize CRiloRichText::RenderRun(QPainter& painter, const std::optional<QPoint>& at,
                               const QRect& clip, const std::string& run,
                               const SmRiloTextState& state, SmColor textColor,
                               SmColor back) const {
  const int height = std::abs(state.font.height);
  const QFont font = SmMakeFont(state.font, height);
  const QString shown = QString::fromStdString(run);
  const int width = QFontMetrics(font, painter.device()).horizontalAdvance(shown);
  if (!at) return {width, height};
  const QRect box = clip.intersected(QRect(at->x(), clip.top(), width, clip.height()));
  painter.save();
  Fill(painter, box, back);
  if (!m_context.printing) painter.setClipRect(box, Qt::IntersectClip);
  painter.setFont(font);
  painter.setPen(SmColorFromRef(textColor));
  painter.drawText(*at, shown);
  painter.restore();
  return {width, height};
}

SmRiloLine RiloPlaceLine(QPaintDevice* device, const QRect& box, int height, int vertical) {
  int bottom = box.top() + box.height();
  if (vertical == 0 && height < box.height()) bottom -= (box.height() - height) / 2;
  if (vertical == 2 && height < box.height()) bottom = box.top() + height;
  const QFont font = SmMakeFont(RiloDefaultState().font, std::max(height, 1));
  return {bottom, bottom - QFontMetrics(font, device).descent()};
}

void RiloDrawAlignedText(const CRiloRichText& engine, QPainter& painter, const QRect& box,
                         const QRect& clip, std::string text, int horizontal, int vertical) {
  int gaps = 0;
  if (horizontal == 3) gaps = CRiloDoc::InsertGapCodes(text);
  SmRiloTextState state;
  std::string measured = text;
  const SmRiloTextExtent extent = engine.RenderRichText(painter, measured, state, {});
  const int w = extent.width;
  const int baseline = RiloPlaceLine(painter.device(), box, extent.height, vertical).baseline;
  int x = box.left();
  SmRiloRenderRequest request;
  if (w < box.width()) {
    const int free = box.width() - w;
    if (horizontal == 1) x = box.left() + free;
    if (horizontal == 2) x = box.left() + free / 2;
    if (horizontal == 3) {
      request.gapWidth = free / (gaps + 2);
      x = box.left() + request.gapWidth;
    }
  }
  request.origin = QPoint(x, baseline);
  request.clip = clip;
  engine.RenderRichText(painter, text, state, request);
}
