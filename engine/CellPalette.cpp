#include "CellPalette.h"

#include <cstdio>

namespace wd {

namespace {

const char FIRST_LETTER = '!';
const char LAST_LETTER = '~';
// "#rrggbb"
const std::size_t COLOR_TEXT_LENGTH = 7;

// The value of a hex digit, or -1.
int hexValue(char digit) {
  if (digit >= '0' && digit <= '9') {
    return digit - '0';
  }
  if (digit >= 'a' && digit <= 'f') {
    return digit - 'a' + 10;
  }
  if (digit >= 'A' && digit <= 'F') {
    return digit - 'A' + 10;
  }
  return -1;
}

}  // namespace

CellPalette::CellPalette() : color_of(), defined(), letter_count(0) {}

bool CellPalette::isLetter(char letter) { return letter >= FIRST_LETTER && letter <= LAST_LETTER; }

bool CellPalette::parseColor(const std::string& text, sf::Color* p_color) {
  if (text.size() != COLOR_TEXT_LENGTH || text[0] != '#') {
    return false;
  }
  int channel[3];
  for (int i = 0; i < 3; i++) {
    const int high = hexValue(text[1 + 2 * i]);
    const int low = hexValue(text[2 + 2 * i]);
    if (high < 0 || low < 0) {
      return false;
    }
    channel[i] = high * 16 + low;
  }
  *p_color = sf::Color(static_cast<sf::Uint8>(channel[0]), static_cast<sf::Uint8>(channel[1]),
                       static_cast<sf::Uint8>(channel[2]));
  return true;
}

std::string CellPalette::formatColor(sf::Color color) {
  char text[COLOR_TEXT_LENGTH + 1];
  std::snprintf(text, sizeof(text), "#%02x%02x%02x", color.r, color.g, color.b);
  return text;
}

int CellPalette::addColor(char letter, sf::Color color) {
  if (!isLetter(letter) || defined[static_cast<int>(letter)]) {
    return -1;
  }
  color_of[static_cast<int>(letter)] = color;
  defined[static_cast<int>(letter)] = true;
  letter_count++;
  return 0;
}

bool CellPalette::findColor(char letter, sf::Color* p_color) const {
  if (!isLetter(letter) || !defined[static_cast<int>(letter)]) {
    return false;
  }
  *p_color = color_of[static_cast<int>(letter)];
  return true;
}

bool CellPalette::isEmpty() const { return letter_count == 0; }

}  // namespace wd
