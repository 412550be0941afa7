#include "tests/win/screenshot.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

namespace tamvo::test {

namespace {

using Microsoft::WRL::ComPtr;

// A device-independent picture of the given size, selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    size_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  std::vector<unsigned char> Pixels() const {
    GdiFlush();
    const auto* first = static_cast<const unsigned char*>(bits_);
    return std::vector<unsigned char>(first, first + size_);
  }

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

bool SaveWindowPng(HWND window, const std::wstring& path) {
  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  Canvas canvas(width, height);
  HDC source = GetWindowDC(window);
  BitBlt(canvas.dc(), 0, 0, width, height, source, 0, 0, SRCCOPY);
  ReleaseDC(window, source);

  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmap> picture;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> page;
  ComPtr<IPropertyBag2> options;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&factory))) &&
         SUCCEEDED(
             factory->CreateBitmapFromHBITMAP(canvas.bitmap(), nullptr, WICBitmapIgnoreAlpha, &picture)) &&
         SUCCEEDED(factory->CreateStream(&stream)) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(&page, &options)) && SUCCEEDED(page->Initialize(options.Get())) &&
         SUCCEEDED(page->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
         SUCCEEDED(page->SetPixelFormat(&format)) && SUCCEEDED(page->WriteSource(picture.Get(), nullptr)) &&
         SUCCEEDED(page->Commit()) && SUCCEEDED(encoder->Commit());
}

bool FontHasGlyph(HFONT font, wchar_t character) {
  auto draw = [font](wchar_t c) {
    Canvas canvas(48, 48);
    RECT all{0, 0, 48, 48};
    FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const HGDIOBJ old = SelectObject(canvas.dc(), font);
    DrawTextW(canvas.dc(), &c, 1, &all, DT_LEFT | DT_TOP | DT_NOPREFIX);
    SelectObject(canvas.dc(), old);
    return canvas.Pixels();
  };
  return draw(character) != draw(L'\uE000');
}

}  // namespace tamvo::test
