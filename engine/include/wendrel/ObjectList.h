#ifndef WD_OBJECT_LIST_H
#define WD_OBJECT_LIST_H

namespace wd {

class Object;

// Capacity of every object list.
const int MAX_OBJECTS = 5000;

// A fixed-capacity, ordered list of object pointers. It never owns the
// objects, never allocates, and is copied by value.
class ObjectList {
 public:
  ObjectList();
  ObjectList(const ObjectList& other);
  ObjectList& operator=(const ObjectList& other);

  // Appends p. 0 on success, 1 when the list is full.
  int insert(Object* p_o);

  // Removes the first entry equal to p, keeping the order of the rest.
  // 0 on success, -1 when p is not in the list.
  int remove(Object* p_o);

  void clear();
  int getCount() const;
  bool isEmpty() const;
  bool isFull() const;

 private:
  friend class ObjectListIterator;
  friend class ObjectWalk;

  int count;
  Object* list[MAX_OBJECTS];
};

}  // namespace wd

#endif
