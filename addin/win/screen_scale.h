#pragma once
// The screen's twips per pixel: the one place where the twips of the dialog's
// layout and of the editor's arithmetic meet the pixels of Win32.

namespace tamvo::addin {

struct ScreenScale {
  // 1440 twips to the inch over the screen's pixels per inch; 0 on an axis
  // whose resolution can't be read.
  float twipsPerPixelX = 0;
  float twipsPerPixelY = 0;

  static ScreenScale Current() noexcept;

  // Whole pixels for twips; an unknown axis counts 15 twips per pixel, the
  // common 96 pixels per inch.
  int PixelsX(double twips) const noexcept;
  int PixelsY(double twips) const noexcept;
  double TwipsX(int pixels) const noexcept;
  double TwipsY(int pixels) const noexcept;
};

}  // namespace tamvo::addin
