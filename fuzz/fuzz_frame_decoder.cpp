// The byte stream of a weighing indicator, cut into deliveries as the serial port hands them
// over. In the text modes the weights shown do not depend on where the stream is cut, as long
// as no delivery carries a zero byte and the receive buffer never overflows; every weight fits
// the frame it came from; a weight encoded for a mode decodes to itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/SmFuzzSupport.h"
#include "weighing/SmFrameDecoder.h"

namespace {

using Texts = std::vector<std::string>;

Texts Feed(CSmFrameDecoder& decoder, const std::vector<std::string>& deliveries) {
  Texts shown;
  for (const std::string& bytes : deliveries)
    for (std::string& text : decoder.Receive(bytes)) shown.push_back(std::move(text));
  return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int mode = in.ConsumeIntegralInRange<int>(-1, 8);
  std::vector<std::string> deliveries;
  std::string whole;
  while (in.remaining_bytes() > 0) {
    deliveries.push_back(in.ConsumeRandomLengthString(2 * CSmFrameDecoder::kBufferSize));
    whole += deliveries.back();
  }

  CSmFrameDecoder pieces(mode);
  const Texts shown = Feed(pieces, deliveries);
  for (const std::string& text : shown) {
    if (text.empty() && mode == 5) SmFuzzFail("the binary mode shows an empty weight");
    if (text.size() > CSmFrameDecoder::kBufferSize) SmFuzzFail("a weight longer than a frame");
  }
  if (pieces.Buffer().size() > CSmFrameDecoder::kBufferSize)
    SmFuzzFail("the receive buffer grows past its size");

  const bool textMode = mode != 5;
  if (textMode && whole.find('\0') == std::string::npos &&
      whole.size() < CSmFrameDecoder::kBufferSize) {
    CSmFrameDecoder once(mode);
    if (Feed(once, {whole}) != shown) SmFuzzFail("the weights depend on where the stream is cut");
  }

  // The last delivery read as a weight: what a mode can carry comes back unchanged.
  const std::string weight = deliveries.empty() ? std::string() : deliveries.back();
  const std::string frame = CSmFrameDecoder::EncodeFrame(mode, weight);
  if (!frame.empty() && frame.size() * 2 < CSmFrameDecoder::kBufferSize &&
      weight.find('\0') == std::string::npos &&
      weight.find(CSmFrameDecoder::StartChar(mode)) == std::string::npos) {
    CSmFrameDecoder decoder(mode);
    Texts texts = mode == 5 ? decoder.Receive(frame) : decoder.Receive(frame + frame);
    const std::string expected =
        mode == 0 || mode > 6 || mode < 0 ? std::string(1, '\x02') + weight : weight;
    if (texts.empty() || texts.front() != expected)
      SmFuzzFail("an encoded weight does not decode to itself");
  }
  return 0;
}
