// What the examples' tests share: window events fed straight to the input
// manager, and colours counted in a captured frame.
#ifndef WD_EXAMPLES_PLAY_SUPPORT_H
#define WD_EXAMPLES_PLAY_SUPPORT_H

#include <cstdlib>
#include <string>

#include <SFML/Graphics/Image.hpp>
#include <SFML/Window/Event.hpp>

#include <wendrel/DisplayManager.h>
#include <wendrel/InputManager.h>
#include <wendrel/Object.h>
#include <wendrel/WorldManager.h>
#include <wendrel/utility.h>

namespace play {

inline void key(sf::Event::EventType type, sf::Keyboard::Key code) {
  sf::Event event{};
  event.type = type;
  event.key.code = code;
  wd::InputManager::getInstance().handleWindowEvent(event);
}

inline void press(sf::Keyboard::Key code) { key(sf::Event::KeyPressed, code); }
inline void release(sf::Keyboard::Key code) { key(sf::Event::KeyReleased, code); }

// A left click at a window pixel: the mouse moves there, then its button goes down.
inline void click(int x, int y) {
  sf::Event event{};
  event.type = sf::Event::MouseMoved;
  event.mouseMove.x = x;
  event.mouseMove.y = y;
  wd::InputManager::getInstance().handleWindowEvent(event);
  event = sf::Event{};
  event.type = sf::Event::MouseButtonPressed;
  event.mouseButton.button = sf::Mouse::Left;
  wd::InputManager::getInstance().handleWindowEvent(event);
}

// Pixels of exactly this colour within the window area of p_o's box.
inline int pixelsOver(const sf::Image& image, const wd::Object* p_o, sf::Color color) {
  const wd::Box box = wd::worldBoxOf(p_o);
  const wd::Vector corner = wd::cellsToPixels(wd::toViewPosition(box.getCorner()));
  const wd::Vector far_corner = wd::cellsToPixels(wd::toViewPosition(wd::Vector(
      box.getCorner().getX() + box.getHorizontal() + 1,
      box.getCorner().getY() + box.getVertical() + 1.5f)));
  const sf::Vector2u size = image.getSize();
  int count = 0;
  for (int y = static_cast<int>(corner.getY()); y < static_cast<int>(far_corner.getY()); y++) {
    for (int x = static_cast<int>(corner.getX()); x < static_cast<int>(far_corner.getX()); x++) {
      if (x >= 0 && y >= 0 && x < static_cast<int>(size.x) && y < static_cast<int>(size.y) &&
          image.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y)) == color) {
        count++;
      }
    }
  }
  return count;
}

// Saves image as name in $WD_SCREENSHOT_DIR when that is set (it refreshes docs/).
inline void saveScreenshot(const sf::Image& image, const std::string& name) {
  if (const char* p_dir = std::getenv("WD_SCREENSHOT_DIR")) {
    image.saveToFile(std::string(p_dir) + "/" + name);
  }
}

}  // namespace play

#endif
