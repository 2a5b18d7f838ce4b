#include "FramePacer.h"

#include "platform.h"

namespace wd {

std::int64_t frameSleepTime(int frame_time, std::int64_t loop_time, int adjust_time) {
  const std::int64_t sleep_time = frame_time - loop_time - adjust_time;
  return sleep_time > frame_time ? frame_time : sleep_time;
}

int nextAdjustTime(std::int64_t actual_sleep, std::int64_t sleep_time) {
  const std::int64_t oversleep = actual_sleep - sleep_time;
  return oversleep < 0 ? 0 : static_cast<int>(oversleep);
}

FramePacer::FramePacer(int new_frame_time) : clock(), frame_time(new_frame_time), adjust_time(0) {}

void FramePacer::startFrame() { clock.mark(); }

void FramePacer::endFrame() {
  const std::int64_t loop_time = clock.elapsed();
  const std::int64_t sleep_time = frameSleepTime(frame_time, loop_time, adjust_time);
  clock.mark();
  platform::sleepMilliseconds(sleep_time);
  adjust_time = nextAdjustTime(clock.elapsed(), sleep_time);
}

int FramePacer::getAdjustTime() const { return adjust_time; }

}  // namespace wd
