// The resources of tamvo.dll as Windows reads them: the version block and
// the add-in registration record.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "addin/identity.h"
#include "addin/registration_record.h"
#include "tests/win/server_harness.h"

namespace tamvo::test {
namespace {

std::vector<std::uint8_t> VersionBlock() {
  const std::wstring path = ServerPath();
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  std::vector<std::uint8_t> block(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) block.clear();
  return block;
}

TEST(VersionBlock, HoldsEveryStringInJapaneseUnicode) {
  std::vector<std::uint8_t> block = VersionBlock();
  ASSERT_FALSE(block.empty());

  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, sizeof(Translation));
  EXPECT_EQ(translation->language, 0x0411);
  EXPECT_EQ(translation->codePage, 1200);

  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } strings[] = {
      {L"FileVersion", L"1.00.0001"}, {L"ProductVersion", L"1.00.0001"},   {L"ProductName", L"tamvo"},
      {L"InternalName", L"tamvo"},    {L"OriginalFilename", L"tamvo.dll"}, {L"OLESelfRegister", L""},
  };
  for (const auto& entry : strings) {
    SCOPED_TRACE(entry.name);
    wchar_t* value = nullptr;
    UINT units = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + entry.name;
    ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &units));
    EXPECT_EQ(std::wstring(value), entry.value);
  }
  wchar_t* company = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041104B0\\CompanyName",
                             reinterpret_cast<void**>(&company), &length));
  EXPECT_NE(std::wstring(company), L"");
}

TEST(VersionBlock, FixedPartIsVersion1001OfA32BitWindowsDll) {
  std::vector<std::uint8_t> block = VersionBlock();
  ASSERT_FALSE(block.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST(RegistrationRecordResource, DecodesToTheAddinsRecord) {
  const HMODULE module = LoadLibraryExW(ServerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), L"ADDINREG");
  ASSERT_NE(resource, nullptr);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, resource)));
  ASSERT_NE(data, nullptr);
  const std::vector<std::uint8_t> bytes(data, data + SizeofResource(module, resource));
  FreeLibrary(module);

  EXPECT_EQ(bytes, addin::EncodeRegistrationRecord(addin::TamvixRegistrationRecord()));
  EXPECT_EQ(addin::DecodeRegistrationRecord(bytes), addin::TamvixRegistrationRecord());
}

}  // namespace
}  // namespace tamvo::test
