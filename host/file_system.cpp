#include "host/file_io.h"

namespace tamvo {

namespace {

class SystemFileSystem final : public FileSystem {
 public:
  std::string ReadBytes(const std::filesystem::path& path) override { return ReadFileBytes(path); }
  FileContents ReadToRewrite(const std::filesystem::path& path) override { return ReadFileToRewrite(path); }
  void WriteAtomically(const std::filesystem::path& path, std::string_view bytes,
                       const std::optional<FileIdentity>& expected) override {
    WriteFileAtomically(path, bytes, expected);
  }
};

}  // namespace

FileSystem& SystemFiles() {
  static SystemFileSystem files;
  return files;
}

}  // namespace tamvo
