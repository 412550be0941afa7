#pragma once
// One owner for every handle that is not memory: a file descriptor, a font,
// a hook, a BSTR. The handle is closed exactly once, when its owner goes,
// also when an exception passes.
//
//   using FileDescriptor = UniqueHandle<int, CloseFd, -1>;
//   using Font = UniqueHandle<HFONT, DeleteFont>;
//
// Close is any function or function object that takes the handle; its
// result, if any, is ignored (nothing could be done with it in a destructor).

#include <utility>

namespace tamvo {

template <typename T, auto Close, T Invalid = T{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Invalid; }

  // Gives the handle up without closing it.
  [[nodiscard]] T release() noexcept { return std::exchange(handle_, Invalid); }
  // Closes the handle held, if any, and holds the new one.
  void reset(T handle = Invalid) noexcept {
    const T old = std::exchange(handle_, handle);
    if (old != Invalid) Close(old);
  }

 private:
  T handle_ = Invalid;
};

}  // namespace tamvo
