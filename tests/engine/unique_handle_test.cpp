#include "engine/unique_handle.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace tamvo {
namespace {

std::vector<int> closed;
void Close(int handle) { closed.push_back(handle); }
using Handle = UniqueHandle<int, Close, -1>;

TEST(UniqueHandle, ClosesEachHandleOnceWhateverWayItsOwnerGoes) {
  closed.clear();
  try {
    Handle thrown(1);
    throw std::runtime_error("passing");
  } catch (const std::runtime_error&) {
  }
  {
    Handle moved(2);
    Handle taker(std::move(moved));
    Handle assigned(3);
    assigned = std::move(taker);  // closes 3, holds 2
    Handle empty;
    Handle released(4);
    EXPECT_EQ(released.release(), 4);
    Handle reset(5);
    reset.reset(6);
  }
  EXPECT_EQ(closed, (std::vector<int>{1, 3, 5, 6, 2}));
}

}  // namespace
}  // namespace tamvo
