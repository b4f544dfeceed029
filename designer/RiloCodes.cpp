// The format codes of a cell's master text: states, the shortest codes between them, and the
// edits that keep every character's format.
#include <algorithm>
#include <climits>

#include "core/SmGbk.h"
#include "core/SmString.h"
#include "designer/RiloDoc.h"

namespace {

std::string_view PieceText(std::string_view text, const SmRiloPiece& piece) {
  return text.substr(piece.begin, piece.end - piece.begin);
}

// Byte offset of a plain position in the text.
size_t RawOffset(std::string_view text, int position) {
  return RiloRawOffset(RiloScan(text), text.size(), position);
}

// The text without the codes at its head.
std::string_view SkipLeadingCodes(std::string_view text) {
  return text.substr(RawOffset(text, 0));
}

char OppositeCode(char code) {
  if (code < 'A' || code > 'H') return code;
  return (code - 'A') % 2 == 0 ? static_cast<char>(code + 1) : static_cast<char>(code - 1);
}

bool HasPlainText(std::string_view text) {
  const std::vector<SmRiloPiece> pieces = RiloScan(text);
  return std::any_of(pieces.begin(), pieces.end(), [](const auto& p) { return !p.IsCode(); });
}

// Code pieces of a text that consists of codes only (a code set), the others skipped.
std::vector<SmRiloPiece> CodesOf(std::string_view codes) {
  std::vector<SmRiloPiece> pieces = RiloScan(codes);
  std::erase_if(pieces, [](const SmRiloPiece& p) { return !p.IsCode() || p.code == kRiloEsc; });
  return pieces;
}

}  // namespace

int CRiloDoc::RawTextPos(std::string& text, int& position) {
  return CSmUtil().RawTextPos(text, position);
}

std::string CRiloDoc::StripCodes(std::string_view text) {
  std::string plain;
  for (const SmRiloPiece& piece : RiloScan(text)) {
    if (!piece.IsCode()) plain += PieceText(text, piece);
  }
  return plain;
}

SmRiloTextState CRiloDoc::StateAt(std::string_view text, int position, const SmRiloTextState* start,
                                  const SmColor* color) {
  SmRiloTextState state = start ? *start : RiloDefaultState();
  if (color) state.color = *color;
  for (const SmRiloPiece& piece : RiloScan(text)) {
    if (!piece.IsCode() && piece.plainPos >= position) break;
    if (piece.IsCode()) RiloApplyCode(piece, state);
  }
  return state;
}

std::string CRiloDoc::CodesBetween(const SmRiloTextState& a, const SmRiloTextState& b) {
  const SmLogFont& from = a.font;
  const SmLogFont& to = b.font;
  std::string codes;
  if (a.color != b.color) codes += FormatStr("%cQ%d%c", kRiloEsc, int(b.color), kRiloFs);
  if (from.height != to.height) codes += FormatStr("%cP%d%c", kRiloEsc, to.height, kRiloFs);
  if (from.faceName != to.faceName)
    codes += FormatStr("%cO%s%c", kRiloEsc, to.faceName.c_str(), kRiloFs);
  if (from.italic != to.italic) codes += FormatStr("%c%c", kRiloEsc, to.italic ? 'A' : 'B');
  if (from.underline != to.underline)
    codes += FormatStr("%c%c", kRiloEsc, to.underline ? 'C' : 'D');
  if (from.strikeOut != to.strikeOut)
    codes += FormatStr("%c%c", kRiloEsc, to.strikeOut ? 'E' : 'F');
  if (to.weight == 700 && from.weight != 700) codes += FormatStr("%cG", kRiloEsc);
  if (from.weight == 700 && to.weight != 700) codes += FormatStr("%cH", kRiloEsc);
  return codes;
}

std::string CRiloDoc::NormalizeCodes(std::string_view text) {
  const std::vector<SmRiloPiece> pieces = RiloScan(text);
  const bool hasPlain = HasPlainText(text);
  SmRiloTextState state = RiloDefaultState();
  std::string result;
  size_t i = 0;
  while (i < pieces.size()) {
    if (!pieces[i].IsCode()) {
      result += PieceText(text, pieces[i++]);
      continue;
    }
    const SmRiloTextState before = state;
    for (; i < pieces.size() && pieces[i].IsCode(); ++i) RiloApplyCode(pieces[i], state);
    if (i == pieces.size() && hasPlain) break;  // codes that format nothing
    result += CodesBetween(before, state);
  }
  return result;
}

bool CRiloDoc::HasCode(std::string_view codeSet, char code) {
  const std::vector<SmRiloPiece> codes = CodesOf(codeSet);
  return std::any_of(codes.begin(), codes.end(), [code](const SmRiloPiece& p) {
    return p.code == code || p.code == OppositeCode(code);
  });
}

std::string CRiloDoc::DropCodes(std::string_view text, std::string_view codeSet) {
  std::string result;
  for (const SmRiloPiece& piece : RiloScan(text)) {
    if (piece.IsCode() && piece.code != kRiloEsc && HasCode(codeSet, piece.code)) continue;
    result += PieceText(text, piece);
  }
  return result;
}

void CRiloDoc::AddMissingCodes(std::string& codeSet, std::string_view codes) {
  for (const SmRiloPiece& piece : RiloScan(codes)) {
    if (!piece.IsCode()) break;
    if (piece.code == kRiloEsc) continue;
    const std::vector<SmRiloPiece> held = CodesOf(codeSet);
    const bool lacks = std::none_of(held.begin(), held.end(),
                                    [&](const SmRiloPiece& p) { return p.code == piece.code; });
    if (lacks) codeSet += PieceText(codes, piece);
  }
}

std::string CRiloDoc::UpdateValueCodes(std::string_view codeSet, const SmRiloTextState& state) {
  std::string result;
  for (const SmRiloPiece& piece : RiloScan(codeSet)) {
    const std::string head = FormatStr("%c%c", kRiloEsc, piece.code);
    if (piece.code == 'O') {
      result += FormatStr("%s%s%c", head.c_str(), state.font.faceName.c_str(), kRiloFs);
    } else if (piece.code == 'P') {
      result += FormatStr("%s%d%c", head.c_str(), state.font.height, kRiloFs);
    } else if (piece.code == 'Q') {
      result += FormatStr("%s%ld%c", head.c_str(), long(state.color), kRiloFs);
    } else {
      result += PieceText(codeSet, piece);
    }
  }
  return result;
}

namespace {

// The text's leading run of codes in its shortest form.
std::string ShortestLeadingCodes(std::string_view text) {
  const SmRiloTextState lead = CRiloDoc::StateAt(text, 0);
  return CRiloDoc::CodesBetween(RiloDefaultState(), lead) + std::string(SkipLeadingCodes(text));
}

}  // namespace

std::string CRiloDoc::FormatCellText(std::string_view text, int start, int end,
                                     const SmRiloTextState& state, std::string_view codeSet) {
  if (start > end) std::swap(start, end);
  const SmRiloTextState after = StateAt(text, end);
  const std::string codes = UpdateValueCodes(codeSet, state);
  const size_t rawStart = RawOffset(text, start);
  const size_t rawEnd = std::max(rawStart, RawOffset(text, end));
  const std::string_view rest = SkipLeadingCodes(text.substr(rawEnd));
  std::string result = std::string(text.substr(0, rawStart)) + codes +
                       DropCodes(text.substr(rawStart, rawEnd - rawStart), codes);
  if (!rest.empty()) result += CodesBetween(StateAt(result, INT_MAX), after) + std::string(rest);
  return ShortestLeadingCodes(result);
}

std::string CRiloDoc::CutRange(std::string& text, int start, int end) {
  if (start > end) std::swap(start, end);
  const SmRiloTextState after = StateAt(text, end);
  const size_t rawStart = RawOffset(text, start);
  const size_t rawEnd = std::max(rawStart, RawOffset(text, end));
  const std::string removed =
      StripCodes(std::string_view(text).substr(rawStart, rawEnd - rawStart));
  const std::string rest(SkipLeadingCodes(std::string_view(text).substr(rawEnd)));
  std::string result = text.substr(0, rawStart);
  if (!rest.empty()) result += CodesBetween(StateAt(result, INT_MAX), after) + rest;
  text = result;
  return removed;
}

void CRiloDoc::InsertAtCaret(std::string& text, std::string_view insert, int& position) {
  std::string plain = text;
  const int raw = RawTextPos(plain, position);
  text.insert(Utf8OffsetOfGbkPos(text, static_cast<size_t>(raw)), insert);
  position += static_cast<int>(GbkSize(StripCodes(insert)));
}

void CRiloDoc::DeleteChars(std::string& text, int& position, int n) {
  std::vector<SmRiloPiece> pieces = RiloScan(text);
  std::vector<bool> removed(pieces.size(), false);
  int count = 0;
  if (n > 0) {
    for (size_t i = 0; i < pieces.size() && count < n; ++i) {
      const SmRiloPiece& p = pieces[i];
      if (p.IsCode() || p.plainPos + p.size <= position) continue;
      removed[i] = true;
      count += p.size;
    }
    const auto first = std::find(removed.begin(), removed.end(), true);
    if (first != removed.end())  // a position inside a character moves to its start
      position = std::min(position, pieces[size_t(first - removed.begin())].plainPos);
  } else {
    for (size_t i = pieces.size(); i-- > 0 && count < -n;) {
      const SmRiloPiece& p = pieces[i];
      if (p.IsCode() || p.plainPos >= position) continue;
      removed[i] = true;
      count += p.size;
      position = p.plainPos;
    }
  }
  std::string result;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (!removed[i]) result += PieceText(text, pieces[i]);
  }
  text = NormalizeCodes(result);
}

int CRiloDoc::InsertGapCodes(std::string& text) {
  const std::string gap = FormatStr("%cI", kRiloEsc);
  const std::vector<SmRiloPiece> pieces = RiloScan(text);
  std::string result;
  int count = 0;
  bool inWord = false;
  const auto addGap = [&] {
    result += gap;
    ++count;
  };
  for (const SmRiloPiece& piece : pieces) {
    const std::string_view bytes = PieceText(text, piece);
    const bool last = piece.end == text.size();
    if (piece.code == kRiloEsc && piece.end < text.size() &&
        std::string_view("OPQ").find(text[piece.end]) != std::string_view::npos) {
      result += text.substr(piece.begin);  // a value code without its end byte
      break;
    }
    if (piece.IsCode()) {
      result += bytes;
    } else if (piece.size == 2) {
      if (inWord) addGap();
      result += bytes;
      if (!last) addGap();
      inWord = false;
    } else if (bytes != " ") {
      result += bytes;
      inWord = true;
    } else if (inWord && !last) {
      addGap();
      inWord = false;
    }
  }
  text = result;
  return count;
}
