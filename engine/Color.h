#ifndef WD_COLOR_H
#define WD_COLOR_H

namespace wd {

// The eight colours of characters, sprites and view objects.
enum Color {
  BLACK = 0,
  RED = 1,
  GREEN = 2,
  YELLOW = 3,
  BLUE = 4,
  MAGENTA = 5,
  CYAN = 6,
  WHITE = 7,
};

}  // namespace wd

#endif
