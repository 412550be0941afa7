#pragma once
// Whole-file reads and atomic writes, the same contract on every system:
// posix/file_io.cpp and win/file_io_win.cpp keep it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tamvo {

// What a file was when it was read: the same file, not replaced, grown or
// rewritten, still has the same identity. The numbers are the system's own,
// compared and never shown.
struct FileIdentity {
  std::uint64_t volume = 0;  // the device; on Windows the volume's serial number
  std::uint64_t file = 0;    // the inode; on Windows the file index
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // the last write, in the system's finest unit

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileContents {
  std::string bytes;
  FileIdentity identity;
};

// A file's name as the command line and messages hold it, UTF-8, and as the
// system takes it. A path made from a plain std::string would be read in
// the C library's locale on Windows (never UTF-8 there); on POSIX systems
// the bytes stay the bytes either way. The way back is path::string(),
// which GCC's library gives in UTF-8 on Windows.
inline std::filesystem::path PathOfUtf8(std::string_view name) {
  return std::filesystem::path(
      std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

// Throws Failure with the system's reason when the file can't be read, a
// read error partway through included: a part of a file is never taken for
// the whole.
std::string ReadFileBytes(const std::filesystem::path& path);

// Reads a file that is to be rewritten by WriteFileAtomically. Refuses,
// without waiting on them, what is not a regular file (a FIFO, a device),
// and a file with several names (hard links), which a rewrite would split.
// A symbolic link is followed.
FileContents ReadFileToRewrite(const std::filesystem::path& path);

// Writes to a temporary file in the same folder, then renames it over path,
// keeping what the system keeps of a file beside its bytes: on POSIX
// systems its permissions, owner and group (where the system lets us) and
// extended attributes (ACLs among them); on Windows its attributes, security
// and streams, as ReplaceFileW keeps them. A reader sees the old or the new
// file, never a part. A symbolic link is followed: its target is rewritten,
// in the target's folder. A read-only file is refused, even to root or an
// administrator; so is a file that is not regular or has several names.
// With expected, the file must still be the one read: a file changed by
// another program meanwhile is left to it. On any failure the old file is
// untouched and Failure is thrown.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         const std::optional<FileIdentity>& expected = std::nullopt);

// The files a command reads and rewrites, behind one interface, so that
// a test can put a double of them in the system's place and make them fail
// where the system won't on demand. Each member keeps the contract of the
// function above of its name.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual std::string ReadBytes(const std::filesystem::path& path) = 0;
  virtual FileContents ReadToRewrite(const std::filesystem::path& path) = 0;
  virtual void WriteAtomically(const std::filesystem::path& path, std::string_view bytes,
                               const std::optional<FileIdentity>& expected) = 0;
};

// The system's files: the functions above.
FileSystem& SystemFiles();

// From now on, an interruption during a write (SIGINT, SIGTERM or SIGHUP; on
// Windows Ctrl+C, Ctrl+Break or the console closing) removes its temporary
// file before the process ends as it would have; and on POSIX systems a
// write past the file-size limit fails as any write error does instead of
// ending the process. For programs, not libraries: it sets signal actions.
void RemoveTemporaryFilesOnSignals();

}  // namespace tamvo
