#include "tests/win/addin_fixture.h"

namespace tamvo::test {

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings";

}  // namespace

void DeleteSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

std::wstring Setting(const std::wstring& path, const std::wstring& name) {
  std::wstring key = kSettingsKey;
  key += L'\\';
  key += path;
  return ReadString(HKEY_CURRENT_USER, key, name).value_or(L"<none>");
}

void AddinTest::SetUpTestSuite() {
  ASSERT_EQ(RunRegsvr32(false), 0u);
  MirrorUserClasses();
}

void AddinTest::TearDownTestSuite() {
  RunRegsvr32(true);
  RemoveMirroredClasses();
}

void AddinTest::SetUp() {
  DeleteSettings();
  answerer_.emplace(boxes);
  state.mainWindow = CreateWindowExW(0, L"STATIC", L"editor", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                     nullptr, nullptr, nullptr);
  CLSID id{};
  ASSERT_EQ(CLSIDFromProgID(L"tamvix.Connect", &id), S_OK);
  ASSERT_EQ(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&connect)), S_OK);
  vbe = MakeFakeVbe(state);
}

void AddinTest::TearDown() {
  if (connect) connect->OnDisconnection(ext_dm_UserClosed, &custom);
  connect.Reset();
  vbe.Reset();
  DestroyWindow(state.mainWindow);
  answerer_.reset();
  DeleteSettings();
}

void AddinTest::ConnectIn(ext_ConnectMode mode) {
  ASSERT_EQ(connect->OnConnection(vbe.Get(), mode, nullptr, &custom), S_OK);
}

void AddinTest::ClickButton(int index) {
  ASSERT_NE(Dialog(), nullptr);
  SendMessageW(Button(index), BM_CLICK, 0, 0);
}

}  // namespace tamvo::test
