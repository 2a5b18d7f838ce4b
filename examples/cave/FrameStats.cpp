#include "FrameStats.h"

#include <algorithm>

FrameStats::FrameStats(int period_ms)
    : period_ms(period_ms), reported(false), frames(0), total_ms(0), worst_ms(0) {}

bool FrameStats::add(double work_ms) {
  if (reported) {
    reported = false;
    frames = 0;
    total_ms = 0;
    worst_ms = 0;
    clock.mark();
  }
  frames++;
  total_ms += work_ms;
  worst_ms = std::max(worst_ms, work_ms);
  reported = clock.elapsed() >= period_ms;
  return reported;
}

double FrameStats::getMean() const { return frames > 0 ? total_ms / frames : 0; }

double FrameStats::getWorst() const { return worst_ms; }

int FrameStats::getFrames() const { return frames; }
