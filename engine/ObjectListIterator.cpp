#include "ObjectListIterator.h"

#include "ObjectList.h"

namespace wd {

ObjectListIterator::ObjectListIterator(const ObjectList* p_l) : index(0), p_list(p_l) { first(); }

void ObjectListIterator::first() { index = 0; }

void ObjectListIterator::next() {
  if (index < p_list->count) {
    index++;
  }
}

// A list that shrank by more than one entry under a walk leaves the index past
// the count; the walk is over then too.
bool ObjectListIterator::isDone() const { return index >= p_list->count; }

Object* ObjectListIterator::currentObject() const {
  return isDone() ? nullptr : p_list->list[index];
}

}  // namespace wd
