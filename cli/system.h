#pragma once
// What the command line asks of the system it runs on, beside files (which
// host/file_io.h holds): cli/posix/ and cli/win/ answer.

#include <cstddef>
#include <filesystem>

namespace tamvo {

// Processors this process may run on; 1 when the system won't say.
std::size_t UsableProcessors();

// A file written new through a private temporary file gets what any new
// file in its folder gets: on POSIX systems the permissions the umask
// leaves (on Windows the folder's security, which it has already).
void GiveNewFileTheUsualPermissions(const std::filesystem::path& path);

}  // namespace tamvo
