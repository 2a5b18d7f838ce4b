#ifndef WD_TEST_SUPPORT_H
#define WD_TEST_SUPPORT_H

#include <string>
#include <vector>

#include "ObjectList.h"

namespace wd_test {

// The whole content of a file, or "" when it cannot be read.
std::string readFile(const std::string& path);

// Writes text to a file, creating folders on the way.
void writeFile(const std::string& path, const std::string& text);

// The log written since restartLog, which restarts it with flushing on.
std::string readLog();
void restartLog();

// True when an X server answers on $DISPLAY.
bool displayAvailable();

// The objects of a list, in its order.
std::vector<wd::Object*> contents(const wd::ObjectList& list);

// Sends OpenAL Soft's mix to its wave backend, which writes it in real time to wave_path as 16-bit
// stereo at 44100 Hz, or with no wave_path leaves it no backend that can open. Call first thing in
// main: the library reads its configuration once.
void configureAudio(const std::string& wave_path);

// Writes a sine tone through SFML's encoders, which need no audio device.
void writeTone(const std::string& path, double hz, double seconds);

// The left channel of the recording once it holds frame_count frames (or 10 s on).
std::vector<short> recordedLeft(const std::string& wave_path, long frame_count = 0);

}  // namespace wd_test

#endif
