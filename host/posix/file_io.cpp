#include "host/file_io.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/failure.h"
#include "engine/text.h"
#include "engine/unique_handle.h"

namespace tamvo {

namespace {

void CloseFd(int fd) { close(fd); }
using FileDescriptor = UniqueHandle<int, CloseFd, -1>;

[[noreturn]] void ThrowSystemError(std::string_view what, int error) {
  throw Failure(FromUtf8(std::string(what) + ": " + std::strerror(error)));
}

FileIdentity IdentityOf(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          static_cast<std::uint64_t>(status.st_size),
          static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

// Reads to the end; a read error, wherever it comes, fails the whole read.
std::string ReadAll(int fd, off_t sizeHint) {
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(sizeHint > 0 ? sizeHint : 0) + 4096);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t n = read(fd, bytes.data() + used, bytes.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowSystemError("can't read", errno);
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  bytes.resize(used);
  return bytes;
}

// A rewrite replaces one name of a regular file with a new file: any other
// kind of file would become a regular one, and any other name would keep
// the old contents.
void RefuseWhatCantBeRewritten(const struct stat& status) {
  if (S_ISDIR(status.st_mode)) ThrowSystemError("can't read", EISDIR);
  if (!S_ISREG(status.st_mode)) throw Failure(u"not a regular file; only regular files are rewritten");
  if (status.st_nlink > 1) {
    throw Failure(u"the file has " + FromUtf8(std::to_string(status.st_nlink)) +
                  u" names (hard links), which rewriting it would split; it is left as it is");
  }
}

// The temporary file of the write under way, for the signal handler: a
// fixed buffer, since the handler may neither allocate nor lock.
char gTemporaryPath[PATH_MAX];
volatile sig_atomic_t gHasTemporary = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTemporaryAndEnd(int signal) {
  if (gHasTemporary) unlink(gTemporaryPath);
  // The signal is blocked while its handler runs: raised again with the
  // default action, it ends the process as soon as the handler returns.
  ::signal(signal, SIG_DFL);
  raise(signal);
}

// Signals wait while the path is copied, so that the handler never sees
// half of one.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kCleanupSignals) sigaddset(&set, s);
    pthread_sigmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

// A temporary file beside the file it will replace, named so that a
// leftover (after SIGKILL or a power cut) is recognisable: .NAME.tamvo-XXXXXX.
// It is removed when its owner goes, unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::filesystem::path& beside) {
    const auto folder = beside.has_parent_path() ? beside.parent_path() : std::filesystem::path(".");
    path_ = (folder / ("." + beside.filename().string() + ".tamvo-XXXXXX")).string();
    SignalsHeld held;
    fd_.reset(mkostemp(path_.data(), O_CLOEXEC));
    if (!fd_) ThrowSystemError("can't write in " + folder.string(), errno);
    if (path_.size() < sizeof gTemporaryPath) {
      std::memcpy(gTemporaryPath, path_.c_str(), path_.size() + 1);
      gHasTemporary = 1;
    }
  }
  ~TemporaryFile() {
    SignalsHeld held;
    if (!renamed_) unlink(path_.c_str());
    gHasTemporary = 0;
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int Fd() const { return fd_.get(); }
  // Closes the file, reporting what close reports (NFS tells write errors there).
  int Close() {
    const int fd = fd_.release();
    return close(fd) == 0 ? 0 : errno;
  }
  int RenameTo(const std::filesystem::path& path) {
    SignalsHeld held;
    if (rename(path_.c_str(), path.c_str()) != 0) return errno;
    renamed_ = true;
    gHasTemporary = 0;
    return 0;
  }

 private:
  std::string path_;
  FileDescriptor fd_;
  bool renamed_ = false;
};

int WriteAll(int fd, std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    written += static_cast<std::size_t>(n);
  }
  return 0;
}

// Only root may give a file away: anyone else keeps the file theirs, with
// the file's group where they belong to it (in a setgid folder the new file
// would otherwise take the folder's).
int KeepOwnerAndGroup(int fd, const struct stat& old) {
  if (fchown(fd, old.st_uid, old.st_gid) == 0) return 0;
  if (errno != EPERM) return errno;
  if (fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0 || errno == EPERM) return 0;
  return errno;
}

// Security labels and capabilities are the system's to give: where it
// refuses to copy them the new file keeps its own. Every other attribute
// (the user's, ACLs) is copied or the write fails.
bool SystemMayRefuse(std::string_view name, int error) {
  return (error == EPERM || error == ENOTSUP) &&
         (name.starts_with("security.") || name.starts_with("trusted."));
}

int CopyExtendedAttributes(const char* from, int to, std::string& failedName) {
  ssize_t size = listxattr(from, nullptr, 0);
  if (size < 0) return errno == ENOTSUP ? 0 : errno;
  std::string names(static_cast<std::size_t>(size), '\0');
  size = listxattr(from, names.data(), names.size());
  if (size < 0) return errno;
  names.resize(static_cast<std::size_t>(size));
  for (std::size_t start = 0; start < names.size();) {
    const std::string name(names.c_str() + start);
    start += name.size() + 1;
    ssize_t length = getxattr(from, name.c_str(), nullptr, 0);
    std::string value(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) length = getxattr(from, name.c_str(), value.data(), value.size());
    const bool copied = length >= 0 && fsetxattr(to, name.c_str(), value.data(), value.size(), 0) == 0;
    if (!copied && !SystemMayRefuse(name, errno)) {
      failedName = name;
      return errno;
    }
  }
  return 0;
}

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path) {
  const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) ThrowSystemError("can't read", errno);
  struct stat status {};
  if (fstat(fd.get(), &status) != 0) ThrowSystemError("can't read", errno);
  if (S_ISDIR(status.st_mode)) ThrowSystemError("can't read", EISDIR);
  return ReadAll(fd.get(), S_ISREG(status.st_mode) ? status.st_size : 0);
}

FileContents ReadFileToRewrite(const std::filesystem::path& path) {
  // Not blocking: opening a FIFO would wait for a writer before we could
  // see that it is one.
  const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) ThrowSystemError("can't read", errno);
  struct stat status {};
  if (fstat(fd.get(), &status) != 0) ThrowSystemError("can't read", errno);
  RefuseWhatCantBeRewritten(status);
  return {ReadAll(fd.get(), status.st_size), IdentityOf(status)};
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         const std::optional<FileIdentity>& expected) {
  // The link stays a link; its target gets the new contents, written in
  // the target's own folder so that the rename stays on its file system.
  std::filesystem::path target = path;
  struct stat linkStatus {};
  if (lstat(path.c_str(), &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode)) {
    std::error_code error;
    target = std::filesystem::canonical(path, error);
    if (error) ThrowSystemError("can't write", error.value());
  }

  // A file its owner made read-only stays as it is. The rename below would
  // replace it all the same, and for root access() grants writing whatever
  // the mode says, so the mode's write bits are asked too.
  struct stat old {};
  const bool kept = stat(target.c_str(), &old) == 0;
  if (kept) {
    RefuseWhatCantBeRewritten(old);
    if ((old.st_mode & 0222) == 0) throw Failure(u"can't write: the file is read-only");
    if (access(target.c_str(), W_OK) != 0) ThrowSystemError("can't write", errno);
  }

  TemporaryFile temporary(target);
  const int fd = temporary.Fd();
  std::string attribute;
  int error = WriteAll(fd, bytes);
  if (error == 0 && kept) error = KeepOwnerAndGroup(fd, old);
  if (error == 0 && kept && fchmod(fd, old.st_mode & 07777) != 0) error = errno;
  if (error == 0 && kept) error = CopyExtendedAttributes(target.c_str(), fd, attribute);
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (const int closed = temporary.Close(); error == 0) error = closed;
  if (error != 0 && !attribute.empty()) {
    ThrowSystemError("can't keep the extended attribute " + attribute, error);
  }
  if (error != 0) ThrowSystemError("can't write", error);

  // Another program (another tamvo) that wrote the file since it was read
  // would lose its edit to this rename.
  if (expected) {
    struct stat now {};
    if (stat(target.c_str(), &now) != 0 || IdentityOf(now) != *expected) {
      throw Failure(u"changed while tamvo was working; run again");
    }
  }
  if (const int renamed = temporary.RenameTo(target); renamed != 0) ThrowSystemError("can't write", renamed);
}

void RemoveTemporaryFilesOnSignals() {
  for (const int s : kCleanupSignals) {
    struct sigaction action {};
    sigaction(s, nullptr, &action);
    // A signal the caller ignores (nohup ignores SIGHUP) stays ignored.
    if (action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = RemoveTemporaryAndEnd;
    sigemptyset(&action.sa_mask);
    sigaction(s, &action, nullptr);
  }
  signal(SIGXFSZ, SIG_IGN);
}

}  // namespace tamvo
