#ifndef WD_DISPLAY_MANAGER_H
#define WD_DISPLAY_MANAGER_H

#include <array>
#include <string>
#include <vector>

#include <SFML/Graphics.hpp>

#include "Color.h"
#include "Manager.h"
#include "Vector.h"

namespace wd {

extern const char* const WINDOW_TITLE;
extern const char* const FONT_FILE;

// How drawString places a string; any other value draws it left-aligned.
enum Alignment : int {
  ALIGN_LEFT = 0,
  ALIGN_CENTER = 1,
  ALIGN_RIGHT = 2,
};

// Pixels per cell, horizontally and vertically.
float cellWidth();
float cellHeight();

// View cells to window pixels.
Vector cellsToPixels(Vector cells);

// Owns the window and draws coloured characters on its cell grid.
class DisplayManager : public Manager {
 public:
  static DisplayManager& getInstance();
  ~DisplayManager() override;

  // Opens the window and loads the font. 0 on success, -1 on failure.
  int startUp() override;

  // Closes and destroys the window.
  void shutDown() override;

  // Draws one character at a world cell position; -1 without a window.
  int drawCharacter(Vector world_pos, char ch, Color color);

  // Draws a string, one character per cell. Always 0.
  int drawString(Vector world_pos, std::string str, Alignment just, Color color);

  // Shows the finished frame and clears the next one; -1 without a window.
  int swapBuffers();

  // The frame built so far, without showing or clearing it.
  sf::Image captureFrame();

  int getColumns() const;
  int getRows() const;
  int getWidthPixels() const;
  int getHeightPixels() const;
  sf::RenderWindow* getWindow() const;

 private:
  DisplayManager();

  // Where one character's glyph sits in the font's texture, fetched once.
  struct GlyphQuad {
    bool loaded;
    bool visible;  // whitespace advances the pen but draws no quad
    sf::FloatRect bounds;
    sf::IntRect texture_rect;
  };

  // The glyph of a narrow character, loading it on first use.
  const GlyphQuad& glyphQuad(char ch);

  // Appends the opaque background cell of a character drawn at pixel_pos.
  void appendBackground(sf::Vector2f pixel_pos);

  // Appends the glyph of ch with its pen at pixel_pos, in current_color.
  void appendGlyph(sf::Vector2f pixel_pos, char ch);

  // Appends the two triangles of an axis-aligned quad.
  void appendQuad(sf::Vector2f top_left, sf::Vector2f bottom_right, sf::Vector2f tex_top_left,
                  sf::Vector2f tex_bottom_right, sf::Color color);

  // Draws the pending characters into the back buffer in one call.
  void flushBatch();

  // Forgets the cached glyphs, for a font that has just been (re)loaded.
  void resetGlyphs();

  sf::Font font;
  sf::RenderWindow* p_window;
  int window_width_pixels;
  int window_height_pixels;
  int window_columns;
  int window_rows;

  // Fill colour of the last character drawn with a known colour.
  sf::Color current_color;

  // Triangles of everything drawn since the last flush, in drawing order.
  std::vector<sf::Vertex> batch;

  std::array<GlyphQuad, 256> glyphs;
};

}  // namespace wd

#endif
