// Writes REXPaint pictures with libtcod, a writer independent of Wendrel, for
// the sprite tests: the files and, beside each, the cells the editor shows.
//
//   make_xp_fixtures FOLDER
//
// FILE.xp gets FILE.cells: one line per cell, row after row, "empty" for a
// cell that every layer lets through, else "CODE R G B R G B" (the glyph's
// code page 437 code, foreground, background) of the cell that shows.
#include <libtcod/console.h>
#include <libtcod/console_rexpaint.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const TCOD_color_t TRANSPARENT = {255, 0, 255};

struct Shown {
  int code;
  TCOD_color_t foreground;
  TCOD_color_t background;
  bool empty;
};

class Fixture {
 public:
  Fixture(int fixture_width, int fixture_height, int layer_count)
      : width(fixture_width),
        height(fixture_height),
        shown(fixture_width * fixture_height, Shown{0, {0, 0, 0}, {0, 0, 0}, true}),
        top_layer(fixture_width * fixture_height, -1) {
    for (int i = 0; i < layer_count; i++) {
      TCOD_Console* p_layer = TCOD_console_new(width, height);
      for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
          // A glyph that must never show: transparent cells hide it.
          TCOD_console_put_char_ex(p_layer, x, y, 'X', TCOD_color_t{9, 9, 9}, TRANSPARENT);
        }
      }
      layers.push_back(p_layer);
    }
  }

  ~Fixture() {
    for (TCOD_Console* p_layer : layers) {
      TCOD_console_delete(p_layer);
    }
  }

  // Sets a cell of a layer; with an opaque background it shows unless a layer above covers it.
  void put(int layer, int x, int y, int code, TCOD_color_t foreground, TCOD_color_t background) {
    TCOD_console_put_char_ex(layers[layer], x, y, code, foreground, background);
    if (background.r == TRANSPARENT.r && background.g == TRANSPARENT.g && background.b == TRANSPARENT.b) {
      return;
    }
    if (layer >= top_layer[y * width + x]) {
      shown[y * width + x] = Shown{code, foreground, background, false};
      top_layer[y * width + x] = layer;
    }
  }

  bool save(const std::string& folder, const std::string& name, int compress_level) {
    const std::string path = folder + "/" + name;
    bool saved = false;
    if (layers.size() == 1) {
      saved = TCOD_console_save_xp(layers[0], (path + ".xp").c_str(), compress_level);
    } else {
      std::vector<const TCOD_Console*> list(layers.begin(), layers.end());
      saved = TCOD_save_xp(static_cast<int>(list.size()), list.data(), (path + ".xp").c_str(), compress_level) ==
              TCOD_E_OK;
    }
    std::ofstream cells(path + ".cells");
    for (const Shown& cell : shown) {
      if (cell.empty) {
        cells << "empty\n";
      } else {
        cells << cell.code << ' ' << int(cell.foreground.r) << ' ' << int(cell.foreground.g) << ' '
              << int(cell.foreground.b) << ' ' << int(cell.background.r) << ' ' << int(cell.background.g) << ' '
              << int(cell.background.b) << '\n';
      }
    }
    return saved && cells.good();
  }

 private:
  int width;
  int height;
  std::vector<TCOD_Console*> layers;
  std::vector<Shown> shown;
  // The highest layer with an opaque cell at each position, or -1.
  std::vector<int> top_layer;
};

TCOD_color_t rgb(int r, int g, int b) {
  return TCOD_color_t{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
}

// Every code of the page once, 32 x 8, each in colours of its own.
bool writeCodePage(const std::string& folder) {
  Fixture fixture(32, 8, 1);
  for (int code = 0; code < 256; code++) {
    fixture.put(0, code % 32, code / 32, code, rgb(code, 255 - code, 7), rgb(code / 2, 3, 255 - code / 3));
  }
  return fixture.save(folder, "codepage", 0);
}

// Three layers of 7 x 4: a wall of full blocks below, a frame of box drawing
// on the diagonal and the border above, a top layer that is transparent
// throughout, and one cell that no layer covers.
bool writeLayers(const std::string& folder) {
  Fixture fixture(7, 4, 3);
  for (int y = 0; y < 4; y++) {
    for (int x = 0; x < 7; x++) {
      if (x == 6 && y == 3) {
        continue;
      }
      fixture.put(0, x, y, 219, rgb(30 * x, 60 * y, 200), rgb(1, 2 * x, 3 * y));
    }
  }
  const int box[] = {201, 205, 187, 186, 200, 188, 176, 177, 178};
  for (int i = 0; i < 4; i++) {
    fixture.put(1, i, i, box[i], rgb(250, 240 - i, 230), rgb(10, 20, 30 + i));
  }
  fixture.put(1, 5, 0, box[4], rgb(1, 1, 1), rgb(0, 0, 0));
  fixture.put(1, 6, 1, box[5], rgb(2, 2, 2), TRANSPARENT);
  return fixture.save(folder, "layers", 9);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_xp_fixtures FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  if (!writeCodePage(folder) || !writeLayers(folder)) {
    std::fprintf(stderr, "make_xp_fixtures: cannot write the pictures in %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
