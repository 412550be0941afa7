// Code page 932 through the core's CodePage, as the command line reads and
// writes it: iconv on POSIX systems, the Win32 functions on Windows.

#include "addin/code_page.h"
#include "engine/failure.h"
#include "host/code_page.h"

namespace tamvo::addin {

std::string ToCodePage932(std::u16string_view text) {
  try {
    return CodePage("CP932").Encode(text);
  } catch (const Failure&) {
    throw Failure(u"the text has a character outside code page 932");
  }
}

std::u16string FromCodePage932(std::string_view bytes) {
  try {
    return CodePage("CP932").Decode(bytes);
  } catch (const Failure&) {
    throw Failure(u"the bytes are not code page 932 text");
  }
}

}  // namespace tamvo::addin
