#include "host/module_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page.h"
#include "host/file_io.h"

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
  readsBothWays_ = legacyReadsIt;
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
  } catch (const Failure& failure) {
    // A file that the code page can't read but that is UTF-8 except for
    // surrogates written as UTF-8 (as some tools write a lone one) was meant
    // as UTF-8: its failure is told as UTF-8's, naming the surrogate.
    if (choice == EncodingChoice::Detect && encoding_ == FileEncoding::Legacy &&
        IsUtf8ButForSurrogates(text_))
      decode("UTF-8");
    // A byte order mark leaves no other reading; without one the file may
    // be in an encoding that only the user knows.
    if (encoding_ == FileEncoding::Utf8Bom) throw;
    throw Failure(failure.Description() + u"; if the file is in another encoding, name it with --encoding");
  }
}

void ModuleFile::SetHiddenLinesAside(const std::vector<PhysicalLine>& lines, DecodedLines decoded,
                                     std::u16string_view stem) {
  // The text of a line: decoded, or its ASCII bytes widened.
  auto textOf = [&](std::size_t i) {
    if (decoded.lines[i].data()) return std::u16string(decoded.lines[i]);
    const std::string_view bytes = TextOf(lines[i]);
    return std::u16string(bytes.begin(), bytes.end());
  };
  HiddenLineReader reader(stem);
  ModuleLineMap map;
  std::vector<std::u16string> hiddenTexts;
  std::vector<LoadedLine> moduleLines;
  moduleLines.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view bytes = TextOf(lines[i]);
    // Below the header the bytes tell a line that can't be hidden: most
    // lines of a large module are never widened here.
    if (!reader.InHeader() && !HiddenLineReader::IsAttributeLine(bytes)) {
      map.AddModuleLine();
      moduleLines.push_back({bytes, decoded.lines[i]});
      continue;
    }
    std::u16string text = textOf(i);
    if (reader.IsHidden(text)) {
      map.AddHiddenLine();
      hidden_.push_back(lines[i]);
      hiddenTexts.push_back(std::move(text));
    } else {
      map.AddModuleLine();
      moduleLines.push_back({bytes, decoded.lines[i]});
    }
  }
  reader.Finish();
  decoded.lines.clear();
  decoded.lines.shrink_to_fit();
  auto module = std::make_shared<MemoryModule>(
      reader.Name(), LoadedBytes{bytes_, std::move(decoded.text), decoded.textSize, std::move(moduleLines)});
  exported_ = ExportedModule(std::move(module), std::move(hiddenTexts), std::move(map), reader);
}

ModuleFile ModuleFile::Load(const std::filesystem::path& path, const std::string& legacyCodePage) {
  return Parse(ReadFileBytes(path), FromUtf8(path.stem().string()), legacyCodePage);
}

std::string ModuleFile::Serialize() const {
  std::string bytes;
  Serialize([&](std::string_view piece) { bytes += piece; });
  return bytes;
}

// Writes a module's lines as bytes, handed on in pieces: lines that stood
// together in the file and still follow each other as one run of the
// file's bytes, their ends included, copied in one go; any other line as
// its own bytes and an end.
class ModuleFile::RunWriter {
 public:
  RunWriter(const ModuleFile& file, const std::function<void(std::string_view)>& sink)
      : file_(file), sink_(sink), bytes_(file.encoding_ == FileEncoding::Utf8Bom ? kByteOrderMark : "") {
    bytes_.reserve(2 * kPiece);
  }

  // A line of the file, as it was read.
  void Write(PhysicalLine line) {
    if (inRun_ && line.start == runEnd_ + pendingEnd_.size()) {
      runEnd_ = std::size_t{line.start} + line.size;
      // Only the file's last line has no end, and nothing follows it.
      pendingEnd_ = file_.EndOf(line).empty() ? std::string_view(file_.defaultEnd_) : file_.EndOf(line);
      if (runEnd_ - runStart_ >= kPiece) FlushRun();
      return;
    }
    if (inRun_) FlushRun();
    const std::string_view text = file_.TextOf(line);
    EndLine(text.empty(), file_.EndOf(line));
    inRun_ = true;
    runStart_ = line.start;
    runEnd_ = runStart_ + text.size();
  }

  // A line of new text, its bytes given, ended as the file's lines mostly are.
  void WriteNew(bool empty, const std::function<void(std::string&)>& appendBytes) {
    if (inRun_) FlushRun();
    inRun_ = false;
    EndLine(empty, file_.defaultEnd_);
    appendBytes(bytes_);
    HandOn();
  }

  void Finish() {
    if (inRun_) FlushRun();
    if (!first_ && file_.endsWithLineEnd_) bytes_ += pendingEnd_;
    if (!bytes_.empty()) sink_(bytes_);
  }

 private:
  // The pieces are taken from one buffer, handed on whenever it holds
  // kPiece bytes: small enough to stay in the cache, and a large module
  // isn't held twice.
  static constexpr std::size_t kPiece = 1 << 16;

  void HandOn() {
    if (bytes_.size() < kPiece) return;
    sink_(bytes_);
    bytes_.clear();
  }

  // A line's end is written when the next line comes: lines of a file with
  // mixed line ends can meet through an edit, and a lone CR before an empty
  // line that ends in LF would read back as one CR LF, losing the empty
  // line. That CR takes an LF of its own. Within a run it can't arise, as a
  // CR then an LF read as one end.
  void EndLine(bool empty, std::string_view end) {
    if (end.empty()) end = file_.defaultEnd_;
    if (!first_) bytes_ += pendingEnd_ == "\r" && empty && end == "\n" ? "\r\n" : pendingEnd_;
    pendingEnd_ = end;
    first_ = false;
  }

  void FlushRun() {
    bytes_ += file_.text_.substr(runStart_, runEnd_ - runStart_);
    runStart_ = runEnd_;
    HandOn();
  }

  const ModuleFile& file_;
  const std::function<void(std::string_view)>& sink_;
  std::string bytes_;
  std::string_view pendingEnd_;
  bool first_ = true;
  bool inRun_ = false;
  std::size_t runStart_ = 0;
  std::size_t runEnd_ = 0;  // where the run's last line ends, before its line end
};

void ModuleFile::RefuseUnwritable(CodePage& codePage) const {
  const std::size_t loadedCount = exported_.LineMap().ModuleLineCount();
  // A file that reads both ways was read in the code page on a guess, which
  // text a command composes would settle: were the guess wrong, the file
  // would hold UTF-8 and the code page at once. Text taken from the file (a
  // line moved, a description kept) goes back as its own bytes, right
  // either way; it is told by its runs of non-ASCII characters, which the
  // file holds.
  std::u16string fileText;
  auto takenFromFile = [&](std::u16string_view text) {
    if (fileText.empty()) fileText = codePage.Decode(text_);
    for (std::size_t at = 0; at < text.size();) {
      std::size_t end = at;
      while (end < text.size() && text[end] >= 0x80) ++end;
      if (end > at && fileText.find(text.substr(at, end - at)) == std::u16string::npos) return false;
      at = end + 1;
    }
    return true;
  };
  auto check = [&](std::u16string_view text) {
    if (codePage.AsciiIsItself() &&
        std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
      return;
    }
    if (readsBothWays_ && !takenFromFile(text)) {
      const std::u16string name = ToLowerAscii(FromUtf8(codePage_));
      throw Failure(u"this file reads as UTF-8 and as " + name +
                    u"; new text would mix the two: run again with --encoding utf-8 or --encoding " + name);
    }
    try {
      codePage.Encode(text);
    } catch (const Failure& failure) {
      throw Failure(failure.Description() + u", the encoding of this file");
    }
  };
  // New text: lines a command added, hidden lines with new text.
  exported_.Module()->ForEachLine([&](MemoryModule::LineId id, std::string_view, std::u16string_view text) {
    if (id >= loadedCount) check(text);
  });
  for (std::size_t i = 0; i < hidden_.size(); ++i) {
    if (exported_.HiddenLineChanged(i)) check(exported_.HiddenLines()[i]);
  }
  for (const ExportedModule::AddedLine& added : exported_.AddedLines()) check(added.text);
}

void ModuleFile::Serialize(const std::function<void(std::string_view)>& sink) const {
  CodePage& codePage = SharedCodePage(EncodingName());
  // Whatever can fail fails before the first piece.
  RefuseUnwritable(codePage);
  // A line a command moved reads as a line of the file: it goes back as that
  // line's bytes. A code page may spell one character two ways (cp932's NEC
  // and IBM extensions), and a move is no reason to respell it. UTF-8 has
  // one spelling, and ASCII is itself.
  std::unordered_map<std::u16string, std::string_view> readLines;
  bool readLinesIndexed = false;
  auto bytesOfReadLine = [&](std::u16string_view text) -> std::optional<std::string_view> {
    if (encoding_ != FileEncoding::Legacy ||
        std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; }))
      return std::nullopt;
    if (!readLinesIndexed) {
      readLinesIndexed = true;
      for (std::size_t at = 0; at < text_.size();) {
        std::size_t end = text_.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text_.size();
        const std::string_view line = text_.substr(at, end - at);
        if (std::any_of(line.begin(), line.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
          readLines.emplace(codePage.Decode(line), line);
        at = end + 1;
      }
    }
    const auto found = readLines.find(std::u16string(text));
    if (found == readLines.end()) return std::nullopt;
    return found->second;
  };

  const ModuleLineMap& map = exported_.LineMap();
  const std::size_t loadedCount = map.ModuleLineCount();
  RunWriter out(*this, sink);
  auto writeNew = [&](std::u16string_view text) {
    out.WriteNew(text.empty(), [&](std::string& bytes) {
      if (const auto read = bytesOfReadLine(text)) {
        bytes += *read;
      } else {
        codePage.EncodeTo(text, bytes);
      }
    });
  };
  // A hidden line as read, or with the text it was given.
  auto writeHidden = [&](std::size_t index) {
    if (exported_.HiddenLineChanged(index)) {
      writeNew(exported_.HiddenLines()[index]);
    } else {
      out.Write(hidden_[index]);
    }
  };
  const std::vector<ExportedModule::AddedLine>& added = exported_.AddedLines();
  std::size_t nextAdded = 0;
  auto writeAdded = [&](std::size_t linesAbove) {
    for (; nextAdded < added.size() && added[nextAdded].linesAbove <= linesAbove; ++nextAdded) {
      writeNew(added[nextAdded].text);
    }
  };
  std::size_t nextHidden = 0;
  for (; nextHidden < map.HiddenAbove(); ++nextHidden) writeHidden(nextHidden);
  writeAdded(0);
  // Hidden lines below a deleted line move down to just above the next
  // loaded line that stayed, so nothing hidden is ever lost. Loaded lines
  // keep their order through edits, so one pass over the hidden lines
  // meets each where it goes.
  const std::vector<std::size_t>& below = map.HiddenBelow();
  std::size_t nextBelow = 0;
  auto writeHiddenUpTo = [&](std::size_t linesAbove) {
    for (; nextBelow < below.size() && below[nextBelow] <= linesAbove; ++nextBelow) writeHidden(nextHidden++);
  };
  exported_.Module()->ForEachLine(
      [&](MemoryModule::LineId id, std::string_view loaded, std::u16string_view text) {
        if (id < loadedCount) {
          writeHiddenUpTo(id);
          // A line as loaded is still the view of its bytes in the file.
          out.Write({static_cast<std::uint32_t>(loaded.data() - text_.data()),
                     static_cast<std::uint32_t>(loaded.size())});
          writeAdded(id + 1);
          writeHiddenUpTo(id + 1);
          return;
        }
        writeNew(text);
      });
  writeAdded(loadedCount);
  writeHiddenUpTo(loadedCount);
  out.Finish();
}

}  // namespace tamvo
