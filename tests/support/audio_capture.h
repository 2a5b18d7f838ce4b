#ifndef WD_AUDIO_CAPTURE_H
#define WD_AUDIO_CAPTURE_H

#include <string>
#include <vector>

namespace wd_test {

// Points OpenAL Soft at its wave backend, which writes everything mixed to
// wave_path in real time as 16-bit stereo at 44100 Hz. Call it first thing
// in main: the library reads its configuration once, at its first call.
void recordAudioTo(const std::string& wave_path);

// Leaves OpenAL Soft without any backend that can open, so that the audio
// library finds no device. Call it first thing in main.
void disableAudioDevice();

// Writes a sine tone (mono, 44100 Hz, amplitude 0..1) through SFML's own
// encoders, which need no audio device: the extension chooses the format
// (".wav", ".ogg"). True on success.
bool writeTone(const std::string& path, double frequency, double seconds, double amplitude);

// What the wave backend has written so far: interleaved 16-bit samples.
struct Recording {
  int channel_count = 0;
  int sample_rate = 0;
  std::vector<short> samples;

  long frameCount() const;

  // The frame of the first sample at or after from whose first channel
  // exceeds threshold in magnitude, or -1.
  long firstLoudFrame(long from, int threshold) const;

  // Frames from start to the last loud sample before the first stretch of
  // gap_frames quiet ones (first channel).
  long loudRunLength(long start, int threshold, long gap_frames) const;

  // The largest magnitude of the first channel over [from, to).
  int peak(long from, long to) const;

  // The frequency of the first channel over [from, to), from its zero crossings.
  double toneFrequency(long from, long to) const;
};

// Reads the recording as far as it has reached the disk. The header's sizes
// are only filled in when the device closes, so they are not trusted. False
// when the file is not a 16-bit wave file.
bool readRecording(const std::string& wave_path, Recording* p_recording);

// The frames of the recording that have reached the disk so far, or 0.
long recordedFrames(const std::string& wave_path);

// Waits until the recording holds at least frame_count frames; false after
// timeout_ms milliseconds.
bool waitForRecordedFrames(const std::string& wave_path, long frame_count, int timeout_ms);

}  // namespace wd_test

#endif
