#pragma once
// Text kept for the lines of a module to view, addressed by 32-bit numbers
// so that a line of a module takes 12 bytes rather than 16. Kept text never
// moves, and stays until the store goes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tamvo {

class TextStore {
 public:
  using Address = std::uint32_t;

  // Keeps a copy of text; the address of its first character. Throws
  // Failure past 4 Gi characters in all.
  Address Add(std::u16string_view text);
  // Takes over a buffer of size characters as it is.
  Address Adopt(std::unique_ptr<char16_t[]> text, std::size_t size);

  const char16_t* At(Address address) const { return slots_[address >> kSlotBits] + (address & kSlotMask); }

 private:
  // The address space is cut into slots of 32,768 characters; a slot is
  // the start of a block, or a place inside one that takes several.
  static constexpr unsigned kSlotBits = 15;
  static constexpr std::size_t kSlotSize = std::size_t{1} << kSlotBits;
  static constexpr Address kSlotMask = kSlotSize - 1;

  Address Register(std::unique_ptr<char16_t[]> block, std::size_t size);

  std::vector<const char16_t*> slots_;
  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  std::size_t used_ = kSlotSize;  // of the last slot; full: the next Add opens one
};

}  // namespace tamvo
