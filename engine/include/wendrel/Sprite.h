#ifndef WD_SPRITE_H
#define WD_SPRITE_H

#include <string>
#include <vector>

#include <SFML/Graphics/Color.hpp>

#include "Color.h"
#include "Frame.h"
#include "Vector.h"

namespace wd {

// A sequence of frames of one size, one colour and one slowdown, found by label.
class Sprite {
 public:
  // A sprite without frames; it draws nothing.
  Sprite();
  // A sprite that takes up to max_frames frames (none when negative).
  explicit Sprite(int max_frames);
  ~Sprite();

  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  int getWidth() const;
  void setWidth(int new_width);
  int getHeight() const;
  void setHeight(int new_height);
  Color getColor() const;
  // Sets the colour; a 24-bit colour set before gives way to it.
  void setColor(Color new_color);
  // The 24-bit colour the sprite draws in: the one set, or its colour's.
  sf::Color getRgbColor() const;
  // Draws the sprite in a 24-bit colour; getColor stays as it was.
  void setRgbColor(sf::Color new_rgb_color);
  // Whether a 24-bit colour was set (and not replaced by setColor since).
  bool hasRgbColor() const;
  int getSlowdown() const;
  void setSlowdown(int new_slowdown);
  std::string getLabel() const;
  void setLabel(std::string new_label);
  int getFrameCount() const;

  // Appends a copy of the frame; -1 when the sprite is full.
  int addFrame(Frame new_frame);

  // A copy of the frame at that index, or an empty frame.
  Frame getFrame(int frame_number) const;

  // Draws one frame in the sprite's colour; -1 when there is no such slot.
  int draw(int frame_number, Vector position) const;

 private:
  int width;
  int height;
  int max_frame_count;
  int frame_count;
  Color color;
  sf::Color rgb_color;
  bool has_rgb_color;
  int slowdown;
  // False for a default-constructed sprite, which has no frames to draw.
  bool has_frame_array;
  // The added frames; max_frame_count bounds its size, nothing is reserved.
  std::vector<Frame> frame;
  std::string label;
};

}  // namespace wd

#endif
