#include "Letterbox.h"

#include <algorithm>
#include <cmath>

namespace wd {

Letterbox::Letterbox(int picture_width, int picture_height)
    : logical_width(picture_width),
      logical_height(picture_height),
      window_width(picture_width),
      window_height(picture_height),
      scale(1.0f),
      area(0, 0, picture_width, picture_height) {}

void Letterbox::fit(int new_window_width, int new_window_height) {
  window_width = std::max(new_window_width, 1);
  window_height = std::max(new_window_height, 1);
  scale = std::min(static_cast<float>(window_width) / static_cast<float>(logical_width),
                   static_cast<float>(window_height) / static_cast<float>(logical_height));
  // The side that sets the scale is filled exactly; the other is rounded to
  // a whole pixel, never past the window.
  const int width = std::min(window_width, static_cast<int>(std::lround(logical_width * scale)));
  const int height =
      std::min(window_height, static_cast<int>(std::lround(logical_height * scale)));
  area = sf::IntRect((window_width - width) / 2, (window_height - height) / 2, width, height);
}

float Letterbox::getScale() const { return scale; }

bool Letterbox::isIdentity() const {
  return area == sf::IntRect(0, 0, logical_width, logical_height) &&
         window_width == logical_width && window_height == logical_height;
}

sf::IntRect Letterbox::getArea() const { return area; }

sf::FloatRect Letterbox::getViewport() const {
  const float width = static_cast<float>(window_width);
  const float height = static_cast<float>(window_height);
  return sf::FloatRect(static_cast<float>(area.left) / width, static_cast<float>(area.top) / height,
                       static_cast<float>(area.width) / width,
                       static_cast<float>(area.height) / height);
}

Vector Letterbox::toLogical(Vector window_pixel) const {
  // Multiplied before dividing, so that an unscaled window maps whole
  // pixels to themselves exactly.
  return Vector((window_pixel.getX() - static_cast<float>(area.left)) *
                    static_cast<float>(logical_width) / static_cast<float>(area.width),
                (window_pixel.getY() - static_cast<float>(area.top)) *
                    static_cast<float>(logical_height) / static_cast<float>(area.height));
}

Vector Letterbox::toWindow(Vector logical_pixel) const {
  return Vector(static_cast<float>(area.left) + logical_pixel.getX() *
                                                    static_cast<float>(area.width) /
                                                    static_cast<float>(logical_width),
                static_cast<float>(area.top) + logical_pixel.getY() *
                                                   static_cast<float>(area.height) /
                                                   static_cast<float>(logical_height));
}

}  // namespace wd
