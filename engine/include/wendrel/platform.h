#ifndef WD_PLATFORM_H
#define WD_PLATFORM_H

#include <cstdint>

// The few calls that differ between operating systems: a monotonic
// millisecond count, a millisecond sleep and the system timer resolution.
namespace wd {
namespace platform {

// Milliseconds from an arbitrary fixed point; never goes backwards and does
// not follow changes of the calendar time.
std::int64_t monotonicMilliseconds();

// Sleeps for at least the given number of milliseconds; nothing for 0 or less,
// and nothing at all while sleeps are skipped.
void sleepMilliseconds(std::int64_t milliseconds);

// Skips every sleep from now on (true), for a program that runs as fast as
// the machine goes, or sleeps again (false, the default).
void setSleepsSkipped(bool skipped);
bool areSleepsSkipped();

// Asks for a 1 ms system timer period so that short sleeps are accurate, and
// releases it again. Only Windows has such a setting; elsewhere they do nothing.
void beginTimerPeriod();
void endTimerPeriod();

// Keeps the audio drivers' own messages off the terminal: probing a machine
// without a sound card makes them print dozens of lines. OpenAL Soft's log
// level is lowered unless ALSOFT_LOGLEVEL is set, and ALSA's messages are
// dropped. Does nothing when WD_AUDIO_DEBUG is set to anything but "" or "0".
// Must run before the first call into the audio library.
void quietAudioDrivers();

}  // namespace platform
}  // namespace wd

#endif
