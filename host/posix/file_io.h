#pragma once
// Whole-file reads and atomic writes.

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tamvo {

// What a file was when it was read: the same file, not replaced, grown or
// rewritten, still has the same identity.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
  }
};

struct FileContents {
  std::string bytes;
  FileIdentity identity;
};

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
// keeping the old file's permissions, owner and group (where the system
// lets us) and extended attributes (ACLs among them): a reader sees the old
// or the new file, never a part. A symbolic link is followed: its target is
// rewritten, in the target's folder. A file without write permission is
// refused, even to root; so is a file that is not regular or has several
// names. With expected, the file must still be the one read: a file changed
// by another program meanwhile is left to it. On any failure the old file is
// untouched and Failure is thrown.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         const std::optional<FileIdentity>& expected = std::nullopt);

// From now on, SIGINT, SIGTERM or SIGHUP during a write removes its
// temporary file before the signal ends the process as it would have; and a
// write past the file-size limit fails as any write error does instead of
// ending the process. For programs, not libraries: it sets signal actions.
void RemoveTemporaryFilesOnSignals();

}  // namespace tamvo
