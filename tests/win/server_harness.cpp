#include "tests/win/server_harness.h"

#include <objbase.h>

#include <stdexcept>
#include <vector>

#include "addin/identity.h"
#include "addin/win/tamvix.h"
#include "addin/win/wide_text.h"

namespace tamvo::test {
namespace {

const std::wstring kClasses = L"Software\\Classes\\";

std::wstring ProgId() { return addin::ToWide(addin::kProgId); }

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}

}  // namespace

std::wstring ServerPath() {
  std::vector<wchar_t> buffer(MAX_PATH * 4);
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  Check(length > 0 && length < buffer.size(), "GetModuleFileNameW");
  std::wstring path(buffer.data(), length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"tamvo.dll";
}

DWORD RunRegsvr32(bool unregister) {
  std::wstring command = L"regsvr32.exe /s ";
  if (unregister) command += L"/u ";
  command += L"\"" + ServerPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  Check(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process),
        "CreateProcessW regsvr32");
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const std::wstring& name) {
  DWORD bytes = 0;
  if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

std::optional<std::uint32_t> ReadDword(HKEY root, const std::wstring& key, const std::wstring& name) {
  DWORD value = 0;
  DWORD bytes = sizeof(value);
  if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

void MirrorUserClasses() {
  RemoveMirroredClasses();
  for (const std::wstring& key : {L"CLSID\\" + ConnectClassId(), ProgId()}) {
    HKEY source = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (kClasses + key).c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) {
      continue;
    }
    HKEY target = nullptr;
    const LSTATUS created = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str(), 0, nullptr, 0,
                                            KEY_ALL_ACCESS, nullptr, &target, nullptr);
    const LSTATUS copied = created == ERROR_SUCCESS ? RegCopyTreeW(source, nullptr, target) : created;
    RegCloseKey(source);
    if (created == ERROR_SUCCESS) RegCloseKey(target);
    Check(copied == ERROR_SUCCESS, "copy a class key to the machine");
  }
}

void RemoveMirroredClasses() {
  for (const std::wstring& key : {L"CLSID\\" + ConnectClassId(), ProgId()}) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str());
  }
}

Apartment::Apartment() {
  Check(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)), "CoInitializeEx");
}

Apartment::~Apartment() { CoUninitialize(); }

std::wstring ConnectClassId() {
  wchar_t text[39];
  StringFromGUID2(__uuidof(Connect), text, 39);
  return text;
}

}  // namespace tamvo::test
