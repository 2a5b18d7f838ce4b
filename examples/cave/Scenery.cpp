#include "Scenery.h"

#include <cstring>

#include "Torch.h"

namespace {

struct Picture {
  const char* sprite;
  std::vector<std::u32string> rows;
  sf::Color color;
};

const Picture& pictureOf(const char* sprite) {
  static const std::vector<std::u32string> VERTICAL_WALL(19, U"█▓");
  static const Picture PICTURES[] = {
      {"hwall", {std::u32string(60, U'═')}, sf::Color(150, 138, 125)},
      {"vwall", VERTICAL_WALL, sf::Color(150, 138, 125)},
      {"rock", {U" ▄██▄ ", U"▐█▓▓█▌", U" ▀██▀ "}, sf::Color(128, 104, 86)},
      {"moss", {U"\","}, sf::Color(96, 170, 72)},
  };
  for (const Picture& picture : PICTURES) {
    if (std::strcmp(picture.sprite, sprite) == 0) {
      return picture;
    }
  }
  return PICTURES[0];
}

}  // namespace

Scenery::Scenery(const char* sprite)
    : rows(pictureOf(sprite).rows), color(pictureOf(sprite).color) {
  setType(sprite);
  setSprite(sprite);
}

int Scenery::draw() {
  Torch::drawLit(getPosition(), rows, color);
  return 0;
}
