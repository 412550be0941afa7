#pragma once
// A modal input box: a prompt, an edit field with a preset text, OK and
// Cancel, titled with the application title.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tamvo::addin {

// The entered text on OK, nothing on Cancel or when the box can't be shown.
std::optional<std::u16string> ShowInputBox(HWND owner, std::u16string_view prompt,
                                           std::u16string_view preset);

}  // namespace tamvo::addin
