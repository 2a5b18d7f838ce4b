#ifndef WD_RICH_SPRITE_FORMAT_H
#define WD_RICH_SPRITE_FORMAT_H

#include <string>
#include <vector>

#include <SFML/Graphics/Color.hpp>

#include "CellPalette.h"
#include "Frame.h"
#include "Sprite.h"

namespace wd {

// The header line that opts a sprite file into frames of cells.
extern const char* const RICH_FORMAT_LINE;

// What a sprite file gains by opting in with the header line "format rich":
// UTF-8 frame rows whose width counts code points, a sprite colour written
// "#rrggbb", and, when the header holds palette lines "palette x #rrggbb",
// a foreground and a background colour map of letters under each frame's
// rows. A file without the line reads exactly as a plain sprite file. Each
// reports its problems to the log, naming the file line.
class RichSpriteFormat {
 public:
  RichSpriteFormat();

  // Takes the opt-in line and, in an opted-in file, the palette lines out
  // of the header's lines, adding one to *p_line_number for each line taken;
  // first_line is the file line of the first header line. False (logged)
  // for a palette line that cannot be read.
  bool readHeader(std::vector<std::string>* p_data, int first_line, int* p_line_number);

  // Whether the file opted in.
  bool isOptedIn() const;

  // Whether the frames carry colour maps.
  bool hasColorMaps() const;

  // Gives the sprite the colour "#rrggbb" of an opted-in file; false for
  // any other text or a plain file, which leaves the sprite alone.
  bool applyRgbColor(const std::string& color_text, Sprite* p_sprite) const;

  // The next frame of an opted-in body, removing its lines and adding one
  // to *p_line_number for each line taken; an empty frame (logged) on error.
  Frame readFrame(std::vector<std::string>* p_data, int width, int height, int* p_line_number) const;

 private:
  // Reads one palette line; false (logged) when it is malformed or repeats a letter.
  bool addPaletteLine(const std::string& line, int line_number);

  // Reads height UTF-8 rows of width code points into *p_code_points.
  bool readGlyphRows(std::vector<std::string>* p_data, int width, int height, int* p_line_number,
                     std::vector<char32_t>* p_code_points) const;

  // Reads a colour map of height rows of width letters into *p_colors.
  bool readColorMap(std::vector<std::string>* p_data, int width, int height, int* p_line_number,
                    std::vector<sf::Color>* p_colors) const;

  bool opted_in;
  CellPalette palette;
};

}  // namespace wd

#endif
