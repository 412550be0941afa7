#include "engine/comment_block.h"

#include <vector>

#include "engine/declaration.h"

namespace tamvo {

using namespace std::string_view_literals;

void AppendLine(std::u16string& block, std::u16string_view line) {
  if (!block.empty()) block += u"\r\n"sv;
  block += line;
}

std::u16string BuildProcComment(std::u16string_view procName, std::u16string_view declaration, ProcKind kind,
                                const EventTable& events) {
  std::u16string block;
  AppendProcComment(block, procName, declaration, kind, events);
  return block;
}

void AppendProcComment(std::u16string& text, std::u16string_view procName, std::u16string_view declaration,
                       ProcKind kind, const EventTable& events) {
  const std::size_t start = text.size();
  const std::u16string summary = events.GetProcSummary(procName);
  // Most blocks are a handful of short lines: room for them at once.
  text.reserve(start + 96 + summary.size());
  text += u"'/**\r\n' * "sv;
  text += summary;
  text += u'.';
  switch (kind) {
    case ProcKind::Proc:
      if (IsFunctionDeclaration(declaration)) text += u"\r\n' * @return "sv;
      try {
        AppendParamNames(text, declaration, u"\r\n' * @param "sv);
      } catch (...) {
        // A declaration that can't be read gives no block at all.
        text.resize(start);
        throw;
      }
      break;
    case ProcKind::Let:
    case ProcKind::Set:
      text += u"\r\n' * Setter: "sv;
      text += procName;
      break;
    case ProcKind::Get:
      text += u"\r\n' * Getter: "sv;
      text += procName;
      break;
    default:
      break;
  }
  text += u"\r\n' */"sv;
}

}  // namespace tamvo
