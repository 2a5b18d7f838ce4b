#include "Sprite.h"

#include "DisplayManager.h"

namespace wd {

Sprite::Sprite()
    : width(0),
      height(0),
      max_frame_count(0),
      frame_count(0),
      color(WHITE),
      rgb_color(sf::Color::White),
      has_rgb_color(false),
      slowdown(0),
      has_frame_array(false),
      frame(),
      label() {}

// The capacity is only a limit: frames are stored as they are added, so a
// sprite that claims more frames than it will ever get costs nothing extra.
Sprite::Sprite(int max_frames)
    : width(0),
      height(0),
      max_frame_count(max_frames < 0 ? 0 : max_frames),
      frame_count(0),
      color(WHITE),
      rgb_color(sf::Color::White),
      has_rgb_color(false),
      slowdown(0),
      has_frame_array(true),
      frame(),
      label() {}

Sprite::~Sprite() {}

int Sprite::getWidth() const { return width; }

void Sprite::setWidth(int new_width) { width = new_width; }

int Sprite::getHeight() const { return height; }

void Sprite::setHeight(int new_height) { height = new_height; }

Color Sprite::getColor() const { return color; }

void Sprite::setColor(Color new_color) {
  color = new_color;
  has_rgb_color = false;
}

sf::Color Sprite::getRgbColor() const { return has_rgb_color ? rgb_color : rgbOf(color); }

void Sprite::setRgbColor(sf::Color new_rgb_color) {
  rgb_color = new_rgb_color;
  has_rgb_color = true;
}

bool Sprite::hasRgbColor() const { return has_rgb_color; }

int Sprite::getSlowdown() const { return slowdown; }

void Sprite::setSlowdown(int new_slowdown) { slowdown = new_slowdown; }

std::string Sprite::getLabel() const { return label; }

void Sprite::setLabel(std::string new_label) { label = new_label; }

int Sprite::getFrameCount() const { return frame_count; }

int Sprite::addFrame(Frame new_frame) {
  if (frame_count >= max_frame_count) {
    return -1;
  }
  frame.push_back(new_frame);
  frame_count++;
  return 0;
}

Frame Sprite::getFrame(int frame_number) const {
  if (frame_number < 0 || frame_number >= frame_count) {
    return Frame();
  }
  return frame[frame_number];
}

int Sprite::draw(int frame_number, Vector position) const {
  if (!has_frame_array || frame_number < 0 || frame_number >= max_frame_count) {
    return -1;
  }
  // A slot that was never filled holds no frame and draws nothing.
  if (frame_number < frame_count && has_rgb_color) {
    frame[frame_number].draw(position, rgb_color);
  } else if (frame_number < frame_count) {
    frame[frame_number].draw(position, color);
  }
  return 0;
}

}  // namespace wd
