#pragma once
// The system's half of CodePage: bytes in an encoding to UTF-16LE bytes and
// back, through iconv on POSIX systems (posix/) and MultiByteToWideChar and
// WideCharToMultiByte on Windows (win/). Everything else CodePage does (the
// ASCII shortcut, the failure's words) is the same everywhere.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tamvo {

class EncodingConverter {
 public:
  enum class Direction {
    ToUtf16,    // Decode: the encoding's bytes to UTF-16LE bytes
    FromUtf16,  // Encode: UTF-16LE bytes to the encoding's
  };

  virtual ~EncodingConverter() = default;

  // Converts all of input into output; when some of it can't be converted,
  // returns the offset where that part starts.
  virtual std::optional<std::size_t> Convert(std::string_view input, std::string& output) = 0;
  // True when all of input converts, without a copy of its size.
  virtual bool Accepts(std::string_view input) = 0;
};

// Throws Failure "unknown encoding: NAME" when the system has no such
// encoding. Names are iconv's ("CP932", "SHIFT_JIS", "UTF-8"), in any case.
std::unique_ptr<EncodingConverter> OpenEncodingConverter(const std::string& encoding,
                                                         EncodingConverter::Direction direction);

}  // namespace tamvo
