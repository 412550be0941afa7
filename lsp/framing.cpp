#include "lsp/framing.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <istream>

namespace tamvo::lsp {

namespace {

// A header line without its CR LF; a lone LF ends a line too, as lenient
// clients write them.
bool ReadHeaderLine(std::istream& in, std::string& line) {
  line.clear();
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    // A runaway header is not one: cut it off and let the caller skip it.
    if (line.size() > 4096) return true;
    line += static_cast<char>(c);
  }
  return false;
}

std::size_t FindContentLength(std::string_view line) {
  constexpr std::string_view kName = "content-length:";
  for (std::size_t at = 0; at + kName.size() <= line.size(); ++at) {
    std::size_t i = 0;
    while (i < kName.size() && std::tolower(static_cast<unsigned char>(line[at + i])) == kName[i]) ++i;
    if (i == kName.size()) return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::optional<Frame> ReadFrame(std::istream& in) {
  std::string line;
  std::optional<std::size_t> length;
  std::string error;
  bool sawHeader = false;
  while (true) {
    if (!ReadHeaderLine(in, line)) return std::nullopt;
    if (line.empty()) {
      // Blank lines between messages are no header block.
      if (!sawHeader) continue;
      break;
    }
    // After a frame that could not be read, its body runs into the next
    // header: the reader finds its feet again at the next Content-Length.
    const std::size_t named = FindContentLength(line);
    if (named != std::string::npos && named > 0 && line.find(':') < named) line = line.substr(named);
    sawHeader = true;
    const auto colon = line.find(':');
    if (colon == std::string::npos) {
      error = "header line without a colon";
      continue;
    }
    if (FindContentLength(line) != 0) continue;
    std::string_view value(line);
    value.remove_prefix(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    std::size_t parsed = 0;
    const auto [end, code] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (code != std::errc() || end != value.data() + value.size() || value.empty()) {
      error = "Content-Length is not a number";
    } else if (parsed > kMaxContentLength) {
      error = "Content-Length is too large";
    } else {
      length = parsed;
    }
  }
  if (!error.empty() || !length) {
    return Frame{{}, error.empty() ? "header without Content-Length" : error};
  }
  // The body grows as its bytes come: a header that promises more than
  // ever arrives costs no more memory than what did arrive.
  Frame frame;
  char chunk[65536];
  while (frame.body.size() < *length) {
    const std::size_t want = std::min(sizeof chunk, *length - frame.body.size());
    in.read(chunk, static_cast<std::streamsize>(want));
    frame.body.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (static_cast<std::size_t>(in.gcount()) != want) return std::nullopt;
  }
  return frame;
}

std::string WriteFrame(std::string_view body) {
  std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  frame += body;
  return frame;
}

}  // namespace tamvo::lsp
