#ifndef CAVE_FRAME_STATS_H
#define CAVE_FRAME_STATS_H

#include <wendrel/Clock.h>

// Mean and worst work time of the frames of each reporting period.
class FrameStats {
 public:
  explicit FrameStats(int period_ms);

  // Adds one frame's work time; true when the period is over and a report
  // is due, after which the next add starts a new period.
  bool add(double work_ms);

  double getMean() const;
  double getWorst() const;
  int getFrames() const;

 private:
  wd::Clock clock;
  int period_ms;
  bool reported;
  int frames;
  double total_ms;
  double worst_ms;
};

#endif
