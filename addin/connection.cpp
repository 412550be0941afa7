#include "addin/connection.h"

#include "addin/dialog_placement.h"
#include "commands/commands.h"
#include "commands/lint.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/memory_module.h"

namespace tamvo {

namespace {

// Runs one step of a sequence in which a failing step is skipped silently.
template <typename Step>
void Skippable(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

HostEditor& Connection::Host() const {
  if (!hostVbe_) throw Failure(std::u16string(kObjectNotSet));
  return *hostVbe_;
}

void Connection::OnConnection(const std::function<std::shared_ptr<HostEditor>()>& application,
                              ConnectMode connectMode) {
  try {
    events_.InitEventTable();
    hostVbe_ = application();
    if (!hostVbe_) throw Failure(std::u16string(kObjectNotSet));
    if (connectMode == ConnectMode::External) {
      Show();
    } else {
      menuControl_ = hostVbe_->AddToAddInCommandBar(kMenuCaption);
      menuHandler_ = hostVbe_->CommandBarEvents(menuControl_, [this] { MenuHandler_Click(); });
      // The update item comes second; where it can't be had, the first
      // works as it always did, and no message says so.
      Skippable([&] {
        updateMenuControl_ = hostVbe_->AddToAddInCommandBar(kUpdateMenuCaption);
        if (updateMenuControl_) {
          updateMenuHandler_ =
              hostVbe_->CommandBarEvents(updateMenuControl_, [this] { UpdateMenuHandler_Click(); });
        }
      });
    }
    if (connectMode == ConnectMode::AfterStartup &&
        settings_.GetSetting(kApplicationTitle, u"Settings", u"DisplayOnConnect", u"0") == u"1") {
      Show();
    }
  } catch (const Failure& failure) {
    ui_.MsgBox(failure.Description(), kMsgBoxOkOnly);
  } catch (const std::exception& failure) {
    ui_.MsgBox(FromUtf8(failure.what()), kMsgBoxOkOnly);
  }
}

void Connection::Show() {
  Skippable([&] {
    if (!commandDialog_) commandDialog_ = Host().NewCommandDialog(*this);
  });
  Present(commandDialog_.get());
}

void Connection::Present(CommandDialog* dialog) {
  auto shown = [&]() -> CommandDialog& {
    if (!dialog) throw Failure(std::u16string(kObjectNotSet));
    return *dialog;
  };
  std::optional<WindowRect> window;
  Skippable([&] { window = Host().MainWindow(); });
  Skippable([&] {
    const auto left = CentredCoordinate(window.value().left, window.value().width, shown().Width(),
                                        Host().TwipsPerPixelX());
    shown().SetLeft(left.value());
  });
  Skippable([&] {
    const auto top = CentredCoordinate(window.value().top, window.value().height, shown().Height(),
                                       Host().TwipsPerPixelY());
    shown().SetTop(top.value());
  });
  Skippable([&] { shown().ShowModeless(); });
}

void Connection::ShowUpdate() {
  Skippable([&] {
    if (!updateDialog_) updateDialog_ = Host().NewUpdateDialog(*this);
  });
  Present(updateDialog_.get());
  RefreshFindings();
}

void Connection::RunUpdate(Command command) {
  try {
    Commands(Host(), events_, ui_, settings_).Run(command);
  } catch (...) {
    RefreshFindings();
    throw;
  }
  RefreshFindings();
}

void Connection::RefreshFindings() {
  if (!updateDialog_) return;
  std::vector<FindingRow> rows;
  try {
    rows = FindingRows();
  } catch (const Failure& failure) {
    rows = {{failure.Description(), 0}};
  }
  Skippable([&] { updateDialog_->ShowFindings(rows); });
}

std::vector<FindingRow> Connection::FindingRows() const {
  const auto pane = Host().ActiveCodePane();
  if (!pane) throw Failure(u"コードウィンドウが開かれていません");
  const auto module = pane->CodeModule();
  const LineNumber count = module->CountOfLines();
  MemoryModule copy(module->ComponentName(), SplitLines(count > 0 ? module->Lines(1, count) : u""));
  std::vector<FindingRow> rows;
  for (const LintFinding& finding : LintModule(copy)) {
    rows.push_back({u"行 " + FromUtf8(std::to_string(finding.line)) + u": " +
                        LintMessageText(finding, LintLanguage::Japanese),
                    finding.line});
  }
  if (rows.empty()) rows.push_back({u"指摘はありません", 0});
  return rows;
}

void Connection::GoToLine(LineNumber line) {
  const auto pane = Host().ActiveCodePane();
  if (!pane) throw Failure(std::u16string(kObjectNotSet));
  pane->SetSelection(line, 1, line, 1);
}

void Connection::OnDisconnection() {
  Skippable([&] { events_.ReleaseEventTable(); });
  Skippable([&] {
    if (menuControl_) menuControl_->Delete();
  });
  Skippable([&] {
    if (commandDialog_) commandDialog_->Unload();
  });
  commandDialog_.reset();
  Skippable([&] {
    if (updateMenuControl_) updateMenuControl_->Delete();
  });
  Skippable([&] {
    if (updateDialog_) updateDialog_->Unload();
  });
  updateDialog_.reset();
  updateMenuControl_.reset();
  updateMenuHandler_.reset();
}

void Connection::RunCommand(Command command) { Commands(Host(), events_, ui_, settings_).Run(command); }

}  // namespace tamvo
