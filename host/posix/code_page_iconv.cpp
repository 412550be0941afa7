// The code pages of CodePage through iconv (glibc).

#include <iconv.h>

#include <cerrno>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page_converter.h"

namespace tamvo {

namespace {

class IconvConverter final : public EncodingConverter {
 public:
  IconvConverter(const std::string& encoding, Direction direction)
      : handle_(direction == Direction::ToUtf16 ? iconv_open("UTF-16LE", encoding.c_str())
                                                : iconv_open(encoding.c_str(), "UTF-16LE")) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) throw Failure(u"unknown encoding: " + FromUtf8(encoding));
  }
  ~IconvConverter() override { iconv_close(handle_); }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  std::optional<std::size_t> Convert(std::string_view input, std::string& output) override {
    // Twice the input holds UTF-16 from any of these encodings, and any of
    // them from UTF-16; should it not, the buffer grows. (Four times the
    // input, cleared, cost a whole file's conversion more than the
    // conversion itself.)
    output.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    auto convert = [&](bool flush) {
      for (;;) {
        char* out = output.data() + used;
        std::size_t outLeft = output.size() - used;
        const std::size_t result = flush ? iconv(handle_, nullptr, nullptr, &out, &outLeft)
                                         : iconv(handle_, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        used = output.size() - outLeft;
        if (result != static_cast<std::size_t>(-1)) return true;
        if (error != E2BIG) return false;
        output.resize(output.size() * 2);
      }
    };
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // a failure before may have left a state
    const bool ok = convert(false) && convert(true);
    output.resize(used);
    if (ok) return std::nullopt;
    return static_cast<std::size_t>(in - input.data());
  }

  // What it converts to is thrown away a small buffer at a time.
  bool Accepts(std::string_view input) override {
    char buffer[16384];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    auto convert = [&](bool flush) {
      for (;;) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = flush ? iconv(handle_, nullptr, nullptr, &out, &outLeft)
                                         : iconv(handle_, &in, &inLeft, &out, &outLeft);
        if (result != static_cast<std::size_t>(-1)) return true;
        if (errno != E2BIG) return false;
      }
    };
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    return convert(false) && convert(true);
  }

 private:
  iconv_t handle_;
};

}  // namespace

std::unique_ptr<EncodingConverter> OpenEncodingConverter(const std::string& encoding,
                                                         EncodingConverter::Direction direction) {
  return std::make_unique<IconvConverter>(encoding, direction);
}

}  // namespace tamvo
