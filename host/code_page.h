#pragma once
// Conversions between module text (UTF-16) and the bytes of a file, in
// UTF-8 or a legacy code page such as cp932, through iconv.

#include <string>
#include <string_view>

namespace tamvo {

// Throws Failure naming the encoding, the column and the bytes when the
// bytes are not valid in it, or when the encoding is unknown.
std::u16string Decode(std::string_view bytes, const std::string& encoding);
// Throws Failure naming the character when the text holds one the encoding
// lacks, or a lone surrogate.
std::string Encode(std::u16string_view text, const std::string& encoding);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// True when the bytes would be well-formed UTF-8 but for UTF-16 surrogates
// written as if they were characters (ED A0 80 for U+D800), as some tools
// write a lone one.
bool IsUtf8ButForSurrogates(std::string_view bytes);

}  // namespace tamvo
