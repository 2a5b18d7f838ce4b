#ifndef WD_CLOCK_H
#define WD_CLOCK_H

#include <cstdint>

namespace wd {

// Millisecond stopwatch of the frame loops, on a monotonic clock.
class Clock {
 public:
  // Starts with the mark at the current time.
  Clock();

  // Sets the mark to the current time.
  void mark();

  // Milliseconds since the mark; the mark is unchanged.
  std::int64_t elapsed() const;

 private:
  std::int64_t mark_time;
};

}  // namespace wd

#endif
