#pragma once
// What the header generated from tamvix.idl includes for ole_automation.idl.
#include <oaidl.h>
