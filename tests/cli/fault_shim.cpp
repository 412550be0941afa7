// Faults injected into the real tamvo by LD_PRELOAD, where a test can't
// make the system fail on its own:
//   TAMVO_FAIL_READ_AFTER=N  reads of a module (a file named *.bas, or
//                            standard input) fail with EIO after N bytes;
//   TAMVO_SIGNAL_ON_FSYNC=S  fsync raises signal S first, so that it comes
//                            while a write has its temporary file.

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool IsModule(int fd) {
  if (fd == 0) return true;
  char target[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = readlink(link.c_str(), target, sizeof target);
  return n > 4 && std::memcmp(target + n - 4, ".bas", 4) == 0;
}

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
  static std::size_t readSoFar = 0;
  const char* limitText = std::getenv("TAMVO_FAIL_READ_AFTER");
  if (limitText == nullptr || !IsModule(fd)) return next(fd, buffer, count);
  const std::size_t limit = std::strtoul(limitText, nullptr, 10);
  if (readSoFar >= limit) {
    errno = EIO;
    return -1;
  }
  const ssize_t n = next(fd, buffer, count < limit - readSoFar ? count : limit - readSoFar);
  if (n > 0) readSoFar += static_cast<std::size_t>(n);
  return n;
}

extern "C" int fsync(int fd) {
  static const auto next = Next<int (*)(int)>("fsync");
  if (const char* signal = std::getenv("TAMVO_SIGNAL_ON_FSYNC")) std::raise(std::atoi(signal));
  return next(fd);
}
