#include "host/exported_module.h"

#include <algorithm>
#include <string>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

namespace {

std::u16string_view FirstWord(std::u16string_view line) {
  std::size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  std::size_t end = start;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  return line.substr(start, end - start);
}

// Object = "{GUID}#2.0#0"; "MSCOMCTL.OCX": a control library that a VB6 form
// uses, named between its VERSION line and its Begin block.
bool IsObjectLine(std::u16string_view line) {
  if (!StartsWithIgnoreCase(line, u"Object")) return false;
  std::size_t i = std::u16string_view(u"Object").size();
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i < line.size() && line[i] == u'=';
}

// Attribute VB_Name = "Module1" gives Module1.
std::u16string VbName(std::u16string_view line) {
  std::u16string_view rest = line.substr(std::u16string_view(u"Attribute ").size());
  rest = rest.substr(std::min(rest.find_first_not_of(u' '), rest.size()));
  if (!StartsWithIgnoreCase(rest, u"VB_Name")) return {};
  const auto open = rest.find(u'"');
  const auto close = rest.rfind(u'"');
  if (open == std::u16string_view::npos || close <= open) return {};
  return std::u16string(rest.substr(open + 1, close - open - 1));
}

// What a hidden header line says of the module's kind, Standard for nothing.
ModuleKind KindOfHeaderLine(std::u16string_view line) {
  const auto has = [&](std::u16string_view text) { return line.find(text) != std::u16string_view::npos; };
  // The base of ThisWorkbook and of sheets: the workbook's and the sheet's
  // type library classes.
  if (has(u"VB_Base = \"0{00020819-") || has(u"VB_Base = \"0{00020820-")) return ModuleKind::Document;
  if (has(u"Begin VB.Form") || has(u"Begin {C62A69F0-")) return ModuleKind::Form;
  if (has(u"VERSION 1.0 CLASS")) return ModuleKind::Class;
  return ModuleKind::Standard;
}

// The kinds rank as their evidence does: a document's module is a class
// with a form's or a document's base, a form a class with controls.
ModuleKind Stronger(ModuleKind a, ModuleKind b) { return std::max(a, b); }

// The value of `Attribute NAME.VB_Description = "..."` (the member's, or with
// no member the module's own), or nothing for another line.
std::optional<std::u16string> DescriptionOf(std::u16string_view line, std::u16string_view member) {
  if (!HiddenLineReader::IsAttributeLine(line)) return std::nullopt;
  std::u16string_view rest = StripBlanks(line.substr(std::u16string_view(u"Attribute ").size()));
  if (!member.empty()) {
    if (!StartsWithIgnoreCase(rest, member) || rest.substr(member.size()).substr(0, 1) != u".")
      return std::nullopt;
    rest.remove_prefix(member.size() + 1);
  }
  constexpr std::u16string_view kName = u"VB_Description";
  if (!StartsWithIgnoreCase(rest, kName)) return std::nullopt;
  rest = StripBlanks(rest.substr(kName.size()));
  if (!rest.starts_with(u'=')) return std::nullopt;
  rest = StripBlanks(rest.substr(1));
  if (rest.size() < 2 || rest.front() != u'"' || rest.back() != u'"') return std::nullopt;
  std::u16string value;
  rest = rest.substr(1, rest.size() - 2);
  for (std::size_t i = 0; i < rest.size(); ++i) {
    value += rest[i];
    if (rest[i] == u'"' && i + 1 < rest.size() && rest[i + 1] == u'"') ++i;
  }
  return value;
}

std::u16string DescriptionLine(std::u16string_view member, std::u16string_view description) {
  std::u16string line = u"Attribute ";
  if (!member.empty()) line += std::u16string(member) + u".";
  line += u"VB_Description = \"";
  for (const char16_t c : description) {
    if (c == u'\r' || c == u'\n') {
      if (!line.ends_with(u' ')) line += u' ';
    } else {
      line += c;
      if (c == u'"') line += u'"';
    }
  }
  return line + u"\"";
}

// A line end as one of three literals, which outlive any text read.
std::u16string_view LiteralEnd(std::u16string_view end) {
  if (end == u"\r\n") return u"\r\n";
  if (end == u"\r") return u"\r";
  if (end == u"\n") return u"\n";
  return {};
}

}  // namespace

ModuleKind ModuleKindOfExtension(std::u16string_view extension) {
  const std::u16string ext = ToLowerAscii(extension);
  if (ext == u".doccls") return ModuleKind::Document;
  if (ext == u".frm") return ModuleKind::Form;
  if (ext == u".cls") return ModuleKind::Class;
  return ModuleKind::Standard;
}

bool HiddenLineReader::IsAttributeLine(std::string_view bytes) {
  constexpr std::string_view kAttribute = "attribute ";
  if (bytes.size() < kAttribute.size()) return false;
  for (std::size_t i = 0; i < kAttribute.size(); ++i) {
    const char c = bytes[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kAttribute[i]) return false;
  }
  return true;
}

bool HiddenLineReader::IsAttributeLine(std::u16string_view text) {
  return StartsWithIgnoreCase(text, u"Attribute ");
}

bool HiddenLineReader::IsHidden(std::u16string_view text) {
  const std::size_t index = lineIndex_++;
  bool hidden = false;
  if (inHeader_) {
    const auto word = FirstWord(text);
    if (blockDepth_ > 0) {
      hidden = true;
      if (EqualsIgnoreCase(word, u"Begin")) ++blockDepth_;
      if (EqualsIgnoreCase(word, u"End")) --blockDepth_;
    } else if (StartsWithIgnoreCase(text, u"VERSION ") || IsObjectLine(text) || IsAttributeLine(text)) {
      hidden = true;
    } else if (EqualsIgnoreCase(word, u"Begin")) {
      hidden = true;
      blockDepth_ = 1;
      blockStart_ = index;
    } else {
      inHeader_ = false;
    }
    if (hidden) kind_ = Stronger(kind_, KindOfHeaderLine(text));
  } else {
    hidden = IsAttributeLine(text);
  }
  if (hidden && IsAttributeLine(text)) {
    std::u16string name = VbName(text);
    if (!name.empty()) name_ = std::move(name);
  }
  return hidden;
}

void HiddenLineReader::Finish() const {
  if (blockDepth_ > 0) {
    throw Failure(u"line " + FromUtf8(std::to_string(blockStart_ + 1)) +
                  u": the Begin block there has no End, so this is no exported module");
  }
}

void ModuleLineMap::AddHiddenLine() {
  if (moduleLineCount_ == 0) {
    ++hiddenAbove_;
  } else {
    hiddenBelow_.push_back(moduleLineCount_);
  }
}

LineNumber ModuleLineMap::ModuleLineOfFileLine(LineNumber fileLine) const {
  if (fileLine < 1 || fileLine > FileLineCount()) {
    throw Failure(u"there is no line " + FromUtf8(std::to_string(fileLine)) + u": the file has " +
                  FromUtf8(std::to_string(FileLineCount())) + u" lines");
  }
  // Hidden lines stand for no module line of their own: the file line less
  // the hidden lines at or above it. The i-th hidden line below the top
  // stands at file line hiddenAbove + (module lines above it) + i + 1, which
  // grows with i: a binary search counts those at or above.
  const auto line = static_cast<std::size_t>(fileLine);
  const std::size_t above = std::min(line, hiddenAbove_);
  const auto below =
      std::partition_point(hiddenBelow_.begin(), hiddenBelow_.end(), [&](const std::size_t& lines) {
        const auto index = static_cast<std::size_t>(&lines - hiddenBelow_.data());
        return hiddenAbove_ + lines + index + 1 <= line;
      });
  return static_cast<LineNumber>(line - above - static_cast<std::size_t>(below - hiddenBelow_.begin()));
}

LineNumber ModuleLineMap::FileLineOfModuleLine(LineNumber moduleLine) const {
  if (moduleLine < 1 || static_cast<std::size_t>(moduleLine) > moduleLineCount_) return moduleLine;
  // The module line comes after the hidden lines below the lines above it.
  const auto above = static_cast<std::size_t>(moduleLine - 1);
  const auto hidden = std::partition_point(hiddenBelow_.begin(), hiddenBelow_.end(),
                                           [&](std::size_t lines) { return lines <= above; });
  return static_cast<LineNumber>(hiddenAbove_ + static_cast<std::size_t>(moduleLine) +
                                 static_cast<std::size_t>(hidden - hiddenBelow_.begin()));
}

std::vector<LineNumber> ModuleLineMap::FileLinesOfModuleLines() const {
  std::vector<LineNumber> fileLines(moduleLineCount_ + 1, 0);
  std::size_t hidden = 0;
  for (std::size_t line = 1; line < fileLines.size(); ++line) {
    while (hidden < hiddenBelow_.size() && hiddenBelow_[hidden] <= line - 1) ++hidden;
    fileLines[line] = static_cast<LineNumber>(hiddenAbove_ + line + hidden);
  }
  return fileLines;
}

ExportedModule ExportedModule::FromText(std::u16string_view text, std::u16string_view stem) {
  HiddenLineReader reader(stem);
  ModuleLineMap map;
  std::vector<std::u16string> moduleLines;
  std::vector<std::u16string> hidden;
  std::vector<std::u16string_view> moduleEnds;
  std::vector<std::u16string_view> hiddenEnds;
  std::u16string_view defaultEnd;
  bool endsWithLineEnd = true;
  ForEachLine(text, [&](std::u16string_view line, std::u16string_view end) {
    // The empty piece after a last line end is no line of the file.
    if (end.empty() && line.empty()) return true;
    if (end.empty()) endsWithLineEnd = false;
    if (defaultEnd.empty()) defaultEnd = LiteralEnd(end);
    if (reader.IsHidden(line)) {
      map.AddHiddenLine();
      hidden.emplace_back(line);
      hiddenEnds.push_back(LiteralEnd(end));
    } else {
      map.AddModuleLine();
      moduleLines.emplace_back(line);
      moduleEnds.push_back(LiteralEnd(end));
    }
    return true;
  });
  reader.Finish();
  ExportedModule exported(std::make_shared<MemoryModule>(reader.Name(), std::move(moduleLines)),
                          std::move(hidden), std::move(map), reader);
  exported.moduleEnds_ = std::move(moduleEnds);
  exported.hiddenEnds_ = std::move(hiddenEnds);
  if (!defaultEnd.empty()) exported.defaultEnd_ = defaultEnd;
  exported.endsWithLineEnd_ = endsWithLineEnd;
  return exported;
}

ExportedModule::ExportedModule(std::shared_ptr<MemoryModule> module, std::vector<std::u16string> hidden,
                               ModuleLineMap map, const HiddenLineReader& reader)
    : module_(std::move(module)),
      hidden_(std::move(hidden)),
      map_(std::move(map)),
      name_(reader.Name()),
      kind_(reader.Kind()) {}

std::optional<std::u16string> ExportedModule::Description(LineNumber declarationEnd,
                                                          std::u16string_view member) const {
  // The lines read below the declaration (or above the module's first
  // line), and those added there since.
  std::size_t linesAbove = 0;
  if (declarationEnd > 0) {
    const std::size_t id = module_->IdOfLine(declarationEnd);
    if (id >= map_.ModuleLineCount()) return std::nullopt;
    linesAbove = id + 1;
  }
  for (const AddedLine& added : added_) {
    if (added.linesAbove != linesAbove) continue;
    if (auto value = DescriptionOf(added.text, member)) return value;
  }
  if (linesAbove == 0) {
    for (std::size_t i = 0; i < map_.HiddenAbove(); ++i) {
      if (auto value = DescriptionOf(hidden_[i], member)) return value;
    }
    return std::nullopt;
  }
  const std::vector<std::size_t>& below = map_.HiddenBelow();
  for (std::size_t j = 0; j < below.size(); ++j) {
    if (below[j] != linesAbove) continue;
    if (auto value = DescriptionOf(hidden_[map_.HiddenAbove() + j], member)) return value;
  }
  return std::nullopt;
}

void ExportedModule::SetDescription(LineNumber declarationEnd, std::u16string_view member,
                                    std::u16string_view description) {
  std::u16string line = DescriptionLine(member, description);
  std::size_t linesAbove = 0;
  if (declarationEnd > 0) {
    const std::size_t id = module_->IdOfLine(declarationEnd);
    // A declaration the commands wrote has no hidden lines to go below.
    if (id >= map_.ModuleLineCount()) return;
    linesAbove = id + 1;
  }
  for (AddedLine& added : added_) {
    if (added.linesAbove == linesAbove && DescriptionOf(added.text, member)) {
      added.text = std::move(line);
      return;
    }
  }
  changed_.resize(hidden_.size());
  const std::vector<std::size_t>& below = map_.HiddenBelow();
  for (std::size_t i = 0; i < hidden_.size(); ++i) {
    const bool here = linesAbove == 0
                          ? i < map_.HiddenAbove()
                          : i >= map_.HiddenAbove() && below[i - map_.HiddenAbove()] == linesAbove;
    if (!here || !DescriptionOf(hidden_[i], member)) continue;
    if (hidden_[i] != line) {
      hidden_[i] = std::move(line);
      changed_[i] = true;
    }
    return;
  }
  const auto at = std::find_if(added_.begin(), added_.end(),
                               [&](const AddedLine& added) { return added.linesAbove > linesAbove; });
  added_.insert(at, {linesAbove, std::move(line)});
}

std::u16string ExportedModule::Text() const {
  std::u16string text;
  // A line's end is written when the next line comes: a lone CR before an
  // empty line that ends in LF would read back as one CR LF, losing the
  // empty line, so that CR takes an LF of its own.
  std::u16string_view pendingEnd;
  bool first = true;
  auto write = [&](std::u16string_view line, std::u16string_view end) {
    if (end.empty()) end = defaultEnd_;
    if (!first) text += pendingEnd == u"\r" && line.empty() && end == u"\n" ? u"\r\n" : pendingEnd;
    text += line;
    pendingEnd = end;
    first = false;
  };
  const auto endOf = [](const std::vector<std::u16string_view>& ends, std::size_t i) {
    return i < ends.size() ? ends[i] : std::u16string_view();
  };
  std::size_t nextAdded = 0;
  auto writeAdded = [&](std::size_t linesAbove) {
    for (; nextAdded < added_.size() && added_[nextAdded].linesAbove <= linesAbove; ++nextAdded) {
      write(added_[nextAdded].text, std::u16string_view());
    }
  };
  std::size_t index = 0;
  for (; index < map_.HiddenAbove(); ++index) write(hidden_[index], endOf(hiddenEnds_, index));
  writeAdded(0);
  const std::vector<std::size_t>& below = map_.HiddenBelow();
  std::size_t nextBelow = 0;
  auto writeHiddenUpTo = [&](std::size_t linesAbove) {
    for (; nextBelow < below.size() && below[nextBelow] <= linesAbove; ++nextBelow, ++index) {
      write(hidden_[index], endOf(hiddenEnds_, index));
    }
  };
  std::u16string widened;
  module_->ForEachLine([&](MemoryModule::LineId id, std::string_view bytes, std::u16string_view line) {
    // A line read from bytes comes as its ASCII bytes.
    if (line.empty() && !bytes.empty()) {
      widened.assign(bytes.begin(), bytes.end());
      line = widened;
    }
    if (id < map_.ModuleLineCount()) {
      writeHiddenUpTo(id);
      write(line, endOf(moduleEnds_, id));
      writeAdded(id + 1);
      writeHiddenUpTo(id + 1);
    } else {
      write(line, defaultEnd_);
    }
  });
  writeAdded(map_.ModuleLineCount());
  writeHiddenUpTo(map_.ModuleLineCount());
  if (!first && endsWithLineEnd_) text += pendingEnd;
  return text;
}

}  // namespace tamvo
