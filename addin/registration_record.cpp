#include "addin/registration_record.h"

#include <string_view>

#include "addin/code_page.h"
#include "engine/failure.h"

namespace tamvo::addin {
namespace {

constexpr std::size_t kReservedBytes = 12;

class Writer {
 public:
  void Integer(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  void Short(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void ClassId(const Guid& id) {
    Integer(id.data1);
    Short(id.data2);
    Short(id.data3);
    bytes_.insert(bytes_.end(), id.data4.begin(), id.data4.end());
  }
  void CountedString(std::u16string_view text) {
    if (text.empty()) {
      Integer(0);
      return;
    }
    const std::string encoded = ToCodePage932(text);
    Integer(static_cast<std::uint32_t>(encoded.size() + 1));
    bytes_.insert(bytes_.end(), encoded.begin(), encoded.end());
    bytes_.push_back(0);
  }
  void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint32_t Integer() {
    const auto field = Take(4);
    return static_cast<std::uint32_t>(field[0]) | static_cast<std::uint32_t>(field[1]) << 8 |
           static_cast<std::uint32_t>(field[2]) << 16 | static_cast<std::uint32_t>(field[3]) << 24;
  }
  Guid ClassId() {
    Guid id;
    id.data1 = Integer();
    const auto shorts = Take(4);
    id.data2 = static_cast<std::uint16_t>(shorts[0] | shorts[1] << 8);
    id.data3 = static_cast<std::uint16_t>(shorts[2] | shorts[3] << 8);
    const auto tail = Take(8);
    std::copy(tail.begin(), tail.end(), id.data4.begin());
    return id;
  }
  std::u16string CountedString() {
    const std::uint32_t count = Integer();
    if (count == 0) return {};
    const auto field = Take(count);
    if (field.back() != 0) throw Failure(u"a string of the registration record lacks its NUL");
    const std::string_view text(reinterpret_cast<const char*>(field.data()), field.size() - 1);
    if (text.find('\0') != std::string_view::npos) {
      throw Failure(u"a string of the registration record holds a NUL");
    }
    return FromCodePage932(text);
  }
  std::span<const std::uint8_t> Take(std::size_t count) {
    if (count > bytes_.size() - position_) throw Failure(u"the registration record is cut short");
    const auto field = bytes_.subspan(position_, count);
    position_ += count;
    return field;
  }
  std::size_t Left() const { return bytes_.size() - position_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace

std::vector<std::uint8_t> EncodeRegistrationRecord(const RegistrationRecord& record) {
  Writer writer;
  writer.ClassId(record.designerClassId);
  const std::size_t sizeField = writer.Bytes().size();
  writer.Integer(0);
  writer.CountedString(record.registryRoot);
  writer.CountedString(record.displayName);
  writer.CountedString(record.description);
  writer.Integer(record.loadBehavior);
  writer.CountedString(record.satelliteDll);
  writer.CountedString(record.additionalRegistryKey);
  writer.Integer(record.commandLineSafe);
  writer.Zeros(kReservedBytes);

  auto& bytes = writer.Bytes();
  const auto size = static_cast<std::uint32_t>(bytes.size() - sizeField - 4);
  for (int i = 0; i < 4; ++i) bytes[sizeField + i] = static_cast<std::uint8_t>(size >> (8 * i));
  return std::move(bytes);
}

RegistrationRecord DecodeRegistrationRecord(std::span<const std::uint8_t> bytes) {
  Reader reader(bytes);
  RegistrationRecord record;
  record.designerClassId = reader.ClassId();
  if (reader.Integer() != reader.Left()) {
    throw Failure(u"the registration record's size does not match its bytes");
  }
  record.registryRoot = reader.CountedString();
  record.displayName = reader.CountedString();
  record.description = reader.CountedString();
  record.loadBehavior = reader.Integer();
  record.satelliteDll = reader.CountedString();
  record.additionalRegistryKey = reader.CountedString();
  record.commandLineSafe = reader.Integer();
  reader.Take(kReservedBytes);
  if (reader.Left() != 0) throw Failure(u"the registration record has bytes past its end");
  return record;
}

}  // namespace tamvo::addin
