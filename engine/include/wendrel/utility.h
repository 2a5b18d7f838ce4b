#ifndef WD_UTILITY_H
#define WD_UTILITY_H

#include <string>

#include <SFML/Graphics/RenderTarget.hpp>

#include "Box.h"
#include "Vector.h"

namespace wd {

class Object;

// True when the boxes share at least one point; touching edges count.
bool boxesOverlap(Box a, Box b);

// The object's box moved to its own position, or to where.
Box worldBoxOf(const Object* p_o);
Box worldBoxOf(const Object* p_o, Vector where);

// World cells to view cells: subtracts the corner of the view.
Vector toViewPosition(Vector world_pos);

// View cells to world cells: adds the corner of the world boundary.
Vector toWorldPosition(Vector view_pos);

// True when the absolute coordinates differ by at most one cell each.
bool positionsNear(Vector p1, Vector p2);

// The integer in decimal.
std::string toString(int i);

// Whether target is width x height pixels, seen one to one through its
// default view.
bool showsOneToOne(const sf::RenderTarget& target, int width, int height);

}  // namespace wd

#endif
