#pragma once
// A procedure's declaration read into its parts, as pages show them: scope,
// keyword, name, each parameter with its type and default as declared, and
// the type it returns. The declaration comes with its continuations joined.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamvo {

struct SignatureParam {
  std::u16string name;     // without "()", Optional, ParamArray, ByVal, ByRef
  std::u16string passing;  // "ByVal", "ByRef" or empty, as written
  bool optional = false;
  bool paramArray = false;
  bool array = false;           // declared with "()"
  std::u16string type;          // after "As", or empty
  std::u16string defaultValue;  // after "=", or empty
};

struct Signature {
  std::u16string scope;  // "Public", "Private", "Friend" as written, or empty
  bool isStatic = false;
  std::u16string keyword;  // "Sub", "Function", "Property Get", "Property Let", "Property Set"
  std::u16string name;
  std::vector<SignatureParam> params;
  std::u16string returnType;  // after the closing ")" and "As", with "()" for an array
};

// Nothing when the text is no Sub, Function or Property declaration or its
// parameter list never closes. Letter case of keywords is kept as written
// in the parts that show them, except the keyword, which reads as VBA
// writes it.
std::optional<Signature> ReadSignature(std::u16string_view declaration);

}  // namespace tamvo
