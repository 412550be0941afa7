// The add-in as the MSI installed it, for tests/win_installer/install_test.sh:
// created by its ProgID as the editor creates it, loaded from the folder the
// installer put it in, connected to the fake editor and disconnected again.
//   tamvo_installed_addin_check FOLDER
// FOLDER is where the installer put this architecture's tamvo.dll. Registers
// nothing: the registration is the installer's. Prints a line for each step
// that passed; at the first that fails, says why on standard error and exits
// with 1.

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "addin/win/extensibility.h"
#include "tests/win/addin_windows.h"
#include "tests/win/fake_editor.h"
#include "tests/win/server_harness.h"

namespace tamvo::test {
namespace {

using Microsoft::WRL::ComPtr;

// The menu items a connected add-in puts on the Add-Ins bar, in order, and
// the dialog each one's click shows.
struct MenuItemShown {
  std::wstring_view caption;
  const wchar_t* dialogClass;
};
constexpr MenuItemShown kMenuItems[] = {
    {L"コメント挿入(&C)", kDialogClass},
    {L"コメント更新(&U)", kUpdateDialogClass},
};

struct CheckFailed {
  std::wstring what;
};

void Check(bool ok, const std::wstring& what) {
  if (!ok) throw CheckFailed{what};
}

std::string Utf8(std::wstring_view text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                      nullptr);
  return bytes;
}

void Say(FILE* stream, std::wstring_view line) {
  const std::string bytes = Utf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

std::wstring Hex(HRESULT result) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
  return text;
}

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> buffer(32768);
  const DWORD length =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  Check(length > 0 && length < buffer.size(), L"no full path for " + path);
  std::wstring full(buffer.data(), length);
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  return full;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// The file of the module that holds the object's code: its QueryInterface,
// the first entry of its vtable.
std::wstring ModuleOf(IUnknown* object) {
  const void* code = (*reinterpret_cast<void* const* const*>(object))[0];
  HMODULE module = nullptr;
  Check(GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(code), &module) != FALSE,
        L"no module holds the object's code");
  std::vector<wchar_t> buffer(32768);
  const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
  Check(length > 0 && length < buffer.size(), L"no file name for the object's module");
  return std::wstring(buffer.data(), length);
}

// The add-in's FormDisplayed, read late-bound by name, as a script reads it.
bool FormDisplayed(IUnknown* object) {
  ComPtr<IDispatch> dispatch;
  Check(SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&dispatch))), L"the add-in has no IDispatch");
  wchar_t name[] = L"FormDisplayed";
  LPOLESTR names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT found = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  Check(found == S_OK, L"GetIDsOfNames(FormDisplayed) answered " + Hex(found));
  VARIANT value;
  VariantInit(&value);
  DISPPARAMS none{};
  const HRESULT read = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                        &value, nullptr, nullptr);
  Check(read == S_OK && value.vt == VT_BOOL, L"reading FormDisplayed answered " + Hex(read));
  return value.boolVal != VARIANT_FALSE;
}

// A message box means the add-in failed where the editor would have shown
// the user why.
void CheckNoMessages(const BoxAnswers& boxes, const std::wstring& when) {
  Check(boxes.messages.empty(), L"a message box " + when + L": " +
                                    (boxes.messages.empty() ? std::wstring() : boxes.messages.front()));
}

bool Shown(const wchar_t* dialogClass) {
  const HWND dialog = FindWindowW(dialogClass, nullptr);
  return dialog != nullptr && IsWindowVisible(dialog);
}

void Run(const std::wstring& folder) {
  Apartment apartment;
  BoxAnswers boxes;
  BoxAnswerer answerer(boxes);
  FakeEditorState state{u"Option Explicit\n\nSub A()\nEnd Sub"};
  state.mainWindow = CreateWindowExW(0, L"STATIC", L"editor", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                     nullptr, nullptr, nullptr);
  Check(state.mainWindow != nullptr, L"no window for the editor");

  const std::wstring progId = L"tamvix.Connect";
  CLSID id{};
  const HRESULT found = CLSIDFromProgID(progId.c_str(), &id);
  Check(found == S_OK, L"CLSIDFromProgID(" + progId + L") answered " + Hex(found));
  ComPtr<IDTExtensibility2> connect;
  const HRESULT created = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&connect));
  Check(created == S_OK, L"CoCreateInstance(" + progId + L") answered " + Hex(created));
  wchar_t idText[39] = {};
  StringFromGUID2(id, idText, 39);
  Say(stdout, L"created " + progId + L" " + idText + L" in a single-threaded apartment");

  const std::wstring dll = ModuleOf(connect.Get());
  const std::wstring file = FullPath(dll);
  const std::size_t slash = file.find_last_of(L'\\');
  Check(slash != std::wstring::npos && SamePath(file.substr(0, slash), FullPath(folder)) &&
            SamePath(file.substr(slash + 1), L"tamvo.dll"),
        L"its code is in " + dll + L", not in " + folder + L"\\tamvo.dll");
  Say(stdout, L"its code is in " + dll);

  Check(!FormDisplayed(connect.Get()), L"FormDisplayed is True before any dialog was shown");
  Say(stdout, L"late-bound by name: FormDisplayed = False");

  const ComPtr<IDispatch> vbe = MakeFakeVbe(state);
  SAFEARRAY* custom = nullptr;
  const HRESULT connected = connect->OnConnection(vbe.Get(), ext_cm_AfterStartup, nullptr, &custom);
  Check(connected == S_OK, L"OnConnection answered " + Hex(connected));
  CheckNoMessages(boxes, L"while connecting");
  const auto& bar = state.addInsBar;
  Check(bar.size() == std::size(kMenuItems), L"the Add-Ins bar has " + std::to_wstring(bar.size()) +
                                                 L" items, not " + std::to_wstring(std::size(kMenuItems)));
  std::wstring captions;
  for (std::size_t i = 0; i < bar.size(); ++i) {
    const std::wstring_view expected = kMenuItems[i].caption;
    Check(bar[i]->caption == expected, L"item " + std::to_wstring(i + 1) + L" is '" + bar[i]->caption +
                                           L"', not '" + std::wstring(expected) + L"'");
    Check(bar[i]->sinks.size() == 1,
          bar[i]->caption + L" has " + std::to_wstring(bar[i]->sinks.size()) + L" click handlers, not 1");
    captions += (i == 0 ? L"" : L", ") + bar[i]->caption;
  }
  Say(stdout,
      L"connected to the fake editor: the Add-Ins bar has " + captions + L", each with a click handler");

  for (std::size_t i = 0; i < bar.size(); ++i) {
    ClickControl(*bar[i]);
    CheckNoMessages(boxes, L"after clicking " + bar[i]->caption);
    Check(Shown(kMenuItems[i].dialogClass),
          L"clicking " + bar[i]->caption + L" shows no " + kMenuItems[i].dialogClass + L" window");
    Say(stdout, L"clicking " + bar[i]->caption + L" shows its dialog (" + kMenuItems[i].dialogClass + L")");
  }

  const HRESULT disconnected = connect->OnDisconnection(ext_dm_UserClosed, &custom);
  Check(disconnected == S_OK, L"OnDisconnection answered " + Hex(disconnected));
  CheckNoMessages(boxes, L"while disconnecting");
  for (std::size_t i = 0; i < bar.size(); ++i) {
    Check(bar[i]->deleted, bar[i]->caption + L" is still on the Add-Ins bar after disconnecting");
    Check(FindWindowW(kMenuItems[i].dialogClass, nullptr) == nullptr,
          std::wstring(kMenuItems[i].dialogClass) + L" is still open after disconnecting");
  }
  Say(stdout, L"disconnected: " + captions + L" off the Add-Ins bar, their dialogs closed");
  DestroyWindow(state.mainWindow);
}

}  // namespace
}  // namespace tamvo::test

int wmain(int argc, wchar_t** argv) {
  using namespace tamvo::test;
  if (argc != 2) {
    Say(stderr, L"usage: tamvo_installed_addin_check FOLDER");
    return 2;
  }
  try {
    Run(argv[1]);
    return 0;
  } catch (const CheckFailed& failure) {
    Say(stderr, L"installed add-in: " + failure.what);
  } catch (const std::exception& failure) {
    Say(stderr,
        L"installed add-in: " + std::wstring(failure.what(), failure.what() + std::strlen(failure.what())));
  }
  return 1;
}
