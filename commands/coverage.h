#pragma once
// How much of a module is documented, for tamvo coverage: the procedures
// whose block says what each of them does, takes and gives back.

#include <cstddef>

#include "host/code_module.h"

namespace tamvo {

struct Coverage {
  std::size_t documented = 0;
  std::size_t procedures = 0;

  // Documented procedures in percent, unrounded; 100 for a module without
  // procedures, which lacks no words.
  double Percent() const;
  Coverage& operator+=(const Coverage& other);
};

// A procedure counts as documented when lint finds none of missing-doc,
// foreign-style, summary-empty, param-missing, param-undescribed,
// return-missing and return-undescribed for it: it has a block with a
// written summary and the words for every parameter and the return that
// lint asks for. publicOnly leaves the procedures declared Private out of
// the count, as --scope public does.
Coverage CountDocumented(CodeModule& module, bool publicOnly);

}  // namespace tamvo
