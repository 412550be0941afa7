#include "engine/comment_block.h"

#include "engine/declaration.h"

namespace tamvo {

void AppendLine(std::u16string& block, std::u16string_view line) {
  if (!block.empty()) block += u"\r\n";
  block += line;
}

namespace {

// A line of two parts, appended in place: no temporary string for the line.
void AppendLineOfParts(std::u16string& block, std::u16string_view head, std::u16string_view tail) {
  AppendLine(block, head);
  block += tail;
}

}  // namespace

std::u16string BuildProcComment(std::u16string_view procName, std::u16string_view declaration, ProcKind kind,
                                const EventTable& events) {
  std::u16string block;
  block.reserve(128);
  block = u"'/**";
  AppendLineOfParts(block, u"' * ", events.GetProcSummary(procName));
  block += u'.';
  switch (kind) {
    case ProcKind::Proc: {
      // Read the parameters first: a declaration that can't be read gives no
      // block at all.
      const auto names = GetParamNames(declaration);
      if (IsFunctionDeclaration(declaration)) AppendLine(block, u"' * @return ");
      for (const auto& name : names) AppendLineOfParts(block, u"' * @param ", name);
      break;
    }
    case ProcKind::Let:
    case ProcKind::Set:
      AppendLineOfParts(block, u"' * Setter: ", procName);
      break;
    case ProcKind::Get:
      AppendLineOfParts(block, u"' * Getter: ", procName);
      break;
    default:
      break;
  }
  AppendLine(block, u"' */");
  return block;
}

}  // namespace tamvo
