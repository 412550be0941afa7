#pragma once
// Conversions between module text (UTF-16) and the bytes of a file, in
// UTF-8 or a legacy code page such as cp932, through the system's converters
// (host/code_page_converter.h).

#include <memory>
#include <string>
#include <string_view>

namespace tamvo {

class EncodingConverter;

// One encoding, its converters opened once for the many lines of a file.
// Lines of plain ASCII skip them where the encoding writes ASCII as itself,
// as UTF-8 and cp932 do: most lines of a module are such lines.
class CodePage {
 public:
  // Throws Failure when the encoding is unknown.
  explicit CodePage(std::string encoding);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  // Throws Failure naming the encoding, the column and the bytes when the
  // bytes are not valid in it.
  std::u16string Decode(std::string_view bytes);
  // True when Decode would read the bytes; a whole file is checked without
  // a copy of its text.
  bool Reads(std::string_view bytes);
  // Throws Failure naming the character when the text holds one the
  // encoding lacks (or would write as a look-alike), or a lone surrogate.
  std::string Encode(std::u16string_view text);
  // The same, appended to bytes: lines of plain ASCII are written without a
  // string of their own.
  void EncodeTo(std::u16string_view text, std::string& bytes);

  // True when the 128 ASCII characters are single bytes of their own value,
  // as in UTF-8 and cp932 (not in UTF-16, UTF-7 or EBCDIC). Exported modules
  // are read line by line on that promise.
  bool AsciiIsItself() const { return asciiIsItself_; }

 private:
  [[noreturn]] void ThrowCantHold(std::u16string_view text, std::size_t at) const;

  std::string encoding_;
  std::unique_ptr<EncodingConverter> decoder_;
  std::unique_ptr<EncodingConverter> encoder_;  // opened when first needed
  bool asciiIsItself_ = false;
};

// The code page of an encoding, its converters opened once a thread:
// opening them costs more than converting the few lines of a module that
// are not ASCII. Throws Failure when the encoding is unknown.
CodePage& SharedCodePage(const std::string& encoding);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// True when the bytes would be well-formed UTF-8 but for UTF-16 surrogates
// written as if they were characters (ED A0 80 for U+D800), as some tools
// write a lone one.
bool IsUtf8ButForSurrogates(std::string_view bytes);

}  // namespace tamvo
