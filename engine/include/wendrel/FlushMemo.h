#ifndef WD_FLUSH_MEMO_H
#define WD_FLUSH_MEMO_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include <SFML/Graphics.hpp>

namespace wd {

// Remembers what the last flush of a cell batch was asked to draw, so that a
// flush asked for exactly the same can draw the triangles built last time
// instead of building them again: the same triangles give the same picture.
class FlushMemo {
 public:
  // A memo for a target of width x height pixels; it serves only a target
  // of that size seen through its default view. Setting the environment
  // variable WD_EXACT_CELLS switches it off for good.
  FlushMemo(int width_pixels, int height_pixels);

  // Whether the flush of the bytes cells (the pending cells, in drawing
  // order) into target repeats the last flush remembered. When it does not,
  // the flush is remembered instead, provided it is a common one (eligible,
  // on such a target); else the memo forgets.
  bool repeats(const void* cells, std::size_t bytes, bool eligible,
               const sf::RenderTarget& target);

  // Forgets the last flush: what it built no longer holds.
  void forget();

  // Whether the memo can ever serve.
  bool isEnabled() const;

  // Flushes served from the memo since it was made.
  std::int64_t getRepeats() const;

 private:
  int width_pixels;
  int height_pixels;
  bool enabled;
  bool remembered;
  std::vector<unsigned char> last_cells;
  std::int64_t repeat_count;
};

}  // namespace wd

#endif
