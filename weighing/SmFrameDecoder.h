#pragma once
// Cuts the byte stream of a weighing indicator into frames and decodes each frame into the
// weight text it carries, by the indicator model (decode mode) of the port. Works on bytes:
// one delivery in, the decoded texts out in the order they are to be shown (the last remains).
#include <string>
#include <string_view>
#include <vector>

class CSmFrameDecoder {
 public:
  // The indicator's input buffer; a delivery of this size or more is dropped, and so is a
  // receive buffer that grows past it without a complete frame.
  static constexpr size_t kBufferSize = 1024;

  explicit CSmFrameDecoder(int mode = 0) : m_mode(mode) {}

  int Mode() const { return m_mode; }
  void SetMode(int mode) { m_mode = mode; }
  // Forgets every byte received and not yet cut into a frame.
  void Reset() { m_buffer.clear(); }
  const std::string& Buffer() const { return m_buffer; }

  // Takes one delivery of the port and returns the weight texts of the frames it completed.
  std::vector<std::string> Receive(std::string_view bytes);

  // The weight text of one whole frame (start character included) for a mode of the STX and
  // "=" kinds; modes outside 0-6 decode as mode 0.
  static std::string DecodeFrame(int mode, std::string_view frame);
  // The binary indicator (mode 5): the six positions after the first 0xCD, or "" when the
  // delivery holds no 0xCD or fewer than six positions after it.
  static std::string DecodeBinary(std::string_view bytes);
  // The character that starts a frame in a text mode.
  static char StartChar(int mode);
  // One frame as an indicator of the mode sends it, decoding to `weight` (the inverse of the
  // decoding): six characters for modes 1, 2, 4 and 6, six positions of digits, "-" and at most
  // one "." for mode 5. "" when the weight does not fit the mode.
  static std::string EncodeFrame(int mode, std::string_view weight);

 private:
  std::vector<std::string> CutFrames();

  int m_mode;
  std::string m_buffer;
};
