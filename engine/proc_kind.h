#pragma once
// The procedure kind code that the editor reports with a procedure's name and
// expects back with it. A Property Get and a Property Let of one name are two
// procedures.

#include <cstdint>

namespace tamvo {

using ProcKind = std::int32_t;

inline constexpr ProcKind kProcKindProc = 0;  // Sub or Function
inline constexpr ProcKind kProcKindLet = 1;   // Property Let
inline constexpr ProcKind kProcKindSet = 2;   // Property Set
inline constexpr ProcKind kProcKindGet = 3;   // Property Get

// Line and column numbers: the editor's 1-based 32-bit numbers.
using LineNumber = std::int32_t;

}  // namespace tamvo
