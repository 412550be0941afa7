#include "addin/installer_registry.h"

#include <vector>

#include "addin/identity.h"
#include "addin/registry_entries.h"
#include "commands/doc_render.h"
#include "engine/failure.h"

namespace tamvo::addin {
namespace {

// Fixed, so that an upgrade or a repair finds the same components.
constexpr std::u16string_view kComponentGuid32 = u"{96954811-51B6-4A15-AEE6-6FA69EDA708E}";
constexpr std::u16string_view kComponentGuid64 = u"{A13D70C4-64B6-43CE-850D-B2357EF9A556}";

// The Registry table's values are formatted text: brackets would name
// properties, and a leading '#' would make a number.
std::u16string Literal(std::u16string_view text) {
  std::u16string out;
  if (!text.empty() && text.front() == u'#') out += u'#';
  for (const char16_t c : text) {
    if (c == u'[') {
      out += u"[\\[]";
    } else if (c == u']') {
      out += u"[\\]]";
    } else {
      out += c;
    }
  }
  return out;
}

bool IsAscii(std::u16string_view text) {
  for (const char16_t c : text) {
    if (c > 0x7F) return false;
  }
  return true;
}

std::u16string AsciiNumber(std::size_t number) {
  std::u16string out;
  for (const char c : std::to_string(number)) out += static_cast<char16_t>(c);
  return out;
}

// The value as the include holds it: the text itself, or a placeholder.
std::u16string IncludedText(std::vector<InstallerText>& texts, const std::u16string& text) {
  if (IsAscii(text)) return Literal(text);
  for (const InstallerText& known : texts) {
    if (known.text == text) return known.placeholder;
  }
  if (text.find(u'\'') != std::u16string::npos) throw Failure(u"a registry text holds a quote");
  texts.push_back({u"tamvo-text-" + AsciiNumber(texts.size() + 1), Literal(text)});
  return texts.back().placeholder;
}

void AppendComponent(std::u16string& out, std::vector<InstallerText>& texts, const InstallerIds& ids,
                     Bitness bitness) {
  const bool is64 = bitness == Bitness::k64;
  const std::u16string serverPath = is64 ? kInstallerServerPath64 : kInstallerServerPath32;
  const ServerIdentity server{
      .classId = ids.classId,
      .progId = std::u16string(kProgId),
      .serverPath = serverPath,
      .libraryId = ids.libraryId,
      .libraryVersion = u"1.0",
  };
  std::vector<RegistryKey> keys = ClassEntries(server);
  const auto addin = AddinEntries(TamvixRegistrationRecord(), kProgId, bitness);
  keys.insert(keys.end(), addin.begin(), addin.end());

  out +=
      is64 ? u"  <Component Id=\"AddinRegistry64\" Guid=\"" : u"  <Component Id=\"AddinRegistry32\" Guid=\"";
  out += is64 ? kComponentGuid64 : kComponentGuid32;
  out += is64 ? u"\" Win64=\"yes\">\n" : u"\" Win64=\"no\">\n";
  bool keyPath = true;
  for (const RegistryKey& key : keys) {
    for (const RegistryValue& value : key.values) {
      out += u"    <RegistryValue Root=\"HKCU\" Key=\"";
      out += EscapeHtml(Literal(key.path));
      out += u"\"";
      if (!value.name.empty()) {
        out += u" Name=\"";
        out += EscapeHtml(Literal(value.name));
        out += u"\"";
      }
      if (const auto* text = std::get_if<std::u16string>(&value.data)) {
        out += u" Type=\"string\" Value=\"";
        // The server path alone is formatted: it names the install folder.
        out += EscapeHtml(*text == serverPath ? *text : IncludedText(texts, *text));
      } else {
        out += u" Type=\"integer\" Value=\"";
        out += AsciiNumber(std::get<std::uint32_t>(value.data));
      }
      out += u"\"";
      if (keyPath) out += u" KeyPath=\"yes\"";
      keyPath = false;
      out += u" />\n";
    }
  }
  out += u"  </Component>\n";
}

}  // namespace

InstallerRegistry InstallerRegistryFor(const InstallerIds& ids) {
  InstallerRegistry registry;
  std::u16string& out = registry.include;
  out =
      u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      u"<!-- Written by tamvo_write_installer_registry from addin/registry_entries.cpp. -->\n"
      u"<Include>\n";
  AppendComponent(out, registry.texts, ids, Bitness::k32);
  AppendComponent(out, registry.texts, ids, Bitness::k64);
  out += u"</Include>\n";
  return registry;
}

std::u16string InstallerTextUpdates(const std::vector<InstallerText>& texts) {
  std::u16string out;
  for (const InstallerText& text : texts) {
    out +=
        u"UPDATE `Registry` SET `Value` = '" + text.text + u"' WHERE `Value` = '" + text.placeholder + u"'\n";
  }
  return out;
}

}  // namespace tamvo::addin
