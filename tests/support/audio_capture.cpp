#include "audio_capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include <SFML/Audio.hpp>

#include "test_support.h"

namespace wd_test {

namespace {

const int TONE_SAMPLE_RATE = 44100;

// OpenAL Soft reads ALSOFT_CONF after the system's and the user's files, so
// every key that matters is set here, overriding theirs.
void useAudioConfig(const std::string& config_text) {
  const std::string path =
      std::filesystem::absolute("openal-test.conf").string();
  writeFile(path, config_text);
  unsetenv("ALSOFT_DRIVERS");
  setenv("ALSOFT_CONF", path.c_str(), 1);
}

std::uint32_t readLittle32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; i--) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

std::uint16_t readLittle16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

}  // namespace

void recordAudioTo(const std::string& wave_path) {
  const std::string path = std::filesystem::absolute(wave_path).string();
  // Dithering would put noise into silence; the fixed format keeps the reader simple.
  useAudioConfig(
      "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\n"
      "frequency=44100\ndither=false\n[wave]\nfile=" + path + "\n");
}

void disableAudioDevice() {
  // The wave backend is the only one allowed, and it cannot open without a file.
  useAudioConfig("[general]\ndrivers=wave\n[wave]\nfile=\n");
}

bool writeTone(const std::string& path, double frequency, double seconds, double amplitude) {
  const std::size_t count = static_cast<std::size_t>(seconds * TONE_SAMPLE_RATE);
  std::vector<sf::Int16> samples(count);
  for (std::size_t i = 0; i < count; i++) {
    const double phase = 2.0 * M_PI * frequency * static_cast<double>(i) / TONE_SAMPLE_RATE;
    samples[i] = static_cast<sf::Int16>(std::lround(amplitude * 32767.0 * std::sin(phase)));
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  // Written straight to the encoder: a sound buffer would need an audio device.
  sf::OutputSoundFile file;
  if (!file.openFromFile(path, TONE_SAMPLE_RATE, 1)) {
    return false;
  }
  file.write(samples.data(), count);
  return true;
}

long Recording::frameCount() const {
  return channel_count > 0 ? static_cast<long>(samples.size()) / channel_count : 0;
}

long Recording::firstLoudFrame(long from, int threshold) const {
  for (long frame = std::max(from, 0L); frame < frameCount(); frame++) {
    if (std::abs(samples[frame * channel_count]) > threshold) {
      return frame;
    }
  }
  return -1;
}

long Recording::loudRunLength(long start, int threshold, long gap_frames) const {
  long last_loud = start;
  for (long frame = start; frame < frameCount() && frame - last_loud <= gap_frames; frame++) {
    if (std::abs(samples[frame * channel_count]) > threshold) {
      last_loud = frame;
    }
  }
  return last_loud - start + 1;
}

int Recording::peak(long from, long to) const {
  int largest = 0;
  for (long frame = std::max(from, 0L); frame < std::min(to, frameCount()); frame++) {
    largest = std::max(largest, std::abs(static_cast<int>(samples[frame * channel_count])));
  }
  return largest;
}

double Recording::toneFrequency(long from, long to) const {
  to = std::min(to, frameCount());
  if (to - from < 2 || sample_rate == 0) {
    return 0.0;
  }
  long crossings = 0;
  for (long frame = from + 1; frame < to; frame++) {
    const bool was_negative = samples[(frame - 1) * channel_count] < 0;
    const bool is_negative = samples[frame * channel_count] < 0;
    crossings += was_negative != is_negative ? 1 : 0;
  }
  return crossings / 2.0 * sample_rate / static_cast<double>(to - from);
}

namespace {

// The format of the recording and where its samples start, from the chunks
// before the data chunk. 0 when the file is not a 16-bit wave file (yet).
std::size_t findSamples(const std::string& head, Recording* p_recording) {
  if (head.size() < 12 || head.compare(0, 4, "RIFF") != 0 || head.compare(8, 4, "WAVE") != 0) {
    return 0;
  }
  std::size_t at = 12;
  bool have_format = false;
  while (at + 8 <= head.size()) {
    const std::string chunk_id = head.substr(at, 4);
    const std::uint32_t chunk_size = readLittle32(head, at + 4);
    if (chunk_id == "fmt " && at + 24 <= head.size()) {
      p_recording->channel_count = readLittle16(head, at + 10);
      p_recording->sample_rate = static_cast<int>(readLittle32(head, at + 12));
      have_format = readLittle16(head, at + 22) == 16 && p_recording->channel_count > 0;
    } else if (chunk_id == "data") {
      return have_format ? at + 8 : 0;
    }
    at += 8 + chunk_size + (chunk_size & 1);
  }
  return 0;
}

std::string readHead(const std::string& path) {
  const std::size_t HEAD_SIZE = 512;
  std::ifstream in(path, std::ios::binary);
  std::string head(HEAD_SIZE, '\0');
  in.read(&head[0], HEAD_SIZE);
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

}  // namespace

bool readRecording(const std::string& wave_path, Recording* p_recording) {
  const std::string bytes = readFile(wave_path);
  const std::size_t first_sample = findSamples(bytes, p_recording);
  if (first_sample == 0) {
    return false;
  }
  // Everything after the data chunk's header is samples, whatever its size says.
  const std::size_t sample_count = (bytes.size() - first_sample) / 2;
  p_recording->samples.resize(sample_count);
  std::memcpy(p_recording->samples.data(), bytes.data() + first_sample, sample_count * 2);
  return true;
}

long recordedFrames(const std::string& wave_path) {
  Recording format;
  const std::size_t first_sample = findSamples(readHead(wave_path), &format);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(wave_path, error);
  if (first_sample == 0 || error || size < first_sample) {
    return 0;
  }
  return static_cast<long>((size - first_sample) / 2 / format.channel_count);
}

bool waitForRecordedFrames(const std::string& wave_path, long frame_count, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (recordedFrames(wave_path) < frame_count) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace wd_test
