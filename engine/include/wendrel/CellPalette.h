#ifndef WD_CELL_PALETTE_H
#define WD_CELL_PALETTE_H

#include <string>

#include <SFML/Graphics/Color.hpp>

namespace wd {

// The colours of a sprite file's colour maps, each named by one letter:
// any printable ASCII character but the space.
class CellPalette {
 public:
  // Letters a palette can hold: '!' to '~'.
  static const int MAX_LETTERS = 94;

  CellPalette();

  // Whether letter may name a colour.
  static bool isLetter(char letter);

  // Reads a 24-bit colour written "#rrggbb" (hex digits of either case);
  // false, leaving the colour alone, for any other text.
  static bool parseColor(const std::string& text, sf::Color* p_color);

  // Writes a colour as "#rrggbb" in lower case.
  static std::string formatColor(sf::Color color);

  // Names color with letter. -1 when letter cannot name a colour or names
  // one already.
  int addColor(char letter, sf::Color color);

  // The colour letter names; false when it names none.
  bool findColor(char letter, sf::Color* p_color) const;

  // Whether no letter names a colour.
  bool isEmpty() const;

 private:
  // Indexed by the letter's code; entries outside '!' to '~' stay unused.
  sf::Color color_of[128];
  bool defined[128];
  int letter_count;
};

}  // namespace wd

#endif
