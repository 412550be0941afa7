#pragma once
// The update dialog as a Win32 window: three update buttons, the active
// module's findings in a list, a button that checks again. Modeless; a
// button runs its command and the dialog stays, listing the new findings;
// choosing a row (double-click or Enter) puts the caret on its line.
// Closing it through its frame unloads it; the next showing loads it anew.

#include <memory>

#include "addin/connection.h"

namespace tamvo::addin {

std::unique_ptr<UpdateDialog> CreateUpdateDialog(Connection& connection);

}  // namespace tamvo::addin
