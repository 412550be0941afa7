#pragma once
// The one failure type of the system. It carries the description text that a
// command's error report shows to the user.

#include <stdexcept>
#include <string>

namespace tamvo {

class Failure : public std::runtime_error {
 public:
  explicit Failure(std::u16string description);

  const std::u16string& Description() const noexcept { return description_; }

 private:
  std::u16string description_;
};

}  // namespace tamvo
