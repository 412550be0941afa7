// Code page 932 through glibc's iconv, for the builds that are not Windows.

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <string>

#include "addin/code_page.h"
#include "engine/failure.h"

namespace tamvo::addin {
namespace {

using Converter = std::unique_ptr<void, decltype(&iconv_close)>;

Converter OpenConverter(const char* to, const char* from) {
  iconv_t handle = iconv_open(to, from);
  if (handle == reinterpret_cast<iconv_t>(-1)) {
    throw Failure(u"code page 932 conversion is not available");
  }
  return Converter(handle, &iconv_close);
}

// Converts all of input, or throws: a character that does not map is an
// error, never silently replaced.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::u16string_view failure) {
  Converter converter = OpenConverter(to, from);
  std::string output(input.size() * 2 + 8, '\0');
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char* out = output.data();
  std::size_t outLeft = output.size();
  while (inLeft > 0) {
    if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) {
      continue;
    }
    if (errno != E2BIG) throw Failure(std::u16string(failure));
    const std::size_t used = output.size() - outLeft;
    output.resize(output.size() * 2);
    out = output.data() + used;
    outLeft = output.size() - used;
  }
  output.resize(output.size() - outLeft);
  return output;
}

}  // namespace

std::string ToCodePage932(std::u16string_view text) {
  const std::string_view units(reinterpret_cast<const char*>(text.data()),
                               text.size() * sizeof(char16_t));
  return Convert("CP932", "UTF-16LE", units, u"the text has a character outside code page 932");
}

std::u16string FromCodePage932(std::string_view bytes) {
  const std::string units = Convert("UTF-16LE", "CP932", bytes, u"the bytes are not code page 932 text");
  std::u16string text(units.size() / sizeof(char16_t), u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(units[2 * i]) |
                                    static_cast<unsigned char>(units[2 * i + 1]) << 8);
  }
  return text;
}

}  // namespace tamvo::addin
