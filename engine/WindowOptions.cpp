#include "WindowOptions.h"

#include <algorithm>

#include <SFML/Window/WindowStyle.hpp>

#include "DisplayManager.h"

namespace wd {

WindowOptions::WindowOptions()
    : resizable(false), width_pixels(0), height_pixels(0), fullscreen(false), closable(false) {}

bool WindowOptions::asksForNothing() const {
  return !resizable && width_pixels == 0 && height_pixels == 0 && !fullscreen && title.empty() &&
         !closable;
}

std::string WindowOptions::titleOrDefault() const {
  return title.empty() ? std::string(WINDOW_TITLE) : title;
}

unsigned int WindowOptions::style(bool full_screen) const {
  if (full_screen) {
    return sf::Style::Fullscreen;
  }
  unsigned int flags = sf::Style::Titlebar;
  if (resizable) {
    flags |= sf::Style::Resize;
  }
  if (closable) {
    flags |= sf::Style::Close;
  }
  return flags;
}

sf::VideoMode WindowOptions::windowedMode(sf::VideoMode default_size, sf::VideoMode screen) const {
  sf::VideoMode mode = default_size;
  if (width_pixels > 0 && height_pixels > 0) {
    mode.width = static_cast<unsigned int>(width_pixels);
    mode.height = static_cast<unsigned int>(height_pixels);
  }
  // A fixed window keeps the size the game asked for, as it always has.
  if (!resizable || screen.width == 0 || screen.height == 0 ||
      (mode.width <= screen.width && mode.height <= screen.height)) {
    return mode;
  }
  const double shrink = std::min(static_cast<double>(screen.width) / mode.width,
                                 static_cast<double>(screen.height) / mode.height);
  mode.width = static_cast<unsigned int>(mode.width * shrink);
  mode.height = static_cast<unsigned int>(mode.height * shrink);
  return mode;
}

}  // namespace wd
