#include "weighing/SmFrameDecoder.h"

#include <algorithm>

namespace {

constexpr char kStx = 2;
constexpr unsigned char kBinaryStart = 0xCD;
constexpr int kBinaryMode = 5;
constexpr size_t kBinaryPositions = 6;

// The part of `frame` from a 1-based character position, at most `count` characters; what
// exists of it when the frame is shorter.
std::string Slice(std::string_view frame, size_t position, size_t count) {
  if (frame.size() < position) return {};
  return std::string(frame.substr(position - 1, count));
}

}  // namespace

char CSmFrameDecoder::StartChar(int mode) {
  return mode == 3 ? '=' : kStx;
}

std::string CSmFrameDecoder::DecodeFrame(int mode, std::string_view frame) {
  switch (mode) {
    case 1:
    case 4:
      return Slice(frame, 5, 6);
    case 2:
    case 6:
      return Slice(frame, 3, 6);
    case 3: {
      std::string text(frame.size() > 1 ? frame.substr(1) : std::string_view());
      std::reverse(text.begin(), text.end());
      return text;
    }
    default:
      return std::string(frame);
  }
}

std::string CSmFrameDecoder::DecodeBinary(std::string_view bytes) {
  const size_t start = bytes.find(static_cast<char>(kBinaryStart));
  if (start == std::string_view::npos) return {};
  const std::string_view positions = bytes.substr(start + 1, kBinaryPositions);
  if (positions.size() < kBinaryPositions) return {};
  std::string text;
  for (const char ch : positions) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte == 0x0A) continue;
    if (byte == 0x0B) {
      text += '-';
    } else if (byte & 0x80) {
      text += '.';
      text += static_cast<char>('0' + (byte & 0x7F));
    } else {
      text += static_cast<char>('0' + byte);
    }
  }
  return text;
}

namespace {

std::string EncodeBinary(std::string_view weight) {
  std::string frame(1, static_cast<char>(kBinaryStart));
  bool point = false;  // the next digit carries the point
  int points = 0;
  for (const char ch : weight) {
    if (ch == '.') {
      if (++points > 1) return {};
      point = true;
      continue;
    }
    if (ch == '-') {
      // The point rides on the digit after it: a sign cannot carry it.
      if (point) return {};
      frame += '\x0B';
    } else if (ch >= '0' && ch <= '9') {
      frame += static_cast<char>((ch - '0') | (point ? 0x80 : 0));
    } else {
      return {};
    }
    point = false;
  }
  if (point || frame.size() != kBinaryPositions + 1) return {};
  return frame;
}

}  // namespace

std::string CSmFrameDecoder::EncodeFrame(int mode, std::string_view weight) {
  const std::string stx(1, kStx);
  const std::string text(weight);
  switch (mode) {
    case 1:
    case 4:
      return weight.size() == 6 ? stx + "+00" + text + "\r" : std::string();
    case 2:
    case 6:
      return weight.size() == 6 ? stx + "+" + text + "\r" : std::string();
    case 3:
      return "=" + std::string(text.rbegin(), text.rend());
    case kBinaryMode:
      return EncodeBinary(weight);
    default:
      return stx + text;
  }
}

std::vector<std::string> CSmFrameDecoder::Receive(std::string_view bytes) {
  if (m_mode == kBinaryMode) {
    // Frames are never carried from one delivery to the next.
    m_buffer.clear();
    std::string text = DecodeBinary(bytes);
    if (text.empty()) return {};
    return {text};
  }
  if (bytes.size() >= kBufferSize) return {};
  m_buffer.append(bytes.substr(0, bytes.find('\0')));
  std::vector<std::string> texts = CutFrames();
  if (m_buffer.size() > kBufferSize) m_buffer.clear();
  return texts;
}

std::vector<std::string> CSmFrameDecoder::CutFrames() {
  const char start = StartChar(m_mode);
  std::vector<std::string> texts;
  for (;;) {
    const size_t first = m_buffer.find(start);
    if (first == std::string::npos) break;
    m_buffer.erase(0, first);
    const size_t next = m_buffer.find(start, 1);
    if (next == std::string::npos) break;
    texts.push_back(DecodeFrame(m_mode, std::string_view(m_buffer).substr(0, next)));
    m_buffer.erase(0, next);
  }
  return texts;
}
