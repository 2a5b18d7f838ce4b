#ifndef WD_CP437_H
#define WD_CP437_H

#include <cstdint>

namespace wd {

// The characters of the original PC character set (code page 437), in
// which REXPaint's standard fonts number their glyphs.
class Cp437 {
 public:
  // Codes in the table.
  static const int CODE_COUNT = 256;

  // The Unicode character of a code: 1 to 31 and 127 are the set's symbols,
  // not control characters, and 0 (an empty cell) is a space. A code beyond
  // the table has no character of its own and gives U+FFFD.
  static char32_t toUnicode(std::uint32_t code);
};

}  // namespace wd

#endif
