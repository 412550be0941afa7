#pragma once
// Who the add-in is to the editor and to COM: its ProgID and its registration
// record. The class, interface and library ids live in tamvix.idl.

#include <string_view>

#include "addin/registration_record.h"

namespace tamvo::addin {

// Project name "tamvix", then the class name.
inline constexpr std::u16string_view kProgId = u"tamvix.Connect";

// The record that tamvo.dll carries (tamvix_registration.bin holds its bytes).
RegistrationRecord TamvixRegistrationRecord();

}  // namespace tamvo::addin
