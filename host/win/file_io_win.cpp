// Whole-file reads and atomic writes through the Win32 file API: wide
// names, FlushFileBuffers, and ReplaceFileW, which keeps the replaced file's
// attributes, security and streams.

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "engine/failure.h"
#include "engine/text.h"
#include "engine/unique_handle.h"
#include "host/file_io.h"

namespace tamvo {

namespace {

namespace fs = std::filesystem;

// Null when not open: CreateFileW's INVALID_HANDLE_VALUE is made null, so
// that one value means none.
using File = UniqueHandle<HANDLE, CloseHandle>;

// What a rewritten file keeps of its attributes; read-only files are
// refused, and compression and encryption are the folder's to give.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Every other program may read, write, rename and delete the file while we
// hold it, as on POSIX systems.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The name Win32 takes for a path: as it is while short; a long one as
// "\\?\" and its absolute form ("\\?\UNC\server\share\..." on a share),
// which Windows takes whatever its long-path setting, and Wine too.
std::wstring SystemName(const fs::path& path) {
  std::wstring name = path.wstring();
  if (name.size() < MAX_PATH - 12 || name.starts_with(LR"(\\?\)")) return name;
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return name;
  const std::wstring full = absolute.lexically_normal().make_preferred().wstring();
  return full.starts_with(LR"(\\)") ? LR"(\\?\UNC\)" + full.substr(2) : LR"(\\?\)" + full;
}

File Open(const fs::path& path, DWORD access, DWORD creation, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  const HANDLE handle =
      CreateFileW(SystemName(path).c_str(), access, kShareAll, nullptr, creation, flags, nullptr);
  return File(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// The system's words for an error, in the user's language.
std::u16string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (length > 0) message.assign(reinterpret_cast<const char16_t*>(text), length);
  LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) {
    message.pop_back();
  }
  if (message.empty()) message = u"error " + FromUtf8(std::to_string(error));
  return message;
}

// The errors a file can meet on any system, in the words tamvo gives them
// on POSIX systems (the C library's there), so that a message reads the same
// wherever tamvo runs and scripts can match it. Other errors keep the
// system's words.
constexpr struct {
  DWORD error;
  std::u16string_view words;
} kPortableWords[] = {
    {ERROR_FILE_NOT_FOUND, u"No such file or directory"},
    {ERROR_PATH_NOT_FOUND, u"No such file or directory"},
    {ERROR_INVALID_DRIVE, u"No such file or directory"},
    {ERROR_BAD_NETPATH, u"No such file or directory"},
    {ERROR_ACCESS_DENIED, u"Permission denied"},
    {ERROR_DISK_FULL, u"No space left on device"},
    {ERROR_HANDLE_DISK_FULL, u"No space left on device"},
    {ERROR_FILE_TOO_LARGE, u"File too large"},
    {ERROR_FILENAME_EXCED_RANGE, u"File name too long"},
    {ERROR_WRITE_PROTECT, u"Read-only file system"},
    {ERROR_CRC, u"Input/output error"},
    {ERROR_READ_FAULT, u"Input/output error"},
    {ERROR_WRITE_FAULT, u"Input/output error"},
    {ERROR_IO_DEVICE, u"Input/output error"},
    {ERROR_NOT_ENOUGH_MEMORY, u"Cannot allocate memory"},
    {ERROR_OUTOFMEMORY, u"Cannot allocate memory"},
};

[[noreturn]] void ThrowSystemError(std::u16string_view what, DWORD error) {
  // Another program holds the file open and shares it with none (an
  // editor, Office): the system's words name no program, these say why.
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
    throw Failure(std::u16string(what) + u": in use by another program");
  }
  for (const auto& portable : kPortableWords) {
    if (portable.error == error) throw Failure(std::u16string(what) + u": " + std::u16string(portable.words));
  }
  throw Failure(std::u16string(what) + u": " + SystemMessage(error));
}

// A folder gets the words it gets on POSIX systems, where reading one fails
// with EISDIR: Windows only says that access was denied.
[[noreturn]] void ThrowIsAFolder() { throw Failure(u"can't read: " + FromUtf8(std::strerror(EISDIR))); }

bool IsFolder(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(SystemName(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow),
          Join(info.nFileSizeHigh, info.nFileSizeLow),
          static_cast<std::int64_t>(
              Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))};
}

// Reads to the end; a read error, wherever it comes, fails the whole read.
// A pipe whose writer has gone has ended.
std::string ReadAll(HANDLE file, std::uint64_t sizeHint) {
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(sizeHint) + 4096);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() * 2);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - used, 1 << 30));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + used, want, &got, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) break;
      ThrowSystemError(u"can't read", error);
    }
    if (got == 0) break;
    used += got;
  }
  bytes.resize(used);
  return bytes;
}

// A rewrite replaces one name of a regular file with a new file: any other
// kind of file would become a regular one, and any other name would keep
// the old contents.
void RefuseWhatCantBeRewritten(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info) {
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ThrowIsAFolder();
  if (GetFileType(file) != FILE_TYPE_DISK) {
    throw Failure(u"not a regular file; only regular files are rewritten");
  }
  if (info.nNumberOfLinks > 1) {
    throw Failure(u"the file has " + FromUtf8(std::to_string(info.nNumberOfLinks)) +
                  u" names (hard links), which rewriting it would split; it is left as it is");
  }
}

// The file a name stands for, or nothing when there is none. Folders open
// too (FILE_FLAG_BACKUP_SEMANTICS), so that they can be told apart.
File OpenToLookAt(const fs::path& path) {
  return Open(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

// The file a symbolic link (or junction) leads to, by the name the system
// gives it once opened; any other name as it is.
fs::path FinalPath(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(SystemName(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
  const File file = OpenToLookAt(path);
  if (!file) ThrowSystemError(u"can't write", GetLastError());
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(file.get(), name.data(), static_cast<DWORD>(name.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) ThrowSystemError(u"can't write", GetLastError());
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(length);
  }
}

// The temporary file of the write under way, for the console's control
// handler, which runs on a thread of its own while this one goes on.
std::mutex gTemporaryMutex;
std::wstring gTemporaryPath;

BOOL WINAPI RemoveTemporaryAndEnd(DWORD) {
  {
    const std::lock_guard<std::mutex> lock(gTemporaryMutex);
    // Opened with FILE_SHARE_DELETE: the file goes when its handle closes,
    // as the process ends.
    if (!gTemporaryPath.empty()) DeleteFileW(gTemporaryPath.c_str());
  }
  // The next handler, the system's, ends the process as it would have.
  return FALSE;
}

// A temporary file beside the file it will replace, named so that a
// leftover (after the process was killed, or a power cut) is recognisable:
// .NAME.tamvo-XXXXXX. It is removed when its owner goes, unless it was
// renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const fs::path& beside) {
    const fs::path folder = beside.has_parent_path() ? beside.parent_path() : fs::path(L".");
    const std::wstring stem = L"." + beside.filename().wstring() + L".tamvo-";
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::uint64_t seed = GetTickCount64() ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32);
    for (int attempt = 0;; ++attempt) {
      std::wstring suffix;
      for (int i = 0; i < 6; ++i) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        suffix += kLetters[(seed >> 33) % 36];
      }
      path_ = folder / (stem + suffix);
      const std::lock_guard<std::mutex> lock(gTemporaryMutex);
      file_ = Open(path_, GENERIC_WRITE, CREATE_NEW);
      if (file_) {
        gTemporaryPath = SystemName(path_);
        return;
      }
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS || attempt == 100) {
        ThrowSystemError(u"can't write in " + FromUtf8(folder.string()), error);
      }
    }
  }
  ~TemporaryFile() {
    const std::lock_guard<std::mutex> lock(gTemporaryMutex);
    file_.reset();
    if (!kept_) DeleteFileW(SystemName(path_).c_str());
    gTemporaryPath.clear();
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const fs::path& Path() const { return path_; }
  HANDLE Handle() const { return file_.get(); }
  // Closes the file, reporting what closing reports.
  DWORD Close() {
    const HANDLE file = file_.release();
    return CloseHandle(file) ? ERROR_SUCCESS : GetLastError();
  }
  // Puts the file in place of target; the error, or ERROR_SUCCESS.
  // ReplaceFileW keeps what the old file had beside its bytes; where it
  // can't be used (no old file, a file system that lacks it) the file is
  // renamed over the old one. When ReplaceFileW fails having removed the
  // old file, and renaming fails too, the new text is kept under the
  // temporary name rather than lost.
  DWORD ReplaceOrRename(const fs::path& target, bool replace) {
    const std::lock_guard<std::mutex> lock(gTemporaryMutex);
    DWORD error = ERROR_SUCCESS;
    const std::wstring from = SystemName(path_);
    const std::wstring to = SystemName(target);
    if (replace && !ReplaceFileW(to.c_str(), from.c_str(), nullptr, 0, nullptr, nullptr)) {
      error = GetLastError();
    }
    if (!replace || error != ERROR_SUCCESS) {
      if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ERROR_SUCCESS;
      } else if (error == ERROR_SUCCESS) {
        error = GetLastError();
      }
    }
    if (error == ERROR_SUCCESS || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
      kept_ = true;
      gTemporaryPath.clear();
    }
    return error;
  }

 private:
  fs::path path_;
  File file_;
  bool kept_ = false;
};

DWORD WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), want, &written, nullptr)) return GetLastError();
    bytes.remove_prefix(written);
  }
  return ERROR_SUCCESS;
}

}  // namespace

std::string ReadFileBytes(const fs::path& path) {
  const File file = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && IsFolder(path)) ThrowIsAFolder();
    ThrowSystemError(u"can't read", error);
  }
  LARGE_INTEGER size{};
  const bool disk = GetFileType(file.get()) == FILE_TYPE_DISK && GetFileSizeEx(file.get(), &size);
  return ReadAll(file.get(), disk ? static_cast<std::uint64_t>(size.QuadPart) : 0);
}

FileContents ReadFileToRewrite(const fs::path& path) {
  if (IsFolder(path)) ThrowIsAFolder();
  const File file = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file) ThrowSystemError(u"can't read", GetLastError());
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) == FILE_TYPE_DISK && !GetFileInformationByHandle(file.get(), &info)) {
    ThrowSystemError(u"can't read", GetLastError());
  }
  RefuseWhatCantBeRewritten(file.get(), info);
  const FileIdentity identity = IdentityOf(info);
  return {ReadAll(file.get(), identity.size), identity};
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes,
                         const std::optional<FileIdentity>& expected) {
  // The link stays a link; its target gets the new contents, written in the
  // target's own folder so that the rename stays on its volume.
  const fs::path target = FinalPath(path);

  // A file its owner made read-only stays as it is, whatever rights the
  // user has to change that.
  std::optional<DWORD> oldAttributes;
  if (const File old = OpenToLookAt(target)) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(old.get()) == FILE_TYPE_DISK && !GetFileInformationByHandle(old.get(), &info)) {
      ThrowSystemError(u"can't write", GetLastError());
    }
    RefuseWhatCantBeRewritten(old.get(), info);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) throw Failure(u"can't write: the file is read-only");
    oldAttributes = info.dwFileAttributes;
  } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    ThrowSystemError(u"can't write", error);
  }

  // A file another program holds without letting it be replaced is
  // refused before anything is written: ReplaceFileW would fail only after
  // making a file of its own beside it (Wine's stays).
  if (oldAttributes) {
    if (const File probe = Open(target, DELETE, OPEN_EXISTING); !probe)
      ThrowSystemError(u"can't write", GetLastError());
  }

  TemporaryFile temporary(target);
  DWORD error = WriteAll(temporary.Handle(), bytes);
  if (error == ERROR_SUCCESS && !FlushFileBuffers(temporary.Handle())) error = GetLastError();
  if (const DWORD closed = temporary.Close(); error == ERROR_SUCCESS) error = closed;
  // ReplaceFileW would keep these, but not where renaming stands in for it
  // (nor under Wine): the new file takes them itself.
  if (const DWORD attributes = oldAttributes.value_or(0) & kKeptAttributes;
      error == ERROR_SUCCESS && attributes != 0 &&
      !SetFileAttributesW(SystemName(temporary.Path()).c_str(), attributes)) {
    error = GetLastError();
  }
  if (error != ERROR_SUCCESS) ThrowSystemError(u"can't write", error);

  // Another program (another tamvo) that wrote the file since it was read
  // would lose its edit to the replacement.
  if (expected) {
    const File now = OpenToLookAt(target);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!now || !GetFileInformationByHandle(now.get(), &info) || IdentityOf(info) != *expected) {
      throw Failure(u"changed while tamvo was working; run again");
    }
  }
  error = temporary.ReplaceOrRename(target, oldAttributes.has_value());
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
    ThrowSystemError(u"can't write; the new text is in " + FromUtf8(temporary.Path().string()), error);
  }
  if (error != ERROR_SUCCESS) ThrowSystemError(u"can't write", error);
}

void RemoveTemporaryFilesOnSignals() { SetConsoleCtrlHandler(RemoveTemporaryAndEnd, TRUE); }

}  // namespace tamvo
