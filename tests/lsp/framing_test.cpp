#include "lsp/framing.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tamvo::lsp {
namespace {

struct FrameCase {
  const char* name;
  std::string input;
  std::vector<std::string> frames;  // bodies, or "!" for a frame read as bad
};

TEST(ReadFrame, ReadsBodiesSkipsBadHeadersAndStopsAtTheEnd) {
  const FrameCase cases[] = {
      {"two frames", "Content-Length: 2\r\n\r\n{}Content-Length: 3\r\n\r\n[1]", {"{}", "[1]"}},
      {"other headers and any letter case",
       "content-length: 2\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}",
       {"{}"}},
      {"LF only", "Content-Length: 2\n\n{}", {"{}"}},
      {"no length", "Content-Type: x\r\n\r\nContent-Length: 2\r\n\r\n{}", {"!", "{}"}},
      {"not a number", "Content-Length: 2x\r\n\r\nContent-Length: 2\r\n\r\n{}", {"!", "{}"}},
      {"too large", "Content-Length: 99999999999999\r\n\r\n", {"!"}},
      {"a line without a colon", "garbage\r\nContent-Length: 2\r\n\r\n{}", {"!"}},
      {"body of a skipped frame before the next header",
       "Content-Length: -1\r\n\r\n{\"a\":1}Content-Length: 2\r\n\r\n{}",
       {"!", "{}"}},
      {"cut short", "Content-Length: 10\r\n\r\n{}", {}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.input);
    std::vector<std::string> frames;
    while (auto frame = ReadFrame(in)) frames.push_back(frame->error.empty() ? frame->body : "!");
    EXPECT_EQ(frames, c.frames);
  }
}

TEST(WriteFrame, ReadsBack) {
  const std::string body = "{\"text\":\"日本語\"}";
  std::istringstream in(WriteFrame(body));
  EXPECT_EQ(ReadFrame(in)->body, body);
}

}  // namespace
}  // namespace tamvo::lsp
