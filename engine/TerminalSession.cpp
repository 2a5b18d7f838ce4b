#include "TerminalSession.h"

#ifdef _WIN32

// The Windows console has neither termios nor these signals: no session there.
namespace wd {

TerminalSession::TerminalSession() : begun(false) {}
TerminalSession::~TerminalSession() {}
int TerminalSession::begin() { return -1; }
void TerminalSession::end() {}
bool TerminalSession::isBegun() const { return false; }
int TerminalSession::querySize(int&, int&) const { return -1; }
bool TerminalSession::takeResize() { return false; }
int TerminalSession::write(const std::string&) { return -1; }
std::size_t TerminalSession::readAvailable(char*, std::size_t) { return 0; }

}  // namespace wd

#else

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace wd {

namespace {

// Alternate screen, hidden cursor, mouse clicks and motion in SGR form, the
// kitty keyboard protocol's presses, releases and all keys as codes (pushed
// so that the terminal's own setting comes back), and the query whose answer
// tells that the protocol is spoken.
const char ENTER_SEQUENCE[] =
    "\x1b[?1049h\x1b[?25l\x1b[?1000h\x1b[?1003h\x1b[?1006h\x1b[>11u\x1b[?u\x1b[2J";

// The reverse, in reverse order, with the colours reset.
const char LEAVE_SEQUENCE[] =
    "\x1b[<u\x1b[?1006l\x1b[?1003l\x1b[?1000l\x1b[0m\x1b[?25h\x1b[?1049l";

// Signals that end the program: the terminal is restored before each takes its course.
const int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV,
                              SIGBUS, SIGFPE,  SIGILL, SIGABRT};
const int ENDING_SIGNAL_COUNT = sizeof(ENDING_SIGNALS) / sizeof(ENDING_SIGNALS[0]);

// What a signal handler needs, kept where it can reach it.
volatile std::sig_atomic_t g_held = 0;
volatile std::sig_atomic_t g_resized = 0;
bool g_raw = false;
struct termios g_saved_mode;
struct sigaction g_saved_actions[ENDING_SIGNAL_COUNT];
struct sigaction g_saved_resize_action;
struct sigaction g_saved_stop_action;

// Writes all of count bytes with calls that are safe in a signal handler.
int writeAll(const char* p_bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = ::write(STDOUT_FILENO, p_bytes, count);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return -1;
    }
    p_bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return 0;
}

// Puts the terminal back; only async-signal-safe calls.
void restoreTerminal() {
  if (g_held == 0) {
    return;
  }
  g_held = 0;
  writeAll(LEAVE_SEQUENCE, sizeof(LEAVE_SEQUENCE) - 1);
  if (g_raw) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved_mode);
  }
}

void onEndingSignal(int signal_number) {
  const int saved_errno = errno;
  restoreTerminal();
  // The signal then does what it would have done: the default action, or
  // whatever handler the program had before.
  for (int i = 0; i < ENDING_SIGNAL_COUNT; i++) {
    if (ENDING_SIGNALS[i] == signal_number) {
      sigaction(signal_number, &g_saved_actions[i], nullptr);
    }
  }
  errno = saved_errno;
  raise(signal_number);
}

void onResize(int) { g_resized = 1; }

void restoreAtExit() { restoreTerminal(); }

void enterRawMode() {
  g_raw = tcgetattr(STDIN_FILENO, &g_saved_mode) == 0;
  if (!g_raw) {
    return;
  }
  struct termios raw = g_saved_mode;
  // Keys arrive one at a time, unechoed and untranslated; ISIG stays, so
  // that Ctrl+C still interrupts where the terminal sends it as a character.
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | BRKINT | INPCK | ISTRIP);
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
}

// Sets handler (a function, SIG_DFL or SIG_IGN) for signal_number with
// flags; only async-signal-safe calls.
void setHandler(int signal_number, void (*handler)(int), int flags) {
  struct sigaction action;
  std::memset(&action, 0, sizeof(action));
  sigemptyset(&action.sa_mask);
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigaction(signal_number, &action, nullptr);
}

// Ctrl+Z: the terminal is given back while the program is stopped, and taken
// again, to be drawn anew, when it goes on.
void onStopSignal(int) {
  const int saved_errno = errno;
  const bool was_held = g_held != 0;
  restoreTerminal();
  setHandler(SIGTSTP, SIG_DFL, 0);
  // The signal is held while its handler runs; let it through to stop here.
  sigset_t stop_only;
  sigemptyset(&stop_only);
  sigaddset(&stop_only, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stop_only, nullptr);
  raise(SIGTSTP);
  // Going on, after SIGCONT; the shell may have changed the terminal's
  // settings meanwhile.
  setHandler(SIGTSTP, onStopSignal, SA_RESTART);
  if (was_held) {
    enterRawMode();
    g_held = 1;
    writeAll(ENTER_SEQUENCE, sizeof(ENTER_SEQUENCE) - 1);
    g_resized = 1;
  }
  errno = saved_errno;
}

void installHandlers() {
  for (int i = 0; i < ENDING_SIGNAL_COUNT; i++) {
    sigaction(ENDING_SIGNALS[i], nullptr, &g_saved_actions[i]);
    // A signal the program was started to ignore (as under nohup) stays ignored.
    if (g_saved_actions[i].sa_handler != SIG_IGN) {
      setHandler(ENDING_SIGNALS[i], onEndingSignal, 0);
    }
  }
  sigaction(SIGWINCH, nullptr, &g_saved_resize_action);
  setHandler(SIGWINCH, onResize, SA_RESTART);
  sigaction(SIGTSTP, nullptr, &g_saved_stop_action);
  // A program that handles or ignores Ctrl+Z itself keeps its way.
  if (g_saved_stop_action.sa_handler == SIG_DFL) {
    setHandler(SIGTSTP, onStopSignal, SA_RESTART);
  }
}

void removeHandlers() {
  for (int i = 0; i < ENDING_SIGNAL_COUNT; i++) {
    sigaction(ENDING_SIGNALS[i], &g_saved_actions[i], nullptr);
  }
  sigaction(SIGWINCH, &g_saved_resize_action, nullptr);
  sigaction(SIGTSTP, &g_saved_stop_action, nullptr);
}

}  // namespace

TerminalSession::TerminalSession() : begun(false) {}

TerminalSession::~TerminalSession() { end(); }

int TerminalSession::begin() {
  if (begun) {
    return 0;
  }
  if (g_held != 0) {
    return -1;
  }
  static const bool registered = std::atexit(restoreAtExit) == 0;
  (void)registered;
  enterRawMode();
  installHandlers();
  g_resized = 0;
  g_held = 1;
  begun = true;
  writeAll(ENTER_SEQUENCE, sizeof(ENTER_SEQUENCE) - 1);
  return 0;
}

void TerminalSession::end() {
  if (!begun) {
    return;
  }
  restoreTerminal();
  removeHandlers();
  begun = false;
}

bool TerminalSession::isBegun() const { return begun; }

int TerminalSession::querySize(int& columns, int& rows) const {
  struct winsize size;
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
    return -1;
  }
  columns = size.ws_col;
  rows = size.ws_row;
  return 0;
}

bool TerminalSession::takeResize() {
  const bool resized = g_resized != 0;
  g_resized = 0;
  return resized;
}

int TerminalSession::write(const std::string& text) { return writeAll(text.data(), text.size()); }

std::size_t TerminalSession::readAvailable(char* p_buffer, std::size_t size) {
  if (!begun || !g_raw) {
    return 0;
  }
  const ssize_t count = ::read(STDIN_FILENO, p_buffer, size);
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

}  // namespace wd

#endif
