#ifndef WD_DISPLAY_MANAGER_H
#define WD_DISPLAY_MANAGER_H

#include <string>

#include <SFML/Graphics.hpp>

#include "Color.h"
#include "Manager.h"
#include "Vector.h"

namespace wd {

extern const char* const WINDOW_TITLE;
extern const char* const FONT_FILE;

enum Alignment {
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

  sf::Font font;
  sf::RenderWindow* p_window;
  int window_width_pixels;
  int window_height_pixels;
  int window_columns;
  int window_rows;
};

}  // namespace wd

#endif
