#include "addin/installer_registry.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "addin/identity.h"
#include "addin/registry_entries.h"
#include "engine/text.h"

namespace tamvo::addin {
namespace {

const InstallerIds kIds{
    .classId = u"{AE5A8296-97C3-40EA-A9BE-285AD9F1DD42}",
    .libraryId = u"{C6A999E8-C94B-44D6-B61D-F712A54937E9}",
};

std::string XmlUnescaped(std::string text) {
  for (const auto& [escaped, plain] : std::vector<std::pair<std::string, std::string>>{
           {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
    for (std::size_t at = text.find(escaped); at != std::string::npos; at = text.find(escaped, at + 1)) {
      text.replace(at, escaped.size(), plain);
    }
  }
  return text;
}

// The keys one component of the include writes, read back from its text,
// with each placeholder's text put in.
std::vector<RegistryKey> ComponentKeys(const InstallerRegistry& registry, const std::string& componentId) {
  const std::string include = ToUtf8(registry.include);
  const auto start = include.find("<Component Id=\"" + componentId + "\"");
  const auto end = include.find("</Component>", start);
  EXPECT_NE(start, std::string::npos);
  const std::string component = include.substr(start, end - start);

  std::map<std::u16string, std::u16string> texts;
  for (const InstallerText& text : registry.texts) texts[text.placeholder] = text.text;

  const std::regex valueElement(
      R"re(<RegistryValue Root="HKCU" Key="([^"]*)"(?: Name="([^"]*)")? Type="(string|integer)" Value="([^"]*)")re");
  std::vector<RegistryKey> keys;
  for (auto it = std::sregex_iterator(component.begin(), component.end(), valueElement);
       it != std::sregex_iterator(); ++it) {
    const std::u16string path = FromUtf8(XmlUnescaped((*it)[1]));
    if (keys.empty() || keys.back().path != path) keys.push_back({path, {}});
    RegistryValue value{.name = FromUtf8(XmlUnescaped((*it)[2])), .data = std::u16string()};
    const std::u16string data = FromUtf8(XmlUnescaped((*it)[4]));
    if ((*it)[3] == "integer") {
      value.data = static_cast<std::uint32_t>(std::stoul(ToUtf8(data)));
    } else {
      value.data = texts.contains(data) ? texts[data] : data;
    }
    keys.back().values.push_back(value);
  }
  return keys;
}

std::vector<RegistryKey> RegsvrEntries(std::u16string_view serverPath, Bitness bitness) {
  auto keys = ClassEntries({.classId = kIds.classId,
                            .progId = std::u16string(kProgId),
                            .serverPath = std::u16string(serverPath),
                            .libraryId = kIds.libraryId,
                            .libraryVersion = u"1.0"});
  const auto addin = AddinEntries(TamvixRegistrationRecord(), kProgId, bitness);
  keys.insert(keys.end(), addin.begin(), addin.end());
  return keys;
}

TEST(InstallerRegistry, WritesWhatRegsvr32WritesForEachBitness) {
  const auto registry = InstallerRegistryFor(kIds);
  EXPECT_EQ(ComponentKeys(registry, "AddinRegistry32"), RegsvrEntries(kInstallerServerPath32, Bitness::k32));
  EXPECT_EQ(ComponentKeys(registry, "AddinRegistry64"), RegsvrEntries(kInstallerServerPath64, Bitness::k64));
}

TEST(InstallerRegistry, SixtyFourBitComponentOnlyForTheSixtyFourBitDll) {
  const std::string include = ToUtf8(InstallerRegistryFor(kIds).include);
  EXPECT_NE(
      include.find(
          R"(<Component Id="AddinRegistry32" Guid="{96954811-51B6-4A15-AEE6-6FA69EDA708E}" Win64="no">)"),
      std::string::npos);
  EXPECT_NE(
      include.find(
          R"(<Component Id="AddinRegistry64" Guid="{A13D70C4-64B6-43CE-850D-B2357EF9A556}" Win64="yes">)"),
      std::string::npos);
}

TEST(InstallerRegistry, TextsThatAreNotAsciiWaitForTheirUpdate) {
  const auto registry = InstallerRegistryFor(kIds);
  ASSERT_EQ(registry.texts.size(), 2u);
  EXPECT_EQ(registry.texts[0].text, u"コメント挿入アドイン");
  for (const char16_t c : registry.include) EXPECT_LT(c, 0x80);
  EXPECT_EQ(
      InstallerTextUpdates(registry.texts),
      u"UPDATE `Registry` SET `Value` = 'コメント挿入アドイン' WHERE `Value` = 'tamvo-text-1'\n"
      u"UPDATE `Registry` SET `Value` = 'VBソースコードにJavaDoc風のコメントを挿入します。' WHERE `Value` = "
      u"'tamvo-text-2'\n");
}

}  // namespace
}  // namespace tamvo::addin
