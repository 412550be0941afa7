#pragma once
// Conversions between module text (UTF-16) and the bytes of a file, in
// UTF-8 or a legacy code page such as cp932, through iconv.

#include <string>
#include <string_view>

namespace tamvo {

// Throws Failure naming the encoding when the bytes are not valid in it or
// the encoding is unknown.
std::u16string Decode(std::string_view bytes, const std::string& encoding);
// Throws Failure when the text holds a character the encoding lacks.
std::string Encode(std::u16string_view text, const std::string& encoding);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace tamvo
