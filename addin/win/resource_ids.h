#pragma once
// Resource names shared by tamvo.rc and the code that reads the resources.

// The add-in registration record (registration_record.h), as resource
// ADDINREG 1.
#define TAMVO_REGISTRATION_RECORD_TYPE ADDINREG
#define TAMVO_REGISTRATION_RECORD_ID 1
