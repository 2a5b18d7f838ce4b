#ifndef WD_VECTOR_H
#define WD_VECTOR_H

namespace wd {

// A position, velocity or extent in cells: two floats, copied by value.
class Vector {
 public:
  Vector();
  Vector(float init_x, float init_y);

  float getX() const;
  float getY() const;
  void setX(float new_x);
  void setY(float new_y);
  void setXY(float new_x, float new_y);

  // Length in single precision.
  float getMagnitude() const;

  // Scales to unit length; a zero vector stays as it is.
  void normalize();

  void scale(float s);

  Vector operator+(const Vector& other) const;

 private:
  float x;
  float y;
};

}  // namespace wd

#endif
