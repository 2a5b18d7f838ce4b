// A full 100 x 50 grid drawn and shown, by the display manager (in a common
// frame, in one whose window was handed out, where the cells paint their
// backgrounds, and in a window scaled to 1280 x 1024) and by one
// sf::RectangleShape and one sf::Text per character, in the same run.
// Needs an X server: run under xvfb-run -a -s "-screen 0 1280x1024x24".
#include <benchmark/benchmark.h>

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
