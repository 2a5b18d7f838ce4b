#include "FlushMemo.h"

#include <cstdlib>
#include <cstring>

#include "utility.h"

namespace wd {

FlushMemo::FlushMemo(int target_width_pixels, int target_height_pixels)
    : width_pixels(target_width_pixels),
      height_pixels(target_height_pixels),
      enabled(std::getenv("WD_EXACT_CELLS") == nullptr),
      remembered(false),
      repeat_count(0) {}

bool FlushMemo::repeats(const void* cells, std::size_t bytes, bool eligible,
                        const sf::RenderTarget& target) {
  if (!enabled || !eligible || !showsOneToOne(target, width_pixels, height_pixels)) {
    forget();
    return false;
  }
  if (remembered && bytes == last_cells.size() &&
      std::memcmp(cells, last_cells.data(), bytes) == 0) {
    repeat_count++;
    return true;
  }
  const unsigned char* p_bytes = static_cast<const unsigned char*>(cells);
  last_cells.assign(p_bytes, p_bytes + bytes);
  remembered = true;
  return false;
}

void FlushMemo::forget() { remembered = false; }

bool FlushMemo::isEnabled() const { return enabled; }

std::int64_t FlushMemo::getRepeats() const { return repeat_count; }

}  // namespace wd
