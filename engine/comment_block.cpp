#include "engine/comment_block.h"

#include "engine/declaration.h"

namespace tamvo {

void AppendLine(std::u16string& block, std::u16string_view line) {
  if (!block.empty()) block += u"\r\n";
  block += line;
}

std::u16string BuildProcComment(std::u16string_view procName, std::u16string_view declaration, ProcKind kind,
                                const EventTable& events) {
  std::u16string block = u"'/**";
  AppendLine(block, u"' * " + events.GetProcSummary(procName) + u".");
  switch (kind) {
    case ProcKind::Proc: {
      // Read the parameters first: a declaration that can't be read gives no
      // block at all.
      const auto names = GetParamNames(declaration);
      if (IsFunctionDeclaration(declaration)) AppendLine(block, u"' * @return ");
      for (const auto& name : names) AppendLine(block, u"' * @param " + name);
      break;
    }
    case ProcKind::Let:
    case ProcKind::Set:
      AppendLine(block, u"' * Setter: " + std::u16string(procName));
      break;
    case ProcKind::Get:
      AppendLine(block, u"' * Getter: " + std::u16string(procName));
      break;
    default:
      break;
  }
  AppendLine(block, u"' */");
  return block;
}

}  // namespace tamvo
