// Recording and replay: the recording reader's rules, the frame fingerprint, the shared switches,
// and a game driven through runFrame recorded and replayed in one process.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "FrameFingerprint.h"
#include "FrameListener.h"
#include "GameManager.h"
#include "GameRules.h"
#include "InputManager.h"
#include "Object.h"
#include "RecordingReader.h"
#include "ReplaySwitches.h"
#include "test_support.h"

namespace {

using Strings = std::vector<std::string>;

const std::string HEADER = "wendrel-recording 1\ngame Test\n";

// Reads text as the recording "r.wdr" of the game "Test".
struct Read {
  explicit Read(const std::string& text) : result(reader.readText("r.wdr", text, "Test")) {}
  wd::RecordingReader reader;
  int result;
};

TEST(RecordingReader, ReadsEventsFingerprintsAndTheEnd) {
  const Read read(HEADER +
                  "k 0 1 31 0\r\nm 2 0 2 -1 -5 700\nm 2 0 1 2 -5 700\nf 2 00ff00ff00ff00fe\n"
                  "k 3 4 -1 1\nend 3\n");
  ASSERT_EQ(read.result, 0) << read.reader.getError();
  const std::vector<wd::RecordedEvent>& e = read.reader.getEvents();
  ASSERT_EQ(e.size(), 4u);
  const auto key = wd::RecordedEvent::KEYBOARD, mouse = wd::RecordedEvent::MOUSE;
  EXPECT_EQ(std::make_tuple(e[0].kind, e[0].frame, e[0].poll, e[0].key, e[0].keyboard_action),
            std::make_tuple(key, 0, 1, wd::A, wd::KEY_PRESSED));
  EXPECT_EQ(std::make_tuple(e[3].kind, e[3].frame, e[3].poll, e[3].key, e[3].keyboard_action),
            std::make_tuple(key, 3, 4, wd::UNDEFINED_KEY, wd::KEY_RELEASED));
  for (const auto& [i, action, button] : {std::make_tuple(1, wd::MOVED, wd::UNDEFINED_MOUSE_BUTTON),
                                          std::make_tuple(2, wd::PRESSED, wd::MIDDLE)}) {
    EXPECT_EQ(std::make_tuple(e[i].kind, e[i].frame, e[i].poll, e[i].mouse_action, e[i].mouse_button, e[i].x, e[i].y),
              std::make_tuple(mouse, 2, 0, action, button, -5, 700)) << i;
  }
  ASSERT_EQ(read.reader.getFingerprints().size(), 1u);
  EXPECT_EQ(read.reader.getFingerprints()[0].frame, 2);
  EXPECT_EQ(read.reader.getFingerprints()[0].value, 0x00ff00ff00ff00feULL);
  EXPECT_TRUE(read.reader.hasEnd());
  EXPECT_EQ(read.reader.getFrameCount(), 3);
}

// Cut anywhere, a recording without its end line ends at its last frame whose fingerprint line is whole.
TEST(RecordingReader, EndsARecordingWithoutItsEndLineAtItsLastWholeFrame) {
  const std::string body = "k 0 0 0 0\nf 0 0000000000000001\nk 1 0 0 1\nf 1 0000000000000002\n"
                           "k 2 0 5 0\nm 2 1 2 -1 3 4\nf 2 00000000000";
  for (std::size_t cut = 0; cut <= body.size(); cut++) {
    const std::string text = body.substr(0, cut);
    const Read read(HEADER + text);
    ASSERT_EQ(read.result, 0) << cut << ": " << read.reader.getError();
    std::size_t frames = 0;
    for (std::size_t at = text.find("f "); at != std::string::npos; at = text.find("f ", at + 1)) {
      frames += text.find('\n', at) != std::string::npos ? 1 : 0;
    }
    EXPECT_FALSE(read.reader.hasEnd());
    EXPECT_EQ(read.reader.getFrameCount(), static_cast<int>(frames)) << cut;
    EXPECT_EQ(read.reader.getEvents().size(), frames) << cut;
    EXPECT_EQ(read.reader.getFingerprints().size(), frames) << cut;
  }
}

TEST(RecordingReader, RefusesABrokenFileNamingItsLine) {
  // The start of the error, and the texts refused with it; "|" stands for the usual first two lines.
  const std::vector<std::pair<std::string, Strings>> cases = {
      {"r.wdr:1: empty file", {""}},
      {"r.wdr:1: the file ends in the middle of its header", {"wendrel-recording"}},
      {"r.wdr:2: the file ends before the game's name", {"wendrel-recording 1\n"}},
      {"r.wdr:2: the file ends in the middle", {"wendrel-recording 1\ngame Te"}},
      {"r.wdr:1: format version 01", {"wendrel-recording 01\ngame Test\n"}},
      {"r.wdr:1: not a recording", {"wendrel-recording  1\ngame Test\n"}},
      {"r.wdr:2: a recording of \"Test2\", not of \"Test\"", {"wendrel-recording 1\ngame Test2\n"}},
      {"r.wdr:2: no \"game NAME\" line", {"wendrel-recording 1\nname Test\n"}},
      {"r.wdr:3: not an event", {"|\n"}},
      {"r.wdr:3: a keyboard event", {"|k 0 0 0  0\n", "|k 0 0 +1 0\n", "|k 0 0 67 0\n", "|k 0 0 -2 0\n", "|k 0 0 0 2\n",
                                     "|k -1 0 0 0\n", "|k 0 0 0 0 0\n", "|k 99999999999 0 0 0\n"}},
      {"r.wdr:3: a mouse event",
       {"|m 0 0 0 0 1 1\n", "|m 0 0 1 3 1 1\n", "|m 0 0 1 0 1\n", "|m 0 0 1 0 1 1.5\n", "|m 0 0 1 0 1 1000001\n"}},
      {"r.wdr:3: a fingerprint", {"|f 0 0123456789ABCDEF\n", "|f 0 0123456789abcde\n", "|f 0 0123456789abcdef0\n",
                                  "|f 0 0123456789abcdeg\n"}},
      {"r.wdr:4: frame 1 out of order", {"|f 1 0123456789abcdef\nf 1 0123456789abcdef\n"}},
      {"r.wdr:4: frame 4 out of order", {"|k 5 0 0 0\nf 4 0123456789abcdef\n"}},
      {"r.wdr:4: an event of frame 4 out of order",
       {"|f 4 0123456789abcdef\nk 4 0 0 0\n", "|k 4 1 0 0\nk 4 0 0 0\n", "|k 5 0 0 0\nk 4 9 0 0\n"}},
      {"r.wdr:4: the end at frame 4 comes before", {"|f 4 0123456789abcdef\nend 4\n"}},
      {"r.wdr:4: the end at frame 5 comes before", {"|k 6 0 0 0\nend 5\n"}},
      {"r.wdr:3: the end line", {"|end\n"}},
      {"r.wdr:4: a line after the end line", {"|end 2\nend 2\n", "|end 2\n\n"}},
  };
  for (const auto& [error, texts] : cases) {
    for (const std::string& written : texts) {
      const std::string text = written.rfind('|', 0) == 0 ? HEADER + written.substr(1) : written;
      const Read read(text);
      EXPECT_EQ(read.result, -1) << text;
      EXPECT_EQ(read.reader.getError().compare(0, error.size(), error), 0) << text << " gave " << read.reader.getError();
    }
  }
  wd::RecordingReader reader;
  EXPECT_EQ(reader.readFile("no-such-recording.wdr", "Test"), -1);
  EXPECT_EQ(reader.getError(), "no-such-recording.wdr: cannot open the recording");
  // What was read before a refusal is not kept.
  EXPECT_TRUE(reader.getEvents().empty());
}

// Keeps the values of the frames that end.
struct FrameValues : public wd::FrameListener {
  void frameEnded(std::uint64_t fingerprint) override { values.push_back(fingerprint); }
  std::vector<std::uint64_t> values;
};

// Every field of every cell, and their order, change the value; nothing is hashed while no one listens.
TEST(FrameFingerprint, HashesEveryFieldOfEveryCellInOrderOnlyWhileSomeoneListens) {
  wd::FrameFingerprint fingerprint;
  FrameValues frames;
  const std::uint64_t empty = fingerprint.getValue();
  fingerprint.addCell(wd::Vector(1, 2), U'a', sf::Color::Red, sf::Color::Black);
  EXPECT_EQ(fingerprint.getValue(), empty);
  fingerprint.setListener(&frames);
  struct Cell { float x, y; char32_t code_point; sf::Uint32 foreground, background; };
  const auto valueOf = [&fingerprint](const std::vector<Cell>& cells) {
    for (const Cell& c : cells) {
      fingerprint.addCell(wd::Vector(c.x, c.y), c.code_point, sf::Color(c.foreground), sf::Color(c.background));
    }
    const std::uint64_t value = fingerprint.getValue();
    fingerprint.endFrame();
    return value;
  };
  const Cell cell = {1, 2, U'a', 0xff0000ff, 0x000000ff}, other = {3, 2, U'b', 0xff0000ff, 0x000000ff};
  const std::uint64_t one = valueOf({cell});
  EXPECT_EQ(valueOf({cell}), one);
  const std::vector<std::uint64_t> seen = {
      empty, one, valueOf({{1.5f, 2, U'a', 0xff0000ff, 0x000000ff}}), valueOf({{1, 2.5f, U'a', 0xff0000ff, 0x000000ff}}),
      valueOf({{1, 2, U'\u00e9', 0xff0000ff, 0x000000ff}}), valueOf({{1, 2, U'a', 0xff0000fe, 0x000000ff}}),
      valueOf({{1, 2, U'a', 0xff0000ff, 0x000001ff}}), valueOf({cell, other}), valueOf({other, cell}),
      valueOf({cell, cell})};
  for (std::size_t i = 0; i < seen.size(); i++) {
    for (std::size_t j = i + 1; j < seen.size(); j++) {
      EXPECT_NE(seen[i], seen[j]) << i << " and " << j;
    }
  }
  ASSERT_EQ(frames.values.size(), 10u);
  EXPECT_EQ(frames.values[0], one);
  EXPECT_EQ(fingerprint.getValue(), empty);
}

TEST(ReplaySwitches, ReadsTheSharedSwitchesAndLeavesTheRest) {
  const auto readOf = [](std::vector<const char*> arguments, wd::ReplaySwitches& switches) {
    arguments.insert(arguments.begin(), "game");
    return switches.read(static_cast<int>(arguments.size()), arguments.data());
  };
  wd::ReplaySwitches replay, record, none;
  ASSERT_EQ(readOf({"--swarm", "--fast", "--replay", "a b.wdr", "9"}, replay), 0);
  EXPECT_EQ(replay.getReplayFile(), "a b.wdr");
  EXPECT_EQ(replay.getRecordFile(), "");
  EXPECT_EQ(replay.getSpeed(), wd::REPLAY_FAST);
  EXPECT_EQ(replay.getOtherArguments(), Strings({"--swarm", "9"}));
  ASSERT_EQ(readOf({"--record", "--fast"}, record), 0);
  EXPECT_EQ(record.getRecordFile(), "--fast");
  EXPECT_EQ(record.getSpeed(), wd::REPLAY_REAL_TIME);
  const std::vector<std::pair<std::vector<const char*>, std::string>> refused = {
      {{"--record"}, "--record without its file"},
      {{"--replay", ""}, "--replay without its file"},
      {{"--replay", "a", "--replay", "b"}, "--replay given twice"},
      {{"--record", "a", "--replay", "b"}, "--record and --replay together"},
      {{"--record", "a", "--fast"}, "--fast without --replay"},
      {{"--replay", "a", "--fast", "--fast"}, "--fast given twice"}};
  for (const auto& [arguments, error] : refused) {
    wd::ReplaySwitches switches;
    EXPECT_EQ(readOf(arguments, switches), -1) << error;
    EXPECT_EQ(switches.getError(), error);
  }
  ASSERT_EQ(readOf({}, none), 0);
  EXPECT_EQ(none.apply("Test"), 0);
}

// Writes down every keyboard and mouse event it gets, with the frame.
struct Listener : public wd::Object {
  int handleEvent(const wd::Event* p_e) override {
    std::string line = std::to_string(frame) + ": ";
    if (const auto* p_key = dynamic_cast<const wd::EventKeyboard*>(p_e)) {
      line += "key " + std::to_string(p_key->getKey()) + " " + std::to_string(p_key->getKeyboardAction());
    } else if (const auto* p_mouse = dynamic_cast<const wd::EventMouse*>(p_e)) {
      const wd::Vector at = p_mouse->getMousePosition();
      line += "mouse " + std::to_string(p_mouse->getMouseAction()) + " " + std::to_string(p_mouse->getMouseButton()) +
              " " + std::to_string(at.getX()) + " " + std::to_string(at.getY());
    } else {
      return 0;
    }
    received.push_back(line + " [" + wd::InputManager::getInstance().getButtonName() + "]");
    return 0;
  }
  int draw() override { return wd::DisplayManager::getInstance().drawCharacter(getPosition(), '#', wd::YELLOW); }
  int frame = 0;
  Strings received;
};

void send(sf::Event event) { wd::InputManager::getInstance().handleWindowEvent(event); }

sf::Event keyEvent(sf::Event::EventType type, sf::Keyboard::Key code) {
  sf::Event event{};
  event.type = type;
  event.key.code = code;
  return event;
}

// Moves the listener by the events it got. Recording, it has the window send a key before the first poll of
// frame 1 (and its release), one between the two polls of frame 3, and before frame 4 a move and a press
// handled apart (the press keeps position (0, 0) and the move no button, as a replay delivering both in one
// poll must too); replayed, it has the window send a key that must not reach the game.
struct Rules : public wd::GameRules {
  void setUp() override {}
  void frameRules() override {
    if (recording && p_listener->frame == 3) {
      send(keyEvent(sf::Event::KeyPressed, sf::Keyboard::Num0));
    }
    wd::InputManager::getInstance().pollInput();
    p_listener->setPosition(wd::Vector(static_cast<float>(p_listener->received.size()), 5));
  }
  void tail() override {}
  void sendBefore(int frame) const {
    sf::Event event{};
    if (!recording) {
      send(keyEvent(sf::Event::KeyPressed, sf::Keyboard::Q));
    } else if (frame == 1) {
      send(keyEvent(sf::Event::KeyPressed, sf::Keyboard::Space));
      send(keyEvent(sf::Event::KeyReleased, sf::Keyboard::Space));
    } else if (frame == 4) {
      event.type = sf::Event::MouseMoved;
      event.mouseMove = {100, 200};
      send(event);
      event = sf::Event{};
      event.type = sf::Event::MouseButtonPressed;
      event.mouseButton = {sf::Mouse::Right, 7, 8};
      send(event);
    }
  }
  Listener* p_listener = nullptr;
  bool recording = false;
};

// The input manager as a program starts with it (armed, no name) and an empty log.
void startFresh() {
  send(keyEvent(sf::Event::KeyReleased, sf::Keyboard::Unknown));
  wd::InputManager::getInstance().clearButtonName();
  wd_test::restartLog();
}

Strings playFrames(bool recording, Listener& listener) {
  Rules rules;
  rules.p_listener = &listener;
  rules.recording = recording;
  for (int frame = 0; frame < 6; frame++) {
    listener.frame = frame;
    rules.sendBefore(frame);
    wd::GameManager::getInstance().runFrame(&rules);
  }
  return listener.received;
}

TEST(Replay, AGameDrivenThroughRunFrameRecordsAndReplaysTheSameEventsAndFrames) {
  if (!wd_test::displayAvailable()) {
    GTEST_SKIP() << "no X display";
  }
  wd::GameManager& game = wd::GameManager::getInstance();
  game.startUp();
  startFresh();
  ASSERT_EQ(game.startRecording("run.wdr", "Test"), 0);
  auto* p_recorded = new Listener;
  const Strings recorded = playFrames(true, *p_recorded);
  const std::string recorded_log = wd_test::readLog();
  // Every frame shown is in the file before the recording ends.
  wd::RecordingReader so_far, reader;
  ASSERT_EQ(so_far.readFile("run.wdr", "Test"), 0) << so_far.getError();
  EXPECT_FALSE(so_far.hasEnd());
  EXPECT_EQ(so_far.getFrameCount(), 6);
  ASSERT_EQ(game.endSession(), 0);
  ASSERT_EQ(recorded.size(), 5u);
  EXPECT_EQ(recorded[3], "4: mouse 2 -1 100.000000 200.000000 [NUM0]");
  EXPECT_EQ(recorded[4], "4: mouse 1 1 0.000000 0.000000 [RIGHT]");
  ASSERT_EQ(reader.readFile("run.wdr", "Test"), 0) << reader.getError();
  EXPECT_EQ(reader.getFrameCount(), 6);
  ASSERT_EQ(reader.getFingerprints().size(), 6u);
  EXPECT_EQ(reader.getEvents()[2].poll, 1);  // the key sent between the polls
  // The replay ignores the window's events and delivers the recorded ones.
  delete p_recorded;
  startFresh();
  ASSERT_EQ(game.startReplay("run.wdr", "Test", wd::REPLAY_FAST), 0);
  EXPECT_FALSE(wd::DisplayManager::getInstance().isRasterising());
  auto* p_replayed = new Listener;
  EXPECT_EQ(playFrames(false, *p_replayed), recorded);
  EXPECT_EQ(wd_test::readLog(), recorded_log);
  EXPECT_EQ(game.endSession(), 0);
  EXPECT_TRUE(wd::DisplayManager::getInstance().isRasterising());
  game.shutDown();
}

}  // namespace
