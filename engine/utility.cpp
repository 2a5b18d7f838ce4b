#include "utility.h"

#include <cmath>
#include <sstream>

#include "Object.h"
#include "WorldManager.h"

namespace wd {

namespace {

// Two closed intervals [a1, a1 + a_extent] and [b1, b1 + b_extent] meet.
bool spansOverlap(float a1, float a_extent, float b1, float b_extent) {
  const float a2 = a1 + a_extent;
  const float b2 = b1 + b_extent;
  return (b1 <= a1 && a1 <= b2) || (a1 <= b1 && b1 <= a2);
}

}  // namespace

bool boxesOverlap(Box a, Box b) {
  return spansOverlap(a.getCorner().getX(), a.getHorizontal(), b.getCorner().getX(),
                      b.getHorizontal()) &&
         spansOverlap(a.getCorner().getY(), a.getVertical(), b.getCorner().getY(),
                      b.getVertical());
}

Box worldBoxOf(const Object* p_o) { return worldBoxOf(p_o, p_o->getPosition()); }

Box worldBoxOf(const Object* p_o, Vector where) {
  Box box = p_o->getBox();
  const Vector corner = box.getCorner();
  box.setCorner(Vector(corner.getX() + where.getX(), corner.getY() + where.getY()));
  return box;
}

Vector toViewPosition(Vector world_pos) {
  const Vector view_origin = WorldManager::getInstance().getView().getCorner();
  return Vector(world_pos.getX() - view_origin.getX(), world_pos.getY() - view_origin.getY());
}

Vector toWorldPosition(Vector view_pos) {
  const Vector world_origin = WorldManager::getInstance().getBoundary().getCorner();
  return Vector(view_pos.getX() + world_origin.getX(), view_pos.getY() + world_origin.getY());
}

bool positionsNear(Vector p1, Vector p2) {
  return std::fabs(std::fabs(p1.getX()) - std::fabs(p2.getX())) <= 1.0f &&
         std::fabs(std::fabs(p1.getY()) - std::fabs(p2.getY())) <= 1.0f;
}

std::string toString(int i) {
  std::stringstream ss;
  ss << i;
  return ss.str();
}

bool showsOneToOne(const sf::RenderTarget& target, int width, int height) {
  const sf::Vector2u size = target.getSize();
  if (size.x != static_cast<unsigned int>(width) || size.y != static_cast<unsigned int>(height)) {
    return false;
  }
  const sf::View& view = target.getView();
  const sf::View& plain = target.getDefaultView();
  return view.getCenter() == plain.getCenter() && view.getSize() == plain.getSize() &&
         view.getRotation() == plain.getRotation() && view.getViewport() == plain.getViewport();
}

}  // namespace wd
