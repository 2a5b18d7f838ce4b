#ifndef WD_FRAME_PACER_H
#define WD_FRAME_PACER_H

#include <cstdint>

#include "Clock.h"

namespace wd {

// Milliseconds a frame should sleep after working loop_time, corrected by the
// previous frame's oversleep; never more than frame_time, 0 or less for none.
std::int64_t frameSleepTime(int frame_time, std::int64_t loop_time, int adjust_time);

// The oversleep to take off the next frame: actual minus planned sleep, at least 0.
int nextAdjustTime(std::int64_t actual_sleep, std::int64_t sleep_time);

// Paces a frame loop to one frame every frame_time milliseconds. Both frame
// loops (the game's and the start screen's) use it the same way:
// startFrame() at the top of a frame, endFrame() after the buffer swap.
class FramePacer {
 public:
  explicit FramePacer(int frame_time);

  // Marks the start of the frame's work.
  void startFrame();

  // Sleeps for the rest of the frame and records the oversleep.
  void endFrame();

  int getAdjustTime() const;

 private:
  Clock clock;
  int frame_time;
  int adjust_time;
};

}  // namespace wd

#endif
