#include "addin/connection.h"

#include "addin/dialog_placement.h"
#include "commands/commands.h"
#include "engine/failure.h"
#include "engine/text.h"

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

CommandDialog& Connection::Dialog() const {
  if (!commandDialog_) throw Failure(std::u16string(kObjectNotSet));
  return *commandDialog_;
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
  std::optional<WindowRect> window;
  Skippable([&] { window = Host().MainWindow(); });
  Skippable([&] {
    const auto left = CentredCoordinate(window.value().left, window.value().width, Dialog().Width(),
                                        Host().TwipsPerPixelX());
    Dialog().SetLeft(left.value());
  });
  Skippable([&] {
    const auto top = CentredCoordinate(window.value().top, window.value().height, Dialog().Height(),
                                       Host().TwipsPerPixelY());
    Dialog().SetTop(top.value());
  });
  Skippable([&] { Dialog().ShowModeless(); });
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
}

void Connection::RunCommand(Command command) { Commands(Host(), events_, ui_, settings_).Run(command); }

}  // namespace tamvo
