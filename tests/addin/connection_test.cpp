#include "addin/connection.h"

#include <gtest/gtest.h>

#include "addin/dialog_placement.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using test::FakeSettings;
using test::FakeUi;

// What happened to the fake editor's menu item and dialog, in order.
struct Journal {
  std::vector<std::string> events;
  float left = -1;
  float top = -1;
};

class FakeMenuItem : public MenuItem {
 public:
  explicit FakeMenuItem(Journal& journal) : journal_(journal) {}
  void Delete() override { journal_.events.push_back("menu deleted"); }

 private:
  Journal& journal_;
};

class FakeDialog : public CommandDialog {
 public:
  explicit FakeDialog(Journal& journal) : journal_(journal) {}
  float Width() override { return 3000; }
  float Height() override { return 1500; }
  void SetLeft(float twips) override { journal_.left = twips; }
  void SetTop(float twips) override { journal_.top = twips; }
  void ShowModeless() override { journal_.events.push_back("dialog shown"); }
  void Unload() override { journal_.events.push_back("dialog unloaded"); }

 private:
  Journal& journal_;
};

class FakeUpdateDialog : public UpdateDialog {
 public:
  explicit FakeUpdateDialog(Journal& journal) : journal_(journal) {}
  float Width() override { return 3000; }
  float Height() override { return 1500; }
  void SetLeft(float) override {}
  void SetTop(float) override {}
  void ShowModeless() override { journal_.events.push_back("update dialog shown"); }
  void Unload() override { journal_.events.push_back("update dialog unloaded"); }
  void ShowFindings(const std::vector<FindingRow>& shown) override { rows = shown; }

  std::vector<FindingRow> rows;

 private:
  Journal& journal_;
};

class FakeEditor : public HostEditor {
 public:
  explicit FakeEditor(Journal& journal)
      : journal_(journal),
        code_(std::make_shared<MemoryModule>(u"Module1", SplitLines(u"Sub A()\nEnd Sub"))) {}

  std::shared_ptr<CodePane> ActiveCodePane() override { return code_.ActiveCodePane(); }
  std::shared_ptr<MenuItem> AddToAddInCommandBar(std::u16string_view caption) override {
    if (!hasAddInsBar) return nullptr;
    journal_.events.push_back("menu added: " + ToUtf8(caption));
    return std::make_shared<FakeMenuItem>(journal_);
  }
  std::shared_ptr<EventSubscription> CommandBarEvents(const std::shared_ptr<MenuItem>& item,
                                                      std::function<void()> onClick) override {
    if (!item) throw Failure(u"Invalid procedure call or argument");
    (click ? updateClick : click) = std::move(onClick);
    return std::make_shared<EventSubscription>();
  }
  WindowRect MainWindow() override {
    if (!hasMainWindow) throw Failure(u"no main window");
    return window;
  }
  float TwipsPerPixelX() override { return twipsPerPixelX; }
  float TwipsPerPixelY() override { return 15; }
  std::unique_ptr<CommandDialog> NewCommandDialog(Connection&) override {
    journal_.events.push_back("dialog created");
    return std::make_unique<FakeDialog>(journal_);
  }
  std::unique_ptr<UpdateDialog> NewUpdateDialog(Connection&) override {
    auto dialog = std::make_unique<FakeUpdateDialog>(journal_);
    updateDialog = dialog.get();
    return dialog;
  }

  bool hasAddInsBar = true;
  bool hasMainWindow = true;
  WindowRect window{100, 50, 1000, 700};
  float twipsPerPixelX = 15;
  std::function<void()> click;
  std::function<void()> updateClick;
  FakeUpdateDialog* updateDialog = nullptr;

 private:
  Journal& journal_;
  MemoryVbe code_;
};

// A connection to a fresh fake editor, with fake boxes and settings.
class ConnectionTest : public ::testing::Test {
 protected:
  void Connect(ConnectMode mode) {
    connection.OnConnection([this] { return editor; }, mode);
  }

  Journal journal;
  FakeUi ui;
  FakeSettings settings;
  Connection connection{ui, settings};
  std::shared_ptr<FakeEditor> editor = std::make_shared<FakeEditor>(journal);
};

struct ModeCase {
  ConnectMode mode;
  std::optional<std::u16string> displayOnConnect;
  std::vector<std::string> events;
};

TEST(Connection, WhatEachConnectModeDoes) {
  const std::string menu = "menu added: " + ToUtf8(kMenuCaption);
  const std::string update = "menu added: " + ToUtf8(kUpdateMenuCaption);
  const ModeCase cases[] = {
      {ConnectMode::External, u"1", {"dialog created", "dialog shown"}},
      {ConnectMode::AfterStartup, std::nullopt, {menu, update}},
      {ConnectMode::AfterStartup, u"1", {menu, update, "dialog created", "dialog shown"}},
      {ConnectMode::AfterStartup, u"01", {menu, update}},
      {ConnectMode::AfterStartup, u" 1", {menu, update}},
      {ConnectMode::AfterStartup, u"True", {menu, update}},
      {ConnectMode::Startup, u"1", {menu, update}},
      {ConnectMode::CommandLine, u"1", {menu, update}},
      {ConnectMode{-1}, u"1", {menu, update}},
  };
  for (const auto& c : cases) {
    Journal journal;
    FakeUi ui;
    FakeSettings settings;
    if (c.displayOnConnect)
      settings.SaveSetting(u"tamvo", u"Settings", u"DisplayOnConnect", *c.displayOnConnect);
    Connection connection(ui, settings);
    auto editor = std::make_shared<FakeEditor>(journal);
    connection.OnConnection([&] { return editor; }, c.mode);
    EXPECT_EQ(journal.events, c.events) << "mode " << static_cast<int>(c.mode);
    EXPECT_TRUE(connection.Events().EventTableReady());
    EXPECT_EQ(connection.HostVbe(), editor);
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST_F(ConnectionTest, MenuClickShowsOneDialogCentredAgain) {
  Connect(ConnectMode::Startup);
  ASSERT_TRUE(editor->click);
  editor->click();
  EXPECT_FLOAT_EQ(journal.left, 7500);  // ((1000 - 3000/15) / 2 + 100) * 15
  EXPECT_FLOAT_EQ(journal.top, 5250);   // ((700 - 1500/15) / 2 + 50) * 15
  editor->window.left = 0;
  editor->click();
  EXPECT_FLOAT_EQ(journal.left, 6000);
  EXPECT_EQ(std::count(journal.events.begin(), journal.events.end(), "dialog created"), 1);
  EXPECT_EQ(std::count(journal.events.begin(), journal.events.end(), "dialog shown"), 2);

  connection.OnDisconnection();
  EXPECT_EQ(journal.events.back(), "menu deleted") << "the update item";
  EXPECT_EQ(journal.events[journal.events.size() - 2], "dialog unloaded");
  EXPECT_EQ(journal.events[journal.events.size() - 3], "menu deleted");
  EXPECT_FALSE(connection.HasDialog());
  EXPECT_FALSE(connection.Events().EventTableReady());
  EXPECT_TRUE(settings.values.empty()) << "disconnection writes no setting";
}

TEST_F(ConnectionTest, ShowSkipsTheStepsThatFail) {
  Connect(ConnectMode::Startup);

  editor->twipsPerPixelX = 0;
  connection.Show();
  EXPECT_FLOAT_EQ(journal.left, -1) << "left keeps its value";
  EXPECT_FLOAT_EQ(journal.top, 5250);
  EXPECT_EQ(journal.events.back(), "dialog shown");

  editor->hasMainWindow = false;
  journal.top = -1;
  connection.Show();
  EXPECT_FLOAT_EQ(journal.top, -1);
  EXPECT_EQ(journal.events.back(), "dialog shown");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ConnectionTest, AFailureWhileConnectingIsShownWithFlagsZero) {
  settings.SaveSetting(u"tamvo", u"Settings", u"DisplayOnConnect", u"1");
  editor->hasAddInsBar = false;
  Connect(ConnectMode::AfterStartup);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].flags, kMsgBoxOkOnly);
  EXPECT_EQ(ui.messages[0].text, u"Invalid procedure call or argument");
  EXPECT_TRUE(journal.events.empty()) << "the DisplayOnConnect check doesn't run";
  EXPECT_EQ(connection.HostVbe(), editor);

  Connection refused(ui, settings);
  refused.OnConnection([]() -> std::shared_ptr<HostEditor> { throw Failure(u"not the editor"); },
                       ConnectMode::Startup);
  EXPECT_EQ(ui.messages.back().text, u"not the editor");
  refused.OnDisconnection();
}

TEST_F(ConnectionTest, DialogButtonsRunTheCommandsOnTheEditor) {
  Connect(ConnectMode::Startup);
  connection.RunCommand(Command::InsertAllProcComments);
  auto module = editor->ActiveCodePane()->CodeModule();
  EXPECT_EQ(module->Lines(1, module->CountOfLines()), u"\r\n'/**\r\n' * .\r\n' */\r\nSub A()\r\nEnd Sub");
}

// The update item's dialog: the findings of the module in the pane, listed
// again after each update, and a row's line as the caret's place.
TEST_F(ConnectionTest, UpdateDialogListsFindingsAndRunsUpdates) {
  Connect(ConnectMode::Startup);
  ASSERT_TRUE(editor->updateClick);
  editor->updateClick();
  ASSERT_NE(editor->updateDialog, nullptr);
  EXPECT_EQ(editor->updateDialog->rows,
            (std::vector<FindingRow>{{u"行 1: A にドキュメントコメントがありません", 1}}));

  connection.RunUpdate(Command::UpdateAllProcComments);
  EXPECT_EQ(editor->updateDialog->rows, (std::vector<FindingRow>{{u"行 3: A の概要が空です", 3}}));
  connection.GoToLine(2);
  EXPECT_EQ(editor->ActiveCodePane()->GetSelection().startLine, 2);

  auto module = editor->ActiveCodePane()->CodeModule();
  module->DeleteLines(1, module->CountOfLines());
  module->InsertLines(1, u"'/**\r\n' * Adds.\r\n' */\r\nSub A()\r\nEnd Sub");
  editor->updateClick();
  EXPECT_EQ(editor->updateDialog->rows, (std::vector<FindingRow>{{u"指摘はありません", 0}}));
  EXPECT_EQ(std::count(journal.events.begin(), journal.events.end(), "update dialog shown"), 2);
  EXPECT_TRUE(ui.messages.empty());

  connection.OnDisconnection();
  EXPECT_EQ(journal.events.back(), "update dialog unloaded");
  EXPECT_EQ(journal.events[journal.events.size() - 2], "menu deleted");
  EXPECT_FALSE(connection.HasUpdateDialog());
}

TEST(CentredCoordinate, DoublePrecisionWithoutRounding) {
  EXPECT_FLOAT_EQ(CentredCoordinate(100, 1000, 3000, 15).value(), 7500.0f);
  EXPECT_FLOAT_EQ(CentredCoordinate(100, 1001, 3000, 15).value(), 7507.5f);
  EXPECT_FLOAT_EQ(CentredCoordinate(0, 800, 7575, 12.5).value(), (800 - 606.0) / 2 * 12.5);
  EXPECT_FALSE(CentredCoordinate(100, 1000, 3000, 0).has_value());
  EXPECT_FALSE(CentredCoordinate(2000000000, 2000000000, 0, 1e30).has_value());
}

}  // namespace
}  // namespace tamvo
