#include "InputRecorder.h"

#include <cinttypes>

#include "EventKeyboard.h"
#include "EventMouse.h"
#include "RecordingReader.h"

namespace wd {

namespace {

// The longest line written is a mouse event: 7 numbers and a letter.
const int LINE_SIZE = 128;

}  // namespace

InputRecorder::InputRecorder() : p_file(nullptr), frame(0), poll(0), write_failed(false) {}

InputRecorder::~InputRecorder() {
  if (p_file != nullptr) {
    std::fclose(p_file);
  }
}

int InputRecorder::open(const std::string& new_path, const std::string& game_name) {
  path = new_path;
  p_file = std::fopen(path.c_str(), "wb");
  if (p_file == nullptr) {
    return -1;
  }
  pending = std::string(RECORDING_MAGIC) + " " + std::to_string(RECORDING_FORMAT_VERSION) +
            "\ngame " + game_name + "\n";
  return writePending();
}

bool InputRecorder::takesWindowEvents() const { return true; }

void InputRecorder::eventDelivered(const Event& event) {
  char line[LINE_SIZE];
  if (const auto* p_keyboard = dynamic_cast<const EventKeyboard*>(&event)) {
    std::snprintf(line, sizeof(line), "k %d %d %d %d\n", frame, poll,
                  static_cast<int>(p_keyboard->getKey()),
                  static_cast<int>(p_keyboard->getKeyboardAction()));
  } else if (const auto* p_mouse = dynamic_cast<const EventMouse*>(&event)) {
    const Vector position = p_mouse->getMousePosition();
    std::snprintf(line, sizeof(line), "m %d %d %d %d %d %d\n", frame, poll,
                  static_cast<int>(p_mouse->getMouseAction()),
                  static_cast<int>(p_mouse->getMouseButton()), static_cast<int>(position.getX()),
                  static_cast<int>(position.getY()));
  } else {
    return;
  }
  pending += line;
}

bool InputRecorder::nextEvent(RecordedEvent& event) {
  (void)event;
  return false;
}

void InputRecorder::endPoll() { poll++; }

void InputRecorder::frameEnded(std::uint64_t fingerprint) {
  char line[LINE_SIZE];
  std::snprintf(line, sizeof(line), "f %d %016" PRIx64 "\n", frame, fingerprint);
  pending += line;
  writePending();
  frame++;
  poll = 0;
}

int InputRecorder::finish() {
  if (p_file == nullptr) {
    return -1;
  }
  pending += "end " + std::to_string(frame) + "\n";
  writePending();
  const bool closed = std::fclose(p_file) == 0;
  p_file = nullptr;
  if (!closed || write_failed) {
    std::fprintf(stderr, "%s: the recording could not be written in full\n", path.c_str());
    return -1;
  }
  return 0;
}

int InputRecorder::getFrame() const { return frame; }

int InputRecorder::writePending() {
  if (p_file == nullptr) {
    return -1;
  }
  const bool written = std::fwrite(pending.data(), 1, pending.size(), p_file) == pending.size();
  pending.clear();
  if (!written || std::fflush(p_file) != 0) {
    write_failed = true;
    return -1;
  }
  return 0;
}

}  // namespace wd
