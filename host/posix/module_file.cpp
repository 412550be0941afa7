#include "host/posix/module_file.h"

#include <algorithm>
#include <cstring>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/posix/code_page.h"
#include "host/posix/file_io.h"

namespace tamvo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::u16string_view FirstWord(std::u16string_view line) {
  std::size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  std::size_t end = start;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  return line.substr(start, end - start);
}

bool IsAttributeLine(std::u16string_view line) { return StartsWithIgnoreCase(line, u"Attribute "); }

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

}  // namespace

ModuleFile ModuleFile::Parse(std::string_view bytes, std::u16string_view stem,
                             const std::string& legacyCodePage, EncodingChoice choice) {
  return Parse(std::make_shared<const std::string>(bytes), stem, legacyCodePage, choice);
}

ModuleFile ModuleFile::Parse(std::shared_ptr<const std::string> bytes, std::u16string_view stem,
                             const std::string& legacyCodePage, EncodingChoice choice) {
  RefuseBinary(*bytes);
  ModuleFile file;
  file.codePage_ = legacyCodePage;
  // Lines keep views of the bytes as read rather than copies of their own.
  file.bytes_ = std::move(bytes);
  const std::string_view text = file.SniffEncoding(*file.bytes_, choice);
  const auto lines = file.SplitLines(text);
  file.SetHiddenLinesAside(lines, file.DecodeLines(lines, text, choice), stem);
  return file;
}

void ModuleFile::RefuseBinary(std::string_view bytes) {
  if (bytes.find('\0') == std::string_view::npos) return;
  // The editor never exports UTF-16, but a text editor may have saved it so.
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    throw Failure(
        u"this file is UTF-16, which exported modules never are; save it as UTF-8 or in the code page");
  }
  throw Failure(u"this is a binary file, not an exported module");
}

std::string_view ModuleFile::SniffEncoding(std::string_view bytes, EncodingChoice choice) {
  if (bytes.starts_with(kByteOrderMark)) {
    encoding_ = FileEncoding::Utf8Bom;
    return bytes.substr(kByteOrderMark.size());
  }
  encoding_ = FileEncoding::Legacy;
  if (choice == EncodingChoice::Utf8) encoding_ = FileEncoding::Utf8;
  if (choice != EncodingChoice::Detect) return bytes;
  if (std::none_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) ||
      !IsValidUtf8(bytes)) {
    return bytes;
  }
  // A lead byte from E0 up starts a character from U+0800 up (Japanese text):
  // UTF-8 for sure. Below it, both readings are possible.
  const bool beyond07FF =
      std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
  bool legacyReadsIt = false;
  if (!beyond07FF) {
    try {
      legacyReadsIt = CodePage(codePage_).Reads(bytes);
    } catch (const Failure&) {  // an unknown code page reads nothing
    }
  }
  if (!legacyReadsIt) encoding_ = FileEncoding::Utf8;
  return bytes;
}

std::vector<ModuleFile::PhysicalLine> ModuleFile::SplitLines(std::string_view bytes) {
  // memchr looks at many bytes a step. The next LF is remembered, so that a
  // file of lone CRs isn't searched to its end for every line.
  auto find = [&](char c, std::size_t from, std::size_t to) {
    const void* found = std::memchr(bytes.data() + from, c, to - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data()) : to;
  };
  std::size_t lineFeeds = 0;
  for (std::size_t at = 0; (at = find('\n', at, bytes.size())) < bytes.size(); ++at) ++lineFeeds;
  std::vector<PhysicalLine> lines;
  lines.reserve(1 + lineFeeds);  // a file of lone CRs grows it
  std::size_t start = 0;
  std::size_t nextLineFeed = find('\n', 0, bytes.size());
  while (start < bytes.size()) {
    if (nextLineFeed < start) nextLineFeed = find('\n', start, bytes.size());
    const std::size_t end = find('\r', start, nextLineFeed);
    if (end == bytes.size()) {
      lines.push_back({bytes.substr(start), {}});
      endsWithLineEnd_ = false;
      break;
    }
    const std::size_t endLength =
        bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
    lines.push_back({bytes.substr(start, end - start), bytes.substr(end, endLength)});
    start = end + endLength;
  }
  for (const auto& line : lines) {
    if (!line.end.empty()) {
      defaultEnd_ = std::string(line.end);
      break;
    }
  }
  return lines;
}

std::vector<std::u16string> ModuleFile::DecodeLines(const std::vector<PhysicalLine>& lines,
                                                    std::string_view bytes, EncodingChoice choice) const {
  auto decodeLines = [&](const std::string& encoding) {
    CodePage codePage(encoding);
    std::vector<std::u16string> texts;
    texts.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      try {
        texts.push_back(codePage.Decode(lines[i].text));
      } catch (const Failure& failure) {
        throw Failure(u"line " + FromUtf8(std::to_string(i + 1)) + u": " + failure.Description());
      }
    }
    return texts;
  };
  try {
    return decodeLines(encoding_ == FileEncoding::Legacy ? codePage_ : "UTF-8");
  } catch (const Failure&) {
    // A file that the code page can't read but that is UTF-8 except for
    // surrogates written as UTF-8 (as some tools write a lone one) was meant
    // as UTF-8: its failure is told as UTF-8's, naming the surrogate.
    if (choice == EncodingChoice::Detect && encoding_ == FileEncoding::Legacy &&
        IsUtf8ButForSurrogates(bytes))
      decodeLines("UTF-8");
    throw;
  }
}

void ModuleFile::SetHiddenLinesAside(const std::vector<PhysicalLine>& lines,
                                     std::vector<std::u16string> texts, std::u16string_view stem) {
  std::u16string componentName(stem);
  std::vector<std::u16string> moduleLines;
  moduleLines.reserve(lines.size());
  loaded_.reserve(lines.size());
  moduleLineOfFileLine_.reserve(lines.size());
  bool inHeader = true;
  int blockDepth = 0;
  std::size_t blockStart = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::u16string& text = texts[i];
    bool hidden = false;
    if (inHeader) {
      const auto word = FirstWord(text);
      if (blockDepth > 0) {
        hidden = true;
        if (EqualsIgnoreCase(word, u"Begin")) ++blockDepth;
        if (EqualsIgnoreCase(word, u"End")) --blockDepth;
      } else if (StartsWithIgnoreCase(text, u"VERSION ") || IsObjectLine(text)) {
        hidden = true;
      } else if (EqualsIgnoreCase(word, u"Begin")) {
        hidden = true;
        blockDepth = 1;
        blockStart = i;
      } else if (IsAttributeLine(text)) {
        hidden = true;
      } else {
        inHeader = false;
      }
    } else {
      hidden = IsAttributeLine(text);
    }

    if (hidden) {
      if (IsAttributeLine(text) && !VbName(text).empty()) componentName = VbName(text);
      if (loaded_.empty()) {
        hiddenAbove_.push_back(lines[i]);
      } else {
        hiddenBelow_.push_back({loaded_.size() - 1, lines[i]});
      }
    } else {
      moduleLines.push_back(std::move(text));
      loaded_.push_back(lines[i]);
    }
    moduleLineOfFileLine_.push_back(static_cast<LineNumber>(loaded_.size()));
  }
  // A header block that never ends would hide the whole module, and text the
  // commands add at its end would be hidden the next time: refuse the
  if (blockDepth > 0) {
    throw Failure(u"line " + FromUtf8(std::to_string(blockStart + 1)) +
                  u": the Begin block there has no End, so this is no exported module");
  }
  fileLineCount_ = static_cast<LineNumber>(lines.size());
  module_ = std::make_shared<MemoryModule>(std::move(componentName), std::move(moduleLines));
}

ModuleFile ModuleFile::Load(const std::filesystem::path& path, const std::string& legacyCodePage) {
  return Parse(ReadFileBytes(path), FromUtf8(path.stem().string()), legacyCodePage);
}

LineNumber ModuleFile::ModuleLineOfFileLine(LineNumber fileLine) const {
  if (fileLine < 1 || fileLine > fileLineCount_) {
    throw Failure(u"there is no line " + FromUtf8(std::to_string(fileLine)) + u": the file has " +
                  FromUtf8(std::to_string(fileLineCount_)) + u" lines");
  }
  return moduleLineOfFileLine_[static_cast<std::size_t>(fileLine - 1)];
}

std::string ModuleFile::Serialize() const {
  CodePage codePage(encoding_ == FileEncoding::Legacy ? codePage_ : "UTF-8");
  std::string bytes(encoding_ == FileEncoding::Utf8Bom ? kByteOrderMark : "");
  // Room for the most the result can take, reserved once: the old bytes,
  // each new line at three bytes a character (no encoding here takes more)
  // with its line end, and a CR that a lone CR may gain. Pages reserved but
  // never written cost no memory; growing and copying would.
  MemoryModule& module = *module_;
  std::size_t most = bytes_->size() + kByteOrderMark.size();
  for (LineNumber line = 1; line <= module.CountOfLines(); ++line) {
    most += 1 + (module.IdOfLine(line) < loaded_.size() ? 0 : 3 * module.LineText(line).size() + 2);
  }
  bytes.reserve(most);
  // A line's end is written when the next line comes: lines of a file with
  // mixed line ends can meet through an edit, and a lone CR before an empty
  // line that ends in LF would read back as one CR LF, losing the empty
  // line. That CR takes an LF of its own.
  std::string_view pendingEnd;
  bool first = true;
  auto write = [&](std::string_view text, std::string_view end) {
    if (end.empty()) end = defaultEnd_;
    if (!first) bytes += pendingEnd == "\r" && text.empty() && end == "\n" ? "\r\n" : pendingEnd;
    bytes += text;
    pendingEnd = end;
    first = false;
  };
  auto writeAll = [&](const std::vector<PhysicalLine>& lines) {
    for (const auto& line : lines) write(line.text, line.end);
  };

  writeAll(hiddenAbove_);
  // Hidden lines below a deleted line move down to just above the next
  // loaded line that stayed, so nothing hidden is ever lost.
  // Loaded lines keep their order through edits, so one pass over the
  // hidden lines meets each where it goes.
  std::size_t nextHidden = 0;
  auto writeHiddenBelowUpTo = [&](std::size_t id) {
    for (; nextHidden < hiddenBelow_.size() && hiddenBelow_[nextHidden].below <= id; ++nextHidden) {
      write(hiddenBelow_[nextHidden].line.text, hiddenBelow_[nextHidden].line.end);
    }
  };
  for (LineNumber line = 1; line <= module.CountOfLines(); ++line) {
    const auto id = module.IdOfLine(line);
    if (id < loaded_.size()) {
      if (id > 0) writeHiddenBelowUpTo(id - 1);
      write(loaded_[id].text, loaded_[id].end);
      writeHiddenBelowUpTo(id);
    } else {
      try {
        write(codePage.Encode(module.LineText(line)), defaultEnd_);
      } catch (const Failure& failure) {
        throw Failure(failure.Description() + u", the encoding of this file");
      }
    }
  }
  writeHiddenBelowUpTo(loaded_.size());
  if (!first && endsWithLineEnd_) bytes += pendingEnd;
  return bytes;
}

}  // namespace tamvo
