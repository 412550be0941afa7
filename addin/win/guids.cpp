// Defines the ids that tamvix.h declares with DEFINE_GUID (LIBID_tamvix,
// IID__Connect, CLSID_Connect), once for the whole program.

#include <initguid.h>

#include "addin/win/tamvix.h"
