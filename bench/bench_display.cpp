// A full 100 x 50 grid drawn and shown, by the display manager (in a common
// frame, in one whose window was handed out, where the cells paint their
// backgrounds, and in a window scaled to 1280 x 1024) and by one
// sf::RectangleShape and one sf::Text per character, in the same run; and a
// grid of random glyphs of box drawing, blocks and code page 437 in random
// 24-bit colours on random backgrounds, to be set against the first: the
// same grid every frame (copied from the frame cache), a tenth of it
// changing every frame (repainted in the cache), and all of it changing
// every frame (drawn as always). Run with WD_EXACT_CELLS=1 for the figures
// without the frame cache.
// The stages of a full-grid frame apart: adding the cells, building and
// submitting their triangles, rasterising them, presenting. And, when libtcod
// is there, its OpenGL 2 renderer presenting the same grids, last in the run.
// The cases set against libtcod count the processor time of every thread,
// the GL driver's rasterising threads included.
// Needs an X server: run under xvfb-run -a -s "-screen 0 1280x1024x24".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include <SFML/OpenGL.hpp>

#include "CellBatch.h"
#include "Cp437.h"
#include "DisplayManager.h"
#include "WorldManager.h"
#include "bench_support.h"
#include "../tests/support/naive_display.h"
#ifdef WD_HAVE_LIBTCOD
#include "libtcod_grid.h"
#endif

namespace {

// A varied grid: every cell a printable character in one of the colours.
char gridCharacter(int column, int row) { return static_cast<char>(33 + (column * 7 + row * 13) % 94); }

int gridColor(int column, int row) { return (column + row) % 8; }

bool startDisplay(benchmark::State& state) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  if (!wd_bench::installFont() || display.startUp() != 0) {
    state.SkipWithError("no display or no font");
    return false;
  }
  wd::WorldManager::getInstance().setView(wd::Box(wd::Vector(0, 0), 100, 50));
  return true;
}

void drawEngineGrid(benchmark::State& state, bool hand_out_window) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  for (auto _ : state) {
    if (hand_out_window) {
      display.getWindow();
    }
    for (int row = 0; row < display.getRows(); row++) {
      for (int column = 0; column < display.getColumns(); column++) {
        display.drawCharacter(wd::Vector(static_cast<float>(column), static_cast<float>(row)),
                              gridCharacter(column, row),
                              static_cast<wd::Color>(gridColor(column, row)));
      }
    }
    display.swapBuffers();
  }
  state.SetItemsProcessed(state.iterations() * display.getColumns() * display.getRows());
}

void BM_EngineFullGrid(benchmark::State& state) { drawEngineGrid(state, false); }
BENCHMARK(BM_EngineFullGrid)->Unit(benchmark::kMillisecond)->MinTime(3.0)->MeasureProcessCPUTime()->UseRealTime();

void BM_EngineFullGridWithBackgrounds(benchmark::State& state) { drawEngineGrid(state, true); }
BENCHMARK(BM_EngineFullGridWithBackgrounds)->Unit(benchmark::kMillisecond)->MinTime(3.0);

struct RichCell {
  char32_t code_point;
  sf::Color foreground;
  sf::Color background;
};

// Cells of the rich grid, row by row, the same in every run.
std::vector<RichCell> richGrid(int cells) {
  std::vector<char32_t> code_points;
  for (char32_t code_point = 0x2500; code_point <= 0x259F; code_point++) {  // box drawing, blocks
    code_points.push_back(code_point);
  }
  for (int code = 1; code < wd::Cp437::CODE_COUNT; code++) {  // code 0 is a blank cell
    code_points.push_back(wd::Cp437::toUnicode(static_cast<std::uint32_t>(code)));
  }
  std::mt19937 random(20261209);
  std::uniform_int_distribution<std::size_t> pick(0, code_points.size() - 1);
  std::uniform_int_distribution<int> level(0, 255);
  const auto color = [&]() {
    return sf::Color(static_cast<sf::Uint8>(level(random)), static_cast<sf::Uint8>(level(random)),
                     static_cast<sf::Uint8>(level(random)));
  };
  std::vector<RichCell> grid;
  for (int i = 0; i < cells; i++) {
    grid.push_back(RichCell{code_points[pick(random)], color(), color()});
  }
  return grid;
}

void drawRichCells(const std::vector<RichCell>& grid, int columns) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  for (std::size_t i = 0; i < grid.size(); i++) {
    const wd::Vector cell(static_cast<float>(static_cast<int>(i) % columns),
                          static_cast<float>(static_cast<int>(i) / columns));
    display.drawGlyph(cell, grid[i].code_point, grid[i].foreground, grid[i].background);
  }
}

void BM_EngineRichGrid(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  const std::vector<RichCell> grid = richGrid(display.getColumns() * display.getRows());
  for (auto _ : state) {
    drawRichCells(grid, display.getColumns());
    display.swapBuffers();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(grid.size()));
}
BENCHMARK(BM_EngineRichGrid)->Unit(benchmark::kMillisecond)->MinTime(3.0)->MeasureProcessCPUTime()->UseRealTime();

// The rich grid as it stands in frame number frame of a run in which a tenth
// of the cells, every tenth one in turn, changes every frame.
class ChangingGrid {
 public:
  explicit ChangingGrid(int cells) : pool(richGrid(cells)), shown(pool), turns(pool.size(), 0) {}

  // Moves to the next frame; returns the cells, row by row.
  const std::vector<RichCell>& next() {
    for (std::size_t i = frame % 10; i < shown.size(); i += 10) {
      turns[i]++;
      shown[i] = pool[(i + turns[i] * 1237) % pool.size()];
    }
    frame++;
    return shown;
  }

 private:
  std::vector<RichCell> pool;
  std::vector<RichCell> shown;
  std::vector<std::size_t> turns;
  std::size_t frame = 0;
};

void BM_EngineRichGridTenthChanged(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  ChangingGrid grid(display.getColumns() * display.getRows());
  const wd::FrameCache& cache = display.getCellBatch().getFrameCache();
  const std::int64_t repaints = cache.getRepaints();
  for (auto _ : state) {
    drawRichCells(grid.next(), display.getColumns());
    display.swapBuffers();
  }
  state.SetItemsProcessed(state.iterations() * display.getColumns() * display.getRows());
  state.counters["repainted"] = static_cast<double>(cache.getRepaints() - repaints) /
                                static_cast<double>(state.iterations());
}
BENCHMARK(BM_EngineRichGridTenthChanged)->Unit(benchmark::kMillisecond)->MinTime(1.0)->MeasureProcessCPUTime()->UseRealTime();

// The rich grid moved on by one cell every frame, so that every cell
// changes: too far from the last frame for the frame cache.
void BM_EngineRichGridAllChanged(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  std::vector<RichCell> grid = richGrid(display.getColumns() * display.getRows());
  for (auto _ : state) {
    drawRichCells(grid, display.getColumns());
    display.swapBuffers();
    std::rotate(grid.begin(), grid.begin() + 1, grid.end());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(grid.size()));
}
BENCHMARK(BM_EngineRichGridAllChanged)->Unit(benchmark::kMillisecond)->MinTime(1.0)->MeasureProcessCPUTime()->UseRealTime();

// Stage 1: the cells taken in (fingerprint, batch), nothing drawn.
void BM_StageAddCells(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  const std::vector<RichCell> grid = richGrid(display.getColumns() * display.getRows());
  display.setRasterising(false);
  for (auto _ : state) {
    drawRichCells(grid, display.getColumns());
    display.swapBuffers();
  }
  display.setRasterising(true);
}
BENCHMARK(BM_StageAddCells)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Stage 2: the triangles built and handed to SFML and the GL driver, which
// clip them all away against a one-pixel target (where the memo never
// serves): building, SFML's draw and the driver's vertex work.
void BM_StageBuildAndSubmit(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  const int columns = display.getColumns();
  const std::vector<RichCell> grid = richGrid(columns * display.getRows());
  sf::Font font;
  sf::RenderTexture target;
  if (!font.loadFromFile(wd::FONT_FILE) || !target.create(1, 1)) {
    state.SkipWithError("no font or no render texture");
    return;
  }
  wd::CellBatch batch(font, columns, display.getRows(), display.getWidthPixels(),
                      display.getHeightPixels());
  batch.prepareFont();
  for (auto _ : state) {
    batch.startFrame();
    for (std::size_t i = 0; i < grid.size(); i++) {
      const sf::Vector2f pen(static_cast<float>(static_cast<int>(i) % columns) * wd::cellWidth(),
                             static_cast<float>(static_cast<int>(i) / columns) * wd::cellHeight());
      batch.add(pen, grid[i].code_point, grid[i].foreground, grid[i].background);
    }
    batch.flush(target);
    glFinish();
  }
}
BENCHMARK(BM_StageBuildAndSubmit)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Stage 3: everything but the present: the cells drawn into the window and
// the GL driver waited for (with the frame cache, the repeated grid is
// copied from it: set WD_EXACT_CELLS=1 for the drawing itself).
void BM_StageDrawAndFinish(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  const std::vector<RichCell> grid = richGrid(display.getColumns() * display.getRows());
  for (auto _ : state) {
    drawRichCells(grid, display.getColumns());
    display.getWindow();  // the flush
    glFinish();
    state.PauseTiming();
    display.swapBuffers();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StageDrawAndFinish)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Stage 4: the present alone, of an empty frame.
void BM_StagePresent(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  for (auto _ : state) {
    display.swapBuffers();
  }
}
BENCHMARK(BM_StagePresent)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The same grid in a 1280 x 1024 window that may be resized: scaled by 1.14,
// its glyphs rasterised at that size, letterboxed.
void BM_EngineFullGridScaled(benchmark::State& state) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  display.shutDown();
  wd::WindowOptions options;
  options.resizable = true;
  options.width_pixels = 1280;
  options.height_pixels = 1024;
  display.setWindowOptions(options);
  drawEngineGrid(state, false);
  display.shutDown();
  display.setWindowOptions(wd::WindowOptions());
}
BENCHMARK(BM_EngineFullGridScaled)->Unit(benchmark::kMillisecond)->MinTime(3.0)->MeasureProcessCPUTime()->UseRealTime();

void BM_PerCharacterFullGrid(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  wd_test::NaiveDisplay naive(display.getWindow());
  for (auto _ : state) {
    for (int row = 0; row < display.getRows(); row++) {
      for (int column = 0; column < display.getColumns(); column++) {
        naive.drawCharacter(static_cast<float>(column), static_cast<float>(row),
                            gridCharacter(column, row), gridColor(column, row));
      }
    }
    display.swapBuffers();
  }
  state.SetItemsProcessed(state.iterations() * display.getColumns() * display.getRows());
}
BENCHMARK(BM_PerCharacterFullGrid)->Unit(benchmark::kMillisecond)->MinTime(3.0);

#ifdef WD_HAVE_LIBTCOD
// libtcod presenting frames of cells: each a vector of the same size, row by
// row. Registered last: its GL context is current from then on.
template <typename NextFrame>
void presentWithLibtcod(benchmark::State& state, NextFrame next_frame) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  if (!wd_bench::installFont()) {
    state.SkipWithError("no font");
    return;
  }
  const int columns = display.getColumns() > 0 ? display.getColumns() : 100;
  const int rows = display.getRows() > 0 ? display.getRows() : 50;
  static wd_bench::LibtcodGrid peer(wd::FONT_FILE, columns, rows);
  if (!peer.isOpen()) {
    state.SkipWithError("libtcod opened no window");
    return;
  }
  for (auto _ : state) {
    const std::vector<RichCell>& grid = next_frame();
    for (std::size_t i = 0; i < grid.size(); i++) {
      peer.put(static_cast<int>(i), grid[i].code_point, grid[i].foreground, grid[i].background);
    }
    peer.present();
  }
  state.SetItemsProcessed(state.iterations() * columns * rows);
}

// The ASCII grid of drawEngineGrid as rich cells: its characters in the
// palette's colours on black.
std::vector<RichCell> asciiGrid(int columns, int rows) {
  std::vector<RichCell> grid;
  for (int row = 0; row < rows; row++) {
    for (int column = 0; column < columns; column++) {
      grid.push_back(RichCell{static_cast<char32_t>(gridCharacter(column, row)),
                              wd::rgbOf(static_cast<wd::Color>(gridColor(column, row))),
                              sf::Color::Black});
    }
  }
  return grid;
}

void BM_LibtcodFullGrid(benchmark::State& state) {
  const std::vector<RichCell> grid = asciiGrid(100, 50);
  presentWithLibtcod(state, [&]() -> const std::vector<RichCell>& { return grid; });
}
BENCHMARK(BM_LibtcodFullGrid)->Unit(benchmark::kMillisecond)->MinTime(1.0)->MeasureProcessCPUTime()->UseRealTime();

void BM_LibtcodRichGrid(benchmark::State& state) {
  const std::vector<RichCell> grid = richGrid(100 * 50);
  presentWithLibtcod(state, [&]() -> const std::vector<RichCell>& { return grid; });
}
BENCHMARK(BM_LibtcodRichGrid)->Unit(benchmark::kMillisecond)->MinTime(1.0)->MeasureProcessCPUTime()->UseRealTime();

void BM_LibtcodRichGridTenthChanged(benchmark::State& state) {
  ChangingGrid grid(100 * 50);
  presentWithLibtcod(state, [&]() -> const std::vector<RichCell>& { return grid.next(); });
}
BENCHMARK(BM_LibtcodRichGridTenthChanged)->Unit(benchmark::kMillisecond)->MinTime(1.0)->MeasureProcessCPUTime()->UseRealTime();
#endif

}  // namespace

BENCHMARK_MAIN();
