#include "TerminalScreen.h"

#include <cstdlib>
#include "Utf8Decoder.h"

namespace wd {

namespace {

// Frames are wrapped in a synchronized update, so that a terminal that knows
// it shows each one whole; others ignore the mode.
const char* const BEGIN_UPDATE = "\x1b[?2026h";
const char* const END_UPDATE = "\x1b[?2026l";

// The levels of the indexed colour cube, and where the cube and the grey ramp start.
const int CUBE_LEVELS[] = {0, 95, 135, 175, 215, 255};
const int CUBE_START = 16;
const int GREY_START = 232;
const int GREY_STEPS = 24;

const TerminalCell BLANK_CELL = {U' ', sf::Color::White, sf::Color::Black};

bool sameCell(const TerminalCell& a, const TerminalCell& b) {
  return a.code_point == b.code_point && a.foreground == b.foreground &&
         a.background == b.background;
}

int nearestCubeLevel(int value) {
  int best = 0;
  for (int i = 1; i < 6; i++) {
    if (std::abs(CUBE_LEVELS[i] - value) < std::abs(CUBE_LEVELS[best] - value)) {
      best = i;
    }
  }
  return best;
}

int squaredDistance(sf::Color color, int r, int g, int b) {
  const int dr = color.r - r;
  const int dg = color.g - g;
  const int db = color.b - b;
  return dr * dr + dg * dg + db * db;
}

// Appends a number in decimal, without the temporary strings of std::to_string.
void appendNumber(std::string& out, int value) {
  char digits[12];
  int count = 0;
  unsigned int rest = static_cast<unsigned int>(value < 0 ? 0 : value);
  do {
    digits[count++] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest > 0);
  while (count > 0) {
    out += digits[--count];
  }
}

// A glyph a terminal prints in one cell: control characters would move the
// cursor or start a sequence, so they show as blanks.
char32_t printable(char32_t code_point) {
  const bool control = code_point < 0x20 || (code_point >= 0x7f && code_point < 0xa0);
  return control ? U' ' : code_point;
}

}  // namespace

int nearestIndexedColor(sf::Color color) {
  const int r = nearestCubeLevel(color.r);
  const int g = nearestCubeLevel(color.g);
  const int b = nearestCubeLevel(color.b);
  const int cube_index = CUBE_START + 36 * r + 6 * g + b;
  const int cube_distance = squaredDistance(color, CUBE_LEVELS[r], CUBE_LEVELS[g], CUBE_LEVELS[b]);
  const int mean = (color.r + color.g + color.b) / 3;
  const int step = mean < 8 ? 0 : (mean - 8 + 5) / 10;
  const int grey_step = step >= GREY_STEPS ? GREY_STEPS - 1 : step;
  const int grey = 8 + 10 * grey_step;
  const int grey_distance = squaredDistance(color, grey, grey, grey);
  return grey_distance < cube_distance ? GREY_START + grey_step : cube_index;
}

TerminalScreen::TerminalScreen(int columns, int rows)
    : columns(columns),
      rows(rows),
      true_color(true),
      shown(static_cast<std::size_t>(columns * rows), BLANK_CELL),
      next(static_cast<std::size_t>(columns * rows), BLANK_CELL),
      shown_known(false),
      colors_known(false),
      foreground_in_effect(),
      background_in_effect(),
      cursor_column(-1),
      cursor_row(-1) {}

void TerminalScreen::setTrueColor(bool new_true_color) {
  true_color = new_true_color;
  colors_known = false;
}

int TerminalScreen::setCell(int column, int row, char32_t code_point, sf::Color foreground,
                            sf::Color background) {
  if (column < 0 || row < 0 || column >= columns || row >= rows) {
    return -1;
  }
  next[static_cast<std::size_t>(row * columns + column)] = {printable(code_point), foreground,
                                                            background};
  return 0;
}

void TerminalScreen::render(std::string& out) {
  const std::size_t start = out.size();
  out += BEGIN_UPDATE;
  bool changed = false;
  for (int row = 0; row < rows; row++) {
    for (int column = 0; column < columns; column++) {
      const std::size_t i = static_cast<std::size_t>(row * columns + column);
      if (shown_known && sameCell(shown[i], next[i])) {
        continue;
      }
      changed = true;
      appendMove(out, column, row);
      appendColors(out, next[i]);
      Utf8Decoder::append(out, next[i].code_point);
      cursor_column = column + 1;
    }
  }
  if (changed) {
    out += END_UPDATE;
  } else {
    out.resize(start);
  }
  shown.swap(next);
  next.assign(next.size(), BLANK_CELL);
  shown_known = true;
}

void TerminalScreen::invalidate() {
  shown_known = false;
  colors_known = false;
  cursor_row = -1;
}

int TerminalScreen::getColumns() const { return columns; }

int TerminalScreen::getRows() const { return rows; }

void TerminalScreen::appendMove(std::string& out, int column, int row) {
  if (row == cursor_row && column == cursor_column) {
    return;
  }
  if (row == cursor_row && column > cursor_column) {
    // A step right is shorter than a jump to row and column.
    out += "\x1b[";
    appendNumber(out, column - cursor_column);
    out += 'C';
  } else {
    out += "\x1b[";
    appendNumber(out, row + 1);
    out += ';';
    appendNumber(out, column + 1);
    out += 'H';
  }
  cursor_row = row;
  cursor_column = column;
}

void TerminalScreen::appendColors(std::string& out, const TerminalCell& cell) {
  if (!colors_known || cell.foreground != foreground_in_effect) {
    appendColor(out, 38, cell.foreground);
    foreground_in_effect = cell.foreground;
  }
  if (!colors_known || cell.background != background_in_effect) {
    appendColor(out, 48, cell.background);
    background_in_effect = cell.background;
  }
  colors_known = true;
}

void TerminalScreen::appendColor(std::string& out, int layer, sf::Color color) const {
  out += "\x1b[";
  appendNumber(out, layer);
  if (true_color) {
    out += ";2;";
    appendNumber(out, color.r);
    out += ';';
    appendNumber(out, color.g);
    out += ';';
    appendNumber(out, color.b);
  } else {
    out += ";5;";
    appendNumber(out, nearestIndexedColor(color));
  }
  out += 'm';
}

}  // namespace wd
