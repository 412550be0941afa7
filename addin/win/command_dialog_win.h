#pragma once
// The command dialog frmTamv as a Win32 window: two frames, six buttons.
// A click runs the button's command through the connection while the dialog
// stays visible, then hides it. Closing it through its frame unloads it; the
// next showing loads it anew.

#include <memory>

#include "addin/connection.h"

namespace tamvo::addin {

std::unique_ptr<CommandDialog> CreateCommandDialog(Connection& connection);

}  // namespace tamvo::addin
