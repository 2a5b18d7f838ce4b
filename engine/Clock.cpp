#include "Clock.h"

#include "platform.h"

namespace wd {

Clock::Clock() : mark_time(platform::monotonicMilliseconds()) {}

void Clock::mark() { mark_time = platform::monotonicMilliseconds(); }

std::int64_t Clock::elapsed() const { return platform::monotonicMilliseconds() - mark_time; }

}  // namespace wd
