#include "addin/identity.h"

namespace tamvo::addin {

RegistrationRecord TamvixRegistrationRecord() {
  RegistrationRecord record;
  record.registryRoot = u"HKEY_CURRENT_USER\\Software\\Microsoft\\VBA\\VBE\\6.0";
  record.displayName = u"コメント挿入アドイン";
  record.description = u"VBソースコードにJavaDoc風のコメントを挿入します。";
  // Load at start-up.
  record.loadBehavior = 1;
  // The add-in shows a dialog, so it is not safe to load from a command line.
  record.commandLineSafe = 0;
  return record;
}

}  // namespace tamvo::addin
