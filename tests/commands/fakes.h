#pragma once
// A module in an in-memory editor, with fake boxes and settings, for tests
// that run the commands.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "commands/commands.h"
#include "host/memory_module.h"

namespace tamvo::test {

class FakeUi : public Ui {
 public:
  struct Message {
    std::u16string text;
    std::int32_t flags;
  };

  void MsgBox(std::u16string_view text, std::int32_t flags) override {
    messages.push_back({std::u16string(text), flags});
  }
  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view preset) override {
    prompts.emplace_back(prompt);
    presets.emplace_back(preset);
    return answer;
  }

  std::vector<Message> messages;
  std::vector<std::u16string> prompts;
  std::vector<std::u16string> presets;
  std::optional<std::u16string> answer;  // what the user types; nothing is Cancel
};

class FakeSettings : public Settings {
 public:
  using Key = std::tuple<std::u16string, std::u16string, std::u16string>;

  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue) override {
    const auto found = values.find(Key(application, section, key));
    return found == values.end() ? std::u16string(defaultValue) : found->second;
  }
  void SaveSetting(std::u16string_view application, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) override {
    values[Key(application, section, key)] = value;
  }

  std::map<Key, std::u16string> values;
};

// Module text is given and read back with LF between lines, for legible tests.
struct Editor {
  explicit Editor(std::u16string_view text, std::u16string name = u"Module1")
      : vbe(std::make_shared<MemoryModule>(std::move(name), SplitLines(text))) {
    events.InitEventTable();
  }

  std::u16string Text() {
    std::u16string text;
    for (LineNumber line = 1; line <= vbe.Module().CountOfLines(); ++line) {
      text += vbe.Module().LineText(line);
      text += u"\n";
    }
    return text;
  }
  void PutCaret(LineNumber line) { vbe.Pane().SetSelection(line, 1, line, 1); }
  Selection Caret() { return vbe.Pane().GetSelection(); }

  MemoryVbe vbe;
  EventTable events;
  FakeUi ui;
  FakeSettings settings;
  Commands commands{vbe, events, ui, settings};
};

}  // namespace tamvo::test
