// The peer yardstick: libtcod's OpenGL 2 renderer presenting one 100 x 50
// console of 10 x 18 pixel tiles from the engine's font, in the same run.
#ifndef WD_BENCH_LIBTCOD_GRID_H
#define WD_BENCH_LIBTCOD_GRID_H

#include <libtcod.h>

#include <SFML/Graphics/Color.hpp>

namespace wd_bench {

class LibtcodGrid {
 public:
  // Opens the window; isOpen() tells whether it worked.
  LibtcodGrid(const char* font_file, int columns, int rows) {
    p_tileset = TCOD_load_truetype_font_(font_file, 10, 18);
    p_console = TCOD_console_new(columns, rows);
    if (p_tileset == nullptr || p_console == nullptr) {
      return;
    }
    TCOD_ContextParams params{};
    params.tcod_version = TCOD_COMPILEDVERSION;
    params.columns = columns;
    params.rows = rows;
    params.renderer_type = TCOD_RENDERER_OPENGL2;
    params.tileset = p_tileset;
    params.vsync = 0;
    params.window_title = "libtcod";
    if (TCOD_context_new(&params, &p_context) != TCOD_E_OK) {
      p_context = nullptr;
    }
  }

  ~LibtcodGrid() {
    if (p_context != nullptr) {
      TCOD_context_delete(p_context);
    }
    if (p_console != nullptr) {
      TCOD_console_delete(p_console);
    }
    if (p_tileset != nullptr) {
      TCOD_tileset_delete(p_tileset);
    }
  }

  LibtcodGrid(const LibtcodGrid&) = delete;
  LibtcodGrid& operator=(const LibtcodGrid&) = delete;

  bool isOpen() const { return p_context != nullptr; }

  // Sets the tile at index (row by row).
  void put(int index, char32_t code_point, sf::Color foreground, sf::Color background) {
    p_console->tiles[index] = TCOD_ConsoleTile{static_cast<int>(code_point),
                                               {foreground.r, foreground.g, foreground.b, 255},
                                               {background.r, background.g, background.b, 255}};
  }

  // Shows the console.
  void present() { TCOD_context_present(p_context, p_console, nullptr); }

 private:
  TCOD_Tileset* p_tileset = nullptr;
  TCOD_Console* p_console = nullptr;
  TCOD_Context* p_context = nullptr;
};

}  // namespace wd_bench

#endif
