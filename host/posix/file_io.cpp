#include "host/posix/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

namespace {

[[noreturn]] void ThrowSystemError(std::string_view what, int error) {
  throw Failure(FromUtf8(std::string(what) + ": " + std::strerror(error)));
}

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) ThrowSystemError("can't read", EISDIR);
  std::ifstream in(path, std::ios::binary);
  if (!in) ThrowSystemError("can't read", errno);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) ThrowSystemError("can't read", errno);
  return std::move(bytes).str();
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  // A file its owner made read-only stays as it is. The rename below would
  // replace it all the same, and for root access() grants writing whatever
  // the mode says, so the mode's write bits are asked too.
  struct stat old {};
  const bool kept = stat(path.c_str(), &old) == 0;
  if (kept && S_ISREG(old.st_mode) && (old.st_mode & 0222) == 0)
    throw Failure(u"can't write: the file is read-only");
  if (kept && access(path.c_str(), W_OK) != 0) ThrowSystemError("can't write", errno);
  const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string temporary = (folder / ("." + path.filename().string() + ".tamvo-XXXXXX")).string();
  const int fd = mkstemp(temporary.data());
  if (fd < 0) ThrowSystemError("can't write in " + folder.string(), errno);

  std::size_t written = 0;
  int error = 0;
  while (written < bytes.size() && error == 0) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno != EINTR) error = errno;
    if (n > 0) written += static_cast<std::size_t>(n);
  }
  if (error == 0 && kept && fchmod(fd, old.st_mode & 07777) != 0) error = errno;
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    ThrowSystemError("can't write", error);
  }
}

}  // namespace tamvo
