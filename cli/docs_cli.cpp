#include "cli/docs_cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>
#include <ostream>

#include "cli/run_report.h"
#include "cli/system.h"
#include "commands/doc_page.h"
#include "commands/doc_render.h"
#include "commands/doxygen_filter.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/file_io.h"

namespace tamvo {

namespace {

namespace fs = std::filesystem;

// What standard error says of a failure, as the other commands say it: its
// description, "out of memory", or the library's words. Building a page or
// the index can fail in the library too (a string past its size limit), and
// that is a failure to report, not the end of the process.
std::string FailureText(const std::exception& failure) {
  if (const auto* own = dynamic_cast<const Failure*>(&failure)) return ToUtf8(own->Description());
  if (dynamic_cast<const std::bad_alloc*>(&failure)) return "out of memory";
  return failure.what();
}

// A module as read for either command.
struct ReadModule {
  ModuleFile file;
  ModuleKind kind;
  std::vector<LineNumber> fileLines;
};

ReadModule Read(const std::string& name, const ResolvedEncoding& encoding) {
  const fs::path path = PathOfUtf8(name);
  const std::string bytes = ReadFileBytes(path);
  ModuleFile file =
      ModuleFile::Parse(bytes, FromUtf8(path.stem().string()), encoding.codePage, encoding.choice);
  // The hidden header lines tell the kind, or else the file name's extension.
  const ModuleKind kind =
      std::max(file.Exported().Kind(), ModuleKindOfExtension(FromUtf8(path.extension().string())));
  auto fileLines = file.LineMap().FileLinesOfModuleLines();
  return {std::move(file), kind, std::move(fileLines)};
}

// The file as pages name it: relative, so that no page holds a path of
// this machine.
std::u16string ShownPath(const std::string& name) {
  fs::path path = PathOfUtf8(name).lexically_normal();
  std::error_code error;
  const fs::path here = fs::current_path(error);
  if (path.is_absolute()) path = error ? path.filename() : path.lexically_proximate(here);
  return FromUtf8(path.generic_string());
}

// Writes a page unless it already holds these bytes. A new page gets the
// mode any new file gets, not the private one of the temporary file.
void WritePage(const fs::path& path, const std::string& bytes) {
  std::error_code error;
  const bool existed = fs::exists(path, error);
  if (existed && ReadFileBytes(path) == bytes) return;
  WriteFileAtomically(path, bytes);
  if (!existed) GiveNewFileTheUsualPermissions(path);
}

int RunDocs(const DocsRequest& request, const std::vector<ModuleOptions>& modules,
            const CliEnvironment& env) {
  const PageFormat format = modules.front().docsFormat == "html" ? PageFormat::Html : PageFormat::Markdown;
  bool failed = false;
  std::vector<ModulePage> pages;
  for (std::size_t i = 0; i < request.files.size(); ++i) {
    const std::string& name = request.files[i];
    PageOptions options;
    options.includePrivate = modules[i].includePrivate;
    try {
      ReadModule module = Read(name, modules[i].encoding);
      const auto& fileLines = module.fileLines;
      pages.push_back(BuildModulePage(
          *module.file.Module(), module.kind, ShownPath(name),
          [&](LineNumber line) { return fileLines[static_cast<std::size_t>(line)]; }, options));
    } catch (const std::exception& failure) {
      env.err << "tamvo: " << name << ": " << FailureText(failure) << '\n';
      failed = true;
    }
  }
  const fs::path folder = PathOfUtf8(request.output);
  try {
    // In the order of their files, whatever order the shell gave them in:
    // the same modules give the same index.
    std::stable_sort(pages.begin(), pages.end(), [](const ModulePage& a, const ModulePage& b) {
      return ToUtf8(a.file) < ToUtf8(b.file);
    });
    NamePages(pages);
    LinkReferences(pages);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) throw Failure(u"can't create the folder: " + FromUtf8(error.message()));
    for (const auto& page : pages) {
      WritePage(folder / PathOfUtf8(ToUtf8(page.pageName + std::u16string(PageExtension(format)))),
                ToUtf8(RenderModulePage(page, format)));
    }
    WritePage(folder / PathOfUtf8(ToUtf8(u"index" + std::u16string(PageExtension(format)))),
              ToUtf8(RenderIndexPage(pages, format)));
  } catch (const std::exception& failure) {
    env.err << "tamvo: " << request.output << ": " << FailureText(failure) << '\n';
    return kExitFailed;
  }
  return failed ? kExitFailed : kExitDone;
}

int RunFilter(const DocsRequest& request, const ModuleOptions& module, const CliEnvironment& env) {
  const std::string& name = request.files.front();
  try {
    ReadModule loaded = Read(name, module.encoding);
    const auto& fileLines = loaded.fileLines;
    const auto lines =
        FilterForDoxygen(*loaded.file.Module(), loaded.kind, loaded.file.LineMap().FileLineCount(),
                         [&](LineNumber line) { return fileLines[static_cast<std::size_t>(line)]; });
    std::string text;
    for (const auto& line : lines) text += ToUtf8(line) + '\n';
    env.out << text << std::flush;
    if (!env.out) throw Failure(u"can't write to standard output");
  } catch (const std::exception& failure) {
    env.err << "tamvo: " << name << ": " << FailureText(failure) << '\n';
    return kExitFailed;
  }
  return kExitDone;
}

}  // namespace

void AddDocsCommands(CLI::App& app, DocsRequest& request) {
  CLI::App* docs = app.add_subcommand("docs", "write a documentation page per module and an index page");
  docs->callback([&request] { request.docs = true; });
  docs->add_option("--format", request.format, "markdown or html")
      ->check(CLI::IsMember({"markdown", "html"}))
      ->default_str("markdown");
  docs->add_option("-o", request.output, "the folder for the pages")->capture_default_str()->type_name("DIR");
  docs->add_flag("--private", request.includePrivate, "list procedures declared Private too");
  docs->add_option("FILE", request.files, "exported module files")->required();

  CLI::App* filter =
      app.add_subcommand("doxygen-filter", "print the module as doxygen reads it (its INPUT_FILTER)");
  filter->callback([&request] { request.filter = true; });
  filter->add_option("FILE", request.files, "an exported module file")->required()->expected(1);
}

int RunDocsCommand(const DocsRequest& request, const std::vector<ModuleOptions>& modules,
                   const CliEnvironment& env) {
  return request.filter ? RunFilter(request, modules.front(), env) : RunDocs(request, modules, env);
}

}  // namespace tamvo
