#ifndef WD_DISPLAY_MANAGER_H
#define WD_DISPLAY_MANAGER_H

#include <string>

#include <SFML/Graphics.hpp>

#include "CellBatch.h"
#include "Color.h"
#include "FontCoverage.h"
#include "FrameFingerprint.h"
#include "Letterbox.h"
#include "Manager.h"
#include "Vector.h"
#include "WindowOptions.h"

namespace wd {

extern const char* const WINDOW_TITLE;
extern const char* const FONT_FILE;

// How drawString places a string; any other value draws it left-aligned.
enum Alignment : int {
  ALIGN_LEFT = 0,
  ALIGN_CENTER = 1,
  ALIGN_RIGHT = 2,
};

// Pixels per cell, horizontally and vertically, in the logical 1024 x 900
// picture, whatever size the window shows it at.
float cellWidth();
float cellHeight();

// View cells to window pixels.
Vector cellsToPixels(Vector cells);

// The 24-bit colour of one of the eight colours; white for any other value.
sf::Color rgbOf(Color color);

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

  // Draws a string, one character per cell: a byte, or a character of UTF-8
  // (alignment counts cells). Always 0.
  int drawString(Vector world_pos, std::string str, Alignment just, Color color);

  // Draws one glyph at a world cell position in a 24-bit colour, on a
  // background colour (opaque black, as behind every character, by
  // default); -1 without a window. A code point that the font lacks draws
  // its replacement glyph, and the log says so once per code point.
  int drawGlyph(Vector world_pos, char32_t code_point, sf::Color foreground,
                sf::Color background = CELL_BACKGROUND_COLOR);

  // Draws a UTF-8 string, one glyph per cell, aligned by its cell count. A
  // byte that is not UTF-8 takes a cell of its own and draws as U+FFFD.
  // Always 0.
  int drawText(Vector world_pos, const std::string& text, Alignment just, sf::Color foreground,
               sf::Color background = CELL_BACKGROUND_COLOR);

  // Shows the finished frame and clears the next one; -1 without a window.
  int swapBuffers();

  // The frame built so far, without showing or clearing it: the window's
  // real pixels, bars included (getLetterbox() says where the grid is).
  sf::Image captureFrame();

  int getColumns() const;
  int getRows() const;
  // The logical picture's size, 1024 x 900, in which every position a game
  // gives or reads (cells to pixels, mouse positions, drawing through
  // getWindow()) is measured, however large the window is.
  int getWidthPixels() const;
  int getHeightPixels() const;

  // What the game asks of its window; only before the display starts. 0,
  // or -1 once the window is open.
  int setWindowOptions(const WindowOptions& new_options);
  const WindowOptions& getWindowOptions() const;

  // Where the logical picture shows in the window's real pixels.
  const Letterbox& getLetterbox() const;

  // Switches between full screen and a window, keeping everything else:
  // the world, the frame, the loaded font and sprites. 0, or -1 without a
  // window or when the new one cannot be made.
  int setFullscreen(bool new_fullscreen);
  bool isFullscreen() const;

  // Switches from full screen to a window or back, as setFullscreen.
  int toggleFullscreen();

  // Follows an event about the window itself: a new size scales the grid
  // to it (when the window may change size), a close request ends the game
  // (when the options allow it) and is otherwise dropped. True for those
  // events, which are no input; false for any other.
  bool followWindowEvent(const sf::Event& event);

  // Whether the player asked to close the window, ending the game.
  bool isCloseRequested() const;

  // The window, or null, for a caller that draws into it. The cells drawn so
  // far are drawn first, and the later cells of the frame paint their black
  // backgrounds, as over any drawing. Ask again in every frame you draw in.
  sf::RenderWindow* getWindow() const;

  // Whether frames are shown, in a window or in the terminal in its place:
  // whether a player can see the game and give it input.
  bool isOpen() const;

  // The window, or null, as a source of events and input settings: asking
  // for it leaves the frame's drawing as it is.
  sf::Window* getInputWindow() const;

  // The batch that draws the cells, for a look at how it draws.
  const CellBatch& getCellBatch() const;

  // The hash of the cells drawn in the current frame.
  FrameFingerprint& getFrameFingerprint();

  // Whether swapBuffers draws the frame's cells into the window and shows
  // it (true, the default), or only ends the frame.
  void setRasterising(bool new_rasterising);
  bool isRasterising() const;

 private:
  DisplayManager();

  // The fill colour of a character drawn in color: that colour, or for a
  // value outside the eight the colour of the character before.
  sf::Color fillColor(Color color);

  // Hashes a cell into the frame's fingerprint and, in a terminal, puts it
  // there: true when the window's batch is still to draw it.
  bool takeCell(Vector view_pos, char32_t code_point, sf::Color foreground, sf::Color background);

  // Loads the font again, freeing the glyphs it has rendered, once the cell
  // batch can cache no more of them.
  void renewFullFont();

  // Replaces the font with the same one freshly loaded, which holds no
  // glyphs yet; false, keeping the font, when the file cannot be read. The
  // cell batch must then prepare the font.
  bool loadFontAgain();

  // The window's size and depth as the options ask, full screen or not:
  // the engine's own 1024 x 900 when they ask for nothing.
  sf::VideoMode windowMode() const;

  // The settings every new window gets: cursor, pacing, a black first frame.
  void setUpWindow();

  // Scales the logical picture to the window's present size.
  void fitToWindow();

  sf::Font font;
  FontCoverage font_coverage;
  sf::RenderWindow* p_window;
  int window_width_pixels;
  int window_height_pixels;
  int window_columns;
  int window_rows;

  // Fill colour of the last character drawn with a known colour.
  sf::Color current_color;

  // Handing out the window flushes the cells, even through a const manager.
  mutable CellBatch cell_batch;

  FrameFingerprint frame_fingerprint;
  bool rasterising;

  WindowOptions window_options;
  Letterbox letterbox;
  bool fullscreen;
  bool close_requested;
};

}  // namespace wd

#endif
