#pragma once
// A sequence with a movable gap: inserting or erasing at the gap costs only
// the elements inserted or erased, and moving the gap costs the distance it
// moves. Edits that walk a module from its end to its start therefore cost
// time linear in the module's size, where a plain vector would be quadratic.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace tamvo {

template <typename T>
class GapBuffer {
 public:
  GapBuffer() = default;
  // Takes the items as they are, the gap at their end: a module loads
  // without a second copy of its lines.
  explicit GapBuffer(std::vector<T> items)
      : buffer_(std::move(items)), gapStart_(buffer_.size()), gapEnd_(buffer_.size()) {}

  std::size_t size() const { return buffer_.size() - (gapEnd_ - gapStart_); }

  T& operator[](std::size_t i) { return buffer_[Physical(i)]; }
  const T& operator[](std::size_t i) const { return buffer_[Physical(i)]; }

  // Inserts items so that the first of them becomes element pos.
  void Insert(std::size_t pos, std::vector<T> items) {
    Reserve(items.size());
    MoveGap(pos);
    for (auto& item : items) buffer_[gapStart_++] = std::move(item);
  }

  void Erase(std::size_t pos, std::size_t count) {
    MoveGap(pos);
    for (std::size_t i = 0; i < count; ++i) buffer_[gapEnd_ + i] = T();
    gapEnd_ += count;
  }

 private:
  std::size_t Physical(std::size_t i) const { return i < gapStart_ ? i : i + (gapEnd_ - gapStart_); }

  void MoveGap(std::size_t pos) {
    if (gapStart_ == gapEnd_) {  // an empty gap moves for free (and must not self-move)
      gapStart_ = gapEnd_ = pos;
      return;
    }
    while (gapStart_ > pos) buffer_[--gapEnd_] = std::move(buffer_[--gapStart_]);
    while (gapStart_ < pos) buffer_[gapStart_++] = std::move(buffer_[gapEnd_++]);
  }

  void Reserve(std::size_t extra) {
    if (gapEnd_ - gapStart_ >= extra) return;
    const std::size_t tail = buffer_.size() - gapEnd_;
    const std::size_t capacity = std::max(buffer_.size() * 2, size() + extra + 16);
    std::vector<T> grown(capacity);
    for (std::size_t i = 0; i < gapStart_; ++i) grown[i] = std::move(buffer_[i]);
    for (std::size_t i = 0; i < tail; ++i) grown[capacity - tail + i] = std::move(buffer_[gapEnd_ + i]);
    buffer_ = std::move(grown);
    gapEnd_ = capacity - tail;
  }

  std::vector<T> buffer_;
  std::size_t gapStart_ = 0;
  std::size_t gapEnd_ = 0;
};

}  // namespace tamvo
