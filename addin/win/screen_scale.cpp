#include "addin/win/screen_scale.h"

#include <windows.h>

#include <cmath>

#include "engine/unique_handle.h"

namespace tamvo::addin {

namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kCommonTwipsPerPixel = 15;

using ScreenDc = UniqueHandle<HDC, [](HDC dc) { ReleaseDC(nullptr, dc); }>;

float TwipsPerPixel(HDC screen, int axis) {
  const int pixelsPerInch = screen != nullptr ? GetDeviceCaps(screen, axis) : 0;
  return pixelsPerInch > 0 ? static_cast<float>(kTwipsPerInch / pixelsPerInch) : 0.0f;
}

double Usable(float twipsPerPixel) { return twipsPerPixel > 0 ? twipsPerPixel : kCommonTwipsPerPixel; }

}  // namespace

ScreenScale ScreenScale::Current() noexcept {
  const ScreenDc screen(GetDC(nullptr));
  return {TwipsPerPixel(screen.get(), LOGPIXELSX), TwipsPerPixel(screen.get(), LOGPIXELSY)};
}

int ScreenScale::PixelsX(double twips) const noexcept {
  return static_cast<int>(std::lround(twips / Usable(twipsPerPixelX)));
}

int ScreenScale::PixelsY(double twips) const noexcept {
  return static_cast<int>(std::lround(twips / Usable(twipsPerPixelY)));
}

double ScreenScale::TwipsX(int pixels) const noexcept { return pixels * Usable(twipsPerPixelX); }

double ScreenScale::TwipsY(int pixels) const noexcept { return pixels * Usable(twipsPerPixelY); }

}  // namespace tamvo::addin
