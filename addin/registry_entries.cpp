#include "addin/registry_entries.h"

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo::addin {
namespace {

constexpr std::u16string_view kCurrentUser = u"HKEY_CURRENT_USER\\";

std::u16string Join(std::u16string_view parent, std::u16string_view child) {
  std::u16string path(parent);
  path += u'\\';
  path += child;
  return path;
}

// The designer's load behaviour is a choice of "none" or "start-up"; the
// editor keeps flags: 1 loaded, 2 load at start-up.
std::uint32_t EditorLoadBehavior(std::uint32_t designerValue) {
  switch (designerValue) {
    case 0:
      return 0;
    case 1:
      return 3;
    default:
      throw Failure(u"the registration record's load behaviour is unknown");
  }
}

std::u16string PathBelowCurrentUser(std::u16string_view root) {
  if (!StartsWithIgnoreCase(root, kCurrentUser) || root.size() == kCurrentUser.size() ||
      root.back() == u'\\') {
    throw Failure(u"the registration record's root is not a key of the current user");
  }
  return std::u16string(root.substr(kCurrentUser.size()));
}

}  // namespace

std::vector<RegistryKey> ClassEntries(const ServerIdentity& server) {
  const std::u16string classKey = Join(u"Software\\Classes\\CLSID", server.classId);
  const std::u16string progIdKey = Join(u"Software\\Classes", server.progId);
  return {
      {classKey, {{u"", server.progId}}},
      {Join(classKey, u"InprocServer32"), {{u"", server.serverPath}, {u"ThreadingModel", u"Apartment"}}},
      {Join(classKey, u"ProgID"), {{u"", server.progId}}},
      {Join(classKey, u"TypeLib"), {{u"", server.libraryId}}},
      {Join(classKey, u"VERSION"), {{u"", server.libraryVersion}}},
      {progIdKey, {{u"", server.progId}}},
      {Join(progIdKey, u"CLSID"), {{u"", server.classId}}},
  };
}

std::vector<RegistryKey> AddinEntries(const RegistrationRecord& record, std::u16string_view progId,
                                      Bitness bitness) {
  const std::u16string addins =
      Join(PathBelowCurrentUser(record.registryRoot), bitness == Bitness::k64 ? u"Addins64" : u"Addins");
  return {{Join(addins, progId),
           {{u"FriendlyName", record.displayName},
            {u"Description", record.description},
            {u"LoadBehavior", EditorLoadBehavior(record.loadBehavior)},
            {u"CommandLineSafe", record.commandLineSafe}}}};
}

}  // namespace tamvo::addin
