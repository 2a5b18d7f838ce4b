#include "InputReplay.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "GameManager.h"

namespace wd {

namespace {

const int RUNNING = 1;

std::string hexOf(std::uint64_t value) {
  char digits[17];
  std::snprintf(digits, sizeof(digits), "%016" PRIx64, value);
  return digits;
}

}  // namespace

InputReplay::InputReplay(const std::string& new_path, const RecordingReader& reader,
                         std::function<void()> new_report)
    : path(new_path),
      events(reader.getEvents()),
      fingerprints(reader.getFingerprints()),
      frame_count(reader.getFrameCount()),
      has_end(reader.hasEnd()),
      report(std::move(new_report)),
      next_event(0),
      next_fingerprint(0),
      frame(0),
      poll(0),
      matched(0),
      result(RUNNING) {}

bool InputReplay::takesWindowEvents() const { return false; }

void InputReplay::eventDelivered(const Event& event) { (void)event; }

bool InputReplay::nextEvent(RecordedEvent& event) {
  if (next_event >= events.size() || events[next_event].frame != frame ||
      events[next_event].poll != poll) {
    return false;
  }
  event = events[next_event++];
  return true;
}

void InputReplay::endPoll() { poll++; }

void InputReplay::frameEnded(std::uint64_t fingerprint) {
  if (result != RUNNING) {
    return;
  }
  if (!has_end && frame >= frame_count) {
    // A recording cut before its first whole frame holds no frame to play.
    endProgram(succeed());
    return;
  }
  if (checkFrame(fingerprint) != 0) {
    endProgram(REPLAY_MISMATCH_EXIT);
    return;
  }
  frame++;
  poll = 0;
  if (has_end && frame > frame_count) {
    fail("the game went on past the end of the recording at frame " +
         std::to_string(frame_count));
    endProgram(REPLAY_MISMATCH_EXIT);
  } else if (!has_end && frame == frame_count) {
    // A recording cut short ends with its last whole frame.
    endProgram(succeed());
  }
}

int InputReplay::finish() {
  if (result != RUNNING) {
    return result;
  }
  if (frame != frame_count || next_event < events.size()) {
    return fail("the game stopped at frame " + std::to_string(frame) +
                ", the recording at frame " + std::to_string(frame_count));
  }
  return succeed();
}

int InputReplay::getFrame() const { return frame; }

int InputReplay::getMatched() const { return matched; }

int InputReplay::checkFrame(std::uint64_t fingerprint) {
  if (next_event < events.size() && events[next_event].frame == frame) {
    return fail("frame " + std::to_string(frame) + " differs from the recording: the game polled " +
                "its input " + std::to_string(poll) + " times, the recording has input for poll " +
                std::to_string(events[next_event].poll));
  }
  if (next_fingerprint >= fingerprints.size() || fingerprints[next_fingerprint].frame != frame) {
    return 0;
  }
  const std::uint64_t recorded = fingerprints[next_fingerprint++].value;
  if (recorded != fingerprint) {
    return fail("frame " + std::to_string(frame) + " differs from the recording (fingerprint " +
                hexOf(fingerprint) + ", recorded " + hexOf(recorded) + ")");
  }
  matched++;
  return 0;
}

int InputReplay::fail(const std::string& reason) {
  std::fprintf(stderr, "replay of %s: %s\n", path.c_str(), reason.c_str());
  std::fflush(stderr);
  result = -1;
  return result;
}

int InputReplay::succeed() {
  std::printf("replay of %s: %d frames, %d fingerprints matched\n", path.c_str(), frame,
              matched);
  if (report) {
    report();
  }
  std::fflush(stdout);
  result = 0;
  return result;
}

void InputReplay::endProgram(int status) {
  GameManager::getInstance().shutDown();
  std::exit(status);
}

}  // namespace wd
