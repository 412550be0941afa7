#include "host/text_store.h"

#include <algorithm>

#include "engine/failure.h"

namespace tamvo {

TextStore::Address TextStore::Add(std::u16string_view text) {
  if (text.size() > kSlotSize) {
    // A line longer than a slot gets a block of its own.
    auto block = std::make_unique_for_overwrite<char16_t[]>(text.size());
    std::copy(text.begin(), text.end(), block.get());
    return Adopt(std::move(block), text.size());
  }
  if (slots_.empty() || used_ == kSlotSize || text.size() > kSlotSize - used_) {
    Register(std::make_unique_for_overwrite<char16_t[]>(kSlotSize), kSlotSize);
    used_ = 0;
  }
  // The last slot is the whole of the last block.
  std::copy(text.begin(), text.end(), blocks_.back().get() + used_);
  const auto address = static_cast<Address>(((slots_.size() - 1) << kSlotBits) | used_);
  used_ += text.size();
  return address;
}

TextStore::Address TextStore::Adopt(std::unique_ptr<char16_t[]> text, std::size_t size) {
  const Address address = Register(std::move(text), size);
  used_ = kSlotSize;  // the block is no place for more
  return address;
}

TextStore::Address TextStore::Register(std::unique_ptr<char16_t[]> block, std::size_t size) {
  const std::size_t slots = std::max<std::size_t>(1, (size + kSlotSize - 1) / kSlotSize);
  if (slots_.size() + slots > (std::size_t{1} << (32 - kSlotBits))) {
    throw Failure(u"the module's text is too long: more than 4,294,967,296 characters");
  }
  const auto address = static_cast<Address>(slots_.size() << kSlotBits);
  for (std::size_t k = 0; k < slots; ++k) slots_.push_back(block.get() + k * kSlotSize);
  blocks_.push_back(std::move(block));
  return address;
}

}  // namespace tamvo
