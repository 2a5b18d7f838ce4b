#include "ObjectList.h"

#include <algorithm>

namespace wd {

ObjectList::ObjectList() : count(0) {}

// Only the entries in use carry meaning, so only they are copied.
ObjectList::ObjectList(const ObjectList& other) : count(other.count) {
  std::copy(other.list, other.list + other.count, list);
}

ObjectList& ObjectList::operator=(const ObjectList& other) {
  if (this != &other) {
    count = other.count;
    std::copy(other.list, other.list + other.count, list);
  }
  return *this;
}

int ObjectList::insert(Object* p_o) {
  if (isFull()) {
    return 1;
  }
  list[count] = p_o;
  count++;
  return 0;
}

int ObjectList::remove(Object* p_o) {
  Object** const end = list + count;
  Object** const found = std::find(list, end, p_o);
  if (found == end) {
    return -1;
  }
  std::copy(found + 1, end, found);
  count--;
  return 0;
}

void ObjectList::clear() { count = 0; }

int ObjectList::getCount() const { return count; }

bool ObjectList::isEmpty() const { return count < 1; }

bool ObjectList::isFull() const { return count == MAX_OBJECTS; }

}  // namespace wd
