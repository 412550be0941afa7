// Writes the bytes of tamvo.dll's registration record resource to the file
// named by the one argument. The cross-build embeds the checked-in copy,
// tamvix_registration.bin; the build target update-registration-record
// rewrites it, and a unit test fails while the copy is stale.

#include <cstdio>
#include <fstream>

#include "addin/identity.h"
#include "addin/registration_record.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  const auto bytes = tamvo::addin::EncodeRegistrationRecord(tamvo::addin::TamvixRegistrationRecord());
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
