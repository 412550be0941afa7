#include "addin/dialog_placement.h"

#include <cmath>
#include <limits>

namespace tamvo {

std::optional<float> CentredCoordinate(int windowStartPixels, int windowExtentPixels,
                                       double dialogExtentTwips, double twipsPerPixel) {
  if (twipsPerPixel == 0.0) return std::nullopt;
  const double twips =
      ((windowExtentPixels - dialogExtentTwips / twipsPerPixel) / 2.0 + windowStartPixels) * twipsPerPixel;
  if (!std::isfinite(twips) || std::fabs(twips) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(twips);
}

}  // namespace tamvo
