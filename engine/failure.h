#pragma once
// The one failure type of the system. It carries the description text that a
// command's error report shows to the user.

#include <stdexcept>
#include <string>
#include <string_view>

namespace tamvo {

// The editor's own words for a call it refuses (its run-time error 5):
// failures of that kind begin with them, whichever layer finds them.
inline constexpr std::u16string_view kInvalidArgument = u"Invalid procedure call or argument";

class Failure : public std::runtime_error {
 public:
  explicit Failure(std::u16string description);

  const std::u16string& Description() const noexcept { return description_; }

 private:
  std::u16string description_;
};

}  // namespace tamvo
