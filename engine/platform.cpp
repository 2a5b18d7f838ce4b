#include "platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#include <cerrno>
#endif

namespace wd {
namespace platform {

#ifdef _WIN32

std::int64_t monotonicMilliseconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<std::int64_t>(now.QuadPart * 1000 / frequency.QuadPart);
}

void sleepMilliseconds(std::int64_t milliseconds) {
  if (milliseconds > 0) {
    Sleep(static_cast<DWORD>(milliseconds));
  }
}

void beginTimerPeriod() { timeBeginPeriod(1); }

void endTimerPeriod() { timeEndPeriod(1); }

#else

std::int64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void sleepMilliseconds(std::int64_t milliseconds) {
  if (milliseconds <= 0) {
    return;
  }
  timespec remaining{};
  remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
  remaining.tv_nsec = static_cast<long>((milliseconds % 1000) * 1000000);
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

void beginTimerPeriod() {}

void endTimerPeriod() {}

#endif

}  // namespace platform
}  // namespace wd
