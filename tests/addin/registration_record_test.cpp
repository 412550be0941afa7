#include "addin/registration_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "addin/code_page.h"
#include "addin/identity.h"
#include "engine/failure.h"

namespace tamvo::addin {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t IntegerAt(const Bytes& bytes, std::size_t offset) {
  return bytes.at(offset) | bytes.at(offset + 1) << 8 | bytes.at(offset + 2) << 16 |
         static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24;
}

Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

TEST(RegistrationRecord, TamvixRecordHasTheDesignersLayout) {
  const Bytes bytes = EncodeRegistrationRecord(TamvixRegistrationRecord());
  ASSERT_EQ(bytes.size(), 180u);

  const Bytes classId = {0xF7, 0x14, 0x07, 0xAC, 0x04, 0x3D, 0xD1, 0x11,
                         0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4};
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 16), classId);

  // Offsets follow from the counts: 20 + 4 + 49, + 4 + 21, + 4 + 50, ...
  const struct {
    const char* field;
    std::size_t offset;
    std::uint32_t value;
  } integers[] = {
      {"record size", 16, 160},
      {"registry root count", 20, 49},
      {"display name count", 73, 21},
      {"description count", 98, 50},
      {"load behaviour", 152, 1},
      {"satellite DLL count", 156, 0},
      {"additional registry key count", 160, 0},
      {"command-line safe", 164, 0},
  };
  for (const auto& integer : integers) {
    EXPECT_EQ(IntegerAt(bytes, integer.offset), integer.value) << integer.field;
  }
  EXPECT_EQ(Bytes(bytes.begin() + 168, bytes.end()), Bytes(12, 0));

  const struct {
    std::size_t offset;
    std::u16string text;
  } strings[] = {
      {24, u"HKEY_CURRENT_USER\\Software\\Microsoft\\VBA\\VBE\\6.0"},
      {77, u"コメント挿入アドイン"},
      {102, u"VBソースコードにJavaDoc風のコメントを挿入します。"},
  };
  for (const auto& string : strings) {
    const std::string encoded = ToCodePage932(string.text);
    EXPECT_EQ(Bytes(bytes.begin() + string.offset, bytes.begin() + string.offset + encoded.size() + 1),
              BytesOf(std::string_view(encoded.c_str(), encoded.size() + 1)));
  }
}

TEST(RegistrationRecord, CheckedInResourceIsWhatTheEncoderWrites) {
  std::ifstream file(TAMVO_REGISTRATION_RECORD_FILE, std::ios::binary);
  ASSERT_TRUE(file) << TAMVO_REGISTRATION_RECORD_FILE;
  const Bytes checkedIn{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  EXPECT_EQ(checkedIn, EncodeRegistrationRecord(TamvixRegistrationRecord()))
      << "rebuild it with the target update-registration-record";
}

TEST(RegistrationRecord, DecodingGivesBackWhatWasEncoded) {
  RegistrationRecord full = TamvixRegistrationRecord();
  full.satelliteDll = u"tamvo_ja.dll";
  full.additionalRegistryKey = u"Software\\tamvo\\設定";
  full.loadBehavior = 0;
  full.commandLineSafe = 1;
  RegistrationRecord empty;
  empty.designerClassId = Guid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};

  for (const RegistrationRecord& record : {TamvixRegistrationRecord(), full, empty}) {
    EXPECT_EQ(DecodeRegistrationRecord(EncodeRegistrationRecord(record)), record);
  }
}

TEST(RegistrationRecord, EncodingRefusesTextOutsideCodePage932) {
  RegistrationRecord record = TamvixRegistrationRecord();
  record.displayName = u"caf\u00E9";
  EXPECT_THROW(EncodeRegistrationRecord(record), Failure);
}

TEST(RegistrationRecord, DecodingRefusesMalformedBytes) {
  const Bytes good = EncodeRegistrationRecord(TamvixRegistrationRecord());
  const auto withInteger = [&](std::size_t offset, std::uint32_t value) {
    Bytes bytes = good;
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
  };
  const auto withByte = [&](std::size_t offset, std::uint8_t value) {
    Bytes bytes = good;
    bytes[offset] = value;
    return bytes;
  };
  Bytes longer = good;
  longer.push_back(0);

  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"nothing", {}},
      {"class id only", Bytes(good.begin(), good.begin() + 16)},
      {"cut in the reserved bytes", Bytes(good.begin(), good.end() - 1)},
      {"a byte past the end", longer},
      {"record size too small", withInteger(16, 159)},
      {"record size too large", withInteger(16, 161)},
      {"root count past the end", withInteger(20, 0xFFFFFFFF)},
      {"root without its NUL", withByte(20 + 4 + 48, 'x')},
      {"root with a NUL inside", withByte(20 + 4 + 3, 0)},
      // The first byte of "コ", 0x83, leads a two-byte character that a space
      // cannot end.
      {"display name not code page 932", withByte(78, 0x20)},
  };
  for (const auto& bad : cases) {
    EXPECT_THROW(DecodeRegistrationRecord(bad.bytes), Failure) << bad.what;
  }
}

}  // namespace
}  // namespace tamvo::addin
