// The input manager: the key and button tables, the recorded button name and
// its arming, the log lines, and real input from the X server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "InputManager.h"
#include "Object.h"
#include "naive_display.h"
#include "test_support.h"

using wd::InputManager;

namespace {

// What one object received: keyboard and mouse events only.
struct Received {
  std::string type;
  int key;
  int keyboard_action;
  int mouse_action;
  int mouse_button;
  float x;
  float y;
};

class Listener : public wd::Object {
 public:
  int handleEvent(const wd::Event* p_e) override {
    if (p_e->getType() == "KEYBOARD_EVENT") {
      const auto* p_keyboard = static_cast<const wd::EventKeyboard*>(p_e);
      received.push_back(Received{p_e->getType(), p_keyboard->getKey(),
                                  p_keyboard->getKeyboardAction(), 0, 0, 0, 0});
    } else if (p_e->getType() == "MSE_EVENT") {
      const auto* p_mouse = static_cast<const wd::EventMouse*>(p_e);
      received.push_back(Received{p_e->getType(), 0, 0, p_mouse->getMouseAction(),
                                  p_mouse->getMouseButton(), p_mouse->getMousePosition().getX(),
                                  p_mouse->getMousePosition().getY()});
    }
    return 0;
  }

  std::vector<Received> received;
};

sf::Event keyEvent(sf::Event::EventType type, int code) {
  sf::Event event;
  event.type = type;
  event.key = sf::Event::KeyEvent{static_cast<sf::Keyboard::Key>(code), false, false, false,
                                  false};
  return event;
}

sf::Event mouseMove(int x, int y) {
  sf::Event event;
  event.type = sf::Event::MouseMoved;
  event.mouseMove = sf::Event::MouseMoveEvent{x, y};
  return event;
}

sf::Event mouseButton(sf::Event::EventType type, sf::Mouse::Button button) {
  sf::Event event;
  event.type = type;
  event.mouseButton = sf::Event::MouseButtonEvent{button, 3, 4};
  return event;
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wd_test::restartLog();
    // Leave the manager armed with an empty name.
    input().handleWindowEvent(keyEvent(sf::Event::KeyReleased, sf::Keyboard::Unknown));
    input().clearButtonName();
    p_listener = new Listener();
  }

  void TearDown() override { delete p_listener; }

  static InputManager& input() { return InputManager::getInstance(); }

  // Presses and releases a key; returns the value the events carried.
  int strike(int code) {
    input().handleWindowEvent(keyEvent(sf::Event::KeyPressed, code));
    input().handleWindowEvent(keyEvent(sf::Event::KeyReleased, code));
    return p_listener->received.back().key;
  }

  Listener* p_listener = nullptr;
};

TEST_F(InputTest, EveryKeyCodeMapsByTheTable) {
  struct Named {
    int code;
    int value;
    const char* name;
  };
  const Named named[] = {
      {sf::Keyboard::Space, 0, "SPACE"},         {sf::Keyboard::Enter, 1, "RETURN"},
      {sf::Keyboard::Escape, 2, "ESCAPE"},       {sf::Keyboard::Tab, 3, "TAB"},
      {sf::Keyboard::Left, 4, "LEFTARROW"},      {sf::Keyboard::Right, 5, "RIGHTARROW"},
      {sf::Keyboard::Up, 6, "UPARROW"},          {sf::Keyboard::Down, 7, "DOWNARROW"},
      {sf::Keyboard::Pause, 8, "PAUSE"},         {sf::Keyboard::Subtract, 9, "MINUS"},
      {sf::Keyboard::Add, 10, "PLUS"},           {sf::Keyboard::Tilde, 11, "TILDE"},
      {sf::Keyboard::Period, 12, "PERIOD"},      {sf::Keyboard::Comma, 13, "COMMA"},
      {sf::Keyboard::Slash, 14, "SLASH"},        {sf::Keyboard::LControl, 15, "LEFTCONTROL"},
      {sf::Keyboard::RControl, 16, "RIGHTCONTROL"}, {sf::Keyboard::LShift, 17, "LEFTSHIFT"},
      {sf::Keyboard::RShift, 18, "RIGHTSHIFT"},  {sf::Keyboard::Num0, 66, "NUM0"}};
  std::vector<int> value_of(103, -1);
  std::vector<std::string> name_of(103, "UNDEFINED_KEY");
  for (const Named& n : named) {
    value_of[static_cast<std::size_t>(n.code + 1)] = n.value;
    name_of[static_cast<std::size_t>(n.code + 1)] = n.name;
  }
  for (int i = 0; i < 26; i++) {
    value_of[static_cast<std::size_t>(sf::Keyboard::A + i + 1)] = 31 + i;
    name_of[static_cast<std::size_t>(sf::Keyboard::A + i + 1)] = std::string(1, 'A' + i);
  }
  for (int i = 1; i <= 9; i++) {
    value_of[static_cast<std::size_t>(sf::Keyboard::Num0 + i + 1)] = 56 + i;
    name_of[static_cast<std::size_t>(sf::Keyboard::Num0 + i + 1)] = "NUM" + std::to_string(i);
  }
  for (int i = 1; i <= 12; i++) {
    value_of[static_cast<std::size_t>(sf::Keyboard::F1 + i)] = 18 + i;
    name_of[static_cast<std::size_t>(sf::Keyboard::F1 + i)] = "F" + std::to_string(i);
  }
  // Codes -1 to 101: the table, and unknown codes on both sides.
  for (int code = -1; code <= 101; code++) {
    const std::size_t index = static_cast<std::size_t>(code + 1);
    EXPECT_EQ(strike(code), value_of[index]) << "code " << code;
    EXPECT_STREQ(input().getButtonName(), name_of[index].c_str()) << "code " << code;
  }
  EXPECT_EQ(strike(127), -1);
  EXPECT_EQ(strike(-7), -1);
  EXPECT_STREQ(input().getButtonName(), "UNDEFINED_KEY");
}

TEST_F(InputTest, PressAndReleaseRecordTheNameOnce) {
  input().handleWindowEvent(keyEvent(sf::Event::KeyPressed, sf::Keyboard::A));
  input().handleWindowEvent(keyEvent(sf::Event::KeyReleased, sf::Keyboard::A));
  ASSERT_EQ(p_listener->received.size(), 2u);
  EXPECT_EQ(p_listener->received[0].key, wd::A);
  EXPECT_EQ(p_listener->received[0].keyboard_action, wd::KEY_PRESSED);
  EXPECT_EQ(p_listener->received[1].key, 31);
  EXPECT_EQ(p_listener->received[1].keyboard_action, wd::KEY_RELEASED);
  EXPECT_STREQ(input().getButtonName(), "A");
  EXPECT_EQ(wd_test::readLog(), " Message: Button pressed is: A\n");

  input().clearButtonName();
  EXPECT_STREQ(input().getButtonName(), "");
}

TEST_F(InputTest, SecondKeyWhileOneIsHeldRecordsNothing) {
  input().handleWindowEvent(keyEvent(sf::Event::KeyPressed, sf::Keyboard::A));
  input().handleWindowEvent(keyEvent(sf::Event::KeyPressed, sf::Keyboard::B));
  ASSERT_EQ(p_listener->received.size(), 2u);
  EXPECT_EQ(p_listener->received[1].key, wd::B);
  EXPECT_STREQ(input().getButtonName(), "A");
  EXPECT_EQ(wd_test::readLog(), " Message: Button pressed is: A\n");
  // Releasing any key arms the name again.
  input().handleWindowEvent(keyEvent(sf::Event::KeyReleased, sf::Keyboard::B));
  input().handleWindowEvent(keyEvent(sf::Event::KeyPressed, sf::Keyboard::Q));
  EXPECT_STREQ(input().getButtonName(), "Q");
}

TEST_F(InputTest, MouseMovesAndButtons) {
  input().handleWindowEvent(mouseMove(100, 200));
  input().handleWindowEvent(mouseButton(sf::Event::MouseButtonReleased, sf::Mouse::Left));
  input().handleWindowEvent(keyEvent(sf::Event::KeyPressed, sf::Keyboard::A));
  // Held key: the name is disarmed, but buttons record regardless.
  input().handleWindowEvent(mouseButton(sf::Event::MouseButtonPressed, sf::Mouse::Middle));
  ASSERT_EQ(p_listener->received.size(), 3u);
  const Received& moved = p_listener->received[0];
  EXPECT_EQ(moved.type, "MSE_EVENT");
  EXPECT_EQ(moved.mouse_action, wd::MOVED);
  EXPECT_EQ(moved.mouse_button, wd::UNDEFINED_MOUSE_BUTTON);
  EXPECT_EQ(moved.x, 100.0f);
  EXPECT_EQ(moved.y, 200.0f);
  // A press handled on its own has no movement before it.
  const Received& pressed = p_listener->received[2];
  EXPECT_EQ(pressed.mouse_action, wd::PRESSED);
  EXPECT_EQ(pressed.mouse_button, wd::MIDDLE);
  EXPECT_EQ(pressed.x, 0.0f);
  EXPECT_EQ(pressed.y, 0.0f);
  EXPECT_STREQ(input().getButtonName(), "MIDDLE");
  EXPECT_EQ(wd_test::readLog(),
            " Message: Mouse Moved: (100, 200)\n"
            " Message: Button pressed is: A\n"
            " Message: Button pressed is: MIDDLE\n");
}

TEST_F(InputTest, ExtraMouseButtonFitsTheName) {
  input().handleWindowEvent(mouseButton(sf::Event::MouseButtonPressed, sf::Mouse::XButton2));
  ASSERT_EQ(p_listener->received.size(), 1u);
  EXPECT_EQ(p_listener->received[0].mouse_button, wd::UNDEFINED_MOUSE_BUTTON);
  EXPECT_STREQ(input().getButtonName(), "UNDEFINED_MOUSE_BTN");
  EXPECT_EQ(wd_test::readLog(), " Message: Button pressed is: UNDEFINED_MOUSE_BTN\n");
  input().handleWindowEvent(mouseButton(sf::Event::MouseButtonPressed, sf::Mouse::Right));
  EXPECT_STREQ(input().getButtonName(), "RIGHT");
}

TEST_F(InputTest, OtherWindowEventsAreDropped) {
  sf::Event event;
  event.type = sf::Event::LostFocus;
  input().handleWindowEvent(event);
  event.type = sf::Event::TextEntered;
  event.text.unicode = 'a';
  input().handleWindowEvent(event);
  EXPECT_TRUE(p_listener->received.empty());
  EXPECT_EQ(wd_test::readLog(), "");
}

TEST_F(InputTest, StartNeedsTheDisplay) {
  wd::DisplayManager::getInstance().shutDown();
  EXPECT_EQ(input().startUp(), -1);
  EXPECT_FALSE(input().isStarted());
  input().pollInput();
  input().shutDown();
  EXPECT_TRUE(p_listener->received.empty());
}

// Runs `xdotool` with the arguments; true when it succeeded.
bool xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// Polls frame after frame until the listener has received at least count
// events or about five seconds have passed.
void pollUntil(const Listener& listener, std::size_t count) {
  for (int frame = 0; frame < 150 && listener.received.size() < count; frame++) {
    InputManager::getInstance().pollInput();
    wd::DisplayManager::getInstance().swapBuffers();
    std::this_thread::sleep_for(std::chrono::milliseconds(33));
  }
}

TEST_F(InputTest, RealKeyAndMouseFromTheServer) {
  if (!wd_test::displayAvailable()) {
    GTEST_SKIP() << "no X server";
  }
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xdotool is not installed";
  }
  ASSERT_TRUE(wd_test::installFont(wd_test::sourceDir()));
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  ASSERT_EQ(display.startUp(), 0);
  ASSERT_EQ(input().startUp(), 0);
  pollUntil(*p_listener, 1);
  p_listener->received.clear();
  wd_test::restartLog();

  const std::string window = std::to_string(display.getWindow()->getSystemHandle());
  ASSERT_TRUE(xdotool("windowmap --sync " + window + " windowfocus --sync " + window));
  ASSERT_TRUE(xdotool("mousemove --window " + window + " --sync 120 240"));
  ASSERT_TRUE(xdotool("key --clearmodifiers a"));
  ASSERT_TRUE(xdotool("click 1"));
  pollUntil(*p_listener, 4);

  std::vector<Received> keys;
  std::vector<Received> mice;
  for (const Received& r : p_listener->received) {
    (r.type == "KEYBOARD_EVENT" ? keys : mice).push_back(r);
  }
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].key, wd::A);
  EXPECT_EQ(keys[0].keyboard_action, wd::KEY_PRESSED);
  EXPECT_EQ(keys[1].key, wd::A);
  EXPECT_EQ(keys[1].keyboard_action, wd::KEY_RELEASED);
  ASSERT_GE(mice.size(), 2u);
  EXPECT_EQ(mice.front().mouse_action, wd::MOVED);
  EXPECT_EQ(mice.back().mouse_action, wd::PRESSED);
  EXPECT_EQ(mice.back().mouse_button, wd::LEFT);
  const std::string log = wd_test::readLog();
  EXPECT_NE(log.find(" Message: Mouse Moved: (120, 240)\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" Message: Button pressed is: A\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" Message: Button pressed is: LEFT\n"), std::string::npos) << log;
  EXPECT_STREQ(input().getButtonName(), "LEFT");

  input().shutDown();
  display.shutDown();
}

}  // namespace
