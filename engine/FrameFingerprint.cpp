#include "FrameFingerprint.h"

#include <cstring>

#include "FrameListener.h"

namespace wd {

namespace {

// The value of a frame with no cells.
const std::uint64_t EMPTY_FRAME = 0x9e3779b97f4a7c15ULL;

std::uint64_t bitsOf(float f) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof(bits));
  return bits;
}

}  // namespace

FrameFingerprint::FrameFingerprint() : p_listener(nullptr), value(EMPTY_FRAME) {}

void FrameFingerprint::addCell(Vector view_pos, char32_t code_point, sf::Color foreground,
                               sf::Color background) {
  if (p_listener == nullptr) {
    return;
  }
  mix(bitsOf(view_pos.getX()) << 32 | bitsOf(view_pos.getY()));
  mix(static_cast<std::uint64_t>(code_point) << 32 | foreground.toInteger());
  mix(background.toInteger());
}

void FrameFingerprint::endFrame() {
  if (p_listener != nullptr) {
    p_listener->frameEnded(value);
  }
  value = EMPTY_FRAME;
}

std::uint64_t FrameFingerprint::getValue() const { return value; }

void FrameFingerprint::setListener(FrameListener* p_new_listener) { p_listener = p_new_listener; }

FrameListener* FrameFingerprint::getListener() const { return p_listener; }

// The order of the cells counts, and every bit of a word reaches every bit
// of the hash: a multiply and xor-shift mix of the word into the running value.
void FrameFingerprint::mix(std::uint64_t word) {
  std::uint64_t h = (value ^ word) * 0xff51afd7ed558ccdULL;
  h ^= h >> 32;
  h *= 0xc4ceb9fe1a85ec53ULL;
  value = h ^ (h >> 29);
}

}  // namespace wd
