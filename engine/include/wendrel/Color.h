#ifndef WD_COLOR_H
#define WD_COLOR_H

namespace wd {

// The eight colours of characters, sprites and view objects. The underlying
// type is fixed so that any int is a valid value: drawing keeps the previous
// colour for one outside the eight.
enum Color : int {
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
