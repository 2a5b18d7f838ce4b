#include "TerminalDisplay.h"

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "LogManager.h"
#include "platform.h"

namespace wd {

namespace {

// How often a paused game looks at the terminal's size again.
const int PAUSE_POLL_MS = 33;

const std::size_t READ_CHUNK = 512;

bool environmentSays(const char* p_name) {
  const char* p_value = std::getenv(p_name);
  return p_value != nullptr && std::strcmp(p_value, "1") == 0;
}

// A terminal that says it shows 24-bit colour gets it; others the nearest of 256.
bool terminalShowsTrueColor() {
  const char* p_value = std::getenv("COLORTERM");
  return p_value != nullptr &&
         (std::strcmp(p_value, "truecolor") == 0 || std::strcmp(p_value, "24bit") == 0);
}

// What a terminal does not have, said once in a program's life.
void logWhatIsMissing() {
  static bool said = false;
  if (said) {
    return;
  }
  // Tried again at the next start while no log is open, so that the lines are not lost.
  LogManager& log = LogManager::getInstance();
  said = log.writeMessage("Terminal display: there is no window: getWindow() returns null and "
                          "nothing can be drawn into one\n") > 0;
  if (!said) {
    return;
  }
  log.writeMessage("Terminal display: the window options do not apply\n");
  if (environmentSays("WD_TERMINAL_SOUND")) {
    log.writeMessage("Terminal display: sound is on and plays on the machine that runs the "
                     "game\n");
  } else {
    log.writeMessage("Terminal display: sound is off (WD_TERMINAL_SOUND=1 plays it on the "
                     "machine that runs the game)\n");
  }
}

}  // namespace

TerminalDisplay::TerminalDisplay()
    : requested(false),
      active(false),
      session(),
      screen(100, 50),
      decoder(),
      held_keys(),
      output(),
      terminal_columns(0),
      terminal_rows(0) {}

TerminalDisplay& TerminalDisplay::getInstance() {
  static TerminalDisplay terminal_display;
  return terminal_display;
}

void TerminalDisplay::request() { requested = true; }

bool TerminalDisplay::isRequested() const {
  return requested || environmentSays("WD_TERMINAL");
}

int TerminalDisplay::start(int columns, int rows) {
  if (active) {
    return 0;
  }
  if (session.begin() != 0) {
    return -1;
  }
  // Sound would play on the machine that runs the game, not at the player's
  // terminal: unless asked for, it goes to the audio library's silent output.
#ifndef _WIN32
  if (!environmentSays("WD_TERMINAL_SOUND")) {
    setenv("ALSOFT_DRIVERS", "null", 1);
  }
#endif
  screen = TerminalScreen(columns, rows);
  screen.setTrueColor(terminalShowsTrueColor());
  decoder = TerminalInputDecoder();
  held_keys.clear();
  terminal_columns = 0;
  terminal_rows = 0;
  active = true;
  logWhatIsMissing();
  followSize();
  return 0;
}

void TerminalDisplay::stop() {
  if (!active) {
    return;
  }
  session.end();
  active = false;
}

bool TerminalDisplay::isActive() const { return active; }

int TerminalDisplay::putCell(Vector view_pos, char32_t code_point, sf::Color foreground,
                             sf::Color background) {
  const int column = static_cast<int>(std::floor(view_pos.getX() + 0.5f));
  const int row = static_cast<int>(std::floor(view_pos.getY() + 0.5f));
  return screen.setCell(column, row, code_point, foreground, background);
}

int TerminalDisplay::present() {
  if (!active) {
    return -1;
  }
  followSize();
  std::vector<sf::Event> ignored;
  while (!fitsGrid()) {
    // Paused: only Ctrl+C, a signal or a larger terminal moves on.
    platform::sleepMilliseconds(PAUSE_POLL_MS);
    pollEvents(ignored);
    ignored.clear();
    followSize();
  }
  output.clear();
  screen.render(output);
  return output.empty() ? 0 : session.write(output);
}

void TerminalDisplay::pollEvents(std::vector<sf::Event>& events) {
  // A terminal outside the kitty protocol reports presses only: each is let
  // go at the next poll, a frame later, so every object sees the key down
  // for one frame; a held key's repeats arrive as further presses.
  for (const sf::Keyboard::Key key : held_keys) {
    sf::Event release{};
    release.type = sf::Event::KeyReleased;
    release.key.code = key;
    events.push_back(release);
  }
  held_keys.clear();
  const std::size_t first_new = events.size();
  char buffer[READ_CHUNK];
  std::size_t count = 0;
  while ((count = session.readAvailable(buffer, sizeof(buffer))) > 0) {
    decoder.decode(buffer, count, events);
  }
  decoder.finishRead(events);
  if (decoder.takeInterrupts() > 0) {
    std::raise(SIGINT);
  }
#ifdef SIGTSTP  // none on Windows, which has no terminal session
  if (decoder.takeSuspends() > 0) {
    std::raise(SIGTSTP);
  }
#endif
  if (decoder.reportsReleases()) {
    return;
  }
  for (std::size_t i = first_new; i < events.size(); i++) {
    if (events[i].type == sf::Event::KeyPressed) {
      held_keys.push_back(events[i].key.code);
    }
  }
}

void TerminalDisplay::followSize() {
  const bool first = terminal_columns == 0;
  if (!session.takeResize() && !first) {
    return;
  }
  int columns = screen.getColumns();
  int rows = screen.getRows();
  session.querySize(columns, rows);
  terminal_columns = columns;
  terminal_rows = rows;
  screen.invalidate();
  if (fitsGrid()) {
    session.write("\x1b[0m\x1b[2J");
  } else {
    askForLargerTerminal();
  }
}

bool TerminalDisplay::fitsGrid() const {
  return terminal_columns >= screen.getColumns() && terminal_rows >= screen.getRows();
}

void TerminalDisplay::askForLargerTerminal() {
  session.write("\x1b[0m\x1b[2J\x1b[1;1HPlease use a larger terminal: the game needs " +
               std::to_string(screen.getColumns()) + " x " + std::to_string(screen.getRows()) +
               " cells, this one has " + std::to_string(terminal_columns) + " x " +
               std::to_string(terminal_rows) + ". The game is paused.");
}

}  // namespace wd
