#include "host/posix/module_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/posix/code_page.h"
#include "host/posix/file_io.h"

namespace tamvo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Eight bytes a step: most of a module is ASCII.
bool IsAscii(std::string_view bytes) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, sizeof word);
    if (word & kHighBits) return false;
  }
  for (; i < bytes.size(); ++i) {
    if (bytes[i] & 0x80) return false;
  }
  return true;
}

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

}  // namespace

ModuleFile ModuleFile::Parse(std::string_view bytes, std::u16string_view stem,
                             const std::string& legacyCodePage, EncodingChoice choice) {
  return Parse(std::make_shared<const std::string>(bytes), stem, legacyCodePage, choice);
}

ModuleFile ModuleFile::Parse(std::shared_ptr<const std::string> bytes, std::u16string_view stem,
                             const std::string& legacyCodePage, EncodingChoice choice) {
  RefuseBinary(*bytes);
  // Lines are kept as 32-bit offsets into the bytes.
  if (bytes->size() > std::numeric_limits<std::uint32_t>::max()) {
    throw Failure(u"this file is 4 GiB or larger, too large for a module");
  }
  ModuleFile file;
  file.codePage_ = legacyCodePage;
  // Lines keep views of the bytes as read rather than copies of their own.
  file.bytes_ = std::move(bytes);
  file.SniffEncoding(choice);
  const auto lines = file.SplitLines();
  file.SetHiddenLinesAside(lines, file.DecodeLines(lines, choice), stem);
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

void ModuleFile::SniffEncoding(EncodingChoice choice) {
  const std::string_view bytes = *bytes_;
  text_ = bytes;
  if (bytes.starts_with(kByteOrderMark)) {
    encoding_ = FileEncoding::Utf8Bom;
    text_ = bytes.substr(kByteOrderMark.size());
    return;
  }
  encoding_ = FileEncoding::Legacy;
  if (choice == EncodingChoice::Utf8) encoding_ = FileEncoding::Utf8;
  if (choice != EncodingChoice::Detect) return;
  if (IsAscii(bytes) || !IsValidUtf8(bytes)) {
    return;
  }
  // A lead byte from E0 up starts a character from U+0800 up (Japanese text):
  // UTF-8 for sure. Below it, both readings are possible.
  const bool beyond07FF =
      std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
  bool legacyReadsIt = false;
  if (!beyond07FF) {
    try {
      legacyReadsIt = SharedCodePage(codePage_).Reads(bytes);
    } catch (const Failure&) {  // an unknown code page reads nothing
    }
  }
  if (!legacyReadsIt) encoding_ = FileEncoding::Utf8;
}

std::vector<ModuleFile::PhysicalLine> ModuleFile::SplitLines() {
  const std::string_view bytes = text_;
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
  auto add = [&](std::size_t start, std::size_t end) {
    lines.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)});
  };
  std::size_t start = 0;
  std::size_t nextLineFeed = find('\n', 0, bytes.size());
  while (start < bytes.size()) {
    if (nextLineFeed < start) nextLineFeed = find('\n', start, bytes.size());
    const std::size_t end = find('\r', start, nextLineFeed);
    add(start, end);
    if (end == bytes.size()) {
      endsWithLineEnd_ = false;
      break;
    }
    start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
  for (const auto& line : lines) {
    if (!EndOf(line).empty()) {
      defaultEnd_ = std::string(EndOf(line));
      break;
    }
  }
  return lines;
}

std::string_view ModuleFile::EndOf(PhysicalLine line) const {
  const std::size_t at = std::size_t{line.start} + line.size;
  if (at >= text_.size()) return {};
  return text_.substr(at, text_[at] == '\r' && at + 1 < text_.size() && text_[at + 1] == '\n' ? 2 : 1);
}

ModuleFile::DecodedLines ModuleFile::DecodeLines(const std::vector<PhysicalLine>& lines,
                                                 EncodingChoice choice) const {
  auto decode = [&](const std::string& encoding) {
    CodePage& codePage = SharedCodePage(encoding);
    // Plain ASCII reads as itself: such lines stay bytes. The others go to
    // the converter together, one LF after each, in one call: a call costs
    // far more than the few bytes of a line.
    std::vector<std::size_t> others;
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string_view bytes = TextOf(lines[i]);
      if (codePage.AsciiIsItself() && IsAscii(bytes)) continue;
      others.push_back(i);
      joined += bytes;
      joined += '\n';
    }
    DecodedLines decoded;
    decoded.lines.resize(lines.size());
    if (others.empty()) return decoded;
    std::u16string text;
    try {
      text = codePage.Decode(joined);
    } catch (const Failure&) {
    }
    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n')) != others.size()) {
      // Line by line, then: the first line that fails is named.
      text.clear();
      for (const std::size_t i : others) {
        try {
          text += codePage.Decode(TextOf(lines[i]));
        } catch (const Failure& failure) {
          throw Failure(u"line " + FromUtf8(std::to_string(i + 1)) + u": " + failure.Description());
        }
        text += u'\n';
      }
    }
    decoded.text = std::make_unique_for_overwrite<char16_t[]>(text.size());
    decoded.textSize = text.size();
    std::copy(text.begin(), text.end(), decoded.text.get());
    const std::u16string_view all(decoded.text.get(), text.size());
    std::size_t at = 0;
    for (const std::size_t i : others) {
      const std::size_t end = all.find(u'\n', at);
      decoded.lines[i] = all.substr(at, end - at);
      at = end + 1;
    }
    return decoded;
  };
  try {
    return decode(EncodingName());
  } catch (const Failure&) {
    // A file that the code page can't read but that is UTF-8 except for
    // surrogates written as UTF-8 (as some tools write a lone one) was meant
    // as UTF-8: its failure is told as UTF-8's, naming the surrogate.
    if (choice == EncodingChoice::Detect && encoding_ == FileEncoding::Legacy &&
        IsUtf8ButForSurrogates(text_))
      decode("UTF-8");
    throw;
  }
}

namespace {

// "Attribute " in any letter case. Its bytes are ASCII, which in the
// encodings of modules never stands for part of another character, so the
// bytes tell as well as the text.
bool IsAttributeLine(std::string_view bytes) {
  constexpr std::string_view kAttribute = "attribute ";
  if (bytes.size() < kAttribute.size()) return false;
  for (std::size_t i = 0; i < kAttribute.size(); ++i) {
    const char c = bytes[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kAttribute[i]) return false;
  }
  return true;
}

}  // namespace

void ModuleFile::SetHiddenLinesAside(const std::vector<PhysicalLine>& lines, DecodedLines decoded,
                                     std::u16string_view stem) {
  // The text of a line: decoded, or its ASCII bytes widened.
  auto textOf = [&](std::size_t i) {
    if (decoded.lines[i].data()) return std::u16string(decoded.lines[i]);
    const std::string_view bytes = TextOf(lines[i]);
    return std::u16string(bytes.begin(), bytes.end());
  };
  std::u16string componentName(stem);
  std::vector<LoadedLine> moduleLines;
  moduleLines.reserve(lines.size());
  bool inHeader = true;
  int blockDepth = 0;
  std::size_t blockStart = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view bytes = TextOf(lines[i]);
    bool hidden = false;
    // The lines of the header are few: they are read as text.
    if (inHeader) {
      const std::u16string text = textOf(i);
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
      } else if (IsAttributeLine(bytes)) {
        hidden = true;
      } else {
        inHeader = false;
      }
    } else {
      hidden = IsAttributeLine(bytes);
    }

    if (hidden) {
      if (IsAttributeLine(bytes)) {
        const std::u16string name = VbName(textOf(i));
        if (!name.empty()) componentName = name;
      }
      if (loadedCount_ == 0) {
        hiddenAbove_.push_back(lines[i]);
      } else {
        hiddenBelow_.push_back({loadedCount_ - 1, lines[i]});
      }
    } else {
      moduleLines.push_back({bytes, decoded.lines[i]});
      ++loadedCount_;
    }
  }
  // A header block that never ends would hide the whole module, and text the
  // commands add at its end would be hidden the next time: refuse the
  if (blockDepth > 0) {
    throw Failure(u"line " + FromUtf8(std::to_string(blockStart + 1)) +
                  u": the Begin block there has no End, so this is no exported module");
  }
  fileLineCount_ = static_cast<LineNumber>(lines.size());
  decoded.lines.clear();
  decoded.lines.shrink_to_fit();
  module_ = std::make_shared<MemoryModule>(
      std::move(componentName),
      LoadedBytes{bytes_, std::move(decoded.text), decoded.textSize, std::move(moduleLines)});
}

ModuleFile ModuleFile::Load(const std::filesystem::path& path, const std::string& legacyCodePage) {
  return Parse(ReadFileBytes(path), FromUtf8(path.stem().string()), legacyCodePage);
}

LineNumber ModuleFile::ModuleLineOfFileLine(LineNumber fileLine) const {
  if (fileLine < 1 || fileLine > fileLineCount_) {
    throw Failure(u"there is no line " + FromUtf8(std::to_string(fileLine)) + u": the file has " +
                  FromUtf8(std::to_string(fileLineCount_)) + u" lines");
  }
  // Hidden lines stand for no module line of their own: the file line less
  // the hidden lines at or above it. The hidden lines below a module line
  // come in the order of the file, so they are counted by a binary search.
  const auto line = static_cast<std::size_t>(fileLine);
  const std::size_t above = std::min(line, hiddenAbove_.size());
  const auto hiddenBelowIt =
      std::partition_point(hiddenBelow_.begin(), hiddenBelow_.end(), [&](const HiddenLine& hidden) {
        return FileLineOf(hidden, static_cast<std::size_t>(&hidden - hiddenBelow_.data())) <= line;
      });
  return static_cast<LineNumber>(line - above -
                                 static_cast<std::size_t>(hiddenBelowIt - hiddenBelow_.begin()));
}

LineNumber ModuleFile::FileLineOfModuleLine(LineNumber moduleLine) const {
  if (moduleLine < 1 || static_cast<std::size_t>(moduleLine) > loadedCount_) return moduleLine;
  // Line id moduleLine - 1 comes after the hidden lines below the lines above it.
  const auto id = static_cast<std::size_t>(moduleLine - 1);
  const auto hiddenAboveIt = std::partition_point(
      hiddenBelow_.begin(), hiddenBelow_.end(), [&](const HiddenLine& hidden) { return hidden.below < id; });
  return static_cast<LineNumber>(hiddenAbove_.size() + static_cast<std::size_t>(moduleLine) +
                                 static_cast<std::size_t>(hiddenAboveIt - hiddenBelow_.begin()));
}

std::size_t ModuleFile::FileLineOf(const HiddenLine& hidden, std::size_t index) const {
  // After the hidden lines at the top, the module lines up to its own and
  // the hidden lines before it.
  return hiddenAbove_.size() + hidden.below + 1 + index + 1;
}

std::string ModuleFile::Serialize() const {
  std::string bytes;
  Serialize([&](std::string_view piece) { bytes += piece; });
  return bytes;
}

void ModuleFile::Serialize(const std::function<void(std::string_view)>& sink) const {
  CodePage& codePage = SharedCodePage(EncodingName());
  MemoryModule& module = *module_;
  // Whatever can fail fails before the first piece: a new line with a
  // character the encoding lacks.
  module.ForEachLine([&](MemoryModule::LineId id, std::string_view, std::u16string_view text) {
    if (id < loadedCount_ || (codePage.AsciiIsItself() &&
                              std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; }))) {
      return;
    }
    try {
      codePage.Encode(text);
    } catch (const Failure& failure) {
      throw Failure(failure.Description() + u", the encoding of this file");
    }
  });
  // The pieces are taken from one buffer, handed on whenever it holds
  // kPiece bytes: small enough to stay in the cache, and a large module
  // isn't held twice.
  constexpr std::size_t kPiece = 1 << 16;
  std::string bytes(encoding_ == FileEncoding::Utf8Bom ? kByteOrderMark : "");
  bytes.reserve(2 * kPiece);
  auto handOn = [&] {
    if (bytes.size() < kPiece) return;
    sink(bytes);
    bytes.clear();
  };
  // A line's end is written when the next line comes: lines of a file with
  // mixed line ends can meet through an edit, and a lone CR before an empty
  // line that ends in LF would read back as one CR LF, losing the empty
  // line. That CR takes an LF of its own.
  std::string_view pendingEnd;
  bool first = true;
  auto endLine = [&](bool empty, std::string_view end) {
    if (end.empty()) end = defaultEnd_;
    if (!first) bytes += pendingEnd == "\r" && empty && end == "\n" ? "\r\n" : pendingEnd;
    pendingEnd = end;
    first = false;
  };
  // Lines that stood together in the file and still follow each other are
  // one run of its bytes, their ends included, copied in one go: the lone
  // CR above can't arise between them, as a CR then an LF read as one end.
  bool inRun = false;
  std::size_t runStart = 0;
  std::size_t runEnd = 0;  // where the run's last line ends, before its line end
  auto flushRun = [&] {
    bytes += text_.substr(runStart, runEnd - runStart);
    runStart = runEnd;
    handOn();
  };
  auto write = [&](PhysicalLine line) {
    if (inRun && line.start == runEnd + pendingEnd.size()) {
      runEnd = std::size_t{line.start} + line.size;
      // Only the file's last line has no end, and nothing follows it.
      pendingEnd = EndOf(line).empty() ? std::string_view(defaultEnd_) : EndOf(line);
      if (runEnd - runStart >= kPiece) flushRun();
      return;
    }
    if (inRun) flushRun();
    const std::string_view text = TextOf(line);
    endLine(text.empty(), EndOf(line));
    inRun = true;
    runStart = line.start;
    runEnd = runStart + text.size();
  };

  for (const auto& line : hiddenAbove_) write(line);
  // Hidden lines below a deleted line move down to just above the next
  // loaded line that stayed, so nothing hidden is ever lost.
  // Loaded lines keep their order through edits, so one pass over the
  // hidden lines meets each where it goes.
  std::size_t nextHidden = 0;
  auto writeHiddenBelowUpTo = [&](std::size_t id) {
    for (; nextHidden < hiddenBelow_.size() && hiddenBelow_[nextHidden].below <= id; ++nextHidden) {
      write(hiddenBelow_[nextHidden].line);
    }
  };
  module.ForEachLine([&](MemoryModule::LineId id, std::string_view loaded, std::u16string_view text) {
    if (id < loadedCount_) {
      if (id > 0) writeHiddenBelowUpTo(id - 1);
      // A line as loaded is still the view of its bytes in the file.
      write({static_cast<std::uint32_t>(loaded.data() - text_.data()),
             static_cast<std::uint32_t>(loaded.size())});
      writeHiddenBelowUpTo(id);
    } else {
      if (inRun) flushRun();
      inRun = false;
      endLine(text.empty(), defaultEnd_);
      codePage.EncodeTo(text, bytes);
      handOn();
    }
  });
  writeHiddenBelowUpTo(loadedCount_);
  if (inRun) flushRun();
  if (!first && endsWithLineEnd_) bytes += pendingEnd;
  if (!bytes.empty()) sink(bytes);
}

}  // namespace tamvo
