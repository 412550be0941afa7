#include "addin/win/input_box_win.h"

#include <vector>

#include "addin/connection.h"
#include "addin/win/com_error.h"
#include "addin/win/wide_text.h"

namespace tamvo::addin {

namespace {

constexpr WORD kPromptId = 100;
constexpr WORD kTextId = 101;

// Builds the dialog template in memory: no resource script, so the box
// needs nothing from the DLL's resources.
class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(std::wstring_view text) {
    for (const wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignToDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD windowClass) {
    AlignToDword();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    for (const short value : {x, y, cx, cy}) Word(static_cast<WORD>(value));
    Word(id);
    Word(0xFFFF);
    Word(windowClass);
    Word(0);  // no title: set at WM_INITDIALOG
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;

struct BoxState {
  std::wstring prompt;
  std::wstring text;
};

INT_PTR OnBoxMessage(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<BoxState*>(lParam);
      SetWindowLongPtrW(box, DWLP_USER, lParam);
      SetDlgItemTextW(box, kPromptId, state->prompt.c_str());
      SetDlgItemTextW(box, kTextId, state->text.c_str());
      SendDlgItemMessageW(box, kTextId, EM_SETSEL, 0, -1);
      SetFocus(GetDlgItem(box, kTextId));
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        const int length = GetWindowTextLengthW(GetDlgItem(box, kTextId));
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        GetDlgItemTextW(box, kTextId, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(length));
        state->text = std::move(text);
        EndDialog(box, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(box, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR handled = FALSE;
  Guarded(GUID_NULL, [&] { handled = OnBoxMessage(box, message, wParam, lParam); });
  return handled;
}

}  // namespace

std::optional<std::u16string> ShowInputBox(HWND owner, std::u16string_view prompt,
                                           std::u16string_view preset) {
  TemplateWriter writer;
  writer.Dword(DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  writer.Dword(0);
  writer.Word(4);  // items
  for (const short value : {0, 0, 260, 76}) writer.Word(static_cast<WORD>(value));
  writer.Word(0);  // no menu
  writer.Word(0);  // the standard dialog class
  writer.Text(ToWide(kApplicationTitle));
  writer.Word(8);
  writer.Text(L"MS Shell Dlg 2");
  writer.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 186, 42, kPromptId, kStatic);
  writer.Item(WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 7, 55, 246, 14, kTextId, kEdit);
  writer.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, 203, 7, 50, 14, IDOK, kButton);
  writer.Item(WS_TABSTOP | BS_PUSHBUTTON, 203, 24, 50, 14, IDCANCEL, kButton);

  BoxState state{ToWide(prompt), ToWide(preset)};
  HINSTANCE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&BoxProc), &module);
  const INT_PTR answer =
      DialogBoxIndirectParamW(module, writer.get(), owner, BoxProc, reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK) return std::nullopt;
  return FromWide(state.text);
}

}  // namespace tamvo::addin
