#pragma once
// A stand-in for the VBA editor's automation objects, for driving tamvo.dll
// end to end under Wine: VBE with ActiveCodePane, CommandBars ("Add-Ins"),
// Events.CommandBarEvents with a working connection point, and MainWindow.
// The code module behind the pane is the core's MemoryModule.

#include <oaidl.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/memory_module.h"

namespace tamvo::test {

struct FakeControl {
  std::wstring caption;
  bool deleted = false;
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> sinks;  // advised click sinks
};

struct FakeEditorState {
  explicit FakeEditorState(std::u16string_view text)
      : code(std::make_shared<MemoryModule>(u"Module1", SplitLines(text))) {}

  MemoryVbe code;
  bool paneActive = true;
  // A procedure whose lines the editor refuses to give, with its own words.
  std::u16string refusedProcedure;
  // Member names looked up on the code module objects handed out, and the
  // calls of each member.
  std::size_t moduleLookups = 0;
  std::map<std::wstring, std::size_t> moduleCalls;
  std::vector<std::shared_ptr<FakeControl>> addInsBar;
  LONG windowLeft = 100, windowTop = 50, windowWidth = 800, windowHeight = 600;
  HWND mainWindow = nullptr;
};

// The VBE object over the state; the state must outlive it.
Microsoft::WRL::ComPtr<IDispatch> MakeFakeVbe(FakeEditorState& state);

// Fires Click on every sink advised for the control, as the editor does
// when the user clicks the menu item.
void ClickControl(FakeControl& control);

}  // namespace tamvo::test
