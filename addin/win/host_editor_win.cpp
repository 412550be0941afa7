#include "addin/win/host_editor_win.h"

#include <atomic>

#include "addin/win/command_dialog_win.h"
#include "engine/failure.h"

namespace tamvo::addin {

namespace {

// _dispCommandBarControlEvents, the dispatch interface of a command bar
// control's events: Click is DISPID 1.
constexpr IID kCommandBarControlEvents = {
    0x0002E131, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kClick = 1;

class ClickSink final : public IDispatch {
 public:
  explicit ClickSink(std::function<void()> onClick) : onClick_(std::move(onClick)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kCommandBarControlEvents) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  // Click(CommandBarControl, handled, CancelDefault): the arguments are left
  // as the editor passed them.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (id != kClick) return S_OK;
    try {
      onClick_();
    } catch (...) {
    }
    return S_OK;
  }

 private:
  std::function<void()> onClick_;
  std::atomic<ULONG> references_{1};
};

float TwipsPerPixel(int axis) {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = screen != nullptr ? GetDeviceCaps(screen, axis) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return pixelsPerInch > 0 ? 1440.0f / static_cast<float>(pixelsPerInch) : 0.0f;
}

}  // namespace

ClickSubscription::ClickSubscription(Microsoft::WRL::ComPtr<IDispatch> source, std::function<void()> onClick)
    : source_(std::move(source)) {
  Microsoft::WRL::ComPtr<IConnectionPointContainer> container;
  if (!source_ || FAILED(source_.As(&container)) ||
      FAILED(container->FindConnectionPoint(kCommandBarControlEvents, &point_))) {
    throw Failure(u"Object doesn't support this property or method");
  }
  Microsoft::WRL::ComPtr<IDispatch> sink;
  sink.Attach(new ClickSink(std::move(onClick)));
  if (FAILED(point_->Advise(sink.Get(), &cookie_))) {
    throw Failure(u"Object doesn't support this property or method");
  }
}

ClickSubscription::~ClickSubscription() {
  if (point_ && cookie_ != 0) point_->Unadvise(cookie_);
}

std::shared_ptr<MenuItem> WinHostEditor::AddToAddInCommandBar(std::u16string_view caption) {
  try {
    auto bar = code_.Object().GetObject(u"CommandBars").Get(u"Item", {win::Variant(u"Add-Ins")}).ToDispatch();
    if (!bar) return nullptr;
    win::Dispatch control =
        win::Dispatch(bar).GetObject(u"Controls").GetObject(u"Add", {win::Variant(SHORT{1})});
    control.Put(u"Caption", win::Variant(caption));
    return std::make_shared<WinMenuItem>(std::move(control));
  } catch (...) {
    return nullptr;
  }
}

std::shared_ptr<EventSubscription> WinHostEditor::CommandBarEvents(const std::shared_ptr<MenuItem>& item,
                                                                   std::function<void()> onClick) {
  auto* control = dynamic_cast<WinMenuItem*>(item.get());
  auto source =
      code_.Object()
          .GetObject(u"Events")
          .Get(u"CommandBarEvents", {win::Variant(control != nullptr ? control->Object() : nullptr)})
          .ToDispatch();
  return std::make_shared<ClickSubscription>(std::move(source), std::move(onClick));
}

WindowRect WinHostEditor::MainWindow() {
  const auto window = code_.Object().GetObject(u"MainWindow");
  return {window.Get(u"Left").ToLong(), window.Get(u"Top").ToLong(), window.Get(u"Width").ToLong(),
          window.Get(u"Height").ToLong()};
}

float WinHostEditor::TwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }

float WinHostEditor::TwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }

std::unique_ptr<CommandDialog> WinHostEditor::NewCommandDialog(Connection& connection) {
  return CreateCommandDialog(connection);
}

HWND WinHostEditor::MainWindowHandle() noexcept {
  try {
    return reinterpret_cast<HWND>(
        static_cast<INT_PTR>(code_.Object().GetObject(u"MainWindow").Get(u"HWnd").ToLong()));
  } catch (...) {
    return nullptr;
  }
}

}  // namespace tamvo::addin
