#ifndef WD_WINDOW_OPTIONS_H
#define WD_WINDOW_OPTIONS_H

#include <string>

#include <SFML/Window/VideoMode.hpp>

namespace wd {

// What a game asks of its window, handed to the display manager before it
// starts. The defaults give the engine's own window: 1024 x 900 pixels, a
// title bar only, the engine's title.
class WindowOptions {
 public:
  WindowOptions();

  // Whether the player may resize the window; the grid is scaled to fit it.
  bool resizable;

  // Starting size in pixels; 0 for the engine's 1024 x 900.
  int width_pixels;
  int height_pixels;

  // Whether the game starts full screen.
  bool fullscreen;

  // The window's title; empty for the engine's.
  std::string title;

  // Whether the window has a close button, and a close request ends the game.
  bool closable;

  // Whether nothing differs from the defaults.
  bool asksForNothing() const;

  // The title to show.
  std::string titleOrDefault() const;

  // The window's style flags, windowed or full screen.
  unsigned int style(bool full_screen) const;

  // The windowed size: the starting size (or default_size), scaled down to
  // fit screen, keeping its shape, when the window may be resized.
  sf::VideoMode windowedMode(sf::VideoMode default_size, sf::VideoMode screen) const;
};

}  // namespace wd

#endif
