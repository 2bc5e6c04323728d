// The desk: a container for one ZVEmul control in a terminal. It creates the
// control by its ProgID, sizes it to the terminal, draws its view, delivers
// the agent's keys and clicks, carries entries to the host link and hands
// the answers back, all from one single-threaded poll loop.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "apps/zvemul/curses_message_boxes.h"
#include "apps/zvemul/desk_options.h"
#include "apps/zvemul/geometry.h"
#include "apps/zvemul/key_decoder.h"
#include "apps/zvemul/menu_popup.h"
#include "apps/zvemul/print_dialog.h"
#include "apps/zvemul/terminal.h"
#include "apps/zvemul/terminal_clipboard.h"
#include "apps/zvemul/view_painter.h"
#include "control/zvemul_surface.h"
#include "host/container_keys.h"
#include "host/host_link.h"
#include "platform/desktop.h"

namespace zv::desk {

class Desk final : private platform::EventSink, private ContainerSite {
 public:
  Desk(const DeskOptions& options, Terminal& terminal);
  ~Desk() override;
  Desk(const Desk&) = delete;
  Desk& operator=(const Desk&) = delete;

  // Creates the control and its window, fitted to the terminal, and starts
  // the host link. False, with the reason, when the control cannot be made.
  bool Start(std::string& error);
  // Runs until an exit key or a signal, then destroys the control's
  // window (the control writes its settings then) and closes the link.
  void Run();

 private:
  void OnEvent(const platform::EventInfo& event, std::span<const platform::Variant> args) override;
  platform::InvokeResult Invoke(std::string_view name, platform::InvokeKind kind,
                                std::vector<platform::Variant> args = {});

  // The keys the control leaves to its container: F8 the other frame, F9
  // clear the screen, Ctrl+Insert copy, acted on through SendKey once the
  // key's own handling has returned; then the macro asked for is shown.
  bool TranslateAccelerator(const MSG& msg, DWORD modifiers) override;
  void SendKey(UINT vk, int flags);
  void RunWindowKeys();

  void Handle(const DeskAction& action);
  // The menu key opens the menu at the caret, or mid-screen without one.
  void OpenMenuAtCaret();
  // Leaves the desk, after asking when entries are still with the host.
  void AskToLeave();
  void Click(const DeskAction& action);
  void DeliverAnswers();
  void ShowLinkState();
  // Fits the control to the terminal when the size, the layout or the font
  // changed.
  void FitControl();
  void Render();
  int PollTimeout();
  void Finish();
  platform::DesktopServices MakeServices();

  DeskOptions options_;
  Terminal& terminal_;
  CursesMessageBoxes* boxes_ = nullptr;          // owned by desktop_
  CursesPrintDialogs* print_dialogs_ = nullptr;  // owned by desktop_
  CursesMenus* menus_ = nullptr;                 // owned by desktop_
  TerminalClipboard* clipboard_ = nullptr;       // owned by desktop_
  platform::Desktop desktop_;
  platform::DesktopScope scope_;
  platform::ComPtr<IZVEmulControl> control_;
  bool window_alive_ = false;
  platform::DISPID data_source_input_ = 0;
  platform::DISPID input_reflect_ = 0;
  platform::DISPID drive_macro_ = 0;
  // The macro file last asked for, to be shown in the status bar.
  std::optional<std::string> macro_text_;
  std::unique_ptr<host::HostLink> link_;
  std::string link_state_;
  // Entries handed to the host and not yet answered.
  int entries_out_ = 0;
  std::vector<host::ContainerKey> window_keys_;
  // Where the left button went down in a res window: the start of a drag.
  struct DragStart {
    HWND hwnd = 0;
    LONG position = 0;
  };
  std::optional<DragStart> drag_;

  ScreenLayout layout_;
  LONG line_height_ = 0;
  Painting painting_;
  bool dirty_ = true;
  bool help_ = false;
  bool quit_ = false;
};

// The whole program after the command line: profile, terminal, desk.
// Returns the exit status.
int RunDesk(const DeskOptions& options, std::ostream& err);

}  // namespace zv::desk
