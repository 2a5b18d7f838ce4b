#include "RecordingReader.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace wd {

const char* const RECORDING_MAGIC = "wendrel-recording";

namespace {

// Beyond this a frame number, a position or a hash is not one a game made.
const long MAX_FRAME = 100000000L;
const long MAX_POLL = 1000000L;
const long MAX_COORDINATE = 1000000L;
const std::size_t HASH_DIGITS = 16;
const int HEADER_LINES = 2;

// The words of a line, split at single spaces; an empty word marks a doubled,
// leading or trailing space.
std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (true) {
    const std::size_t space = line.find(' ', start);
    words.push_back(line.substr(start, space - start));
    if (space == std::string::npos) {
      return words;
    }
    start = space + 1;
  }
}

// A whole decimal number from low to high, in value.
bool readNumber(const std::string& word, long low, long high, int& value) {
  // strtol would also take leading blanks and a plus sign.
  const bool signed_digits =
      !word.empty() && (word[0] == '-' || (word[0] >= '0' && word[0] <= '9'));
  if (!signed_digits || word.size() > 12) {
    return false;
  }
  char* p_end = nullptr;
  errno = 0;
  const long number = std::strtol(word.c_str(), &p_end, 10);
  if (errno != 0 || *p_end != '\0' || number < low || number > high) {
    return false;
  }
  value = static_cast<int>(number);
  return true;
}

bool readHash(const std::string& word, std::uint64_t& value) {
  if (word.size() != HASH_DIGITS) {
    return false;
  }
  value = 0;
  for (const char c : word) {
    const bool digit = c >= '0' && c <= '9';
    const bool letter = c >= 'a' && c <= 'f';
    if (!digit && !letter) {
      return false;
    }
    value = value << 4 | static_cast<std::uint64_t>(digit ? c - '0' : c - 'a' + 10);
  }
  return true;
}

}  // namespace

RecordingReader::RecordingReader()
    : next_frame(0), frame_count(0), has_end(false), line_number(0) {}

int RecordingReader::readFile(const std::string& file_path, const std::string& game_name) {
  std::ifstream file(file_path, std::ios::binary);
  if (!file) {
    clear();
    path = file_path;
    error = file_path + ": cannot open the recording";
    return -1;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return readText(file_path, text.str(), game_name);
}

int RecordingReader::readText(const std::string& file_path, const std::string& text,
                              const std::string& game_name) {
  clear();
  path = file_path;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    line_number++;
    if (newline == std::string::npos) {
      // Cut short where a killed game stopped writing.
      break;
    }
    std::string line = text.substr(start, newline - start);
    start = newline + 1;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    const int result = line_number <= HEADER_LINES ? readHeader(line, line_number, game_name)
                                                   : readBodyLine(line);
    if (result != 0) {
      return -1;
    }
  }
  if (line_number == 0) {
    return refuse(1, "empty file, not a recording");
  }
  if (line_number <= HEADER_LINES && start < text.size()) {
    return refuse(line_number, "the file ends in the middle of its header");
  }
  if (line_number < HEADER_LINES) {
    return refuse(line_number + 1, "the file ends before the game's name");
  }
  if (!has_end) {
    endAtLastFingerprint();
  }
  return 0;
}

const std::string& RecordingReader::getError() const { return error; }

const std::vector<RecordedEvent>& RecordingReader::getEvents() const { return events; }

const std::vector<RecordingReader::Fingerprint>& RecordingReader::getFingerprints() const {
  return fingerprints;
}

int RecordingReader::getFrameCount() const { return frame_count; }

bool RecordingReader::hasEnd() const { return has_end; }

void RecordingReader::clear() {
  error.clear();
  events.clear();
  fingerprints.clear();
  next_frame = 0;
  frame_count = 0;
  has_end = false;
  line_number = 0;
}

int RecordingReader::readHeader(const std::string& line, int number,
                                const std::string& game_name) {
  if (number == 1) {
    const std::vector<std::string> words = wordsOf(line);
    if (words.size() != 2 || words[0] != RECORDING_MAGIC) {
      return refuse(number, "not a recording (it should begin with \"" +
                                std::string(RECORDING_MAGIC) + " " +
                                std::to_string(RECORDING_FORMAT_VERSION) + "\")");
    }
    if (words[1] != std::to_string(RECORDING_FORMAT_VERSION)) {
      return refuse(number, "format version " + words[1] + ", this engine reads version " +
                                std::to_string(RECORDING_FORMAT_VERSION));
    }
    return 0;
  }
  const std::string prefix = "game ";
  if (line.compare(0, prefix.size(), prefix) != 0) {
    return refuse(number, "no \"game NAME\" line");
  }
  if (line.substr(prefix.size()) != game_name) {
    return refuse(number, "a recording of \"" + line.substr(prefix.size()) + "\", not of \"" +
                              game_name + "\"");
  }
  return 0;
}

int RecordingReader::readBodyLine(const std::string& line) {
  if (has_end) {
    return refuse(line_number, "a line after the end line");
  }
  const std::vector<std::string> words = wordsOf(line);
  if (words[0] == "k") {
    return readKeyboardEvent(words);
  }
  if (words[0] == "m") {
    return readMouseEvent(words);
  }
  if (words[0] == "f") {
    return readFingerprint(words);
  }
  if (words[0] == "end") {
    return readEnd(words);
  }
  return refuse(line_number, "not an event, fingerprint or end line");
}

int RecordingReader::readKeyboardEvent(const std::vector<std::string>& words) {
  RecordedEvent event{};
  event.kind = RecordedEvent::KEYBOARD;
  int key = 0;
  int action = 0;
  if (words.size() != 5 || !readNumber(words[1], 0, MAX_FRAME, event.frame) ||
      !readNumber(words[2], 0, MAX_POLL, event.poll) ||
      !readNumber(words[3], UNDEFINED_KEY, NUM0, key) ||
      !readNumber(words[4], KEY_PRESSED, KEY_RELEASED, action)) {
    return refuse(line_number, "a keyboard event is \"k FRAME POLL KEY ACTION\"");
  }
  event.key = static_cast<Key>(key);
  event.keyboard_action = static_cast<KeyboardAction>(action);
  return addEvent(event);
}

int RecordingReader::readMouseEvent(const std::vector<std::string>& words) {
  RecordedEvent event{};
  event.kind = RecordedEvent::MOUSE;
  int action = 0;
  int button = 0;
  if (words.size() != 7 || !readNumber(words[1], 0, MAX_FRAME, event.frame) ||
      !readNumber(words[2], 0, MAX_POLL, event.poll) ||
      !readNumber(words[3], PRESSED, MOVED, action) ||
      !readNumber(words[4], UNDEFINED_MOUSE_BUTTON, MIDDLE, button) ||
      !readNumber(words[5], -MAX_COORDINATE, MAX_COORDINATE, event.x) ||
      !readNumber(words[6], -MAX_COORDINATE, MAX_COORDINATE, event.y)) {
    return refuse(line_number, "a mouse event is \"m FRAME POLL ACTION BUTTON X Y\"");
  }
  event.mouse_action = static_cast<MouseAction>(action);
  event.mouse_button = static_cast<MouseButton>(button);
  return addEvent(event);
}

int RecordingReader::readFingerprint(const std::vector<std::string>& words) {
  Fingerprint fingerprint{};
  if (words.size() != 3 || !readNumber(words[1], 0, MAX_FRAME, fingerprint.frame) ||
      !readHash(words[2], fingerprint.value)) {
    return refuse(line_number, "a fingerprint is \"f FRAME HASH\", 16 digits 0-9a-f");
  }
  const bool after_events = events.empty() || events.back().frame <= fingerprint.frame;
  if (fingerprint.frame < next_frame || !after_events) {
    return refuse(line_number, "frame " + std::to_string(fingerprint.frame) + " out of order");
  }
  fingerprints.push_back(fingerprint);
  next_frame = fingerprint.frame + 1;
  return 0;
}

int RecordingReader::readEnd(const std::vector<std::string>& words) {
  int frames = 0;
  if (words.size() != 2 || !readNumber(words[1], 0, MAX_FRAME, frames)) {
    return refuse(line_number, "the end line is \"end FRAMES\"");
  }
  const bool after_events = events.empty() || events.back().frame <= frames;
  if (frames < next_frame || !after_events) {
    return refuse(line_number, "the end at frame " + std::to_string(frames) +
                                   " comes before frames it follows");
  }
  frame_count = frames;
  has_end = true;
  return 0;
}

int RecordingReader::addEvent(const RecordedEvent& event) {
  const bool in_order = events.empty() || events.back().frame < event.frame ||
                        (events.back().frame == event.frame && events.back().poll <= event.poll);
  if (event.frame < next_frame || !in_order) {
    return refuse(line_number, "an event of frame " + std::to_string(event.frame) +
                                   " out of order");
  }
  events.push_back(event);
  return 0;
}

int RecordingReader::refuse(int number, const std::string& reason) {
  error = path + ":" + std::to_string(number) + ": " + reason;
  return -1;
}

void RecordingReader::endAtLastFingerprint() {
  frame_count = next_frame;
  while (!events.empty() && events.back().frame >= frame_count) {
    events.pop_back();
  }
}

}  // namespace wd
