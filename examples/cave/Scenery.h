#ifndef CAVE_SCENERY_H
#define CAVE_SCENERY_H

#include <string>
#include <vector>

#include <SFML/Graphics/Color.hpp>
#include <wendrel/Object.h>

// Walls, rocks and moss: no behaviour of their own, only a picture of
// box-drawing and block glyphs drawn on the torch's light.
class Scenery : public wd::Object {
 public:
  // Scenery of the sprite's type and box, drawn with the picture that has
  // the sprite's name.
  explicit Scenery(const char* sprite);

  int draw() override;

 private:
  std::vector<std::u32string> rows;
  sf::Color color;
};

#endif
