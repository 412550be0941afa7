#pragma once
// Pictures of windows, for people to look at and for checks that text is
// drawn with real glyphs.

#include <windows.h>

#include <string>

namespace tamvo::test {

// Saves what the window shows, frame included, as a PNG file.
bool SaveWindowPng(HWND window, const std::wstring& path);

// True when the font draws the character with a glyph of its own: its
// picture differs from that of a private-use code point, which no font
// here has.
bool FontHasGlyph(HFONT font, wchar_t character);

}  // namespace tamvo::test
