#ifndef WD_OBJECT_LIST_ITERATOR_H
#define WD_OBJECT_LIST_ITERATOR_H

namespace wd {

class Object;
class ObjectList;

// Walks an object list from front to back. It reads the list's count at each
// call, so a list changed during the walk is walked as it then stands.
class ObjectListIterator {
 public:
  explicit ObjectListIterator(const ObjectList* p_l);

  void first();
  void next();
  bool isDone() const;

  // The current entry; valid only while isDone() is false.
  Object* currentObject() const;

 private:
  int index;
  const ObjectList* p_list;
};

}  // namespace wd

#endif
