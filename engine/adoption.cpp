#include "engine/adoption.h"

#include <algorithm>

#include "engine/text.h"

namespace tamvo {

using namespace std::string_view_literals;

namespace {

std::u16string_view TrimStart(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

bool IsLetterOrDigit(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c >= 0x80;
}

// A banner ("'-----", "'*****"): no word to make a summary of.
bool HasWord(std::u16string_view text) { return std::any_of(text.begin(), text.end(), IsLetterOrDigit); }

bool IsTagText(std::u16string_view text) {
  return text.size() >= 2 && text[0] == u'@' &&
         ((text[1] >= u'a' && text[1] <= u'z') || (text[1] >= u'A' && text[1] <= u'Z'));
}

// "Purpose   : does it" gives the label "Purpose" and the value "does it";
// a label is a few words before a ":" that blanks may precede.
struct Labelled {
  std::u16string_view label;
  std::u16string_view value;
};

std::optional<Labelled> ReadLabel(std::u16string_view text) {
  text = StripBlanks(text);
  const std::size_t colon = text.find(u':');
  if (colon == std::u16string_view::npos || colon == 0 || colon > 24) return std::nullopt;
  const std::u16string_view label = StripBlanks(text.substr(0, colon));
  if (label.empty() ||
      !std::all_of(label.begin(), label.end(), [](char16_t c) { return IsNameChar(c) || c == u' '; }))
    return std::nullopt;
  return Labelled{label, TrimStart(text.substr(colon + 1))};
}

bool IsLabel(std::u16string_view text, std::initializer_list<std::u16string_view> labels) {
  const auto labelled = ReadLabel(text);
  if (!labelled) return false;
  return std::any_of(labels.begin(), labels.end(),
                     [&](std::u16string_view label) { return EqualsIgnoreCase(labelled->label, label); });
}

// What a comment becomes: summary lines, then the lines after them, each
// the text of one block line.
struct Adopted {
  std::vector<std::u16string> summary;
  std::vector<std::u16string> body;

  void Body(std::u16string text) { body.push_back(std::move(text)); }
  // One empty line between paragraphs, however many the comment had.
  void Paragraph() {
    if (!body.empty() && !body.back().empty()) body.emplace_back();
  }
};

// "''' <summary>" XML: the summary, then the tags the elements stand for.
Adopted ReadXml(const std::vector<std::u16string_view>& texts) {
  Adopted adopted;
  enum class In { Nothing, Summary, Other } in = In::Nothing;
  for (const std::u16string_view raw : texts) {
    std::u16string_view text = StripBlanks(raw);
    // An element that opens on this line, and what follows it.
    auto opens = [&](std::u16string_view element) {
      if (!StartsWithIgnoreCase(text, element)) return false;
      text = TrimStart(text.substr(element.size()));
      return true;
    };
    // What comes before the closing element, if this line closes one.
    auto closes = [&](std::u16string_view element) {
      const std::size_t at = FindIgnoreCase(text, element);
      if (at == std::u16string_view::npos) return false;
      text = StripBlanks(text.substr(0, at));
      return true;
    };
    if (opens(u"<summary>")) {
      in = closes(u"</summary>") ? In::Nothing : In::Summary;
      if (!text.empty()) adopted.summary.emplace_back(text);
      continue;
    }
    if (in == In::Summary) {
      if (closes(u"</summary>")) in = In::Nothing;
      if (!text.empty()) adopted.summary.emplace_back(text);
      continue;
    }
    if (opens(u"<param name=\"")) {
      const std::size_t quote = text.find(u'"');
      const std::u16string_view name = text.substr(0, quote);
      text = quote == std::u16string_view::npos ? u""sv : text.substr(quote + 1);
      if (text.starts_with(u'>')) text.remove_prefix(1);
      in = closes(u"</param>") ? In::Nothing : In::Other;
      adopted.Body(u"@param " + std::u16string(name) + (text.empty() ? u"" : u" " + std::u16string(text)));
      continue;
    }
    if (opens(u"<returns>")) {
      in = closes(u"</returns>") ? In::Nothing : In::Other;
      adopted.Body(u"@return" + (text.empty() ? std::u16string() : u" " + std::u16string(text)));
      continue;
    }
    if (opens(u"<remarks>")) {
      in = closes(u"</remarks>") ? In::Nothing : In::Other;
      adopted.Paragraph();
      if (!text.empty()) adopted.Body(std::u16string(text));
      continue;
    }
    if (in == In::Other && (closes(u"</param>") || closes(u"</returns>") || closes(u"</remarks>")))
      in = In::Nothing;
    if (!text.empty()) adopted.Body(std::u16string(in == In::Other ? text : raw));
  }
  return adopted;
}

// A template header of labelled lines: the purpose is the summary, the rest
// stays as it was written.
Adopted ReadTemplate(const std::vector<std::u16string_view>& texts) {
  Adopted adopted;
  for (const std::u16string_view text : texts) {
    if (adopted.summary.empty() && IsLabel(text, {u"Purpose"})) {
      const std::u16string_view value = ReadLabel(text)->value;
      if (!value.empty()) {
        adopted.summary.emplace_back(value);
        continue;
      }
    }
    adopted.Body(std::u16string(text));
  }
  return adopted;
}

// "name (Type): text" or "name: text" under "Args:".
std::optional<std::u16string> ReadArgument(std::u16string_view text) {
  text = StripBlanks(text);
  std::size_t end = 0;
  while (end < text.size() && IsNameChar(text[end])) ++end;
  if (end == 0) return std::nullopt;
  const std::u16string_view name = text.substr(0, end);
  std::u16string_view rest = TrimStart(text.substr(end));
  std::u16string type;
  if (rest.starts_with(u'(')) {
    const std::size_t close = rest.find(u')');
    if (close == std::u16string_view::npos) return std::nullopt;
    type = u"{" + std::u16string(rest.substr(1, close - 1)) + u"} ";
    rest = TrimStart(rest.substr(close + 1));
  }
  if (!rest.starts_with(u':')) return std::nullopt;
  rest = TrimStart(rest.substr(1));
  return u"@param " + type + std::u16string(name) + (rest.empty() ? u"" : u" " + std::u16string(rest));
}

// Plain paragraphs, JavaDoc tags and "'''" sections.
Adopted ReadParagraphs(const std::vector<std::u16string_view>& texts) {
  Adopted adopted;
  bool summaryDone = false;
  enum class Section { None, Args, Returns } section = Section::None;
  for (const std::u16string_view text : texts) {
    const std::u16string_view trimmed = StripBlanks(text);
    if (trimmed.empty()) {
      section = Section::None;
      summaryDone = summaryDone || !adopted.summary.empty();
      adopted.Paragraph();
      continue;
    }
    if (IsLabel(trimmed, {u"Args", u"Arguments", u"Parameters", u"Params"}) &&
        ReadLabel(trimmed)->value.empty()) {
      section = Section::Args;
      summaryDone = true;
      continue;
    }
    if (IsLabel(trimmed, {u"Returns", u"Return"})) {
      section = Section::Returns;
      summaryDone = true;
      const std::u16string_view value = ReadLabel(trimmed)->value;
      adopted.Body(u"@return" + (value.empty() ? std::u16string() : u" " + std::u16string(value)));
      continue;
    }
    if (section == Section::Args) {
      if (auto param = ReadArgument(trimmed)) {
        adopted.Body(std::move(*param));
      } else {
        adopted.Body(std::u16string(text));
      }
      continue;
    }
    if (section == Section::Returns) {
      adopted.Body(std::u16string(text));
      continue;
    }
    if (IsTagText(trimmed)) {
      // "@description text" is the summary where the comment has none.
      constexpr std::u16string_view kDescription = u"@description ";
      if (adopted.summary.empty() && StartsWithIgnoreCase(trimmed, kDescription)) {
        adopted.summary.emplace_back(TrimStart(trimmed.substr(kDescription.size())));
      } else {
        adopted.Body(std::u16string(trimmed));
      }
      summaryDone = true;
      continue;
    }
    if (!summaryDone && HasWord(trimmed)) {
      adopted.summary.emplace_back(text);
    } else {
      // A description line before the summary's paragraph ends, a banner
      // among them, follows the summary.
      adopted.Body(std::u16string(text));
    }
  }
  return adopted;
}

}  // namespace

std::u16string_view CommentText(std::u16string_view line) {
  std::u16string_view text = TrimStart(line);
  if (text.starts_with(u'\'')) {
    while (text.starts_with(u'\'')) text.remove_prefix(1);
  } else if (StartsWithIgnoreCase(text, u"Rem") && (text.size() == 3 || IsBlank(text[3]))) {
    text.remove_prefix(3);
  } else {
    return line;
  }
  if (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::vector<std::u16string> AdoptComment(std::span<const std::u16string> lines) {
  std::vector<std::u16string_view> texts;
  for (const auto& line : lines) texts.push_back(CommentText(line));
  const auto any = [&](auto&& test) { return std::any_of(texts.begin(), texts.end(), test); };

  Adopted adopted;
  if (any([](std::u16string_view t) { return StartsWithIgnoreCase(StripBlanks(t), u"<summary>"); })) {
    adopted = ReadXml(texts);
  } else if (any([](std::u16string_view t) { return IsLabel(t, {u"Purpose"}); })) {
    adopted = ReadTemplate(texts);
  } else {
    adopted = ReadParagraphs(texts);
  }
  while (!adopted.body.empty() && adopted.body.front().empty()) adopted.body.erase(adopted.body.begin());
  while (!adopted.body.empty() && adopted.body.back().empty()) adopted.body.pop_back();

  std::vector<std::u16string> block;
  const auto line = [](std::u16string_view text) {
    return text.empty() ? std::u16string(u"' *") : u"' * " + std::u16string(text);
  };
  if (adopted.summary.empty()) block.emplace_back(u"' * .");
  for (const auto& text : adopted.summary) block.push_back(line(text));
  // Description lines stand apart from the summary; tags follow it.
  if (!adopted.body.empty() && !IsTagText(StripBlanks(adopted.body.front()))) block.emplace_back(u"' *");
  for (const auto& text : adopted.body) block.push_back(line(text));
  return block;
}

std::optional<std::u16string> DescriptionAnnotationText(std::u16string_view line) {
  std::u16string_view text = StripBlanks(line);
  constexpr std::u16string_view kOpen = u"'@Description(";
  if (!StartsWithIgnoreCase(text, kOpen)) return std::nullopt;
  text = TrimStart(text.substr(kOpen.size()));
  if (!text.starts_with(u'"')) return std::nullopt;
  std::u16string value;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != u'"') {
      value += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == u'"') {
      value += u'"';
      ++i;
    } else {
      return value;
    }
  }
  return std::nullopt;
}

}  // namespace tamvo
