#ifndef WD_TERMINAL_DISPLAY_H
#define WD_TERMINAL_DISPLAY_H

#include <string>
#include <vector>

#include <SFML/Graphics/Color.hpp>
#include <SFML/Window/Event.hpp>

#include "TerminalInputDecoder.h"
#include "TerminalScreen.h"
#include "TerminalSession.h"
#include "Vector.h"

namespace wd {

// The terminal a game plays in instead of a window: the display manager
// hands it the cells of each frame and the input manager takes its keys and
// mouse reports. There is no window then: getWindow() is null, the window's
// options do not apply, and sound is off unless WD_TERMINAL_SOUND=1.
class TerminalDisplay {
 public:
  static TerminalDisplay& getInstance();

  // Asks for the terminal; call before the display manager starts.
  void request();

  // Whether the game or the environment (WD_TERMINAL=1) asked for the terminal.
  bool isRequested() const;

  // Takes the terminal for a grid of columns x rows. 0, or -1 when it cannot.
  int start(int columns, int rows);

  // Gives the terminal back.
  void stop();

  // Whether frames go to the terminal.
  bool isActive() const;

  // Sets the cell at a view position (rounded to the nearest cell) of the
  // frame being built; -1 off the grid.
  int putCell(Vector view_pos, char32_t code_point, sf::Color foreground, sf::Color background);

  // Writes the cells that changed since the last frame. While the terminal
  // is smaller than the grid it says so and waits: the game is paused.
  int present();

  // The key and mouse events the terminal sent since the last call. Without
  // the kitty protocol a key's release follows at the next call.
  void pollEvents(std::vector<sf::Event>& events);

 private:
  TerminalDisplay();

  // Reads the size after a resize (or at the start): a new size redraws all.
  void followSize();

  // Whether the terminal holds the whole grid.
  bool fitsGrid() const;

  // Clears the terminal and asks for a larger one.
  void askForLargerTerminal();

  bool requested;
  bool active;
  TerminalSession session;
  TerminalScreen screen;
  TerminalInputDecoder decoder;
  std::vector<sf::Keyboard::Key> held_keys;
  std::string output;
  int terminal_columns;
  int terminal_rows;
};

}  // namespace wd

#endif
