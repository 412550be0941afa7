#include "engine/declaration.h"

#include <algorithm>
#include <utility>

#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

using namespace std::string_view_literals;

namespace {

constexpr std::size_t kNone = std::u16string_view::npos;

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The parameter list's "(" and ")": open is kNone when there is no list,
// close when it is never closed.
struct List {
  std::size_t open = kNone;
  std::size_t close = kNone;

  bool Unclosed() const { return open != kNone && close == kNone; }
};

// One parameter as the scan leaves it: its text between the list's commas,
// where that starts in the declaration, and where in the text its type
// and its default start (the text's size and kNone when there are none).
struct ParamText {
  std::u16string_view text;
  std::size_t offset = 0;
  std::size_t typeStart = 0;         // the blank before "As"
  std::size_t defaultStart = kNone;  // the "="
};

// The one scan of a declaration, by the rules the header gives, up to its
// list's ")": it calls f with each parameter as it passes its end and gives
// the list, so that nothing is kept between parameters (insert writes names
// for every procedure of a module, and allocates nothing for them here). A
// doubled quote inside a literal toggles twice and so stays inside it; an
// end-of-line comment ends the scan, and a list still open there is never
// closed.
template <typename F>
List ScanList(std::u16string_view text, F&& f) {
  List list;
  bool inString = false;
  int depth = 0;
  std::size_t begin = 0;
  std::size_t typeStart = kNone;
  std::size_t defaultStart = kNone;
  const auto passEnd = [&](std::size_t end) {
    const std::size_t size = end - begin;
    f(ParamText{text.substr(begin, size), begin, typeStart == kNone ? size : typeStart - begin,
                defaultStart == kNone ? kNone : defaultStart - begin});
    begin = end + 1;
    typeStart = defaultStart = kNone;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"') {
      inString = !inString;
      continue;
    }
    if (inString) continue;
    switch (c) {
      case u'\'':
        return list;
      case u'(':
        if (depth++ == 0) {
          list.open = i;
          begin = i + 1;
        }
        break;
      case u')':
        if (depth == 0) break;  // before the list: no list's
        if (--depth == 0) {
          list.close = i;
          if (i > list.open + 1) passEnd(i);
          return list;
        }
        break;
      case u',':
        if (depth == 1) passEnd(i);
        break;
      case u'=':
        if (depth == 1 && defaultStart == kNone) defaultStart = i;
        break;
      case u'a':
      case u'A':
        // At any depth: "a(x As y)" has its type inside.
        if (depth > 0 && typeStart == kNone && IsBlank(text[i - 1]) && i + 2 < text.size() &&
            ToLowerAscii(text[i + 1]) == u's' && IsBlank(text[i + 2])) {
          typeStart = i - 1;
        }
        break;
      default:
        break;
    }
  }
  return list;
}

[[noreturn]] void ThrowUnclosed(std::u16string_view declaration) {
  throw Failure(std::u16string(kInvalidArgument) + u": the parameter list has no closing \")\": " +
                std::u16string(declaration));
}

// Appends the name insert writes for the parameter: its text before the
// type without ByRef and ByVal (each with its blank, where it starts a word
// outside string literals) and without blanks around it.
void AppendParamName(std::u16string& name, const ParamText& param) {
  const std::u16string_view text = param.text.substr(0, param.typeStart);
  const std::size_t start = name.size();
  bool inString = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    inString = inString != (c == u'"');
    const bool wordStart = i == 0 || IsBlank(text[i - 1]) || text[i - 1] == u'(';
    if (!inString && wordStart && ToLowerAscii(c) == u'b' && i + 5 < text.size() && IsBlank(text[i + 5]) &&
        (StartsWithIgnoreCase(text.substr(i), u"ByRef"sv) ||
         StartsWithIgnoreCase(text.substr(i), u"ByVal"sv))) {
      i += 6;
    } else if (IsBlank(c) && name.size() == start) {
      ++i;  // a leading blank
    } else {
      name += c;
      ++i;
    }
  }
  while (name.size() > start && IsBlank(name.back())) name.pop_back();
}

// Takes the word at i (after blanks, up to a blank, "(" or "'") and moves i
// past it.
std::u16string_view TakeWord(std::u16string_view text, std::size_t& i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
  const std::size_t start = i;
  while (i < text.size() && !IsBlank(text[i]) && text[i] != u'(' && text[i] != u'\'') ++i;
  return text.substr(start, i - start);
}

bool BlankAt(std::u16string_view text, std::size_t i) { return i < text.size() && IsBlank(text[i]); }

// A name may carry its type as its last character ("a$" is a String); the
// name is then the rest, as the procedure's code and its blocks call it.
std::u16string_view TakeTypeCharacter(std::u16string_view& name) {
  static constexpr std::pair<char16_t, std::u16string_view> kTypes[] = {
      {u'$', u"String"}, {u'%', u"Integer"},  {u'&', u"Long"},     {u'!', u"Single"},
      {u'#', u"Double"}, {u'@', u"Currency"}, {u'^', u"LongLong"},
  };
  if (name.size() < 2) return {};
  for (const auto& [character, type] : kTypes) {
    if (name.back() == character) {
      name.remove_suffix(1);
      return type;
    }
  }
  return {};
}

// What stands before a procedure's name.
struct Head {
  std::u16string_view scope;
  bool isStatic = false;
  std::u16string_view keyword;
  std::size_t end = kNone;  // where the keyword ends; kNone when there is none
};

// A keyword is followed by a blank: "Sub(" is none.
Head ReadHead(std::u16string_view text) {
  Head head;
  std::size_t i = 0;
  std::u16string_view word = TakeWord(text, i);
  for (; IsProcModifier(word); word = TakeWord(text, i)) {
    if (EqualsIgnoreCase(word, u"Static"sv)) {
      head.isStatic = true;
    } else {
      head.scope = word;
    }
  }
  if (!BlankAt(text, i)) return head;
  if (EqualsIgnoreCase(word, u"Sub"sv)) {
    head.keyword = u"Sub"sv;
  } else if (EqualsIgnoreCase(word, u"Function"sv)) {
    head.keyword = u"Function"sv;
  } else if (EqualsIgnoreCase(word, u"Property"sv)) {
    const std::u16string_view accessor = TakeWord(text, i);
    if (!BlankAt(text, i)) return head;
    for (const std::u16string_view keyword : {u"Property Get"sv, u"Property Let"sv, u"Property Set"sv}) {
      if (EqualsIgnoreCase(accessor, keyword.substr(9))) head.keyword = keyword;
    }
  }
  if (!head.keyword.empty()) head.end = i;
  return head;
}

// A parameter's parts. Its name is what is left before the type and the
// default once the leading keywords are taken off, up to "(": the same text
// the name insert writes stands on.
DeclaredParam ReadParam(const ParamText& param) {
  DeclaredParam read;
  const std::u16string_view text = param.text;
  const std::size_t equals = param.defaultStart;
  if (equals != kNone) read.defaultValue = Trim(text.substr(equals + 1));
  read.offset = param.offset + std::min(text.find_first_not_of(u" \t"), text.size());
  std::u16string_view head = Trim(text.substr(0, std::min(param.typeStart, equals)));
  while (true) {
    std::size_t i = 0;
    const std::u16string_view word = TakeWord(head, i);
    if (!BlankAt(head, i)) break;
    if (EqualsIgnoreCase(word, u"Optional"sv)) {
      read.optional = true;
    } else if (EqualsIgnoreCase(word, u"ParamArray"sv)) {
      read.paramArray = true;
    } else if (EqualsIgnoreCase(word, u"ByVal"sv) || EqualsIgnoreCase(word, u"ByRef"sv)) {
      read.passing = word;
    } else {
      break;
    }
    head = Trim(head.substr(i));
  }
  const std::size_t paren = head.find(u'(');
  read.array = paren != kNone;
  read.name = Trim(head.substr(0, paren));
  read.type = TakeTypeCharacter(read.name);
  if (param.typeStart < std::min(equals, text.size())) {
    // After the blank, "As" and its blank.
    read.type =
        Trim(text.substr(param.typeStart + 3, equals == kNone ? kNone : equals - param.typeStart - 3));
  }
  return read;
}

}  // namespace

std::vector<std::u16string> GetParamNames(std::u16string_view declaration) {
  std::vector<std::u16string> names;
  const List list =
      ScanList(declaration, [&](const ParamText& param) { AppendParamName(names.emplace_back(), param); });
  if (list.Unclosed()) ThrowUnclosed(declaration);
  return names;
}

void AppendParamNames(std::u16string& text, std::u16string_view declaration, std::u16string_view before) {
  const std::size_t size = text.size();
  const List list = ScanList(declaration, [&](const ParamText& param) {
    text += before;
    AppendParamName(text, param);
  });
  if (list.Unclosed()) {
    text.resize(size);
    ThrowUnclosed(declaration);
  }
}

bool IsFunctionDeclaration(std::u16string_view declaration) {
  return ReadHead(declaration).keyword == u"Function"sv;
}

std::optional<Declaration> ReadDeclaration(std::u16string_view text) {
  const Head head = ReadHead(text);
  if (head.end == kNone) return std::nullopt;
  Declaration declaration;
  declaration.scope = head.scope;
  declaration.isStatic = head.isStatic;
  declaration.keyword = head.keyword;
  std::size_t nameEnd = head.end;
  declaration.name = TakeWord(text, nameEnd);
  declaration.returnType = TakeTypeCharacter(declaration.name);
  if (declaration.name.empty()) return std::nullopt;
  const List list =
      ScanList(text, [&](const ParamText& param) { declaration.params.push_back(ReadParam(param)); });
  if (list.Unclosed()) return std::nullopt;
  std::u16string_view rest = text.substr(list.open == kNone ? nameEnd : list.close + 1);
  // Up to an end-of-line comment: a "'" outside string literals.
  bool inString = false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    inString = inString != (rest[i] == u'"');
    if (!inString && rest[i] == u'\'') {
      rest = rest.substr(0, i);
      break;
    }
  }
  rest = Trim(rest);
  if (StartsWithIgnoreCase(rest, u"As"sv) && (rest.size() == 2 || IsBlank(rest[2]))) {
    declaration.returnType = Trim(rest.substr(2));
  }
  return declaration;
}

}  // namespace tamvo
