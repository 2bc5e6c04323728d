#include "apps/zvemul/terminal.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <utility>

#include "platform/code_page.h"
// Last: see curses_api.h.
#include "apps/zvemul/curses_api.h"

namespace zv::desk {
namespace {

// What a signal handler may use: the self-pipe, and the terminal's state and
// reset sequences saved at start, so that a crash restores the terminal with
// async-signal-safe calls only (ncurses itself cannot be used there).
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_armed = 0;
termios g_saved_termios;
std::array<char, 256> g_reset_bytes;
std::size_t g_reset_length = 0;

// Bracketed paste: the terminal wraps pasted text in these two sequences,
// which ncurses reports as these key codes.
constexpr char kPasteOn[] = "\033[?2004h";
constexpr char kPasteOff[] = "\033[?2004l";
constexpr int kPasteStartKey = KEY_MAX + 101;
constexpr int kPasteEndKey = KEY_MAX + 102;

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<std::uint8_t>(bytes[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

void WriteRaw(std::string_view bytes) {
  std::fflush(stdout);
  (void)!::write(STDOUT_FILENO, bytes.data(), bytes.size());
}

constexpr std::array kNoteSignals{SIGINT, SIGTERM, SIGHUP, SIGWINCH};
constexpr std::array kFatalSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
std::array<struct sigaction, kNoteSignals.size()> g_old_note;
std::array<struct sigaction, kFatalSignals.size()> g_old_fatal;

void RestoreTerminalNow() {
  if (!g_armed) return;
  g_armed = 0;
  if (g_reset_length > 0) (void)!::write(STDOUT_FILENO, g_reset_bytes.data(), g_reset_length);
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_termios);
}

extern "C" void OnNoteSignal(int sig) {
  const int saved = errno;
  const char note = sig == SIGWINCH ? 'r' : 'q';
  (void)!::write(g_pipe[1], &note, 1);
  errno = saved;
}

extern "C" void OnFatalSignal(int sig) {
  RestoreTerminalNow();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

extern "C" void RestoreAtExit() {
  if (g_armed) {
    g_armed = 0;
    endwin();
  }
}

void AppendReset(std::string_view bytes) {
  if (g_reset_length + bytes.size() > g_reset_bytes.size()) return;
  std::memcpy(g_reset_bytes.data() + g_reset_length, bytes.data(), bytes.size());
  g_reset_length += bytes.size();
}

void AppendCapability(const char* name) {
  char* value = tigetstr(name);
  if (value != nullptr && value != reinterpret_cast<char*>(-1)) AppendReset(value);
}

bool ColorTermSaysTrueColor() {
  const char* value = std::getenv("COLORTERM");
  if (value == nullptr) return false;
  const std::string_view v = value;
  return v == "truecolor" || v == "24bit";
}

}  // namespace

Terminal::~Terminal() { Stop(); }

bool Terminal::Start(std::string& error) {
  if (active_) return true;
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
    error = "standard input and output must be a terminal";
    return false;
  }
  std::setlocale(LC_ALL, "");
  utf8_ = std::string_view(nl_langinfo(CODESET)) == "UTF-8";
  if (::tcgetattr(STDIN_FILENO, &g_saved_termios) != 0) {
    error = "the terminal's settings cannot be read";
    return false;
  }
  if (::pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    error = "no pipe for signals";
    return false;
  }
  // The handlers come first, so that ncurses keeps its own SIGWINCH handling
  // out and the desk reads the new size itself.
  struct sigaction note {};
  note.sa_handler = OnNoteSignal;
  sigemptyset(&note.sa_mask);
  note.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kNoteSignals.size(); ++i) ::sigaction(kNoteSignals[i], &note, &g_old_note[i]);

  if (newterm(nullptr, stdout, stdin) == nullptr) {
    for (std::size_t i = 0; i < kNoteSignals.size(); ++i) ::sigaction(kNoteSignals[i], &g_old_note[i], nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    error = "ncurses cannot use this terminal (TERM=" + std::string(std::getenv("TERM") ? std::getenv("TERM") : "") +
            ")";
    return false;
  }
  active_ = true;
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  meta(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(kEscapeDelayMs);
  mousemask(BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON1_CLICKED | BUTTON3_PRESSED | BUTTON3_CLICKED, nullptr);
  mouseinterval(0);
  curs_set(0);
  SetUpColors();
  define_key("\033[200~", kPasteStartKey);
  define_key("\033[201~", kPasteEndKey);
  WriteRaw(kPasteOn);

  g_reset_length = 0;
  AppendReset("\033[?1000l\033[?1002l\033[?1006l");
  AppendReset(kPasteOff);
  AppendCapability("oc");  // the palette, should colours have been redefined
  AppendCapability("sgr0");
  AppendCapability("cnorm");
  AppendCapability("rmcup");
  g_armed = 1;
  static bool at_exit_registered = false;
  if (!at_exit_registered) at_exit_registered = std::atexit(RestoreAtExit) == 0;
  struct sigaction fatal {};
  fatal.sa_handler = OnFatalSignal;
  sigemptyset(&fatal.sa_mask);
  fatal.sa_flags = SA_RESETHAND | SA_NODEFER;
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i) ::sigaction(kFatalSignals[i], &fatal, &g_old_fatal[i]);

  rows_ = getmaxy(stdscr);
  columns_ = getmaxx(stdscr);
  repaint_all_ = true;
  return true;
}

void Terminal::Stop() {
  if (!active_) return;
  active_ = false;
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i) ::sigaction(kFatalSignals[i], &g_old_fatal[i], nullptr);
  g_armed = 0;
  WriteRaw(kPasteOff);
  curs_set(1);
  endwin();
  for (std::size_t i = 0; i < kNoteSignals.size(); ++i) ::sigaction(kNoteSignals[i], &g_old_note[i], nullptr);
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void Terminal::UpdateSize() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    resizeterm(size.ws_row, size.ws_col);
  }
  rows_ = getmaxy(stdscr);
  columns_ = getmaxx(stdscr);
  repaint_all_ = true;
}

int Terminal::signal_fd() const { return g_pipe[0]; }

Terminal::Signals Terminal::TakeSignals() {
  Signals signals;
  std::array<char, 64> notes;
  for (;;) {
    const ssize_t n = ::read(g_pipe[0], notes.data(), notes.size());
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (notes[static_cast<std::size_t>(i)] == 'q') signals.quit = true;
      if (notes[static_cast<std::size_t>(i)] == 'r') signals.resized = true;
    }
  }
  return signals;
}

void Terminal::Wait(int timeout_ms) {
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {g_pipe[0], POLLIN, 0}};
  ::poll(fds, 2, timeout_ms);
}

std::vector<TerminalInput> Terminal::ReadInput() {
  std::vector<TerminalInput> inputs;
  if (!active_) return inputs;
  const auto make = [](int rc, wint_t value) {
    TerminalInput input;
    if (rc == KEY_CODE_YES) {
      input.kind = TerminalInput::Kind::kKeyCode;
      input.key = static_cast<int>(value);
      if (input.key > KEY_MAX) {
        const char* name = keyname(input.key);
        if (name != nullptr) input.key_name = name;
      }
    } else {
      input.character = static_cast<char32_t>(value);
    }
    return input;
  };
  for (;;) {
    wint_t value = 0;
    const int rc = get_wch(&value);
    if (rc == ERR) break;
    TerminalInput input = make(rc, value);
    if (rc == KEY_CODE_YES && (value == kPasteStartKey || value == kPasteEndKey)) {
      pasting_ = value == kPasteStartKey;
      if (pasting_) {
        paste_.clear();
      } else {
        TerminalInput paste;
        paste.kind = TerminalInput::Kind::kPaste;
        paste.text = std::exchange(paste_, {});
        inputs.push_back(std::move(paste));
      }
      continue;
    }
    if (pasting_) {
      if (rc == OK && paste_.size() < kMaxPasteBytes) platform::AppendUtf8(paste_, static_cast<char32_t>(value));
      continue;
    }
    if (rc == OK && value == 0x1B) {
      // Whatever came in the same breath as the ESC is an Alt key; a second
      // ESC starts over, so that Esc pressed twice is two Esc keys.
      wint_t next = 0;
      const int next_rc = get_wch(&next);
      if (next_rc == OK && next == 0x1B) {
        unget_wch(next);
      } else if (next_rc != ERR) {
        input = make(next_rc, next);
        input.alt = true;
      }
    }
    if (input.kind == TerminalInput::Kind::kKeyCode && input.key == KEY_MOUSE) {
      MEVENT event{};
      if (getmouse(&event) != OK) continue;
      if (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) {
        input.button = 1;
      } else if (event.bstate & BUTTON1_RELEASED) {
        // The end of a drag (or of a click) with the left button.
        input.button = 1;
        input.released = true;
      } else if (event.bstate & (BUTTON3_PRESSED | BUTTON3_CLICKED)) {
        input.button = 3;
      } else {
        continue;
      }
      input.kind = TerminalInput::Kind::kMouse;
      input.row = event.y;
      input.column = event.x;
    }
    inputs.push_back(std::move(input));
  }
  return inputs;
}

void Terminal::SetClipboard(std::string_view text) {
  if (!active_) return;
  WriteRaw("\033]52;c;" + Base64(platform::Cp1252ToUtf8(text)) + "\a");
}

void Terminal::SetUpColors() {
  color_mode_ = ColorMode::kNone;
  if (!has_colors() || start_color() != OK) return;
  palette_size_ = COLORS;
  if (palette_size_ >= 0x1000000 || tigetflag("RGB") > 0) {
    color_mode_ = ColorMode::kDirect;
  } else if (ColorTermSaysTrueColor() && can_change_color() && palette_size_ >= 256) {
    color_mode_ = ColorMode::kRedefined;
  } else {
    color_mode_ = ColorMode::kPalette;
  }
}

int Terminal::ColorNumber(Rgb color) {
  switch (color_mode_) {
    case ColorMode::kDirect:
      return (color.r << 16) | (color.g << 8) | color.b;
    case ColorMode::kRedefined: {
      const std::uint32_t key = (static_cast<std::uint32_t>(color.r) << 16) | (color.g << 8) | color.b;
      if (auto it = redefined_.find(key); it != redefined_.end()) return it->second;
      if (next_slot_ < palette_size_ &&
          init_extended_color(next_slot_, color.r * 1000 / 255, color.g * 1000 / 255, color.b * 1000 / 255) == OK) {
        redefined_[key] = next_slot_;
        return next_slot_++;
      }
      // Out of slots: the system colours are still the terminal's own.
      return NearestPaletteIndex(color, 16);
    }
    default:
      return NearestPaletteIndex(color, palette_size_);
  }
}

int Terminal::PairFor(Rgb fg, Rgb bg) {
  const std::uint64_t key =
      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(ColorNumber(fg))) << 32) |
      static_cast<std::uint32_t>(ColorNumber(bg));
  if (auto it = pairs_.find(key); it != pairs_.end()) return it->second;
  if (next_pair_ >= COLOR_PAIRS) {
    // Start over; cells drawn with the old pairs are drawn again.
    pairs_.clear();
    next_pair_ = 1;
    repaint_all_ = true;
  }
  const int pair = next_pair_++;
  init_extended_pair(pair, static_cast<int>(key >> 32), static_cast<int>(key & 0xFFFFFFFFu));
  pairs_[key] = pair;
  return pair;
}

char32_t Terminal::Printable(char32_t ch) const {
  if (ch < 0x20 || ch == 0x7F) return U' ';
  if (utf8_) return ::wcwidth(static_cast<wchar_t>(ch)) == 1 ? ch : U'?';
  switch (ch) {
    case U'\u2500':
      return U'-';
    case U'\u2502':
      return U'|';
    case U'\u250C':
    case U'\u2510':
    case U'\u2514':
    case U'\u2518':
      return U'+';
    default:
      return ch < 0x7F ? ch : U'?';
  }
}

void Terminal::WriteCell(int row, int column, const Cell& cell) {
  attr_t attributes = A_NORMAL;
  if (cell.style.attributes & kBold) attributes |= A_BOLD;
  if (cell.style.attributes & kUnderline) attributes |= A_UNDERLINE;
  if (cell.style.attributes & kReverse) attributes |= A_REVERSE;
  int pair = 0;
  if (color_mode_ == ColorMode::kNone) {
    // Without colours a light background shows reversed.
    const Rgb bg = cell.style.bg;
    if (bg.r * 3 + bg.g * 6 + bg.b > 128 * 10) attributes ^= A_REVERSE;
  } else {
    pair = PairFor(cell.style.fg, cell.style.bg);
  }
  const wchar_t text[2] = {static_cast<wchar_t>(Printable(cell.ch)), L'\0'};
  cchar_t shown{};
  setcchar(&shown, text, attributes, 0, &pair);
  mvwadd_wch(stdscr, row, column, &shown);
}

void Terminal::Show(const CellGrid& grid, std::optional<CellPosition> cursor) {
  if (!active_) return;
  const bool all = repaint_all_ || grid.rows() != shown_.rows() || grid.columns() != shown_.columns();
  // A colour pair table that starts over while writing sets it again.
  repaint_all_ = false;
  if (all) clearok(curscr, TRUE);
  for (int r = 0; r < grid.rows(); ++r) {
    for (int c = 0; c < grid.columns(); ++c) {
      if (all || !(grid.at(r, c) == shown_.at(r, c))) WriteCell(r, c, grid.at(r, c));
    }
  }
  shown_ = grid;
  if (cursor.has_value() != cursor_visible_) {
    curs_set(cursor ? 1 : 0);
    cursor_visible_ = cursor.has_value();
  }
  if (cursor) wmove(stdscr, cursor->row, cursor->column);
  wrefresh(stdscr);
}

}  // namespace zv::desk
