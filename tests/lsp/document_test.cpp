#include "lsp/document.h"

#include <gtest/gtest.h>

#include "engine/text.h"

namespace tamvo::lsp {
namespace {

TEST(Document, NamesTheModuleByTheLastSegmentOfItsAddress) {
  const struct {
    const char* uri;
    const char* stem;
  } cases[] = {
      {"file:///m/mdlA.bas", "mdlA"},
      {"file:///x/a%20b.bas", "a b"},
      {"file:///x/mdl%E6%97%A5.a.cls?q=1#top", "mdl日.a"},
      {"untitled:Untitled-1", "Untitled-1"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(StemOfUri(c.uri)), c.stem) << c.uri;
}

}  // namespace
}  // namespace tamvo::lsp
