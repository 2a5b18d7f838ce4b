#include "ObjectWalk.h"

namespace wd {

ObjectWalk* ObjectWalk::p_innermost = nullptr;

ObjectWalk::ObjectWalk(ObjectList* p_l, Object* p_subject)
    : p_list(p_l), index(0), p_subject(p_subject), p_outer(p_innermost) {
  p_innermost = this;
  skipCleared();
}

// Walks end in the reverse order of their starts: each is a local of a
// function that the walk started after it has called.
ObjectWalk::~ObjectWalk() { p_innermost = p_outer; }

Object* ObjectWalk::getSubject() const { return p_subject; }

void ObjectWalk::forgetEverywhere(const Object* p_o) {
  for (ObjectWalk* p_walk = p_innermost; p_walk != nullptr; p_walk = p_walk->p_outer) {
    p_walk->forget(p_o);
  }
}

// Entries already passed are never read again; an object may stand in the
// list more than once.
void ObjectWalk::forget(const Object* p_o) {
  for (int i = index; i < p_list->count; i++) {
    if (p_list->list[i] == p_o) {
      p_list->list[i] = nullptr;
    }
  }
  if (p_subject == p_o) {
    p_subject = nullptr;
  }
}

}  // namespace wd
