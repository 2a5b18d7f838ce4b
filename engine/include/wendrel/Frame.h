#ifndef WD_FRAME_H
#define WD_FRAME_H

#include <string>
#include <vector>

#include <SFML/Graphics/Color.hpp>

#include "Color.h"
#include "Vector.h"

namespace wd {

// One picture of character art: width x height characters, row after row.
// A frame with an empty string stands for "no frame". A plain frame holds
// one byte per cell; a frame of cells holds a code point per cell (its
// string is their UTF-8) and may give every cell colours of its own.
class Frame {
 public:
  Frame();
  Frame(int new_width, int new_height, std::string new_frame_str);
  // A frame of cells, row after row.
  Frame(int new_width, int new_height, const std::vector<char32_t>& new_code_points);

  int getWidth() const;
  void setWidth(int new_width);
  int getHeight() const;
  void setHeight(int new_height);
  std::string getString() const;
  void setString(std::string new_frame_str);

  // Whether the frame holds code points rather than bytes.
  bool hasCodePoints() const;
  // The code points of a frame of cells, row after row; empty for a plain frame.
  const std::vector<char32_t>& getCodePoints() const;

  // Gives every cell its own colours, one entry per cell row after row.
  // -1 (and nothing changes) unless both lists hold one entry per cell.
  int setCellColors(const std::vector<sf::Color>& new_foreground,
                    const std::vector<sf::Color>& new_background);
  // Whether the cells carry colours of their own.
  bool hasCellColors() const;
  // The cells' own colours, row after row; empty without them.
  const std::vector<sf::Color>& getForeground() const;
  const std::vector<sf::Color>& getBackground() const;

  // Draws the frame centred on position. -1 for an empty frame, else 0.
  // A plain frame draws its bytes in the colour; a frame of cells draws
  // them as with the colour's 24-bit value.
  int draw(Vector position, Color color) const;

  // Draws the frame centred on position, a glyph per cell, in its cells'
  // own colours or else in color on the plain background. -1 for an empty
  // frame, else 0.
  int draw(Vector position, sf::Color color) const;

 private:
  // The cells drawn: width x height, but never beyond what the frame holds.
  long long drawnCells() const;
  // The world cell of a cell index when the frame is centred on position.
  Vector cellPosition(Vector position, long long index) const;

  int width;
  int height;
  std::string frame_str;
  std::vector<char32_t> code_points;
  std::vector<sf::Color> foreground;
  std::vector<sf::Color> background;
};

}  // namespace wd

#endif
