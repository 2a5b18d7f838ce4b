#include "Frame.h"

#include "DisplayManager.h"

namespace wd {

Frame::Frame() : width(0), height(0), frame_str() {}

Frame::Frame(int new_width, int new_height, std::string new_frame_str)
    : width(new_width), height(new_height), frame_str(new_frame_str) {}

int Frame::getWidth() const { return width; }

void Frame::setWidth(int new_width) { width = new_width; }

int Frame::getHeight() const { return height; }

void Frame::setHeight(int new_height) { height = new_height; }

std::string Frame::getString() const { return frame_str; }

void Frame::setString(std::string new_frame_str) { frame_str = new_frame_str; }

int Frame::draw(Vector position, Color color) const {
  if (frame_str.empty()) {
    return -1;
  }
  const int x_offset = width / 2;
  const int y_offset = height / 2;
  // The size is not checked against the string, so the walk stops at the
  // string's end; the index is 64-bit so that width x height cannot overflow.
  const long long length = static_cast<long long>(frame_str.size());
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      const long long char_index = static_cast<long long>(y) * width + x;
      if (char_index >= length) {
        return 0;
      }
      const Vector cell(position.getX() + static_cast<float>(x) - static_cast<float>(x_offset),
                        position.getY() + static_cast<float>(y) - static_cast<float>(y_offset));
      DisplayManager::getInstance().drawCharacter(cell, frame_str[char_index], color);
    }
  }
  return 0;
}

}  // namespace wd
