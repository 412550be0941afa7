#include "lsp/text_edits.h"

#include <algorithm>

#include "engine/text.h"

namespace tamvo::lsp {

namespace {

// Past this many differing lines the diff's memory (its square) outgrows a
// single replacement's worth.
constexpr std::int64_t kMaxDifferences = 2000;

using Lines = std::vector<std::u16string_view>;

// Myers' diff of a[0..n) and b[0..m): for each line of a whether it is kept,
// and likewise for b; false when more than kMaxDifferences lines differ.
bool Diff(const Lines& a, std::size_t aFrom, std::size_t n, const Lines& b, std::size_t bFrom, std::size_t m,
          std::vector<bool>& keptA, std::vector<bool>& keptB) {
  const auto N = static_cast<std::int64_t>(n);
  const auto M = static_cast<std::int64_t>(m);
  const std::int64_t limit = std::min(N + M, kMaxDifferences);
  const std::int64_t offset = limit + 1;
  std::vector<std::int64_t> v(2 * offset + 1, 0);
  // Before step d only diagonals -d .. d matter: keep just those.
  std::vector<std::vector<std::int32_t>> trace;
  for (std::int64_t d = 0; d <= limit; ++d) {
    trace.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
    for (std::int64_t k = -d; k <= d; k += 2) {
      std::int64_t x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                      : v[offset + k - 1] + 1;
      std::int64_t y = x - k;
      while (x < N && y < M && a[aFrom + x] == b[bFrom + y]) ++x, ++y;
      v[offset + k] = x;
      if (x >= N && y >= M) {
        // Walk back through the trace, marking the diagonal moves as kept.
        for (std::int64_t back = d; back > 0; --back) {
          const auto& prev = trace[back];
          auto at = [&](std::int64_t k) { return std::int64_t{prev[back + k]}; };
          const std::int64_t kk = x - y;
          const bool down = kk == -back || (kk != back && at(kk - 1) < at(kk + 1));
          const std::int64_t prevK = down ? kk + 1 : kk - 1;
          const std::int64_t prevX = at(prevK);
          const std::int64_t prevY = prevX - prevK;
          while (x > prevX && y > prevY) {
            --x, --y;
            keptA[x] = keptB[y] = true;
          }
          x = prevX;
          y = prevY;
        }
        while (x > 0 && y > 0) {
          --x, --y;
          keptA[x] = keptB[y] = true;
        }
        return true;
      }
    }
  }
  return false;
}

Position StartOf(const Lines& lines, std::size_t index) {
  if (index < lines.size() || lines.empty()) return {static_cast<std::int64_t>(index), 0};
  // Past the last line: right after it, on it when it has no line end.
  const std::u16string_view last = lines.back();
  const bool ended = !last.empty() && (last.back() == u'\n' || last.back() == u'\r');
  if (ended) return {static_cast<std::int64_t>(lines.size()), 0};
  return {static_cast<std::int64_t>(lines.size() - 1), static_cast<std::int64_t>(last.size())};
}

}  // namespace

std::vector<std::u16string_view> LinesWithEnds(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  ForEachLine(text, [&](std::u16string_view line, std::u16string_view end) {
    // Nothing after a final line end: a document ends there.
    if (!line.empty() || !end.empty()) lines.emplace_back(line.data(), line.size() + end.size());
    return true;
  });
  return lines;
}

std::vector<TextEdit> LineEdits(std::u16string_view before, std::u16string_view after) {
  const Lines a = LinesWithEnds(before);
  const Lines b = LinesWithEnds(after);
  const auto [head, tail] = CommonEndsOf(a, b);
  const std::size_t n = a.size() - head - tail;
  const std::size_t m = b.size() - head - tail;
  std::vector<bool> keptA(n, false);
  std::vector<bool> keptB(m, false);
  if (n > 0 && m > 0 && !Diff(a, head, n, b, head, m, keptA, keptB)) {
    std::fill(keptA.begin(), keptA.end(), false);
    std::fill(keptB.begin(), keptB.end(), false);
  }

  std::vector<TextEdit> edits;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && keptA[i] && keptB[j]) {
      ++i, ++j;
      continue;
    }
    const std::size_t fromA = i;
    std::u16string inserted;
    while (i < n && !keptA[i]) ++i;
    while (j < m && !keptB[j]) inserted += b[head + j++];
    edits.push_back({StartOf(a, head + fromA), StartOf(a, head + i), std::move(inserted)});
  }
  return edits;
}

std::u16string ApplyEdits(std::u16string_view text, const std::vector<TextEdit>& edits) {
  const Lines lines = LinesWithEnds(text);
  std::vector<std::size_t> lineStarts{0};
  for (const auto line : lines) lineStarts.push_back(lineStarts.back() + line.size());
  auto offsetOf = [&](const Position& p) {
    const auto line = static_cast<std::size_t>(
        std::clamp<std::int64_t>(p.line, 0, static_cast<std::int64_t>(lines.size())));
    return std::min(lineStarts[line] + static_cast<std::size_t>(p.character), text.size());
  };
  std::u16string result;
  std::size_t done = 0;
  for (const auto& edit : edits) {
    const std::size_t start = offsetOf(edit.start);
    result += text.substr(done, start - done);
    result += edit.newText;
    done = offsetOf(edit.end);
  }
  result += text.substr(done);
  return result;
}

}  // namespace tamvo::lsp
