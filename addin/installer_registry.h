#pragma once
// The add-in's per-user registration as Windows Installer writes it: the
// same keys and values as regsvr32's (ClassEntries and AddinEntries), for
// the 32-bit and the 64-bit tamvo.dll, as WiX components that
// win/installer/tamvo.wxs includes. The server path is the folder the
// package installs into, as an installer property.

#include <string>
#include <vector>

namespace tamvo::addin {

struct InstallerIds {
  std::u16string classId;    // "{...}"
  std::u16string libraryId;  // "{...}"
};

// Where each bitness's tamvo.dll goes, below INSTALLFOLDER.
inline constexpr char16_t kInstallerServerPath32[] = u"[INSTALLFOLDER]x86\\tamvo.dll";
inline constexpr char16_t kInstallerServerPath64[] = u"[INSTALLFOLDER]x64\\tamvo.dll";

// wixl stores no text that is not ASCII (its database has no code page),
// so such a value goes into the include as a placeholder, and the package
// gets the text afterwards, by an SQL update once the code page is set.
struct InstallerText {
  std::u16string placeholder;  // ASCII, unique
  std::u16string text;
};

struct InstallerRegistry {
  // A WiX <Include> with two components, AddinRegistry32 (in the 32-bit
  // registry) and AddinRegistry64 (Win64, in the 64-bit registry), each one
  // RegistryValue per value of its registration.
  std::u16string include;
  std::vector<InstallerText> texts;
};

// Throws Failure as AddinEntries does, and for a text with a quote.
InstallerRegistry InstallerRegistryFor(const InstallerIds& ids);

// One SQL UPDATE a line, putting each text in place of its placeholder in
// the Registry table.
std::u16string InstallerTextUpdates(const std::vector<InstallerText>& texts);

}  // namespace tamvo::addin
