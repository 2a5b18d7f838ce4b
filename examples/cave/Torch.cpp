#include "Torch.h"

#include <algorithm>
#include <cmath>

#include <wendrel/DisplayManager.h>
#include <wendrel/EventStep.h>

wd::Vector Torch::flame;
float Torch::reach = 0;

namespace {

const sf::Color FLAME_COLOR(255, 160, 70);
const float REACH_PIXELS = 190;
const float FLICKER_PIXELS = 12;

// Half the size of the lit square, in cells.
const int LIT_COLUMNS = 20;
const int LIT_ROWS = 12;

sf::Color scaled(sf::Color color, float factor) {
  const auto channel = [factor](sf::Uint8 level) {
    return static_cast<sf::Uint8>(std::min(255.0f, static_cast<float>(level) * factor));
  };
  return sf::Color(channel(color.r), channel(color.g), channel(color.b));
}

// A pebble here and there on the floor, always on the same cells.
char32_t floorGlyph(int x, int y) {
  return (x * 7 + y * 13 + (x * y) % 5) % 11 == 0 ? U'·' : U' ';
}

}  // namespace

Torch::Torch() : p_bearer(nullptr), flicker(1) {
  setType("Torch");
  setSolidness(wd::INTANGIBLE);
  setAltitude(0);
  // Wide enough to meet the view wherever the bearer walks in one frame.
  setBox(wd::Box(wd::Vector(-LIT_COLUMNS, -LIT_ROWS), 2 * LIT_COLUMNS, 2 * LIT_ROWS));
}

void Torch::setBearer(const wd::Object* p_new_bearer) {
  p_bearer = p_new_bearer;
  setPosition(p_bearer->getPosition());
}

int Torch::handleEvent(const wd::Event* p_e) {
  if (p_e->getType() != wd::STEP_EVENT || p_bearer == nullptr) {
    return 0;
  }
  setPosition(p_bearer->getPosition());
  return 1;
}

int Torch::draw() {
  if (p_bearer == nullptr) {
    return 0;
  }
  flame = p_bearer->getPosition();
  reach = REACH_PIXELS + FLICKER_PIXELS * std::uniform_real_distribution<float>(-1, 1)(flicker);
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  const int left = static_cast<int>(std::floor(flame.getX()));
  const int top = static_cast<int>(std::floor(flame.getY()));
  for (int y = top - LIT_ROWS; y <= top + LIT_ROWS; y++) {
    for (int x = left - LIT_COLUMNS; x <= left + LIT_COLUMNS; x++) {
      const wd::Vector cell(static_cast<float>(x), static_cast<float>(y));
      const sf::Color light = lightAt(cell);
      if (light != sf::Color::Black) {
        display.drawGlyph(cell, floorGlyph(x, y), scaled(light, 1.8f), light);
      }
    }
  }
  return 0;
}

sf::Color Torch::lightAt(wd::Vector world_pos) {
  // Measured in pixels, so that the light is round on the screen.
  const float dx = (world_pos.getX() - flame.getX()) * wd::cellWidth();
  const float dy = (world_pos.getY() - flame.getY()) * wd::cellHeight();
  const float nearness = 1 - std::sqrt(dx * dx + dy * dy) / reach;
  if (nearness <= 0) {
    return sf::Color::Black;
  }
  return scaled(FLAME_COLOR, 0.55f * nearness * nearness);
}

void Torch::drawLit(wd::Vector centre, const std::vector<std::u32string>& rows, sf::Color color) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  const int height = static_cast<int>(rows.size());
  for (int y = 0; y < height; y++) {
    const std::u32string& row = rows[static_cast<std::size_t>(y)];
    const int width = static_cast<int>(row.size());
    for (int x = 0; x < width; x++) {
      const char32_t glyph = row[static_cast<std::size_t>(x)];
      const wd::Vector cell(centre.getX() + static_cast<float>(x - width / 2),
                            centre.getY() + static_cast<float>(y - height / 2));
      if (glyph != U' ') {
        display.drawGlyph(cell, glyph, color, lightAt(cell));
      }
    }
  }
}
