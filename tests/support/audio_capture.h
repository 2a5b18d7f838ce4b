#ifndef WD_AUDIO_CAPTURE_H
#define WD_AUDIO_CAPTURE_H

#include <string>
#include <vector>

namespace wd_test {

// Sends OpenAL Soft's mix to its wave backend, which writes it in real time
// to wave_path as 16-bit stereo at 44100 Hz, or with no wave_path leaves it
// no backend that can open. Call first thing in main: the library reads its
// configuration once.
void configureAudio(const std::string& wave_path);

// Writes a sine tone through SFML's encoders, which need no audio device.
void writeTone(const std::string& path, double hz, double seconds);

// The left channel of the recording once it holds frame_count frames (or 10 s on).
std::vector<short> recordedLeft(const std::string& wave_path, long frame_count = 0);

}  // namespace wd_test

#endif
