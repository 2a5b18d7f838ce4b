// What recording costs a frame: a full 100 x 50 grid drawn and shown with
// and without a recording under way, and the recording's own work for such
// a frame alone (hashing its 5000 cells, writing and flushing its line), in
// the same run. The last over the first is the share of a frame's work that
// recording adds.
// Needs an X server: run under xvfb-run -a -s "-screen 0 1280x1024x24".
#include <benchmark/benchmark.h>

#include <cstdio>

#include "DisplayManager.h"
#include "FrameFingerprint.h"
#include "GameManager.h"
#include "InputManager.h"
#include "InputRecorder.h"
#include "WorldManager.h"
#include "bench_support.h"

namespace {

const char* const RECORDING = "bench.wdr";

// The grid of bench_display: every cell a printable character in one of the colours.
char gridCharacter(int column, int row) {
  return static_cast<char>(33 + (column * 7 + row * 13) % 94);
}

wd::Color gridColor(int column, int row) { return static_cast<wd::Color>((column + row) % 8); }

bool startDisplay(benchmark::State& state) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  if (!wd_bench::installFont() || (!display.isStarted() && display.startUp() != 0)) {
    state.SkipWithError("no display or no font");
    return false;
  }
  wd::WorldManager::getInstance().setView(wd::Box(wd::Vector(0, 0), 100, 50));
  return true;
}

// One frame: the window polled, the grid drawn, the frame shown.
void playGridFrame() {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  wd::InputManager::getInstance().pollInput();
  for (int row = 0; row < display.getRows(); row++) {
    for (int column = 0; column < display.getColumns(); column++) {
      display.drawCharacter(wd::Vector(static_cast<float>(column), static_cast<float>(row)),
                            gridCharacter(column, row), gridColor(column, row));
    }
  }
  display.swapBuffers();
}

void BM_GridFrame(benchmark::State& state) {
  if (!startDisplay(state)) {
    return;
  }
  for (auto _ : state) {
    playGridFrame();
  }
}
BENCHMARK(BM_GridFrame)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

void BM_GridFrameRecorded(benchmark::State& state) {
  if (!startDisplay(state) ||
      wd::GameManager::getInstance().startRecording(RECORDING, "Bench") != 0) {
    state.SkipWithError("no display or no recording");
    return;
  }
  for (auto _ : state) {
    playGridFrame();
  }
  wd::GameManager::getInstance().endSession();
  std::remove(RECORDING);
}
BENCHMARK(BM_GridFrameRecorded)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

void BM_RecordingWorkOfAGridFrame(benchmark::State& state) {
  wd::InputRecorder recorder;
  if (recorder.open(RECORDING, "Bench") != 0) {
    state.SkipWithError("cannot write the recording");
    return;
  }
  wd::FrameFingerprint fingerprint;
  fingerprint.setListener(&recorder);
  const sf::Color background = wd::CELL_BACKGROUND_COLOR;
  for (auto _ : state) {
    for (int row = 0; row < 50; row++) {
      for (int column = 0; column < 100; column++) {
        fingerprint.addCell(wd::Vector(static_cast<float>(column), static_cast<float>(row)),
                            static_cast<unsigned char>(gridCharacter(column, row)),
                            wd::rgbOf(gridColor(column, row)), background);
      }
    }
    recorder.endPoll();
    fingerprint.endFrame();
  }
  recorder.finish();
  std::remove(RECORDING);
}
BENCHMARK(BM_RecordingWorkOfAGridFrame)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
