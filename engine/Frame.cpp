#include "Frame.h"

#include "DisplayManager.h"
#include "Utf8Decoder.h"

namespace wd {

namespace {

// The UTF-8 text of code points, so that a frame of cells has a string too.
std::string utf8Of(const std::vector<char32_t>& code_points) {
  std::string text;
  for (const char32_t code_point : code_points) {
    Utf8Decoder::append(text, code_point);
  }
  return text;
}

}  // namespace

Frame::Frame() : width(0), height(0), frame_str() {}

Frame::Frame(int new_width, int new_height, std::string new_frame_str)
    : width(new_width), height(new_height), frame_str(new_frame_str) {}

Frame::Frame(int new_width, int new_height, const std::vector<char32_t>& new_code_points)
    : width(new_width),
      height(new_height),
      frame_str(utf8Of(new_code_points)),
      code_points(new_code_points) {}

int Frame::getWidth() const { return width; }

void Frame::setWidth(int new_width) { width = new_width; }

int Frame::getHeight() const { return height; }

void Frame::setHeight(int new_height) { height = new_height; }

std::string Frame::getString() const { return frame_str; }

void Frame::setString(std::string new_frame_str) { frame_str = new_frame_str; }

bool Frame::hasCodePoints() const { return !code_points.empty(); }

const std::vector<char32_t>& Frame::getCodePoints() const { return code_points; }

int Frame::setCellColors(const std::vector<sf::Color>& new_foreground,
                         const std::vector<sf::Color>& new_background) {
  const std::size_t cells = hasCodePoints() ? code_points.size() : frame_str.size();
  if (new_foreground.size() != cells || new_background.size() != cells) {
    return -1;
  }
  foreground = new_foreground;
  background = new_background;
  return 0;
}

bool Frame::hasCellColors() const { return !foreground.empty(); }

const std::vector<sf::Color>& Frame::getForeground() const { return foreground; }

const std::vector<sf::Color>& Frame::getBackground() const { return background; }

long long Frame::drawnCells() const {
  if (width <= 0 || height <= 0) {
    return 0;
  }
  const long long cells = static_cast<long long>(width) * height;
  const long long held =
      static_cast<long long>(hasCodePoints() ? code_points.size() : frame_str.size());
  return cells < held ? cells : held;
}

// The index is 64-bit so that width x height cannot overflow.
Vector Frame::cellPosition(Vector position, long long index) const {
  const int x = static_cast<int>(index % width);
  const int y = static_cast<int>(index / width);
  const int x_offset = width / 2;
  const int y_offset = height / 2;
  return Vector(position.getX() + static_cast<float>(x) - static_cast<float>(x_offset),
                position.getY() + static_cast<float>(y) - static_cast<float>(y_offset));
}

int Frame::draw(Vector position, Color color) const {
  if (frame_str.empty()) {
    return -1;
  }
  if (hasCodePoints() || hasCellColors()) {
    return draw(position, rgbOf(color));
  }
  // The size is not checked against the string, so the walk stops at the
  // string's end.
  const long long cells = drawnCells();
  for (long long i = 0; i < cells; i++) {
    DisplayManager::getInstance().drawCharacter(cellPosition(position, i), frame_str[i], color);
  }
  return 0;
}

int Frame::draw(Vector position, sf::Color color) const {
  if (frame_str.empty()) {
    return -1;
  }
  const long long cells = drawnCells();
  // The colours were given for the cells of their day; a string set later may hold more.
  const long long colored_cells = static_cast<long long>(foreground.size());
  for (long long i = 0; i < cells; i++) {
    const char32_t code_point =
        hasCodePoints() ? code_points[i] : static_cast<unsigned char>(frame_str[i]);
    if (i < colored_cells) {
      DisplayManager::getInstance().drawGlyph(cellPosition(position, i), code_point, foreground[i],
                                              background[i]);
    } else {
      DisplayManager::getInstance().drawGlyph(cellPosition(position, i), code_point, color);
    }
  }
  return 0;
}

}  // namespace wd
