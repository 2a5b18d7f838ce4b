// A full 100 x 50 grid drawn and shown, by the display manager (in a common
// frame, in one whose window was handed out, where the cells paint their
// backgrounds, and in a window scaled to 1280 x 1024) and by one
// sf::RectangleShape and one sf::Text per character, in the same run; and a
// grid of random glyphs of box drawing, blocks and code page 437 in random
// 24-bit colours on random backgrounds, to be set against the first.
// Needs an X server: run under xvfb-run -a -s "-screen 0 1280x1024x24".
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Cp437.h"
#include "DisplayManager.h"
#include "WorldManager.h"
#include "bench_support.h"
#include "../tests/support/naive_display.h"

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
BENCHMARK(BM_EngineFullGrid)->Unit(benchmark::kMillisecond)->MinTime(3.0);

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

void BM_EngineRichGrid(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  const int columns = display.getColumns();
  const std::vector<RichCell> grid = richGrid(columns * display.getRows());
  for (auto _ : state) {
    for (std::size_t i = 0; i < grid.size(); i++) {
      const wd::Vector cell(static_cast<float>(static_cast<int>(i) % columns),
                            static_cast<float>(static_cast<int>(i) / columns));
      display.drawGlyph(cell, grid[i].code_point, grid[i].foreground, grid[i].background);
    }
    display.swapBuffers();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(grid.size()));
}
BENCHMARK(BM_EngineRichGrid)->Unit(benchmark::kMillisecond)->MinTime(3.0);
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
BENCHMARK(BM_EngineFullGridScaled)->Unit(benchmark::kMillisecond)->MinTime(3.0);

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

}  // namespace

BENCHMARK_MAIN();
