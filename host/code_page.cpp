#include "host/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

namespace {

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw Failure(u"unknown encoding: " + FromUtf8(to == "UTF-16LE" ? from : to));
    }
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of input; false when some of it can't be converted.
  bool Convert(std::string_view input, std::string& output) {
    output.assign(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    const bool ok = iconv(handle_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
                    iconv(handle_, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    output.resize(output.size() - outLeft);
    return ok;
  }

 private:
  iconv_t handle_;
};

}  // namespace

std::u16string Decode(std::string_view bytes, const std::string& encoding) {
  Converter converter("UTF-16LE", encoding);
  std::string utf16;
  if (!converter.Convert(bytes, utf16)) {
    throw Failure(u"the text is not valid " + FromUtf8(encoding));
  }
  std::u16string text(utf16.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                    (static_cast<unsigned char>(utf16[2 * i + 1]) << 8));
  }
  return text;
}

std::string Encode(std::u16string_view text, const std::string& encoding) {
  std::string utf16;
  utf16.reserve(text.size() * 2);
  for (const char16_t c : text) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  Converter converter(encoding, "UTF-16LE");
  std::string bytes;
  if (!converter.Convert(utf16, bytes)) {
    throw Failure(u"\"" + std::u16string(text) + u"\" holds characters that " + FromUtf8(encoding) +
                  u" can't hold");
  }
  return bytes;
}

bool IsValidUtf8(std::string_view bytes) {
  Converter converter("UTF-16LE", "UTF-8");
  std::string utf16;
  return converter.Convert(bytes, utf16);
}

}  // namespace tamvo
