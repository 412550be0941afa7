// Ctrl+C in the middle of a write, as tamvo.exe meets it:
//   tamvo_interrupt_check FILE
// rewrites FILE with 256 MB through the file layer, with the console
// handler tamvo.exe installs, and presses Ctrl+C on its console once the
// temporary file is being written. The process must end by it, the
// temporary file gone and FILE as it was: tests/win_cli/interrupt.sh
// checks that. "written" means the event came too late to test anything.
// Needs a console: Wine gives one on a terminal. (Wine delivers an event a
// process raises on its own console; Ctrl+Break, which goes to a process
// group, it refuses, so only Ctrl+C is tried: the handler takes both alike.)

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "host/file_io.h"

namespace {

namespace fs = std::filesystem;

// The temporary file's size, or -1 while there is none.
LONGLONG TemporarySize(const fs::path& file) {
  WIN32_FIND_DATAW found{};
  const fs::path pattern = file.parent_path() / (L"." + file.filename().wstring() + L".tamvo-*");
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  FindClose(search);
  return (static_cast<LONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tamvo_interrupt_check FILE\n");
    return 2;
  }
  const fs::path file = fs::absolute(argv[1]);
  tamvo::RemoveTemporaryFilesOnSignals();
  std::thread([&] {
    while (TemporarySize(file) <= 0) Sleep(1);
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
      std::fprintf(stderr, "no console event: error %lu\n", GetLastError());
      ExitProcess(3);
    }
  }).detach();
  tamvo::WriteFileAtomically(file, std::string(256 << 20, 'x'));
  std::fprintf(stderr, "written\n");
  return 1;
}
