// The input manager: key table, button name and its arming, log lines, real X input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "InputManager.h"
#include "Object.h"
#include "test_support.h"

namespace {

using Strings = std::vector<std::string>;

wd::InputManager& input() { return wd::InputManager::getInstance(); }

// Writes down the events it gets: "key <key> <action>", "mouse <action> <button> <x> <y>".
struct Listener : public wd::Object {
  int handleEvent(const wd::Event* p_e) override {
    if (const auto* p_key = dynamic_cast<const wd::EventKeyboard*>(p_e)) {
      received.push_back("key " + std::to_string(p_key->getKey()) + " " +
                         std::to_string(p_key->getKeyboardAction()));
    } else if (const auto* p_mouse = dynamic_cast<const wd::EventMouse*>(p_e)) {
      received.push_back("mouse " + std::to_string(p_mouse->getMouseAction()) + " " +
                         std::to_string(p_mouse->getMouseButton()) + " " +
                         std::to_string(static_cast<int>(p_mouse->getMousePosition().getX())) + " " +
                         std::to_string(static_cast<int>(p_mouse->getMousePosition().getY())));
    }
    return 0;
  }
  Strings received;
};

void send(sf::Event::EventType type, int code_or_x = 0, int y = 0) {
  sf::Event event;
  event.type = type;
  if (type == sf::Event::KeyPressed || type == sf::Event::KeyReleased) {
    event.key = {static_cast<sf::Keyboard::Key>(code_or_x), false, false, false, false};
  } else if (type == sf::Event::MouseMoved) {
    event.mouseMove = {code_or_x, y};
  } else {
    event.mouseButton = {static_cast<sf::Mouse::Button>(code_or_x), 3, 4};
  }
  input().handleWindowEvent(event);
}

class InputTest : public ::testing::Test {
 protected:
  // Every test starts armed, with an empty name, log and list of events.
  void SetUp() override {
    send(sf::Event::KeyReleased, sf::Keyboard::Unknown);
    input().clearButtonName();
    wd_test::restartLog();
    listener.received.clear();
  }
  Listener listener;
};

// Every code from -1 to 101: each name goes with one key and each key with one name, the defined
// keys filling 0 to 66, so no event can carry another key's value under its own name.
TEST_F(InputTest, EveryKeyCarriesTheValueOfItsName) {
  std::map<std::string, int> key_of;
  std::map<int, std::string> name_of;
  for (int code = -1; code <= sf::Keyboard::KeyCount; code++) {
    send(sf::Event::KeyPressed, code);
    send(sf::Event::KeyReleased, code);
    const int key = std::stoi(listener.received.back().substr(4));
    const std::string name = input().getButtonName();
    EXPECT_EQ(key_of.emplace(name, key).first->second, key) << name;
    EXPECT_EQ(name_of.emplace(key, name).first->second, name) << key;
  }
  EXPECT_EQ(name_of.size(), 68u);
  EXPECT_EQ(name_of.begin()->first, wd::UNDEFINED_KEY);
  EXPECT_EQ(name_of.rbegin()->first, wd::NUM0);
  using K = sf::Keyboard;
  const struct { int code; wd::Key key; const char* name; } spots[] = {
      {K::A, wd::A, "A"}, {K::F12, wd::F12, "F12"}, {K::Add, wd::PLUS, "PLUS"},
      {K::Down, wd::DOWNARROW, "DOWNARROW"}, {K::Hyphen, wd::UNDEFINED_KEY, "UNDEFINED_KEY"}};
  for (const auto& spot : spots) {
    send(sf::Event::KeyPressed, spot.code);
    EXPECT_EQ(listener.received.back(), "key " + std::to_string(spot.key) + " 0") << spot.code;
    EXPECT_STREQ(input().getButtonName(), spot.name) << spot.code;
    send(sf::Event::KeyReleased, spot.code);
  }
}

TEST_F(InputTest, OnlyAReleaseArmsTheNameButtonsAlwaysRecord) {
  send(sf::Event::KeyPressed, sf::Keyboard::B);
  send(sf::Event::KeyPressed, sf::Keyboard::C);  // sent, but B is held: not recorded
  send(sf::Event::MouseMoved, 100, 200);
  send(sf::Event::MouseButtonPressed, sf::Mouse::Middle);
  // Its name does not fit the 20-byte buffer: recorded shortened.
  send(sf::Event::MouseButtonPressed, sf::Mouse::XButton2);
  EXPECT_STREQ(input().getButtonName(), "UNDEFINED_MOUSE_BTN");
  send(sf::Event::KeyReleased, sf::Keyboard::C);
  send(sf::Event::KeyPressed, sf::Keyboard::Q);
  EXPECT_STREQ(input().getButtonName(), "Q");
  input().clearButtonName();
  EXPECT_STREQ(input().getButtonName(), "");
  // Each handled event stands alone: the press has no movement before it.
  EXPECT_EQ(listener.received, (Strings{"key 32 0", "key 33 0", "mouse 2 -1 100 200", "mouse 1 2 0 0",
                                        "mouse 1 -1 0 0", "key 33 1", "key 47 0"}));
  EXPECT_EQ(wd_test::readLog(), " Message: Button pressed is: B\n Message: Mouse Moved: (100, 200)\n"
                                " Message: Button pressed is: MIDDLE\n"
                                " Message: Button pressed is: UNDEFINED_MOUSE_BTN\n"
                                " Message: Button pressed is: Q\n");
}

TEST_F(InputTest, RealKeyAndMouseFromTheServer) {
  if (!wd_test::displayAvailable() || std::system("command -v xdotool >/dev/null") != 0) {
    GTEST_SKIP() << "no X server or no xdotool";
  }
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  EXPECT_EQ(input().startUp(), -1);  // not before the display
  ASSERT_EQ(display.startUp(), 0);
  ASSERT_EQ(input().startUp(), 0);
  const std::string window = std::to_string(display.getWindow()->getSystemHandle());
  ASSERT_EQ(std::system(("xdotool windowmap --sync " + window + " windowfocus --sync " + window +
                         " mousemove --window " + window + " --sync 120 240" +
                         " key --clearmodifiers a click 1 >/dev/null 2>&1").c_str()), 0);
  for (int frame = 0; frame < 150 && listener.received.size() < 4; frame++) {
    input().pollInput();
    display.swapBuffers();
    std::this_thread::sleep_for(std::chrono::milliseconds(33));
  }
  // xdotool has finished, so one poll drains them all: the press keeps the movement.
  EXPECT_EQ(listener.received, (Strings{"mouse 2 -1 120 240", "key 31 0", "key 31 1", "mouse 1 0 120 240"}));
  EXPECT_EQ(wd_test::readLog(), " Message: Mouse Moved: (120, 240)\n Message: Button pressed is: A\n"
                                " Message: Button pressed is: LEFT\n");
  input().shutDown();
  display.shutDown();
}

}  // namespace
