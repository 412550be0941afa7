#pragma once
// Whole-file reads and atomic writes.

#include <filesystem>
#include <string>
#include <string_view>

namespace tamvo {

// Throws Failure with the system's reason when the file can't be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// Writes to a temporary file in the same folder, then renames it over path,
// keeping the old file's permissions: a reader sees the old or the new file,
// never a part. A file without write permission is refused, even to root.
// On any failure the old file is untouched and Failure is thrown.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tamvo
