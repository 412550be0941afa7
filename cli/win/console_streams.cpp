#include "cli/win/console_streams.h"

#include <windows.h>

#include <algorithm>
#include <ios>
#include <system_error>

#include "engine/text.h"

namespace tamvo {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

DWORD HandleNumber(StandardStream which) {
  switch (which) {
    case StandardStream::Input:
      return STD_INPUT_HANDLE;
    case StandardStream::Output:
      return STD_OUTPUT_HANDLE;
    case StandardStream::Error:
      return STD_ERROR_HANDLE;
  }
  return STD_ERROR_HANDLE;
}

// How many bytes at the end of text start a UTF-8 character that they
// don't finish.
std::size_t UnfinishedTail(std::string_view text) {
  for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
    const auto c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

}  // namespace

StandardStreamBuffer::StandardStreamBuffer(StandardStream which)
    : handle_(GetStdHandle(HandleNumber(which))) {
  DWORD mode = 0;
  console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
             GetFileType(handle_) == FILE_TYPE_CHAR && GetConsoleMode(handle_, &mode);
  bytes_.resize(kBufferSize);
  if (which == StandardStream::Input) {
    setg(bytes_.data(), bytes_.data(), bytes_.data());
  } else {
    setp(bytes_.data(), bytes_.data() + bytes_.size());
  }
}

StandardStreamBuffer::~StandardStreamBuffer() { Flush(); }

bool StandardStreamBuffer::Flush() {
  const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
  if (size == 0) return true;
  setp(bytes_.data(), bytes_.data() + bytes_.size());
  return console_ ? WriteConsoleText(bytes_.data(), size) : WriteBytes(bytes_.data(), size);
}

StandardStreamBuffer::int_type StandardStreamBuffer::overflow(int_type c) {
  if (!Flush()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int StandardStreamBuffer::sync() { return Flush() ? 0 : -1; }

bool StandardStreamBuffer::WriteBytes(const char* bytes, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(handle_, bytes, static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30)), &written,
                   nullptr)) {
      return false;
    }
    bytes += written;
    size -= written;
  }
  return true;
}

bool StandardStreamBuffer::WriteConsoleText(const char* bytes, std::size_t size) {
  std::string text = std::move(pendingBytes_);
  text.append(bytes, size);
  const std::size_t tail = UnfinishedTail(text);
  pendingBytes_ = text.substr(text.size() - tail);
  text.resize(text.size() - tail);
  const std::u16string wide = FromUtf8(text);
  const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
  std::size_t left = wide.size();
  while (left > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(handle_, units, static_cast<DWORD>(std::min<std::size_t>(left, 1 << 14)), &written,
                       nullptr)) {
      return false;
    }
    units += written;
    left -= written;
  }
  return true;
}

StandardStreamBuffer::int_type StandardStreamBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (ended_) return traits_type::eof();
  if (console_) {
    if (!ReadConsoleText()) return traits_type::eof();
  } else {
    bytes_.resize(kBufferSize);
    DWORD got = 0;
    // A pipe whose writer has gone has ended, and no input at all reads as
    // empty; any other failure ends the input too, and says so as a file's
    // stream would.
    const bool none = handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE;
    if (none || !ReadFile(handle_, bytes_.data(), static_cast<DWORD>(bytes_.size()), &got, nullptr)) {
      ended_ = true;
      if (!none && GetLastError() != ERROR_BROKEN_PIPE) {
        throw std::ios_base::failure("can't read", std::make_error_code(std::errc::io_error));
      }
      return traits_type::eof();
    }
    if (got == 0) {
      ended_ = true;
      return traits_type::eof();
    }
    bytes_.resize(got);
  }
  setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
  return traits_type::to_int_type(*gptr());
}

bool StandardStreamBuffer::ReadConsoleText() {
  for (;;) {
    std::wstring units(4096, L'\0');
    DWORD got = 0;
    if (!ReadConsoleW(handle_, units.data(), static_cast<DWORD>(units.size()), &got, nullptr) || got == 0) {
      ended_ = true;
      return false;
    }
    units.resize(got);
    // Ctrl+Z at the start of a line ends the input, as the console's own
    // programs take it.
    if (units.front() == L'\x1A') {
      ended_ = true;
      return false;
    }
    if (pendingUnit_ != 0) units.insert(units.begin(), pendingUnit_);
    pendingUnit_ = 0;
    if (units.back() >= 0xD800 && units.back() <= 0xDBFF) {
      pendingUnit_ = units.back();
      units.pop_back();
    }
    bytes_ = ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(units.data()), units.size()));
    if (!bytes_.empty()) return true;
  }
}

}  // namespace tamvo
