#ifndef WD_FONT_COVERAGE_H
#define WD_FONT_COVERAGE_H

#include <string>
#include <vector>

namespace wd {

// Which code points a font file holds a glyph for, and what to draw in place
// of one it lacks: its replacement character (U+FFFD), or '?' in a font
// without that. Each lacking code point is logged once, whatever the number
// of frames it is drawn in; the record of those logged is a fixed table of
// one bit per code point, so no stream of code points can grow it.
class FontCoverage {
 public:
  FontCoverage();

  // Closes the font.
  ~FontCoverage();

  FontCoverage(const FontCoverage&) = delete;
  FontCoverage& operator=(const FontCoverage&) = delete;

  // Reads the character map of the font in file; 0 on success, -1 when the
  // file is not a font. Until a load succeeds every code point counts as held.
  int load(const std::string& file);

  // Whether the font has a glyph of its own for code_point.
  bool holds(char32_t code_point) const;

  // The code point to draw for code_point: itself when the font holds it or
  // it is a space, else the replacement, with a line in the log the first
  // time. The caller's name starts that line.
  char32_t drawable(char32_t code_point, const char* p_caller);

  // What is drawn in place of a code point that the font lacks.
  char32_t getReplacement() const;

 private:
  // Closes the font and the FreeType library.
  void close();

  // The FreeType library (FT_Library) and face (FT_Face), or null.
  void* p_library;
  void* p_face;

  char32_t replacement;

  // One flag per code point, and one for every value beyond the last code
  // point: set once its lack has been logged.
  std::vector<bool> reported;
};

}  // namespace wd

#endif
