#include "addin/registry_entries.h"

#include <gtest/gtest.h>

#include "addin/identity.h"
#include "engine/failure.h"

namespace tamvo::addin {
namespace {

TEST(ClassEntries, RegisterTheServerAndItsProgIdBothWays) {
  const ServerIdentity server{
      .classId = u"{AE5A8296-97C3-40EA-A9BE-285AD9F1DD42}",
      .progId = u"tamvix.Connect",
      .serverPath = u"C:\\Users\\me\\tamvo\\tamvo.dll",
      .libraryId = u"{C6A999E8-C94B-44D6-B61D-F712A54937E9}",
      .libraryVersion = u"1.0",
  };
  const std::u16string classKey = u"Software\\Classes\\CLSID\\{AE5A8296-97C3-40EA-A9BE-285AD9F1DD42}";
  const std::vector<RegistryKey> expected = {
      {classKey, {{u"", u"tamvix.Connect"}}},
      {classKey + u"\\InprocServer32",
       {{u"", u"C:\\Users\\me\\tamvo\\tamvo.dll"}, {u"ThreadingModel", u"Apartment"}}},
      {classKey + u"\\ProgID", {{u"", u"tamvix.Connect"}}},
      {classKey + u"\\TypeLib", {{u"", u"{C6A999E8-C94B-44D6-B61D-F712A54937E9}"}}},
      {classKey + u"\\VERSION", {{u"", u"1.0"}}},
      {u"Software\\Classes\\tamvix.Connect", {{u"", u"tamvix.Connect"}}},
      {u"Software\\Classes\\tamvix.Connect\\CLSID", {{u"", u"{AE5A8296-97C3-40EA-A9BE-285AD9F1DD42}"}}},
  };
  EXPECT_EQ(ClassEntries(server), expected);
}

TEST(AddinEntries, GoBelowTheRootInTheKeyOfTheDllsBitness) {
  const struct {
    Bitness bitness;
    std::u16string path;
  } cases[] = {
      {Bitness::k32, u"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins\\tamvix.Connect"},
      {Bitness::k64, u"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins64\\tamvix.Connect"},
  };
  for (const auto& c : cases) {
    const std::vector<RegistryKey> expected = {
        {c.path,
         {{u"FriendlyName", u"コメント挿入アドイン"},
          {u"Description", u"VBソースコードにJavaDoc風のコメントを挿入します。"},
          {u"LoadBehavior", std::uint32_t{3}},
          {u"CommandLineSafe", std::uint32_t{0}}}},
    };
    EXPECT_EQ(AddinEntries(TamvixRegistrationRecord(), kProgId, c.bitness), expected);
  }
}

TEST(AddinEntries, TranslateTheLoadBehaviourToTheEditorsFlags) {
  const struct {
    std::uint32_t designer;
    std::uint32_t editor;
  } cases[] = {{0, 0}, {1, 3}};
  for (const auto& c : cases) {
    RegistrationRecord record = TamvixRegistrationRecord();
    record.loadBehavior = c.designer;
    const auto keys = AddinEntries(record, kProgId, Bitness::k32);
    EXPECT_EQ(keys.at(0).values.at(2), (RegistryValue{u"LoadBehavior", c.editor}));
  }
  RegistrationRecord unknown = TamvixRegistrationRecord();
  unknown.loadBehavior = 2;
  EXPECT_THROW(AddinEntries(unknown, kProgId, Bitness::k32), Failure);
}

TEST(AddinEntries, AcceptOnlyARootInTheCurrentUsersHive) {
  const struct {
    std::u16string root;
    bool accepted;
  } cases[] = {
      {u"HKEY_CURRENT_USER\\Software\\Microsoft\\VBA\\VBE\\6.0", true},
      {u"hkey_current_user\\Software\\Editor", true},
      {u"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\VBA\\VBE\\6.0", false},
      {u"HKEY_CURRENT_USER_X\\Software", false},
      {u"HKEY_CURRENT_USER\\", false},
      {u"HKEY_CURRENT_USER\\Software\\", false},
      {u"Software\\Microsoft\\VBA\\VBE\\6.0", false},
      {u"", false},
  };
  for (const auto& c : cases) {
    RegistrationRecord record = TamvixRegistrationRecord();
    record.registryRoot = c.root;
    if (c.accepted) {
      EXPECT_NO_THROW(AddinEntries(record, kProgId, Bitness::k64));
    } else {
      EXPECT_THROW(AddinEntries(record, kProgId, Bitness::k64), Failure);
    }
  }
}

}  // namespace
}  // namespace tamvo::addin
