// Cost of a terminal frame: a grid whose lower half scrolls by a cell each
// frame, as Bunny Run's terrain does, rendered as the changed cells against
// the same frames written whole (every cell, as after a resize), in the same
// process. The counter x_faster of the changed-cells run is the whole
// frame's time divided by its own; bytes is what a frame writes; times are
// processor times (the "manual_time" column).
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "TerminalScreen.h"

namespace {

const int COLUMNS = 100;
const int ROWS = 50;
const int FIRST_SCROLLING_ROW = 30;
// Mostly bare ground, with a stone or a tuft here and there.
const char GROUND[] = "          .,'`~;:o\"";

double& wholeFrameSeconds() {
  static double seconds = 0;
  return seconds;
}

// Frame number frame: a static sky with a title, and ground that has moved
// frame cells to the left.
void buildFrame(wd::TerminalScreen& screen, int frame) {
  for (int column = 20; column < 80; column++) {
    screen.setCell(column, 10, U'#', sf::Color::Yellow, sf::Color::Black);
  }
  for (int row = FIRST_SCROLLING_ROW; row < ROWS; row++) {
    for (int column = 0; column < COLUMNS; column++) {
      const unsigned int seed = static_cast<unsigned int>((column + frame) * 7919 + row * 104729);
      const char glyph = GROUND[(seed >> 3) % (sizeof(GROUND) - 1)];
      screen.setCell(column, row, static_cast<unsigned char>(glyph), sf::Color::Green,
                     sf::Color::Black);
    }
  }
}

void BM_TerminalFrame(benchmark::State& state) {
  const bool whole = state.range(0) == 1;
  wd::TerminalScreen screen(COLUMNS, ROWS);
  std::string out;
  int frame = 0;
  std::size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    out.clear();
    if (whole) {
      screen.invalidate();
    }
    buildFrame(screen, frame++);
    screen.render(out);
    benchmark::DoNotOptimize(out.data());
    const double elapsed = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    bytes += out.size();
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["bytes"] = static_cast<double>(bytes) / iterations;
  if (whole) {
    wholeFrameSeconds() = seconds / iterations;
  } else if (wholeFrameSeconds() > 0) {
    state.counters["x_faster"] = wholeFrameSeconds() / (seconds / iterations);
  }
}

}  // namespace

BENCHMARK(BM_TerminalFrame)->Arg(1)->Arg(0)->ArgName("whole")->UseManualTime();

BENCHMARK_MAIN();
