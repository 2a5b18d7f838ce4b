#ifndef WD_NAIVE_DISPLAY_H
#define WD_NAIVE_DISPLAY_H

// The reference picture of a character grid: one sf::RectangleShape and one
// sf::Text drawn per character, straight into the window. Header-only, so
// that the display benchmark can use it without the test library.

#include <algorithm>
#include <filesystem>
#include <string>

#include <SFML/Graphics.hpp>

#include "Color.h"
#include "DisplayManager.h"

namespace wd_test {

class NaiveDisplay {
 public:
  explicit NaiveDisplay(sf::RenderWindow* p_target) : p_window(p_target) {
    font_loaded = font.loadFromFile(wd::FONT_FILE);
    text.setFont(font);
  }

  bool fontLoaded() const { return font_loaded; }

  // Draws one character at a view cell position, the view's corner at
  // (corner_x, corner_y).
  void drawCharacter(float world_x, float world_y, char ch, int color, float corner_x = 0,
                     float corner_y = 0) {
    const float cell_width = 1024.0f / 100.0f;
    const float cell_height = 900.0f / 50.0f;
    const sf::Vector2f pixel_pos((world_x - corner_x) * cell_width,
                                 (world_y - corner_y) * cell_height);
    background.setSize(sf::Vector2f(cell_width, cell_height));
    background.setFillColor(sf::Color::Black);
    background.setPosition(pixel_pos.x - cell_width / 10, pixel_pos.y + cell_height / 5);
    p_window->draw(background);
    text.setString(sf::String(ch));
    text.setStyle(sf::Text::Bold);
    text.setCharacterSize(static_cast<unsigned int>(2.0f * std::min(cell_width, cell_height)));
    static const sf::Color COLORS[] = {sf::Color::Black, sf::Color::Red,    sf::Color::Green,
                                       sf::Color::Yellow, sf::Color::Blue,  sf::Color::Magenta,
                                       sf::Color::Cyan,  sf::Color::White};
    if (color >= 0 && color <= 7) {
      text.setFillColor(COLORS[color]);
    }
    text.setPosition(pixel_pos);
    p_window->draw(text);
  }

 private:
  sf::RenderWindow* p_window;
  sf::Font font;
  bool font_loaded;
  sf::RectangleShape background;
  sf::Text text;
};

// Copies the engine's font into the working directory unless it is there.
inline bool installFont(const std::string& source_dir) {
  std::error_code error;
  if (std::filesystem::exists(wd::FONT_FILE)) {
    return true;
  }
  return std::filesystem::copy_file(source_dir + "/assets/wd-font.ttf", wd::FONT_FILE, error);
}

}  // namespace wd_test

#endif
