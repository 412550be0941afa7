#pragma once
// The procedure kind code that the editor reports with a procedure's name and
// expects back with it. A Property Get and a Property Let of one name are two
// procedures.

#include <cstdint>

namespace tamvo {

// The values are the editor's own codes (vbext_pk_Proc, ...), which cross
// the COM boundary as they are.
enum class ProcKind : std::int32_t {
  Proc = 0,  // Sub or Function
  Let = 1,   // Property Let
  Set = 2,   // Property Set
  Get = 3,   // Property Get
};

// Line and column numbers: the editor's 1-based 32-bit numbers.
using LineNumber = std::int32_t;

}  // namespace tamvo
