#pragma once
// What the add-in does when the editor connects it, when its menu item is
// clicked and when the editor disconnects it. Portable: the COM class
// Connect hands the editor's objects in through the interfaces below, and
// the tests hand in fakes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/commands.h"
#include "commands/services.h"
#include "engine/event_table.h"
#include "host/code_module.h"

namespace tamvo {

inline constexpr std::u16string_view kMenuCaption = u"コメント挿入(&C)";
inline constexpr std::u16string_view kUpdateMenuCaption = u"コメント更新(&U)";
inline constexpr std::u16string_view kApplicationTitle = u"tamvo";

// How the editor connects the add-in, its ext_ConnectMode. It may send
// values beyond these; they are its own, and count as any mode but the two
// that the connection tells apart (AfterStartup, External).
enum class ConnectMode : std::int32_t {
  AfterStartup = 0,
  Startup = 1,
  External = 2,
  CommandLine = 3,
};

// The menu item on the editor's "Add-Ins" bar.
class MenuItem {
 public:
  virtual ~MenuItem() = default;
  virtual void Delete() = 0;
};

// The command dialog, as the connection places, shows and unloads it.
class CommandDialog {
 public:
  virtual ~CommandDialog() = default;
  // Outer size and position, in twips.
  virtual float Width() = 0;
  virtual float Height() = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;
  virtual void ShowModeless() = 0;
  virtual void Unload() = 0;
};

// A row of the update dialog's list of findings: what it says, and the
// module line the caret goes to when the row is chosen (0: none).
struct FindingRow {
  std::u16string text;
  LineNumber line = 0;
  bool operator==(const FindingRow&) const = default;
};

// The update dialog: placed, shown and unloaded as the command dialog is,
// with a list of findings the connection fills.
class UpdateDialog : public CommandDialog {
 public:
  virtual void ShowFindings(const std::vector<FindingRow>& rows) = 0;
};

struct WindowRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

class Connection;

// A subscription to an event source; it lasts as long as this object.
class EventSubscription {
 public:
  virtual ~EventSubscription() = default;
};

// The editor as the add-in meets it: its code side (Vbe) and its shell.
// Members throw Failure where the editor fails.
class HostEditor : public Vbe {
 public:
  // A button with this caption on the "Add-Ins" bar; nothing when there is
  // no such bar or the editor refuses.
  virtual std::shared_ptr<MenuItem> AddToAddInCommandBar(std::u16string_view caption) = 0;
  // Subscribes to the item's click events (an empty item is the editor's
  // to judge).
  virtual std::shared_ptr<EventSubscription> CommandBarEvents(const std::shared_ptr<MenuItem>& item,
                                                              std::function<void()> onClick) = 0;
  virtual WindowRect MainWindow() = 0;
  // The screen's twips per pixel, horizontally and vertically.
  virtual float TwipsPerPixelX() = 0;
  virtual float TwipsPerPixelY() = 0;
  // A new command dialog whose buttons run commands through the connection.
  virtual std::unique_ptr<CommandDialog> NewCommandDialog(Connection& connection) = 0;
  // A new update dialog, whose buttons and list work through the connection.
  virtual std::unique_ptr<UpdateDialog> NewUpdateDialog(Connection& connection) = 0;
};

class Connection {
 public:
  Connection(Ui& ui, Settings& settings) : ui_(ui), settings_(settings) {}

  // application gives the editor; a failure there, like any other failure
  // while connecting, is shown in a message box and ends the connection's
  // work (the editor is told all is well).
  void OnConnection(const std::function<std::shared_ptr<HostEditor>()>& application, ConnectMode connectMode);
  void OnDisconnection();
  // Creates the dialog on first use, centres it over the main window and
  // shows it; a step that fails is skipped.
  void Show();
  void MenuHandler_Click() { Show(); }
  // What the dialog's buttons run.
  void RunCommand(Command command);

  // The update dialog, as Show does the command dialog, with the active
  // module's findings listed afresh.
  void ShowUpdate();
  void UpdateMenuHandler_Click() { ShowUpdate(); }
  // What the update dialog's buttons run: the command, then the findings
  // listed again whether it failed or not. Throws the command's Failure.
  void RunUpdate(Command command);
  // Lists the active module's findings in the update dialog.
  void RefreshFindings();
  // The active module's findings, a row each in line order, in Japanese:
  // "行 N: ...", or the one row "指摘はありません". The module is read with
  // one call for all its lines, and never changed.
  std::vector<FindingRow> FindingRows() const;
  // Puts the caret at the start of a line of the active module.
  void GoToLine(LineNumber line);

  bool FormDisplayed = false;
  const std::shared_ptr<HostEditor>& HostVbe() const { return hostVbe_; }
  const EventTable& Events() const { return events_; }
  bool HasDialog() const { return commandDialog_ != nullptr; }
  bool HasUpdateDialog() const { return updateDialog_ != nullptr; }
  const std::shared_ptr<MenuItem>& MenuControl() const { return menuControl_; }
  // The subscription to the menu item's clicks; replacing it rewires them.
  const std::shared_ptr<EventSubscription>& MenuHandler() const { return menuHandler_; }
  void SetMenuHandler(std::shared_ptr<EventSubscription> handler) { menuHandler_ = std::move(handler); }

 private:
  HostEditor& Host() const;
  // Centres a dialog over the main window and shows it; a step that fails
  // is skipped.
  void Present(CommandDialog* dialog);

  Ui& ui_;
  Settings& settings_;
  EventTable events_;
  std::shared_ptr<HostEditor> hostVbe_;
  std::shared_ptr<MenuItem> menuControl_;
  std::shared_ptr<EventSubscription> menuHandler_;
  std::unique_ptr<CommandDialog> commandDialog_;
  // The update dialog's menu item, its clicks, and the dialog.
  std::shared_ptr<MenuItem> updateMenuControl_;
  std::shared_ptr<EventSubscription> updateMenuHandler_;
  std::unique_ptr<UpdateDialog> updateDialog_;
};

}  // namespace tamvo
