#pragma once
// An exported module file (.bas, .cls, .frm and the like) around the
// MemoryModule that the commands edit.
//
// The lines the editor hides (the VERSION line, BEGIN ... END blocks,
// Attribute lines) are not part of the module; they go back where they
// stood, under the line they followed. Lines the commands left alone are
// written back with their own bytes and line ends, so a load and save with
// no command gives the file back byte for byte.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/exported_module.h"
#include "host/memory_module.h"

namespace tamvo {

class CodePage;

enum class FileEncoding {
  Legacy,   // the legacy code page (cp932 unless told otherwise)
  Utf8,     // UTF-8 without a byte order mark
  Utf8Bom,  // UTF-8 with a byte order mark
};

// How the encoding of a file without a byte order mark is found.
enum class EncodingChoice {
  Detect,  // UTF-8 or the legacy code page, by the bytes
  Legacy,  // always the legacy code page
  Utf8,    // always UTF-8
};

class ModuleFile {
 public:
  // Reads an exported module from its bytes. A UTF-8 byte order mark means
  // UTF-8 whatever the choice. Detect takes valid UTF-8 with non-ASCII text
  // for UTF-8, unless all of its characters lie below U+0800 and the bytes
  // also read in the legacy code page: half-width katakana in cp932 (C3 BD
  // is "ﾃｽ") are valid UTF-8 too, and a module of Latin text in UTF-8 is
  // rarer than one of katakana in cp932. Anything else is the legacy code
  // page. stem names the module when it has no VB_Name.
  // Throws Failure for binary data, a header Begin block without its End,
  // and bytes the encoding can't read; for a file that is UTF-8 but for
  // surrogates written as UTF-8, the failure names the first of them.
  static ModuleFile Parse(std::string_view bytes, std::u16string_view stem,
                          const std::string& legacyCodePage = "CP932",
                          EncodingChoice choice = EncodingChoice::Detect);
  // The same, keeping the bytes given rather than a copy of them.
  static ModuleFile Parse(std::shared_ptr<const std::string> bytes, std::u16string_view stem,
                          const std::string& legacyCodePage = "CP932",
                          EncodingChoice choice = EncodingChoice::Detect);
  static ModuleFile Load(const std::filesystem::path& path, const std::string& legacyCodePage = "CP932");

  // The module as lines of text: what the commands edit, the hidden lines,
  // the module's name and kind, the map of lines.
  const ExportedModule& Exported() const { return exported_; }
  ExportedModule& Exported() { return exported_; }
  // The module the commands see and edit.
  const std::shared_ptr<MemoryModule>& Module() const { return exported_.Module(); }
  FileEncoding Encoding() const { return encoding_; }
  // True when Detect read the file in the legacy code page though it is
  // valid UTF-8 too (see Parse). Serialize then refuses new text that is
  // not ASCII unless it comes from the file: written in the code page, it
  // would be wrong beside the rest were the file UTF-8 after all.
  bool ReadsBothWays() const { return readsBothWays_; }

  // The map between the file's lines and the module's (ModuleLineMap).
  const ModuleLineMap& LineMap() const { return exported_.LineMap(); }

  // The file's bytes with the module as it is now. Throws Failure when new
  // text holds characters the file's encoding can't hold, or, in a file
  // that reads both ways, composed text that is not ASCII.
  std::string Serialize() const;
  // The same bytes handed to sink a piece at a time, so that a large module
  // is never held twice; any failure comes before the first piece.
  void Serialize(const std::function<void(std::string_view)>& sink) const;

 private:
  // A line of the file: where its bytes start after the byte order mark,
  // and how many there are without the line end, which follows them.
  struct PhysicalLine {
    std::uint32_t start = 0;
    std::uint32_t size = 0;
  };
  std::string_view TextOf(PhysicalLine line) const { return text_.substr(line.start, line.size); }
  // "\r\n", "\n", "\r", or empty for a last line without one.
  std::string_view EndOf(PhysicalLine line) const;

  // The steps of Parse, in order.
  static void RefuseBinary(std::string_view bytes);
  // Sets encoding_ and text_, the bytes without the byte order mark.
  void SniffEncoding(EncodingChoice choice);
  // Line ends are ASCII bytes, which neither UTF-8 nor cp932 uses inside a
  // character, so the bytes can be split before they are decoded.
  std::vector<PhysicalLine> SplitLines();
  // The text of every line that is not plain ASCII, by line (the others
  // are left empty); a line that doesn't decode fails, named.
  struct DecodedLines {
    std::unique_ptr<char16_t[]> text;
    std::size_t textSize = 0;
    std::vector<std::u16string_view> lines;  // views of text
  };
  DecodedLines DecodeLines(const std::vector<PhysicalLine>& lines, EncodingChoice choice) const;
  // Puts the lines the editor hides aside and makes the module of the rest.
  void SetHiddenLinesAside(const std::vector<PhysicalLine>& lines, DecodedLines decoded,
                           std::u16string_view stem);
  // Serialize's steps: a failure before the first byte, then the lines.
  void RefuseUnwritable(CodePage& codePage) const;
  class RunWriter;
  std::string EncodingName() const { return encoding_ == FileEncoding::Legacy ? codePage_ : "UTF-8"; }

  // The bytes as read, shared by copies of this file so that views stay valid.
  std::shared_ptr<const std::string> bytes_;
  std::string_view text_;
  FileEncoding encoding_ = FileEncoding::Legacy;
  bool readsBothWays_ = false;
  std::string codePage_;
  std::string defaultEnd_ = "\r\n";
  bool endsWithLineEnd_ = true;
  // The bytes of the hidden lines, in the order of the file: where they
  // stand is the exported module's map.
  std::vector<PhysicalLine> hidden_;
  ExportedModule exported_;
};

}  // namespace tamvo
