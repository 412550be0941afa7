#pragma once
// An exported module (.bas, .cls, .frm, .doccls) as lines of text: the
// module the commands edit, the lines the editor hides (the VERSION line,
// Object lines, BEGIN ... END blocks, Attribute lines) and where they stand,
// the module's name and kind, and the map between the file's lines and the
// module's. Nothing here knows bytes: the command line reads a module from
// a file in its encoding (host/module_file.h), the language server
// from the editor's text.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/memory_module.h"

namespace tamvo {

enum class ModuleKind { Standard, Class, Form, Document };

// The kind a file name's extension says: ".doccls" a document's module,
// ".frm" a form, ".cls" a class, any other (".bas") a standard module.
ModuleKind ModuleKindOfExtension(std::u16string_view extension);

// Tells, a line at a time in the file's order, which lines the editor
// hides, and learns the module's name and kind from them. The header (the
// lines above the first the editor shows) hides VERSION and Object lines,
// Begin ... End blocks and Attribute lines; below it only Attribute lines
// are hidden, so a reader of bytes need decode no other line to ask.
class HiddenLineReader {
 public:
  // stem names the module when no VB_Name does.
  explicit HiddenLineReader(std::u16string_view stem) : name_(stem) {}

  bool InHeader() const { return inHeader_; }
  // Whether the next line, whose text this is, is hidden.
  bool IsHidden(std::u16string_view text);
  // Throws Failure when a Begin block of the header never ended: it would
  // hide the whole module, and text added at its end would be hidden the
  // next time the file is read.
  void Finish() const;

  // "Attribute " in any letter case. Its characters are ASCII, which in the
  // encodings of modules never stands for part of another character, so a
  // line's bytes tell as well as its text.
  static bool IsAttributeLine(std::string_view bytes);
  static bool IsAttributeLine(std::u16string_view text);

  const std::u16string& Name() const { return name_; }
  // What the header says: a class, a form, a document's module.
  ModuleKind Kind() const { return kind_; }

 private:
  std::u16string name_;
  ModuleKind kind_ = ModuleKind::Standard;
  bool inHeader_ = true;
  int blockDepth_ = 0;
  std::size_t lineIndex_ = 0;
  std::size_t blockStart_ = 0;
};

// Where a file's hidden lines stand among the module's lines as read.
class ModuleLineMap {
 public:
  // Built in the file's order, a line at a time.
  void AddModuleLine() { ++moduleLineCount_; }
  void AddHiddenLine();

  // The module line that stands for a line of the file as a text editor
  // counts them: a hidden line counts as the module line above it, or 0
  // above the first one. Throws Failure past the file's last line.
  LineNumber ModuleLineOfFileLine(LineNumber fileLine) const;
  // The other way: the file line of a module line as read; a number that is
  // no such line comes back as it is.
  LineNumber FileLineOfModuleLine(LineNumber moduleLine) const;
  // FileLineOfModuleLine of every module line as read, by module line
  // (element 0 is 0): for reports of many lines.
  std::vector<LineNumber> FileLinesOfModuleLines() const;
  LineNumber FileLineCount() const {
    return static_cast<LineNumber>(hiddenAbove_ + hiddenBelow_.size() + moduleLineCount_);
  }

  // How many hidden lines stand above the first module line, and, for the
  // others in the file's order, how many module lines stand above each.
  std::size_t HiddenAbove() const { return hiddenAbove_; }
  const std::vector<std::size_t>& HiddenBelow() const { return hiddenBelow_; }
  std::size_t ModuleLineCount() const { return moduleLineCount_; }

 private:
  std::size_t hiddenAbove_ = 0;
  std::vector<std::size_t> hiddenBelow_;  // the count of module lines above each
  std::size_t moduleLineCount_ = 0;
};

class ExportedModule {
 public:
  // Reads the text of an exported file as an editor holds it, decoded and
  // without a byte order mark; lines end at CR LF, CR or LF. stem names the
  // module when it has no VB_Name. Throws Failure as HiddenLineReader does.
  static ExportedModule FromText(std::u16string_view text, std::u16string_view stem);

  // An empty module without a name.
  ExportedModule() : module_(std::make_shared<MemoryModule>(u"")) {}
  // The parts of a module read elsewhere (from bytes): the module of the
  // lines shown, the hidden lines' texts in the file's order, the map, and
  // the reader that told them apart.
  ExportedModule(std::shared_ptr<MemoryModule> module, std::vector<std::u16string> hidden, ModuleLineMap map,
                 const HiddenLineReader& reader);

  // The module the commands see and edit.
  const std::shared_ptr<MemoryModule>& Module() const { return module_; }
  const std::vector<std::u16string>& HiddenLines() const { return hidden_; }
  const ModuleLineMap& LineMap() const { return map_; }
  // VB_Name, or the stem given.
  const std::u16string& Name() const { return name_; }
  ModuleKind Kind() const { return kind_; }

  // The description the editor shows for a member: the text of
  // `Attribute MEMBER.VB_Description = "..."` among the hidden lines right
  // below the declaration whose last line is declarationEnd (a module line
  // as it is now). With declarationEnd 0 and no member, the module's own,
  // among the header's lines. Nothing where there is none.
  std::optional<std::u16string> Description(LineNumber declarationEnd, std::u16string_view member) const;
  // Writes such a description: the attribute line that is there gets the
  // new text, or a new one goes right below the declaration (for the
  // module, after the header's lines). The text becomes a VBA string:
  // quotes doubled, line breaks as spaces.
  void SetDescription(LineNumber declarationEnd, std::u16string_view member, std::u16string_view description);

  // What SetDescription changed, for a writer of bytes: whether a hidden
  // line (by its index in HiddenLines()) has new text, and the lines added
  // below each module line as read (by how many module lines stand above
  // them, in the order they go).
  bool HiddenLineChanged(std::size_t index) const { return index < changed_.size() && changed_[index]; }
  struct AddedLine {
    std::size_t linesAbove;
    std::u16string text;
  };
  const std::vector<AddedLine>& AddedLines() const { return added_; }

  // The text with the module as it is now: every line as it ended in the
  // text read (CR LF for a module read from bytes), a new line with the
  // text's first line end, and the hidden lines where they stood. A hidden
  // line below a deleted line moves down to just above the next line read
  // that stayed, so none is ever lost.
  std::u16string Text() const;

 private:
  std::shared_ptr<MemoryModule> module_;
  std::vector<std::u16string> hidden_;
  ModuleLineMap map_;
  std::u16string name_;
  ModuleKind kind_ = ModuleKind::Standard;
  // FromText's: each line's end as read (module lines by id, then hidden
  // lines), the end of new lines, and whether the text's last line had one.
  std::vector<std::u16string_view> moduleEnds_;
  std::vector<std::u16string_view> hiddenEnds_;
  std::u16string_view defaultEnd_ = u"\r\n";
  bool endsWithLineEnd_ = true;
  std::vector<bool> changed_;     // by hidden line
  std::vector<AddedLine> added_;  // by linesAbove, then in the order added
};

}  // namespace tamvo
