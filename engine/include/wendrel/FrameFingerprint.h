#ifndef WD_FRAME_FINGERPRINT_H
#define WD_FRAME_FINGERPRINT_H

#include <cstdint>

#include <SFML/Graphics/Color.hpp>

#include "Vector.h"

namespace wd {

class FrameListener;

// A hash of the cells drawn in one frame: where each cell went in the view,
// its code point and its two colours, in drawing order. It depends on what
// the game drew, not on the pixels a graphics driver made of it. Cells are
// hashed only while a listener waits for the frames' values.
class FrameFingerprint {
 public:
  FrameFingerprint();

  // Takes one cell at a view position into this frame's hash.
  void addCell(Vector view_pos, char32_t code_point, sf::Color foreground, sf::Color background);

  // Hands the frame's hash to the listener and starts the next frame.
  void endFrame();

  // The hash of the cells taken since the frame started.
  std::uint64_t getValue() const;

  // The listener told of every frame's hash, or null for none (then no cell
  // is hashed at all).
  void setListener(FrameListener* p_new_listener);
  FrameListener* getListener() const;

 private:
  // Folds one 64-bit word into the hash.
  void mix(std::uint64_t word);

  FrameListener* p_listener;
  std::uint64_t value;
};

}  // namespace wd

#endif
