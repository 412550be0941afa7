#pragma once
// Modules of a given size for the benchmarks: procedures of six lines, each
// with an old one-line comment that insert-all replaces.

#include <cstdint>
#include <string>
#include <vector>

namespace tamvo::bench {

// About `lines` lines: two of declarations, then six a procedure.
inline std::vector<std::u16string> GeneratedModule(std::int64_t lines) {
  std::vector<std::u16string> module{u"Option Explicit", u"Private mCount As Long"};
  for (std::int64_t i = 0; static_cast<std::int64_t>(module.size()) + 6 <= lines; ++i) {
    std::u16string name = u"Proc";
    for (std::int64_t n = i; n > 0 || name.size() == 4; n /= 26) name += static_cast<char16_t>(u'a' + n % 26);
    module.insert(module.end(),
                  {u"", u"' 古いコメント",
                   u"Public Function " + name + u"(ByVal a As Long, Optional b As String) As Long",
                   u"    mCount = mCount + a", u"    " + name + u" = mCount", u"End Function"});
  }
  return module;
}

}  // namespace tamvo::bench
