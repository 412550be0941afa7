#pragma once
// Code page 932, the Japanese ANSI code page (Shift-JIS as Windows extends
// it). The add-in's registration data is stored in it because that is what
// the editor's add-in registration and a Japanese system expect; everything
// else in tamvo is UTF-16.

#include <string>
#include <string_view>

namespace tamvo::addin {

// Throws Failure when a character has no code page 932 form.
std::string ToCodePage932(std::u16string_view text);

// Throws Failure when the bytes are not code page 932 text.
std::u16string FromCodePage932(std::string_view bytes);

}  // namespace tamvo::addin
