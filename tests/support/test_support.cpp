#include "test_support.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <SFML/Audio.hpp>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include "LogManager.h"
#include "ObjectListIterator.h"

namespace wd_test {

namespace {

// The software GL driver allocates memory it never frees and is unloaded before the leak check
// runs, which leaves its leaks without a module name that the suppression list could match.
// Keeping it loaded for the whole run lets the list name it.
bool keepSoftwareGlDriverLoaded() {
  for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                           "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so",
                           "/usr/lib64/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
    if (dlopen(path, RTLD_NOW | RTLD_NODELETE) != nullptr) {
      return true;
    }
  }
  return false;
}

const bool software_gl_driver_kept = keepSoftwareGlDriverLoaded();

}  // namespace

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::string& path, const std::string& text) {
  const std::filesystem::path file(path);
  if (file.has_parent_path()) {
    std::filesystem::create_directories(file.parent_path());
  }
  std::ofstream(path, std::ios::binary) << text;
}

std::string readLog() { return readFile(wd::LOG_FILE_NAME); }

void restartLog() {
  wd::LogManager& log_manager = wd::LogManager::getInstance();
  log_manager.shutDown();
  log_manager.startUp();
  log_manager.setFlushEachWrite(true);
}

bool displayAvailable() {
  Display* p_display = XOpenDisplay(nullptr);
  if (p_display != nullptr) {
    XCloseDisplay(p_display);
  }
  return p_display != nullptr;
}

std::vector<wd::Object*> contents(const wd::ObjectList& list) {
  std::vector<wd::Object*> objects;
  for (wd::ObjectListIterator li(&list); !li.isDone(); li.next()) {
    objects.push_back(li.currentObject());
  }
  return objects;
}

void configureAudio(const std::string& wave_path) {
  // ALSOFT_CONF is read after the system's and user's files, so its keys win, unless the runner's
  // ALSOFT_DRIVERS overrides them. Without dithering silence is exact; the wave backend cannot
  // open without a file.
  const std::string path = std::filesystem::absolute("openal-test.conf").string();
  writeFile(path, "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\n"
                  "frequency=44100\ndither=false\n[wave]\nfile=" + wave_path + "\n");
  unsetenv("ALSOFT_DRIVERS");
  setenv("ALSOFT_CONF", path.c_str(), 1);
}

void writeTone(const std::string& path, double hz, double seconds) {
  std::vector<sf::Int16> samples(static_cast<std::size_t>(seconds * 44100));
  for (std::size_t i = 0; i < samples.size(); i++) {
    samples[i] = static_cast<sf::Int16>(std::lround(16383 * std::sin(2 * M_PI * hz * i / 44100)));
  }
  sf::OutputSoundFile file;
  file.openFromFile(path, 44100, 1);
  file.write(samples.data(), samples.size());
}

std::vector<short> recordedLeft(const std::string& wave_path, long frame_count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
    // The header's sizes are only filled in when the device closes; the format chunk before the
    // samples never holds the bytes "data".
    const std::string bytes = readFile(wave_path);
    const std::size_t data = bytes.find("data", 12);
    const long frames = data == std::string::npos || bytes.size() < data + 8
                            ? 0 : static_cast<long>(bytes.size() - data - 8) / 4;
    if (frames < frame_count && std::chrono::steady_clock::now() < deadline) {
      continue;
    }
    std::vector<short> left(frames);
    for (long i = 0; i < frames; i++) {
      std::memcpy(&left[i], &bytes[data + 8 + 4 * i], 2);
    }
    return left;
  }
}

}  // namespace wd_test
