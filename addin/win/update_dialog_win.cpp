#include "addin/win/update_dialog_win.h"

#include <windows.h>

#include <functional>
#include <vector>

#include "addin/update_dialog_layout.h"
#include "addin/win/com_error.h"
#include "addin/win/screen_scale.h"
#include "addin/win/wide_text.h"
#include "engine/failure.h"
#include "engine/unique_handle.h"

namespace tamvo::addin {

namespace {

constexpr wchar_t kWindowClass[] = L"tamvoUpdateDialog";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

using Font = UniqueHandle<HFONT, DeleteObject>;
using Hook = UniqueHandle<HHOOK, UnhookWindowsHookEx>;

class WinUpdateDialog : public UpdateDialog {
 public:
  explicit WinUpdateDialog(Connection& connection) : connection_(connection) {}
  ~WinUpdateDialog() override { Unload(); }

  float Width() override {
    return static_cast<float>(ScreenScale::Current().TwipsX(Frame().right - Frame().left));
  }
  float Height() override {
    return static_cast<float>(ScreenScale::Current().TwipsY(Frame().bottom - Frame().top));
  }
  void SetLeft(float twips) override {
    SetWindowPos(window_, nullptr, ScreenScale::Current().PixelsX(twips), Frame().top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetTop(float twips) override {
    SetWindowPos(window_, nullptr, Frame().left, ScreenScale::Current().PixelsY(twips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ShowModeless() override {
    Load();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    // A freshly loaded dialog starts on its first button.
    if (firstShowing_) SetFocus(GetDlgItem(window_, kFirstUpdateButtonId));
    firstShowing_ = false;
  }
  void Unload() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  void ShowFindings(const std::vector<FindingRow>& rows) override;

 private:
  RECT Frame() {
    Load();
    RECT frame{};
    GetWindowRect(window_, &frame);
    return frame;
  }
  void Load();
  void CreateControls(const ScreenScale& scale, HINSTANCE module);
  // Runs a button's command; a failure is reported as the command dialog
  // reports one, and the dialog stays.
  void Run(const std::function<void()>& step);
  void GoToChosenRow();
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);

  Connection& connection_;
  HWND window_ = nullptr;
  Font font_;
  Hook hook_;
  bool firstShowing_ = false;
  std::vector<FindingRow> rows_;

  // The dialog whose keys the hook routes; one add-in, one dialog per thread.
  static thread_local WinUpdateDialog* keyboardOwner_;
};

thread_local WinUpdateDialog* WinUpdateDialog::keyboardOwner_ = nullptr;

void WinUpdateDialog::Load() {
  if (window_ != nullptr) return;
  const HINSTANCE module = ThisModule();
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (!GetClassInfoExW(module, kWindowClass, &windowClass)) {
    windowClass = WNDCLASSEXW{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) throw Failure(u"The dialog could not be created");
  }

  const ScreenScale scale = ScreenScale::Current();
  RECT frame{0, 0, scale.PixelsX(kUpdateDialogClientWidthTwips),
             scale.PixelsY(kUpdateDialogClientHeightTwips)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  window_ = CreateWindowExW(kExStyle, kWindowClass, ToWide(kUpdateDialogCaption).c_str(), kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, module, this);
  if (window_ == nullptr) throw Failure(u"The dialog could not be created");
  firstShowing_ = true;

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
  }
  CreateControls(scale, module);
  if (!rows_.empty()) ShowFindings(std::vector<FindingRow>(rows_));

  // The editor's message loop doesn't know this window: Tab, Enter and the
  // access keys reach it through a hook on this thread.
  keyboardOwner_ = this;
  hook_.reset(SetWindowsHookExW(WH_GETMESSAGE, KeyboardHook, nullptr, GetCurrentThreadId()));
}

void WinUpdateDialog::CreateControls(const ScreenScale& scale, HINSTANCE module) {
  // Creation order is tab order, and the layout's order is that.
  for (const auto& control : kUpdateDialogLayout) {
    int left = control.left;
    int top = control.top;
    for (const auto& frame : kUpdateDialogLayout) {
      if (frame.id == control.frame) {
        left += frame.left;
        top += frame.top;
      }
    }
    const wchar_t* windowClass = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (control.kind) {
      case UpdateControlLayout::Frame:
        style |= BS_GROUPBOX;
        break;
      case UpdateControlLayout::Button:
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case UpdateControlLayout::List:
        windowClass = L"LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    }
    HWND child =
        CreateWindowExW(exStyle, windowClass, ToWide(control.caption).c_str(), style, scale.PixelsX(left),
                        scale.PixelsY(top), scale.PixelsX(control.width), scale.PixelsY(control.height),
                        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), module, nullptr);
    if (child != nullptr && font_)
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
}

void WinUpdateDialog::ShowFindings(const std::vector<FindingRow>& rows) {
  rows_ = rows;
  if (window_ == nullptr) return;
  const HWND list = GetDlgItem(window_, kFindingsListId);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const FindingRow& row : rows_) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(row.text).c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void WinUpdateDialog::Run(const std::function<void()>& step) {
  try {
    step();
  } catch (const Failure& failure) {
    MessageBoxW(window_, ToWide(failure.Description()).c_str(), ToWide(kApplicationTitle).c_str(),
                MB_ICONWARNING);
  }
}

void WinUpdateDialog::GoToChosenRow() {
  const auto chosen = SendMessageW(GetDlgItem(window_, kFindingsListId), LB_GETCURSEL, 0, 0);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= rows_.size()) return;
  const LineNumber line = rows_[static_cast<std::size_t>(chosen)].line;
  if (line > 0) Run([&] { connection_.GoToLine(line); });
}

LRESULT CALLBACK WinUpdateDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* dialog = reinterpret_cast<WinUpdateDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (dialog == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  Guarded(GUID_NULL, [&] { result = dialog->OnMessage(window, message, wParam, lParam); });
  return result;
}

LRESULT WinUpdateDialog::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (const auto command = CommandOfUpdateButton(id); command && code == BN_CLICKED) {
        Run([&] { connection_.RunUpdate(*command); });
      } else if (id == kCheckAgainButtonId && code == BN_CLICKED) {
        connection_.RefreshFindings();
      } else if (id == kFindingsListId && code == LBN_DBLCLK) {
        GoToChosenRow();
      } else if (id == IDOK && GetFocus() == GetDlgItem(window_, kFindingsListId)) {
        // Enter, as IsDialogMessage passes it on: on the list it chooses.
        GoToChosenRow();
      }
      return 0;
    }
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_DESTROY:
      hook_.reset();
      if (keyboardOwner_ == this) keyboardOwner_ = nullptr;
      return 0;
    case WM_NCDESTROY:
      font_.reset();
      window_ = nullptr;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      // The class goes with its last window, so an unloaded DLL leaves none behind.
      UnregisterClassW(kWindowClass, ThisModule());
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK WinUpdateDialog::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* message = reinterpret_cast<MSG*>(lParam);
  WinUpdateDialog* dialog = keyboardOwner_;
  if (code == HC_ACTION && wParam == PM_REMOVE && dialog != nullptr && dialog->window_ != nullptr &&
      message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
      (message->hwnd == dialog->window_ || IsChild(dialog->window_, message->hwnd)) &&
      IsDialogMessageW(dialog->window_, message)) {
    message->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::unique_ptr<UpdateDialog> CreateUpdateDialog(Connection& connection) {
  return std::make_unique<WinUpdateDialog>(connection);
}

}  // namespace tamvo::addin
