#pragma once
// Standard input, output and error as the command sees them on Windows:
// bytes as they are, never a text mode's line ends, as on POSIX systems.
// Text for a console is the exception: the command's UTF-8 is written to
// it as UTF-16 (WriteConsoleW) and what is typed at one is read as UTF-8,
// whatever code page the console has.

#include <streambuf>
#include <string>

namespace tamvo {

enum class StandardStream { Input, Output, Error };

class StandardStreamBuffer : public std::streambuf {
 public:
  explicit StandardStreamBuffer(StandardStream which);
  ~StandardStreamBuffer() override;
  StandardStreamBuffer(const StandardStreamBuffer&) = delete;
  StandardStreamBuffer& operator=(const StandardStreamBuffer&) = delete;

  bool IsConsole() const { return console_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;
  int_type underflow() override;

 private:
  // Writes what the buffer holds; false when the stream can't take it.
  bool Flush();
  bool WriteBytes(const char* bytes, std::size_t size);
  bool WriteConsoleText(const char* bytes, std::size_t size);
  // Fills bytes_ from the console as UTF-8; false at the end of input.
  bool ReadConsoleText();

  void* handle_;
  bool console_ = false;
  bool ended_ = false;
  std::string bytes_;
  // Console output: the start of a UTF-8 character that the next write
  // ends. Console input: a high surrogate whose low half comes next.
  std::string pendingBytes_;
  wchar_t pendingUnit_ = 0;
};

}  // namespace tamvo
