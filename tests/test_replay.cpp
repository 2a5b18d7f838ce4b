// Recording and replay: the recording reader's rules, the frame fingerprint,
// the shared switches, and a game driven through runFrame recorded and
// replayed in one process.
#include <gtest/gtest.h>

#include <string>
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
#include "WorldManager.h"
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
  const std::vector<wd::RecordedEvent>& events = read.reader.getEvents();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, wd::RecordedEvent::KEYBOARD);
  EXPECT_EQ(events[0].poll, 1);
  EXPECT_EQ(events[0].key, wd::A);
  EXPECT_EQ(events[0].keyboard_action, wd::KEY_PRESSED);
  EXPECT_EQ(events[2].kind, wd::RecordedEvent::MOUSE);
  EXPECT_EQ(events[2].frame, 2);
  EXPECT_EQ(events[2].mouse_action, wd::PRESSED);
  EXPECT_EQ(events[2].mouse_button, wd::MIDDLE);
  EXPECT_EQ(events[2].x, -5);
  EXPECT_EQ(events[2].y, 700);
  EXPECT_EQ(events[3].key, wd::UNDEFINED_KEY);
  EXPECT_EQ(events[3].keyboard_action, wd::KEY_RELEASED);
  ASSERT_EQ(read.reader.getFingerprints().size(), 1u);
  EXPECT_EQ(read.reader.getFingerprints()[0].frame, 2);
  EXPECT_EQ(read.reader.getFingerprints()[0].value, 0x00ff00ff00ff00feULL);
  EXPECT_TRUE(read.reader.hasEnd());
  EXPECT_EQ(read.reader.getFrameCount(), 3);
}

TEST(RecordingReader, EndsARecordingWithoutItsEndLineAtItsLastWholeFrame) {
  const std::string body = "k 0 0 0 0\nf 0 0000000000000001\nk 1 0 0 1\nf 1 0000000000000002\n"
                           "k 2 0 5 0\nm 2 1 2 -1 3 4\nf 2 00000000000";
  for (std::size_t cut = 0; cut <= body.size(); cut++) {
    const std::string text = body.substr(0, cut);
    const Read read(HEADER + text);
    ASSERT_EQ(read.result, 0) << cut << ": " << read.reader.getError();
    // The whole frames are those whose fingerprint line is whole.
    int frames = 0;
    for (std::size_t at = text.find("f "); at != std::string::npos; at = text.find("f ", at + 1)) {
      frames += text.find('\n', at) != std::string::npos ? 1 : 0;
    }
    EXPECT_FALSE(read.reader.hasEnd());
    EXPECT_EQ(read.reader.getFrameCount(), frames) << cut;
    EXPECT_EQ(read.reader.getEvents().size(), static_cast<std::size_t>(frames)) << cut;
    EXPECT_EQ(read.reader.getFingerprints().size(), static_cast<std::size_t>(frames)) << cut;
  }
}

TEST(RecordingReader, RefusesABrokenFileNamingItsLine) {
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"", "r.wdr:1: empty file"},
      {"wendrel-recording", "r.wdr:1: the file ends in the middle of its header"},
      {"wendrel-recording 1\n", "r.wdr:2: the file ends before the game's name"},
      {"wendrel-recording 1\ngame Te", "r.wdr:2: the file ends in the middle"},
      {"wendrel-recording 01\ngame Test\n", "r.wdr:1: format version 01"},
      {"wendrel-recording  1\ngame Test\n", "r.wdr:1: not a recording"},
      {"wendrel-recording 1\ngame Test2\n", "r.wdr:2: a recording of \"Test2\", not of \"Test\""},
      {"wendrel-recording 1\nname Test\n", "r.wdr:2: no \"game NAME\" line"},
      {HEADER + "\n", "r.wdr:3: not an event"},
      {HEADER + "k 0 0 0  0\n", "r.wdr:3: a keyboard event"},
      {HEADER + "k 0 0 +1 0\n", "r.wdr:3: a keyboard event"},
      {HEADER + "k 0 0 67 0\n", "r.wdr:3: a keyboard event"},
      {HEADER + "k 0 0 -2 0\n", "r.wdr:3: a keyboard event"},
      {HEADER + "k 0 0 0 2\n", "r.wdr:3: a keyboard event"},
      {HEADER + "k -1 0 0 0\n", "r.wdr:3: a keyboard event"},
      {HEADER + "k 0 0 0 0 0\n", "r.wdr:3: a keyboard event"},
      {HEADER + "k 99999999999 0 0 0\n", "r.wdr:3: a keyboard event"},
      {HEADER + "m 0 0 0 0 1 1\n", "r.wdr:3: a mouse event"},
      {HEADER + "m 0 0 1 3 1 1\n", "r.wdr:3: a mouse event"},
      {HEADER + "m 0 0 1 0 1\n", "r.wdr:3: a mouse event"},
      {HEADER + "m 0 0 1 0 1 1.5\n", "r.wdr:3: a mouse event"},
      {HEADER + "m 0 0 1 0 1 1000001\n", "r.wdr:3: a mouse event"},
      {HEADER + "f 0 0123456789ABCDEF\n", "r.wdr:3: a fingerprint"},
      {HEADER + "f 0 0123456789abcde\n", "r.wdr:3: a fingerprint"},
      {HEADER + "f 0 0123456789abcdef0\n", "r.wdr:3: a fingerprint"},
      {HEADER + "f 0 0123456789abcdeg\n", "r.wdr:3: a fingerprint"},
      {HEADER + "f 1 0123456789abcdef\nf 1 0123456789abcdef\n", "r.wdr:4: frame 1 out of order"},
      {HEADER + "k 5 0 0 0\nf 4 0123456789abcdef\n", "r.wdr:4: frame 4 out of order"},
      {HEADER + "f 4 0123456789abcdef\nk 4 0 0 0\n", "r.wdr:4: an event of frame 4 out of order"},
      {HEADER + "k 4 1 0 0\nk 4 0 0 0\n", "r.wdr:4: an event of frame 4 out of order"},
      {HEADER + "k 5 0 0 0\nk 4 9 0 0\n", "r.wdr:4: an event of frame 4 out of order"},
      {HEADER + "f 4 0123456789abcdef\nend 4\n", "r.wdr:4: the end at frame 4 comes before"},
      {HEADER + "k 6 0 0 0\nend 5\n", "r.wdr:4: the end at frame 5 comes before"},
      {HEADER + "end\n", "r.wdr:3: the end line"},
      {HEADER + "end 2\nend 2\n", "r.wdr:4: a line after the end line"},
      {HEADER + "end 2\n\n", "r.wdr:4: a line after the end line"},
  };
  for (const auto& c : cases) {
    const Read read(c.text);
    EXPECT_EQ(read.result, -1) << c.text;
    EXPECT_EQ(read.reader.getError().compare(0, c.error.size(), c.error), 0)
        << c.text << " gave " << read.reader.getError();
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

TEST(FrameFingerprint, HashesEveryFieldOfEveryCellInOrderOnlyWhileSomeoneListens) {
  wd::FrameFingerprint fingerprint;
  const std::uint64_t empty = fingerprint.getValue();
  fingerprint.addCell(wd::Vector(1, 2), U'a', sf::Color::Red, sf::Color::Black);
  EXPECT_EQ(fingerprint.getValue(), empty);

  FrameValues frames;
  fingerprint.setListener(&frames);
  struct Cell {
    float x, y;
    char32_t code_point;
    sf::Uint32 foreground, background;
  };
  const auto valueOf = [&fingerprint](const std::vector<Cell>& cells) {
    for (const Cell& c : cells) {
      fingerprint.addCell(wd::Vector(c.x, c.y), c.code_point, sf::Color(c.foreground),
                          sf::Color(c.background));
    }
    const std::uint64_t value = fingerprint.getValue();
    fingerprint.endFrame();
    return value;
  };
  const Cell cell = {1, 2, U'a', 0xff0000ff, 0x000000ff};
  const Cell other = {3, 2, U'b', 0xff0000ff, 0x000000ff};
  const std::uint64_t one = valueOf({cell});
  EXPECT_EQ(valueOf({cell}), one);
  const std::vector<std::uint64_t> seen = {
      empty,
      one,
      valueOf({{1.5f, 2, U'a', 0xff0000ff, 0x000000ff}}),
      valueOf({{1, 2.5f, U'a', 0xff0000ff, 0x000000ff}}),
      valueOf({{1, 2, U'\u00e9', 0xff0000ff, 0x000000ff}}),
      valueOf({{1, 2, U'a', 0xff0000fe, 0x000000ff}}),
      valueOf({{1, 2, U'a', 0xff0000ff, 0x000001ff}}),
      valueOf({cell, other}),
      valueOf({other, cell}),
      valueOf({cell, cell}),
  };
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
  wd::ReplaySwitches replay;
  ASSERT_EQ(readOf({"--swarm", "--fast", "--replay", "a b.wdr", "9"}, replay), 0);
  EXPECT_EQ(replay.getReplayFile(), "a b.wdr");
  EXPECT_EQ(replay.getRecordFile(), "");
  EXPECT_EQ(replay.getSpeed(), wd::REPLAY_FAST);
  EXPECT_EQ(replay.getOtherArguments(), Strings({"--swarm", "9"}));
  wd::ReplaySwitches record;
  ASSERT_EQ(readOf({"--record", "--fast"}, record), 0);
  EXPECT_EQ(record.getRecordFile(), "--fast");
  EXPECT_EQ(record.getSpeed(), wd::REPLAY_REAL_TIME);

  const struct {
    std::vector<const char*> arguments;
    std::string error;
  } refused[] = {
      {{"--record"}, "--record without its file"},
      {{"--replay", ""}, "--replay without its file"},
      {{"--replay", "a", "--replay", "b"}, "--replay given twice"},
      {{"--record", "a", "--replay", "b"}, "--record and --replay together"},
      {{"--record", "a", "--fast"}, "--fast without --replay"},
      {{"--replay", "a", "--fast", "--fast"}, "--fast given twice"},
  };
  for (const auto& r : refused) {
    wd::ReplaySwitches switches;
    EXPECT_EQ(readOf(r.arguments, switches), -1) << r.error;
    EXPECT_EQ(switches.getError(), r.error);
  }
  wd::ReplaySwitches none;
  ASSERT_EQ(readOf({}, none), 0);
  EXPECT_EQ(none.apply("Test"), 0);
}

// Writes down every keyboard and mouse event it gets, with the frame.
struct Listener : public wd::Object {
  int handleEvent(const wd::Event* p_e) override {
    std::string line = std::to_string(frame) + ": ";
    if (const auto* p_key = dynamic_cast<const wd::EventKeyboard*>(p_e)) {
      line += "key " + std::to_string(p_key->getKey()) + " " +
              std::to_string(p_key->getKeyboardAction());
    } else if (const auto* p_mouse = dynamic_cast<const wd::EventMouse*>(p_e)) {
      const wd::Vector at = p_mouse->getMousePosition();
      line += "mouse " + std::to_string(p_mouse->getMouseAction()) + " " +
              std::to_string(p_mouse->getMouseButton()) + " " + std::to_string(at.getX()) + " " +
              std::to_string(at.getY());
    } else {
      return 0;
    }
    received.push_back(line + " [" + wd::InputManager::getInstance().getButtonName() + "]");
    return 0;
  }
  int draw() override {
    return wd::DisplayManager::getInstance().drawCharacter(getPosition(), '#', wd::YELLOW);
  }
  int frame = 0;
  Strings received;
};

// Moves the listener by the keys it got and, when recording, sends one key
// between the frame's two polls of the window.
struct Rules : public wd::GameRules {
  void setUp() override {}
  void frameRules() override {
    if (send_between_polls && p_listener->frame == 3) {
      sf::Event event{};
      event.type = sf::Event::KeyPressed;
      event.key.code = sf::Keyboard::Num0;
      wd::InputManager::getInstance().handleWindowEvent(event);
    }
    wd::InputManager::getInstance().pollInput();
    p_listener->setPosition(wd::Vector(static_cast<float>(p_listener->received.size()), 5));
  }
  void tail() override {}
  Listener* p_listener = nullptr;
  bool send_between_polls = false;
};

void sendBefore(int frame, Listener& listener) {
  sf::Event event{};
  if (frame == 1) {
    event.type = sf::Event::KeyPressed;
    event.key.code = sf::Keyboard::Space;
    wd::InputManager::getInstance().handleWindowEvent(event);
    event.type = sf::Event::KeyReleased;
    wd::InputManager::getInstance().handleWindowEvent(event);
  } else if (frame == 4) {
    // A move and a press handled apart: the press keeps position (0, 0) and
    // the move no button, as a replay delivering both in one poll must too.
    event.type = sf::Event::MouseMoved;
    event.mouseMove = {100, 200};
    wd::InputManager::getInstance().handleWindowEvent(event);
    event = sf::Event{};
    event.type = sf::Event::MouseButtonPressed;
    event.mouseButton = {sf::Mouse::Right, 7, 8};
    wd::InputManager::getInstance().handleWindowEvent(event);
  }
  (void)listener;
}

// The input manager as a program starts with it: armed, no name; an empty log.
void startFresh() {
  sf::Event release{};
  release.type = sf::Event::KeyReleased;
  release.key.code = sf::Keyboard::Unknown;
  wd::InputManager::getInstance().handleWindowEvent(release);
  wd::InputManager::getInstance().clearButtonName();
  wd_test::restartLog();
}

Strings playFrames(bool recording, Listener& listener) {
  Rules rules;
  rules.p_listener = &listener;
  rules.send_between_polls = recording;
  wd::GameManager& game = wd::GameManager::getInstance();
  for (int frame = 0; frame < 6; frame++) {
    listener.frame = frame;
    if (recording) {
      sendBefore(frame, listener);
    } else {
      // The window's own events do not reach a replayed game.
      sf::Event intruder{};
      intruder.type = sf::Event::KeyPressed;
      intruder.key.code = sf::Keyboard::Q;
      wd::InputManager::getInstance().handleWindowEvent(intruder);
    }
    game.runFrame(&rules);
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
  wd::RecordingReader so_far;
  ASSERT_EQ(so_far.readFile("run.wdr", "Test"), 0) << so_far.getError();
  EXPECT_FALSE(so_far.hasEnd());
  EXPECT_EQ(so_far.getFrameCount(), 6);
  ASSERT_EQ(game.endSession(), 0);
  ASSERT_EQ(recorded.size(), 5u);
  EXPECT_EQ(recorded[3], "4: mouse 2 -1 100.000000 200.000000 [NUM0]");
  EXPECT_EQ(recorded[4], "4: mouse 1 1 0.000000 0.000000 [RIGHT]");

  wd::RecordingReader reader;
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
