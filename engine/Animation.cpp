#include "Animation.h"

#include "Sprite.h"

namespace wd {

Animation::Animation() : p_sprite(nullptr), name(), index(0), slowdown_count(0) {}

void Animation::setSprite(Sprite* p_new_sprite) {
  p_sprite = p_new_sprite;
  index = 0;
}

Sprite* Animation::getSprite() const { return p_sprite; }

void Animation::setName(std::string new_name) { name = new_name; }

std::string Animation::getName() const { return name; }

void Animation::setIndex(int new_index) { index = new_index; }

int Animation::getIndex() const { return index; }

void Animation::setSlowdownCount(int new_slowdown_count) { slowdown_count = new_slowdown_count; }

int Animation::getSlowdownCount() const { return slowdown_count; }

int Animation::draw(Vector position) {
  if (p_sprite == nullptr) {
    return -1;
  }
  // An index outside the sprite's frames is refused by Sprite::draw itself.
  p_sprite->draw(index, position);
  if (slowdown_count == -1) {
    return -1;
  }
  // Counted in 64 bits so that any value set from outside advances safely.
  long long count = static_cast<long long>(slowdown_count) + 1;
  if (count >= p_sprite->getSlowdown()) {
    count = 0;
    const long long next_index = static_cast<long long>(index) + 1;
    index = next_index >= p_sprite->getFrameCount() ? 0 : static_cast<int>(next_index);
  }
  slowdown_count = static_cast<int>(count);
  return 0;
}

Box Animation::getBox() const {
  if (p_sprite == nullptr) {
    return Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
  }
  const float width = static_cast<float>(p_sprite->getWidth());
  const float height = static_cast<float>(p_sprite->getHeight());
  return Box(Vector(-width / 2.0f, -height / 2.0f), width, height);
}

}  // namespace wd
