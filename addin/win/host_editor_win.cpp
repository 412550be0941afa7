#include "addin/win/host_editor_win.h"

#include "addin/win/com_object.h"
#include "addin/win/command_dialog_win.h"
#include "addin/win/screen_scale.h"
#include "addin/win/update_dialog_win.h"
#include "engine/failure.h"

// _dispCommandBarControlEvents, the dispatch interface of a command bar
// control's events: Click is DISPID 1. An IDispatch of this id is a sink.
MIDL_INTERFACE("0002E131-0000-0000-C000-000000000046")
CommandBarControlEvents : public IDispatch{};
__CRT_UUID_DECL(CommandBarControlEvents, 0x0002E131, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                0x46)

namespace tamvo::addin {

namespace {

constexpr DISPID kClick = 1;

class ClickSink final : public ComObject<CommandBarControlEvents> {
 public:
  explicit ClickSink(std::function<void()> onClick) : onClick_(std::move(onClick)) {}

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
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* exception,
                                   UINT*) override {
    if (id != kClick) return S_OK;
    return Guarded(__uuidof(CommandBarControlEvents), onClick_, exception);
  }

 private:
  ~ClickSink() override = default;

  std::function<void()> onClick_;
};

}  // namespace

ClickSubscription::ClickSubscription(Microsoft::WRL::ComPtr<IDispatch> source, std::function<void()> onClick)
    : source_(std::move(source)) {
  Microsoft::WRL::ComPtr<IConnectionPointContainer> container;
  if (!source_ || FAILED(source_.As(&container)) ||
      FAILED(container->FindConnectionPoint(__uuidof(CommandBarControlEvents), &point_))) {
    throw Failure(u"Object doesn't support this property or method");
  }
  Microsoft::WRL::ComPtr<IDispatch> sink;
  ThrowIfFailed(CreateComObject<ClickSink>(IID_PPV_ARGS(&sink), std::move(onClick)));
  if (FAILED(point_->Advise(sink.Get(), &cookie_))) {
    throw Failure(u"Object doesn't support this property or method");
  }
}

ClickSubscription::~ClickSubscription() {
  if (point_ && cookie_ != 0) point_->Unadvise(cookie_);
}

std::shared_ptr<WinMenuItem> WinHostEditor::AddMenuItem(std::u16string_view caption) {
  try {
    auto bar = code_.Object().GetObject(u"CommandBars").Get(u"Item", {win::Variant(u"Add-Ins")}).ToDispatch();
    if (!bar) return nullptr;
    win::Dispatch control =
        win::Dispatch(bar).GetObject(u"Controls").GetObject(u"Add", {win::Variant(SHORT{1})});
    control.Put(u"Caption", win::Variant(caption));
    auto item = std::make_shared<WinMenuItem>(std::move(control));
    std::erase_if(menuItems_, [](const auto& made) { return made.expired(); });
    menuItems_.push_back(item);
    return item;
  } catch (...) {
    return nullptr;
  }
}

std::shared_ptr<EventSubscription> WinHostEditor::CommandBarEvents(const std::shared_ptr<MenuItem>& item,
                                                                   std::function<void()> onClick) {
  IDispatch* control = nullptr;
  for (const auto& made : menuItems_) {
    if (const auto mine = made.lock(); mine && mine.get() == item.get()) control = mine->Object();
  }
  auto source =
      code_.Object().GetObject(u"Events").Get(u"CommandBarEvents", {win::Variant(control)}).ToDispatch();
  return std::make_shared<ClickSubscription>(std::move(source), std::move(onClick));
}

WindowRect WinHostEditor::MainWindow() {
  const auto window = code_.Object().GetObject(u"MainWindow");
  return {window.Get(u"Left").ToLong(), window.Get(u"Top").ToLong(), window.Get(u"Width").ToLong(),
          window.Get(u"Height").ToLong()};
}

float WinHostEditor::TwipsPerPixelX() { return ScreenScale::Current().twipsPerPixelX; }

float WinHostEditor::TwipsPerPixelY() { return ScreenScale::Current().twipsPerPixelY; }

std::unique_ptr<CommandDialog> WinHostEditor::NewCommandDialog(Connection& connection) {
  return CreateCommandDialog(connection);
}

std::unique_ptr<UpdateDialog> WinHostEditor::NewUpdateDialog(Connection& connection) {
  return CreateUpdateDialog(connection);
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
