#include "addin/code_page.h"

#include <gtest/gtest.h>

#include "engine/failure.h"

namespace tamvo::addin {
namespace {

TEST(CodePage932, ConvertsBothWays) {
  const struct {
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {u"", ""},
      {u"HKEY_CURRENT_USER\\6.0", "HKEY_CURRENT_USER\\6.0"},
      // Half-width katakana are one byte each.
      {u"ｻﾝﾌﾟﾙ", "\xBB\xDD\xCC\xDF\xD9"},
      {u"コメント挿入", "\x83\x52\x83\x81\x83\x93\x83\x67\x91\x7D\x93\xFC"},
      // Windows' own mappings, where plain Shift-JIS differs.
      {u"～∥－", "\x81\x60\x81\x61\x81\x7C"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToCodePage932(c.text), c.bytes);
    EXPECT_EQ(FromCodePage932(c.bytes), c.text);
  }
}

TEST(CodePage932, RefusesWhatItCannotConvert) {
  EXPECT_THROW(ToCodePage932(u"\u00E9"), Failure);
  EXPECT_THROW(ToCodePage932(u"\U0001F600"), Failure);
  EXPECT_THROW(FromCodePage932("\x83"), Failure);
  EXPECT_THROW(FromCodePage932("\x83\x20"), Failure);
}

}  // namespace
}  // namespace tamvo::addin
