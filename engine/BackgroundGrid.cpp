#include "BackgroundGrid.h"

#include <cmath>

namespace wd {

namespace {

const std::size_t BYTES_PER_PIXEL = 4;

// The index of the grid line that position lies on exactly, or -1.
int exactLine(float position, float spacing, int lines) {
  const float line = std::round(position / spacing);
  if (!(line >= 0 && line < static_cast<float>(lines)) || line * spacing != position) {
    return -1;
  }
  return static_cast<int>(line);
}

}  // namespace

BackgroundGrid::BackgroundGrid(int grid_columns, int grid_rows)
    : columns(grid_columns),
      rows(grid_rows),
      opaque(false),
      pixels(static_cast<std::size_t>(grid_columns * grid_rows) * BYTES_PER_PIXEL, 0) {}

void BackgroundGrid::clear(bool target_cleared) {
  opaque = target_cleared;
  const sf::Uint8 empty[BYTES_PER_PIXEL] = {0, 0, 0, static_cast<sf::Uint8>(opaque ? 255 : 0)};
  for (std::size_t i = 0; i < pixels.size(); i++) {
    pixels[i] = empty[i % BYTES_PER_PIXEL];
  }
}

int BackgroundGrid::cellAt(sf::Vector2f pen, sf::Vector2f cell_size, int columns, int rows) {
  const int column = exactLine(pen.x, cell_size.x, columns);
  const int row = exactLine(pen.y, cell_size.y, rows);
  return column < 0 || row < 0 ? -1 : row * columns + column;
}

bool BackgroundGrid::paint(sf::Vector2f pen, sf::Vector2f cell_size, sf::Color color) {
  const int cell = cellAt(pen, cell_size, columns, rows);
  if (cell < 0) {
    return false;
  }
  sf::Uint8* p_pixel = &pixels[static_cast<std::size_t>(cell) * BYTES_PER_PIXEL];
  p_pixel[0] = color.r;
  p_pixel[1] = color.g;
  p_pixel[2] = color.b;
  p_pixel[3] = 255;
  return true;
}

const sf::Texture* BackgroundGrid::updatedTexture() {
  const unsigned int width = static_cast<unsigned int>(columns);
  const unsigned int height = static_cast<unsigned int>(rows);
  if (!p_texture) {
    p_texture = std::make_unique<sf::Texture>();
  }
  if (p_texture->getSize() != sf::Vector2u(width, height) && !p_texture->create(width, height)) {
    return nullptr;
  }
  p_texture->update(pixels.data());
  return p_texture.get();
}

sf::RenderStates BackgroundGrid::states() {
  sf::RenderStates grid_states(opaque ? sf::BlendNone : sf::BlendAlpha);
  grid_states.texture = p_texture.get();
  return grid_states;
}

void BackgroundGrid::draw(sf::RenderTarget& target, sf::Vector2f corner, sf::Vector2f cell_size) {
  if (updatedTexture() == nullptr) {
    return;
  }
  const sf::Vector2f far(corner.x + static_cast<float>(columns) * cell_size.x,
                         corner.y + static_cast<float>(rows) * cell_size.y);
  const sf::Vector2f texels(static_cast<float>(columns), static_cast<float>(rows));
  const sf::Vertex quad[] = {
      sf::Vertex(corner, sf::Vector2f(0, 0)),
      sf::Vertex(sf::Vector2f(far.x, corner.y), sf::Vector2f(texels.x, 0)),
      sf::Vertex(sf::Vector2f(corner.x, far.y), sf::Vector2f(0, texels.y)),
      sf::Vertex(far, texels)};
  target.draw(quad, 4, sf::TriangleStrip, states());
}

void BackgroundGrid::drawParts(sf::RenderTarget& target, const std::vector<sf::Vertex>& triangles) {
  if (triangles.empty() || updatedTexture() == nullptr) {
    return;
  }
  target.draw(triangles.data(), triangles.size(), sf::Triangles, states());
}

}  // namespace wd
