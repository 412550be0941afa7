#pragma once
// The add-in registration record: where the editor looks for the add-in's
// entry, the name and description its add-in list shows, and when it loads
// the add-in. tamvo.dll carries the record as a resource of its own, in the
// layout of the add-in designer, and DllRegisterServer turns it into the
// editor's registry entry.
//
// Layout, integers 32-bit little-endian:
//   designer class id       16 bytes
//   record size             bytes of everything below
//   registry root           counted string
//   display name            counted string
//   description             counted string
//   load behaviour          integer
//   satellite DLL           counted string
//   additional registry key counted string
//   command-line safe       integer
//   reserved                12 zero bytes
// A counted string is its byte count, terminating NUL included, then that
// many bytes of code page 932 text; an empty string is the count 0 alone.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tamvo::addin {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  bool operator==(const Guid&) const = default;
};

// {AC0714F7-3D04-11D1-AE7D-00A0C90F26F4}, the class of the add-in designer
// that every record starts with.
inline constexpr Guid kAddinDesignerClassId{
    0xAC0714F7, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};

struct RegistrationRecord {
  Guid designerClassId = kAddinDesignerClassId;
  std::u16string registryRoot;
  std::u16string displayName;
  std::u16string description;
  std::uint32_t loadBehavior = 0;
  std::u16string satelliteDll;
  std::u16string additionalRegistryKey;
  std::uint32_t commandLineSafe = 0;

  bool operator==(const RegistrationRecord&) const = default;
};

// Throws Failure when a text has no code page 932 form.
std::vector<std::uint8_t> EncodeRegistrationRecord(const RegistrationRecord& record);

// Throws Failure unless bytes hold exactly one well-formed record.
RegistrationRecord DecodeRegistrationRecord(std::span<const std::uint8_t> bytes);

}  // namespace tamvo::addin
