// The terminal, through ncurses: raw keys with a short escape delay, the
// mouse where the terminal reports it, colours in 24 bits where it has them
// and from its palette otherwise, and the cells of a grid written by what
// changed. Text pasted into the terminal arrives whole (bracketed paste), and
// the terminal's clipboard is set with OSC 52. Signals arrive through a self-pipe: SIGINT, SIGTERM and SIGHUP
// ask the desk to leave, SIGWINCH reports a new size. A crash, or an exit
// that skips Stop, still gives the terminal back as it was.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/zvemul/cell_grid.h"
#include "apps/zvemul/key_decoder.h"

namespace zv::desk {

class Terminal {
 public:
  // Milliseconds ncurses waits after an ESC for the rest of a key's sequence.
  static constexpr int kEscapeDelayMs = 25;
  // A paste keeps at most this many bytes (UTF-8); the rest is dropped.
  static constexpr std::size_t kMaxPasteBytes = 64 * 1024;

  Terminal() = default;
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Takes over the terminal on standard input and output. False, with the
  // reason, when they are no terminal or ncurses cannot use it.
  bool Start(std::string& error);
  // Restores the terminal; idempotent.
  void Stop();
  bool active() const { return active_; }

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  // Takes the terminal's size after a SIGWINCH.
  void UpdateSize();

  struct Signals {
    bool quit = false;
    bool resized = false;
  };
  int signal_fd() const;
  Signals TakeSignals();

  // Waits at most timeout_ms (-1: without limit) for input or a signal.
  void Wait(int timeout_ms);
  // Everything typed so far, without waiting. An ESC followed at once by
  // another character or key is that character or key with Alt. A paste is
  // one input, given once its end has arrived.
  std::vector<TerminalInput> ReadInput();

  // Puts text (Windows-1252) on the terminal's clipboard: OSC 52, which
  // tmux and most terminal emulators accept.
  void SetClipboard(std::string_view text);

  // Shows the grid, writing the cells that differ from what is shown, and
  // the cursor where given (hidden otherwise).
  void Show(const CellGrid& grid, std::optional<CellPosition> cursor);
  const CellGrid& shown() const { return shown_; }

 private:
  enum class ColorMode { kNone, kPalette, kRedefined, kDirect };

  void SetUpColors();
  int ColorNumber(Rgb color);
  int PairFor(Rgb fg, Rgb bg);
  void WriteCell(int row, int column, const Cell& cell);
  char32_t Printable(char32_t ch) const;

  bool active_ = false;
  bool utf8_ = true;
  int rows_ = 0;
  int columns_ = 0;
  CellGrid shown_;
  bool repaint_all_ = true;
  bool cursor_visible_ = false;
  bool pasting_ = false;
  std::string paste_;

  ColorMode color_mode_ = ColorMode::kNone;
  int palette_size_ = 0;
  std::map<std::uint32_t, int> redefined_;  // RGB -> redefined palette slot
  int next_slot_ = 16;
  std::map<std::uint64_t, int> pairs_;  // (fg, bg) colour numbers -> pair
  int next_pair_ = 1;
};

}  // namespace zv::desk
