#ifndef WD_BOX_H
#define WD_BOX_H

#include "Vector.h"

namespace wd {

// A rectangle in cells: upper-left corner and two extents, edges included.
class Box {
 public:
  Box();
  Box(Vector init_corner, float init_horizontal, float init_vertical);

  Vector getCorner() const;
  void setCorner(Vector new_corner);
  float getHorizontal() const;
  void setHorizontal(float new_horizontal);
  float getVertical() const;
  void setVertical(float new_vertical);

 private:
  Vector corner;
  float horizontal;
  float vertical;
};

}  // namespace wd

#endif
