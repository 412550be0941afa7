#pragma once
// Where the command dialog goes: centred over the editor's main window.

#include <optional>

namespace tamvo {

// One coordinate of the dialog, in twips: ((window extent - dialog extent in
// pixels) / 2 + window start) * twips per pixel, computed in double
// precision and only then rounded to single precision. Nothing when the
// arithmetic fails (no twips per pixel, an overflow): the dialog then keeps
// that coordinate.
std::optional<float> CentredCoordinate(int windowStartPixels, int windowExtentPixels,
                                       double dialogExtentTwips, double twipsPerPixel);

}  // namespace tamvo
