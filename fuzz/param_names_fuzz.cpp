// The declaration reader, two ways. Any text at all gives names or a
// Failure, the names it gives have no spaces around them, and where the
// text reads as a declaration the pages list as many parameters as insert
// writes names. A declaration put together from known parameters, with
// blanks of either kind, type characters, and whatever the fuzzer writes
// into string defaults and the trailing comment, gives back exactly the
// names the comment block must show, is a Function exactly when it was
// built as one, and the pages name its parameters as insert does once
// Optional, ParamArray, "()", a default and a type character are set aside.

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/declaration.h"
#include "engine/doc_block.h"
#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {
namespace {

[[noreturn]] void Violated(const char* property, std::u16string_view declaration) {
  std::fprintf(stderr, "property violated: %s\ndeclaration: %s\n", property, ToUtf8(declaration).c_str());
  std::abort();
}

// Keywords in the letter case the fuzzer picks: the editor accepts any.
std::u16string Keyword(FuzzedDataProvider& data, std::u16string_view word) {
  std::u16string out(word);
  if (data.ConsumeBool()) {
    for (auto& c : out) {
      if (data.ConsumeBool()) c = c >= u'a' ? static_cast<char16_t>(c - 32) : ToLowerAscii(c);
    }
  }
  return out;
}

// A blank as the fuzzer picks it: the editor takes a tab as a space.
std::u16string Blank(FuzzedDataProvider& data) { return data.ConsumeBool() ? u" " : u"\t"; }

std::u16string Blanks(FuzzedDataProvider& data, int count) {
  std::u16string blanks;
  for (int i = 0; i < count; ++i) blanks += Blank(data);
  return blanks;
}

// A name the fuzzer chose, made a legal identifier that is no keyword.
std::u16string Identifier(FuzzedDataProvider& data) {
  std::u16string name;
  for (const char c : data.ConsumeRandomLengthString(12)) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_') name += static_cast<char16_t>(c);
  }
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) name = u"p" + name;
  for (const auto* keyword : {u"As", u"ByVal", u"ByRef", u"Optional", u"ParamArray"}) {
    if (EqualsIgnoreCase(name, keyword)) name += u'1';
  }
  return name;
}

// A string literal holding any text, its quotes doubled.
std::u16string StringLiteral(FuzzedDataProvider& data) {
  std::u16string literal = u"\"";
  for (const char16_t c : FromUtf8(data.ConsumeRandomLengthString(24))) {
    literal += c;
    if (c == u'"') literal += c;
  }
  return literal + u'"';
}

struct Built {
  std::u16string declaration;
  std::vector<std::u16string> names;
  bool function = false;
};

Built BuildDeclaration(FuzzedDataProvider& data) {
  Built built;
  const char16_t* scopes[] = {u"", u"Public ", u"Private ", u"Friend "};
  built.declaration = Keyword(data, scopes[data.ConsumeIntegralInRange(0, 3)]);
  if (data.ConsumeBool()) built.declaration += Keyword(data, u"Static ");
  built.function = data.ConsumeBool();
  built.declaration += Keyword(data, built.function ? u"Function " : u"Sub ") + Identifier(data);
  if (built.function && data.ConsumeBool()) built.declaration += u'$';
  built.declaration += u'(';

  const int count = data.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < count; ++i) {
    if (i > 0) built.declaration += u',';
    std::u16string piece = Blanks(data, data.ConsumeIntegralInRange(0, 2));
    std::u16string name;
    const bool optional = data.ConsumeBool();
    if (optional) {
      const std::u16string keyword = Keyword(data, u"Optional") + Blank(data);
      piece += keyword;
      name += keyword;
    }
    // Blanks after ByVal stay in the name when something stands before it.
    const int passing = data.ConsumeIntegralInRange(0, 2);
    if (passing > 0) {
      piece += Keyword(data, passing == 1 ? u"ByVal" : u"ByRef") +
               Blanks(data, optional ? 1 : data.ConsumeIntegralInRange(1, 2));
    }
    if (data.ConsumeBool()) {
      const std::u16string paramArray = Keyword(data, u"ParamArray") + Blank(data);
      piece += paramArray;
      name += paramArray;
    }
    std::u16string identifier = Identifier(data);
    if (data.ConsumeBool()) identifier += u"$%&!#@^"[data.ConsumeIntegralInRange(0, 6)];
    if (data.ConsumeBool()) identifier += u"()";
    piece += identifier;
    name += identifier;
    const bool typed = data.ConsumeBool();
    if (typed) {
      const char16_t* types[] = {u"Long", u"String", u"Variant", u"Scripting.Dictionary", u"Object"};
      piece += Blank(data) + Keyword(data, u"As") + Blank(data) + types[data.ConsumeIntegralInRange(0, 4)];
    }
    if (data.ConsumeBool()) {
      std::u16string value;
      switch (data.ConsumeIntegralInRange(0, 2)) {
        case 0:
          value = FromUtf8(std::to_string(data.ConsumeIntegral<int>()));
          break;
        case 1:
          value = u"(1 + 2) * 3";
          break;
        default:
          value = StringLiteral(data);
          break;
      }
      piece += u" = " + value;
      // A default stays in the name only without a type before it.
      if (!typed) name += u" = " + value;
    }
    piece += Blanks(data, data.ConsumeIntegralInRange(0, 2));
    built.declaration += piece;
    built.names.push_back(name);
  }
  built.declaration += u')';
  if (built.function) built.declaration += u" " + Keyword(data, u"As") + u" Long";
  if (data.ConsumeBool()) built.declaration += u" ' " + FromUtf8(data.ConsumeRandomLengthString(32));
  return built;
}

}  // namespace
}  // namespace tamvo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace tamvo;
  const std::u16string text = FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes), size));
  const auto read = ReadDeclaration(text);
  try {
    const auto names = GetParamNames(text);
    for (const auto& name : names) {
      if (TrimSpaces(name) != name) Violated("a name has spaces around it", text);
    }
    if (read && read->params.size() != names.size()) {
      Violated("the pages list another number of parameters than insert", text);
    }
  } catch (const Failure&) {
    // A parameter list that is never closed: the one failure there is.
    if (read) Violated("the pages read a list insert can't", text);
  }

  FuzzedDataProvider data(bytes, size);
  const Built built = BuildDeclaration(data);
  try {
    if (GetParamNames(built.declaration) != built.names)
      Violated("the names are not the parameters", built.declaration);
  } catch (const Failure&) {
    Violated("a closed parameter list was read as open", built.declaration);
  }
  if (IsFunctionDeclaration(built.declaration) != built.function) {
    Violated("Function or not, misread", built.declaration);
  }
  const auto listed = ReadDeclaration(built.declaration);
  if (!listed || listed->params.size() != built.names.size()) {
    Violated("the pages list other parameters", built.declaration);
  }
  for (std::size_t i = 0; i < built.names.size(); ++i) {
    if (listed->params[i].name != ParamKey(built.names[i])) {
      Violated("the pages name a parameter otherwise", built.declaration);
    }
  }
  return 0;
}
