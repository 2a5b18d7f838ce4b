#ifndef WD_COLLISION_INDEX_H
#define WD_COLLISION_INDEX_H

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Box.h"

namespace wd {

class Object;
class ObjectList;

// A spatial hash over the solid objects of the world: every object is filed
// under the grid cells its world box reaches, so that a search for the
// objects meeting a box looks at a few cells instead of the whole world.
// Boxes too large for the grid, or whose edges are not finite numbers, are
// kept in an overflow list that every search looks at. The index answers
// with exactly what a walk over the whole world list would find, in the same
// order; when it cannot (the same object stands twice in the world list, or
// the searched box is too large or not finite) it says so and the caller
// walks the list.
class CollisionIndex {
 public:
  // p_world is the world list that the index follows; it is read only to
  // restore the order of its entries.
  explicit CollisionIndex(const ObjectList* p_world);

  // Forgets every object.
  void clear();

  // An entry of the object was appended to the world list.
  void insert(Object* p_o);

  // The first entry of the object was taken out of the world list.
  void remove(const Object* p_o);

  // Files the object anew after its position, box or solidness changed.
  // Objects not in the world are ignored.
  void refresh(const Object* p_o);

  // Whether the object stands in the world list.
  bool contains(const Object* p_o) const;

  // Appends to result the solid objects other than p_o whose world boxes meet
  // box (edges included), in world-list order. false, leaving result
  // untouched, when the index cannot answer this search.
  bool findOverlaps(const Object* p_o, Box box, ObjectList& result) const;

  // Bytes held by the index, its tables and its buckets.
  std::size_t memoryUsage() const;

 private:
  // A rectangle of grid cells, both ends included.
  struct CellRange {
    int x1, y1, x2, y2;
    bool operator==(const CellRange& other) const;
    int cellCount() const;
  };

  // Where a record is filed.
  enum Filing { UNFILED, IN_CELLS, IN_OVERFLOW };

  struct Record {
    Object* p_object;
    std::uint64_t sequence;  // order of joining: the order of the world list
    mutable std::uint64_t search_stamp;  // the last search that looked at it
    int entries;  // how often the object stands in the world list
    Filing filing;
    CellRange cells;
  };

  // The grid cells that the edge test of boxesOverlap can meet for box, a
  // superset of what can overlap it. false when an edge is not finite.
  static bool cellsOf(Box box, CellRange& cells);

  // Where the object's box should be filed, and under which cells.
  Filing filingOf(const Object* p_o, CellRange& cells) const;
  void file(int record_id);
  void unfile(int record_id);
  // The bucket that holds a grid cell's records.
  static int bucketOf(int cell_x, int cell_y);
  // Notes a record met by a search when its box meets box.
  void consider(int record_id, const Object* p_o, const Box& box) const;
  // Numbers the records again in the order of the world list.
  void renumber();

  const ObjectList* p_world;
  std::vector<Record> records;
  std::vector<int> free_records;
  std::unordered_map<const Object*, int> record_of;
  std::vector<std::vector<int>> buckets;
  std::vector<int> overflow;
  std::uint64_t next_sequence;
  // Extra entries of objects that stand in the world list more than once.
  int repeated_entries;
  mutable std::uint64_t search_count;
  mutable std::vector<std::pair<std::uint64_t, Object*>> matches;
};

}  // namespace wd

#endif
