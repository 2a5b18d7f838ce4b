#ifndef WD_BACKGROUND_GRID_H
#define WD_BACKGROUND_GRID_H

#include <memory>
#include <vector>

#include <SFML/Graphics.hpp>

namespace wd {

// The backgrounds of a frame whose cells all stand on the window's grid, as
// one texel per cell: drawn as a single quad instead of a quad per cell.
class BackgroundGrid {
 public:
  // A grid of columns x rows cells.
  BackgroundGrid(int columns, int rows);

  // Forgets every background. On a target cleared to black, a cell that
  // nothing is drawn in is painted black, which spares blending; else it
  // leaves the target as it is.
  void clear(bool target_cleared);

  // Paints the background of the cell whose pen is at pen (window pixels),
  // the cells being cell_size apart; false, painting nothing, when pen is
  // not exactly the pen of a cell of the window.
  bool paint(sf::Vector2f pen, sf::Vector2f cell_size, sf::Color color);

  // The index (row by row) of the cell of a grid of columns x rows cells,
  // cell_size apart, whose pen is exactly pen; -1 if none is.
  static int cellAt(sf::Vector2f pen, sf::Vector2f cell_size, int columns, int rows);

  // Draws the backgrounds into target in one call: the grid's upper left
  // cell spans corner to corner + cell_size.
  void draw(sf::RenderTarget& target, sf::Vector2f corner, sf::Vector2f cell_size);

  // Draws the backgrounds within triangles into target in one call; a
  // triangle's texture coordinates are positions on the grid, in cells.
  void drawParts(sf::RenderTarget& target, const std::vector<sf::Vertex>& triangles);

 private:
  // The texture holding the grid's backgrounds as they are now; null if it
  // cannot be made.
  const sf::Texture* updatedTexture();

  // How the grid's texels are drawn: over black they replace what is there.
  sf::RenderStates states();

  int columns;
  int rows;
  bool opaque;
  std::vector<sf::Uint8> pixels;
  // Made on first drawing: making a texture needs the window system.
  std::unique_ptr<sf::Texture> p_texture;
};

}  // namespace wd

#endif
