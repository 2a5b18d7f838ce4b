#ifndef WD_RICH_SPRITE_WRITER_H
#define WD_RICH_SPRITE_WRITER_H

#include <string>

#include "Sprite.h"

namespace wd {

// Writes a sprite as a sprite file of the opted-in form ("format rich"),
// for people to edit by hand: UTF-8 rows and, when any frame gives its
// cells colours, a palette and two colour maps under every frame. Loading
// the text gives the sprite back.
class RichSpriteWriter {
 public:
  // The sprite's file text in *p_text. 0, or -1 (and *p_text untouched)
  // when its cells use more colours than a palette has letters, or a frame
  // is not width x height cells.
  static int write(const Sprite& sprite, std::string* p_text);
};

}  // namespace wd

#endif
