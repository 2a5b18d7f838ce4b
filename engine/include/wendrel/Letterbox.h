#ifndef WD_LETTERBOX_H
#define WD_LETTERBOX_H

#include <SFML/Graphics/Rect.hpp>

#include "Vector.h"

namespace wd {

// Where a picture of a fixed logical size shows in a window of another size:
// scaled as far as the window's shape allows, keeping its own shape, and
// centred, with black bars on the two sides left over. Sizes and positions
// are in pixels; the area's corner and size are whole window pixels.
class Letterbox {
 public:
  // A picture of logical_width x logical_height shown unscaled in a window
  // of the same size.
  Letterbox(int logical_width, int logical_height);

  // Fits the picture to a window of width x height pixels.
  void fit(int window_width, int window_height);

  // Window pixels per logical pixel.
  float getScale() const;

  // Whether the picture fills the window one pixel for one.
  bool isIdentity() const;

  // The picture's area in window pixels.
  sf::IntRect getArea() const;

  // The area as a fraction of the window, as a view's viewport takes it.
  sf::FloatRect getViewport() const;

  // A window pixel position as a position in the logical picture; outside
  // 0..logical size over the bars.
  Vector toLogical(Vector window_pixel) const;

  // A logical position as a window pixel position.
  Vector toWindow(Vector logical_pixel) const;

 private:
  int logical_width;
  int logical_height;
  int window_width;
  int window_height;
  float scale;
  sf::IntRect area;
};

}  // namespace wd

#endif
