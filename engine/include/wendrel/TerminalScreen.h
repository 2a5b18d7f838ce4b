#ifndef WD_TERMINAL_SCREEN_H
#define WD_TERMINAL_SCREEN_H

#include <string>
#include <vector>

#include <SFML/Graphics/Color.hpp>

namespace wd {

// One character cell: a code point on a background colour.
struct TerminalCell {
  char32_t code_point;
  sf::Color foreground;
  sf::Color background;
};

// The nearest of the 256 indexed colours of a terminal (the 6 x 6 x 6 cube
// and the grey ramp; the first sixteen differ from terminal to terminal).
int nearestIndexedColor(sf::Color color);

// A grid of cells drawn into a terminal. A frame is built cell by cell and
// rendered as the escape sequences that change what the terminal last showed
// into it: only the cells that differ are written, and a colour only when it
// differs from the one in effect.
class TerminalScreen {
 public:
  TerminalScreen(int columns, int rows);

  // Whether colours are written as 24-bit values rather than the nearest of 256.
  void setTrueColor(bool true_color);

  // Sets a cell of the frame being built; -1 for a cell off the grid.
  int setCell(int column, int row, char32_t code_point, sf::Color foreground,
              sf::Color background);

  // Appends to out what turns the terminal's picture into the frame built,
  // then starts the next frame blank. Nothing when nothing changed.
  void render(std::string& out);

  // Forgets what the terminal shows, so that the next render writes every cell.
  void invalidate();

  int getColumns() const;
  int getRows() const;

 private:
  // Moves the cursor from where the last glyph left it to a cell.
  void appendMove(std::string& out, int column, int row);

  // Sets the colours of the next glyphs where they differ from those in effect.
  void appendColors(std::string& out, const TerminalCell& cell);

  // Appends one colour: 38 for a foreground, 48 for a background.
  void appendColor(std::string& out, int layer, sf::Color color) const;

  int columns;
  int rows;
  bool true_color;
  std::vector<TerminalCell> shown;
  std::vector<TerminalCell> next;
  bool shown_known;
  bool colors_known;
  sf::Color foreground_in_effect;
  sf::Color background_in_effect;
  int cursor_column;
  int cursor_row;
};

}  // namespace wd

#endif
