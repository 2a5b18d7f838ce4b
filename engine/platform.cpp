#include "platform.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#include <cerrno>
#endif

#ifdef WD_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace wd {
namespace platform {

namespace {

// OpenAL Soft logs its errors (level 1) unless told otherwise; 0 logs nothing.
const char* const OPENAL_QUIET_LOG_LEVEL = "0";

bool audioDebugWanted() {
  const char* p_value = std::getenv("WD_AUDIO_DEBUG");
  return p_value != nullptr && *p_value != '\0' && std::strcmp(p_value, "0") != 0;
}

// Set while a program runs without pacing.
bool sleeps_skipped = false;

#ifdef WD_HAVE_ALSA
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

}  // namespace

void setSleepsSkipped(bool skipped) { sleeps_skipped = skipped; }

bool areSleepsSkipped() { return sleeps_skipped; }

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
  if (milliseconds > 0 && !sleeps_skipped) {
    Sleep(static_cast<DWORD>(milliseconds));
  }
}

void beginTimerPeriod() { timeBeginPeriod(1); }

void endTimerPeriod() { timeEndPeriod(1); }

void quietAudioDrivers() {
  if (!audioDebugWanted() && std::getenv("ALSOFT_LOGLEVEL") == nullptr) {
    _putenv_s("ALSOFT_LOGLEVEL", OPENAL_QUIET_LOG_LEVEL);
  }
}

#else

std::int64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void sleepMilliseconds(std::int64_t milliseconds) {
  if (milliseconds <= 0 || sleeps_skipped) {
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

void quietAudioDrivers() {
  if (audioDebugWanted()) {
    return;
  }
  setenv("ALSOFT_LOGLEVEL", OPENAL_QUIET_LOG_LEVEL, 0);
#ifdef WD_HAVE_ALSA
  snd_lib_error_set_handler(dropAlsaMessage);
#endif
}

#endif

}  // namespace platform
}  // namespace wd
