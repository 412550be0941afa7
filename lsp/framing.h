#pragma once
// The base protocol's framing: a header block of "Name: value" lines ended
// by an empty line, then exactly Content-Length bytes of JSON.

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace tamvo::lsp {

// Larger messages are refused rather than held in memory.
inline constexpr std::size_t kMaxContentLength = std::size_t{256} << 20;

struct Frame {
  std::string body;
  // Why the frame could not be read, empty for a good one. A bad header is
  // skipped: the reader goes on at the next header block.
  std::string error;
};

// The next frame, or nothing at the end of input (a frame cut short by the
// end of input included).
std::optional<Frame> ReadFrame(std::istream& in);

// The body with its header.
std::string WriteFrame(std::string_view body);

}  // namespace tamvo::lsp
