#pragma once
// A sequence with a movable gap: inserting or erasing at the gap costs only
// the elements inserted or erased, and moving the gap costs the distance it
// moves. Edits that walk a module from its end to its start therefore cost
// time linear in the module's size, where a plain vector would be quadratic.
//
// The elements are plain bytes (trivially copyable), kept in memory from
// malloc: growing is a realloc, which the C library can do for a large
// buffer by remapping its pages rather than copying them, and the part of
// the gap never written takes no memory at all.

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace tamvo {

template <typename T>
class GapBuffer {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  GapBuffer() = default;
  ~GapBuffer() { std::free(buffer_); }
  GapBuffer(const GapBuffer&) = delete;
  GapBuffer& operator=(const GapBuffer&) = delete;
  GapBuffer(GapBuffer&& other) noexcept { *this = std::move(other); }
  GapBuffer& operator=(GapBuffer&& other) noexcept {
    std::swap(buffer_, other.buffer_);
    std::swap(capacity_, other.capacity_);
    std::swap(gapStart_, other.gapStart_);
    std::swap(gapEnd_, other.gapEnd_);
    return *this;
  }

  std::size_t size() const { return capacity_ - (gapEnd_ - gapStart_); }

  T& operator[](std::size_t i) { return buffer_[Physical(i)]; }
  const T& operator[](std::size_t i) const { return buffer_[Physical(i)]; }

  // Room for count elements in all, so that loading them grows nothing.
  void Reserve(std::size_t count) {
    if (count > size()) MakeRoom(count - size());
  }

  // Inserts items so that the first of them becomes element pos.
  void Insert(std::size_t pos, std::span<const T> items) {
    MakeRoom(items.size());
    MoveGap(pos);
    std::copy(items.begin(), items.end(), buffer_ + gapStart_);
    gapStart_ += items.size();
  }

  void PushBack(const T& item) { Insert(size(), std::span<const T>(&item, 1)); }

  void Erase(std::size_t pos, std::size_t count) {
    MoveGap(pos);
    gapEnd_ += count;
  }

 private:
  std::size_t Physical(std::size_t i) const { return i < gapStart_ ? i : i + (gapEnd_ - gapStart_); }

  void MoveGap(std::size_t pos) {
    if (pos < gapStart_) {
      const std::size_t moved = gapStart_ - pos;
      std::memmove(buffer_ + gapEnd_ - moved, buffer_ + pos, moved * sizeof(T));
      gapStart_ -= moved;
      gapEnd_ -= moved;
    } else if (pos > gapStart_) {
      const std::size_t moved = pos - gapStart_;
      std::memmove(buffer_ + gapStart_, buffer_ + gapEnd_, moved * sizeof(T));
      gapStart_ += moved;
      gapEnd_ += moved;
    }
  }

  void MakeRoom(std::size_t extra) {
    if (gapEnd_ - gapStart_ >= extra) return;
    const std::size_t tail = capacity_ - gapEnd_;
    const std::size_t capacity = std::max(capacity_ * 2, size() + extra + 16);
    T* grown = static_cast<T*>(std::realloc(buffer_, capacity * sizeof(T)));
    if (!grown) throw std::bad_alloc();
    std::memmove(grown + capacity - tail, grown + gapEnd_, tail * sizeof(T));
    buffer_ = grown;
    gapEnd_ = capacity - tail;
    capacity_ = capacity;
  }

  T* buffer_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t gapStart_ = 0;
  std::size_t gapEnd_ = 0;
};

}  // namespace tamvo
