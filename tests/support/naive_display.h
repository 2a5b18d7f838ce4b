// The reference picture: one sf::RectangleShape and one sf::Text per character, straight into the
// window. Header-only, for the benchmark too.
#ifndef WD_NAIVE_DISPLAY_H
#define WD_NAIVE_DISPLAY_H

#include <algorithm>
#include <cstdlib>

#include <SFML/Graphics.hpp>
#include "DisplayManager.h"

namespace wd_test {

struct NaiveDisplay {
  explicit NaiveDisplay(sf::RenderWindow* p_target)
      : p_window(p_target), background(sf::Vector2f(WIDTH, HEIGHT)) {
    font.loadFromFile(wd::FONT_FILE);
    text.setFont(font);
    text.setStyle(sf::Text::Bold);
    text.setCharacterSize(static_cast<unsigned int>(2.0f * std::min(WIDTH, HEIGHT)));
    background.setFillColor(sf::Color::Black);
  }

  // One character at a cell position in the view.
  void drawCharacter(float x, float y, char ch, int color) {
    static const sf::Color COLORS[] = {sf::Color::Black, sf::Color::Red,     sf::Color::Green, sf::Color::Yellow,
                                       sf::Color::Blue,  sf::Color::Magenta, sf::Color::Cyan,  sf::Color::White};
    const sf::Vector2f pixel(x * WIDTH, y * HEIGHT);
    background.setPosition(pixel.x - WIDTH / 10, pixel.y + HEIGHT / 5);
    p_window->draw(background);
    if (color >= 0 && color <= 7) {
      text.setFillColor(COLORS[color]);
    }
    text.setString(sf::String(ch));
    text.setPosition(pixel);
    p_window->draw(text);
  }

  // One glyph in fg on a cell of bg, at a cell position in the view.
  void drawGlyph(float x, float y, char32_t code_point, sf::Color fg, sf::Color bg) {
    const sf::Vector2f pixel(x * WIDTH, y * HEIGHT);
    background.setPosition(pixel.x - WIDTH / 10, pixel.y + HEIGHT / 5);
    background.setFillColor(bg);
    p_window->draw(background);
    background.setFillColor(sf::Color::Black);
    text.setFillColor(fg);
    text.setString(sf::String(static_cast<sf::Uint32>(code_point)));
    text.setPosition(pixel);
    if (code_point >= 0x2500 && code_point <= 0x259F) {
      // Box drawing and blocks: scaled as the full block is to fill the background cell and a
      // pixel around it.
      const sf::FloatRect block = font.getGlyph(0x2588, text.getCharacterSize(), true).bounds;
      const float size = static_cast<float>(text.getCharacterSize());
      text.setScale((WIDTH + 2) / block.width, (HEIGHT + 2) / block.height);
      text.setPosition(background.getPosition().x - 1 - block.left * text.getScale().x,
                       background.getPosition().y - 1 - (size + block.top) * text.getScale().y);
    }
    p_window->draw(text);
    text.setScale(1, 1);
  }

  static constexpr float WIDTH = 1024.0f / 100.0f;
  static constexpr float HEIGHT = 900.0f / 50.0f;
  sf::RenderWindow* p_window;
  sf::Font font;
  sf::RectangleShape background;
  sf::Text text;
};

// Pixels that differ (-1: sizes differ), by how much at most, pixels lit in b.
struct Difference {
  int pixels, max_level, lit;
};
inline Difference compareImages(const sf::Image& a, const sf::Image& b) {
  Difference difference{a.getSize() == b.getSize() ? 0 : -1, 0, 0};
  const sf::Uint8 *p_a = a.getPixelsPtr(), *p_b = b.getPixelsPtr();
  for (std::size_t i = 0; difference.pixels >= 0 && i < 4u * a.getSize().x * a.getSize().y; i += 4) {
    const int level = std::max({std::abs(p_a[i] - p_b[i]), std::abs(p_a[i + 1] - p_b[i + 1]),
                                std::abs(p_a[i + 2] - p_b[i + 2])});
    difference.pixels += level > 0 ? 1 : 0;
    difference.max_level = std::max(difference.max_level, level);
    difference.lit += (p_b[i] | p_b[i + 1] | p_b[i + 2]) != 0 ? 1 : 0;
  }
  return difference;
}

inline int litPixels(const sf::Image& image) { return compareImages(image, image).lit; }

}  // namespace wd_test

#endif
