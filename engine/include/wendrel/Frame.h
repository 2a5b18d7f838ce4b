#ifndef WD_FRAME_H
#define WD_FRAME_H

#include <string>

#include "Color.h"
#include "Vector.h"

namespace wd {

// One picture of character art: width x height characters, row after row.
// A frame with an empty string stands for "no frame".
class Frame {
 public:
  Frame();
  Frame(int new_width, int new_height, std::string new_frame_str);

  int getWidth() const;
  void setWidth(int new_width);
  int getHeight() const;
  void setHeight(int new_height);
  std::string getString() const;
  void setString(std::string new_frame_str);

  // Draws the frame centred on position. -1 for an empty frame, else 0.
  int draw(Vector position, Color color) const;

 private:
  int width;
  int height;
  std::string frame_str;
};

}  // namespace wd

#endif
