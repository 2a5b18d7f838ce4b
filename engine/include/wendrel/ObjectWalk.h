#ifndef WD_OBJECT_WALK_H
#define WD_OBJECT_WALK_H

#include "ObjectList.h"

namespace wd {

class Object;

// Walks a list of objects that are called back one by one, from front to
// back, when any callback may delete objects. The list is a copy that the
// caller gives up to the walk: while the walk lasts, every entry of an object
// that is deleted, by a callback or by anything a callback calls, is cleared
// in it, and the walk passes cleared entries by. A walk can thus not reach a deleted object, not
// even through a new object that was given the deleted one's address. Walks
// nest; each lives on the stack of the function that walks, and costs
// nothing until an object is deleted while it lasts.
class ObjectWalk {
 public:
  // Starts at the first entry of the list. p_subject, when not null, is one
  // more object followed for deletion: the one the walk acts for.
  explicit ObjectWalk(ObjectList* p_list, Object* p_subject = nullptr);
  ~ObjectWalk();

  ObjectWalk(const ObjectWalk&) = delete;
  ObjectWalk& operator=(const ObjectWalk&) = delete;

  // Moves on to the next entry that is not cleared.
  void next();
  bool isDone() const;

  // The current entry; null once its object has been deleted, and when the
  // walk is done.
  Object* currentObject() const;

  // The subject; null once it has been deleted.
  Object* getSubject() const;

  // Clears the object from every walk under way. Called as it is deleted.
  static void forgetEverywhere(const Object* p_o);

 private:
  // Clears the entries of p_o from the current one on, and the subject.
  void forget(const Object* p_o);
  void skipCleared();

  ObjectList* p_list;
  int index;
  Object* p_subject;
  // The walk under way when this one started.
  ObjectWalk* p_outer;
  // The walk started last of those under way; null when none is.
  static ObjectWalk* p_innermost;
};

// The steps of a walk are defined here so that the loops of the broadcasts,
// which run for every object several times a frame, can inline them.

inline void ObjectWalk::next() {
  if (index < p_list->count) {
    index++;
  }
  skipCleared();
}

inline bool ObjectWalk::isDone() const { return index >= p_list->count; }

inline Object* ObjectWalk::currentObject() const { return isDone() ? nullptr : p_list->list[index]; }

inline void ObjectWalk::skipCleared() {
  while (index < p_list->count && p_list->list[index] == nullptr) {
    index++;
  }
}

}  // namespace wd

#endif
