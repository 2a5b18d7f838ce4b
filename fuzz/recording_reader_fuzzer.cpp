// Feeds arbitrary bytes to the recording reader. Besides the sanitizers'
// checks, what it accepts must be a recording a replay can play: events in
// order and within the recording's frames, fingerprints in order; what it
// refuses must name the file and a line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "RecordingReader.h"

namespace {

const char* const PATH = "fuzz.wdr";

void check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

void checkAccepted(const wd::RecordingReader& reader) {
  const int frames = reader.getFrameCount();
  int previous_frame = 0;
  int previous_poll = 0;
  for (const wd::RecordedEvent& event : reader.getEvents()) {
    check(event.frame > previous_frame ||
          (event.frame == previous_frame && event.poll >= previous_poll));
    check(reader.hasEnd() ? event.frame <= frames : event.frame < frames);
    previous_frame = event.frame;
    previous_poll = event.poll;
  }
  int next_frame = 0;
  for (const wd::RecordingReader::Fingerprint& fingerprint : reader.getFingerprints()) {
    check(fingerprint.frame >= next_frame && fingerprint.frame < frames);
    next_frame = fingerprint.frame + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(p_data), size);
  wd::RecordingReader reader;
  if (reader.readText(PATH, text, "Bunny Run") == 0) {
    check(reader.getError().empty());
    checkAccepted(reader);
  } else {
    check(reader.getError().compare(0, std::string(PATH).size() + 1, std::string(PATH) + ":") == 0);
  }
  return 0;
}
