#include "CollisionIndex.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "utility.h"

namespace wd {

namespace {

// World cells per grid cell along each axis; a power of two keeps the
// division exact. Chosen by measurement on the world benchmarks.
const float GRID_CELL_SIZE = 8.0f;

// Grid coordinates are clamped to this, so that far boxes share the outer
// cells instead of overflowing an int.
const float GRID_LIMIT = 1 << 20;

// A box reaching more grid cells than this goes to the overflow list.
const int MAX_FILED_CELLS = 16;

// A search over more grid cells than this is left to the caller's walk.
const int MAX_SEARCHED_CELLS = 256;

// Number of hash buckets; a power of two.
const int BUCKET_COUNT = 8192;

// The closed span that the edge test of boxesOverlap can meet on one axis:
// from the corner to the far edge, or the corner alone when the extent is
// negative or not a number. false when the span is not finite.
bool spanOf(float start, float extent, float& low, float& high) {
  const float end = start + extent;
  low = start;
  high = end >= start ? end : start;
  return std::isfinite(low) && std::isfinite(high);
}

int gridCoordinate(float coordinate) {
  const float cell = std::floor(coordinate / GRID_CELL_SIZE);
  return static_cast<int>(std::max(-GRID_LIMIT, std::min(GRID_LIMIT, cell)));
}

}  // namespace

bool CollisionIndex::CellRange::operator==(const CellRange& other) const {
  return x1 == other.x1 && y1 == other.y1 && x2 == other.x2 && y2 == other.y2;
}

int CollisionIndex::CellRange::cellCount() const {
  // Spans stay within twice GRID_LIMIT, so the product fits 64 bits.
  const long long cells = (static_cast<long long>(x2) - x1 + 1) * (static_cast<long long>(y2) - y1 + 1);
  return static_cast<int>(std::min<long long>(cells, INT_MAX));
}

bool CollisionIndex::cellsOf(Box box, CellRange& cells) {
  float x1, x2, y1, y2;
  if (!spanOf(box.getCorner().getX(), box.getHorizontal(), x1, x2) ||
      !spanOf(box.getCorner().getY(), box.getVertical(), y1, y2)) {
    return false;
  }
  cells = CellRange{gridCoordinate(x1), gridCoordinate(y1), gridCoordinate(x2), gridCoordinate(y2)};
  return true;
}

CollisionIndex::CollisionIndex(const ObjectList* p_world)
    : p_world(p_world),
      buckets(BUCKET_COUNT),
      next_sequence(0),
      repeated_entries(0),
      search_count(0) {
  records.reserve(MAX_OBJECTS);
  free_records.reserve(MAX_OBJECTS);
  record_of.reserve(MAX_OBJECTS);
  matches.reserve(MAX_OBJECTS);
}

void CollisionIndex::clear() {
  records.clear();
  free_records.clear();
  record_of.clear();
  for (std::vector<int>& bucket : buckets) {
    bucket.clear();
  }
  overflow.clear();
  next_sequence = 0;
  repeated_entries = 0;
}

void CollisionIndex::insert(Object* p_o) {
  const auto found = record_of.find(p_o);
  if (found != record_of.end()) {
    records[found->second].entries++;
    repeated_entries++;
    return;
  }
  int record_id = static_cast<int>(records.size());
  if (free_records.empty()) {
    records.push_back(Record());
  } else {
    record_id = free_records.back();
    free_records.pop_back();
  }
  records[record_id] = Record{p_o, next_sequence++, 0, 1, UNFILED, CellRange{0, 0, 0, 0}};
  record_of.emplace(p_o, record_id);
  file(record_id);
}

void CollisionIndex::remove(const Object* p_o) {
  const auto found = record_of.find(p_o);
  if (found == record_of.end()) {
    return;
  }
  const int record_id = found->second;
  Record& record = records[record_id];
  record.entries--;
  if (record.entries > 0) {
    // The entry that stays is a later one: its place in the order is known
    // again only by walking the list, once no object stands in it twice.
    repeated_entries--;
    if (repeated_entries == 0) {
      renumber();
    }
    return;
  }
  unfile(record_id);
  record.p_object = nullptr;
  record_of.erase(found);
  free_records.push_back(record_id);
}

void CollisionIndex::refresh(const Object* p_o) {
  const auto found = record_of.find(p_o);
  if (found == record_of.end()) {
    return;
  }
  const Record& record = records[found->second];
  CellRange cells{0, 0, 0, 0};
  const Filing filing = filingOf(p_o, cells);
  if (filing == record.filing && (filing != IN_CELLS || cells == record.cells)) {
    return;
  }
  unfile(found->second);
  file(found->second);
}

bool CollisionIndex::contains(const Object* p_o) const { return record_of.count(p_o) > 0; }

bool CollisionIndex::findOverlaps(const Object* p_o, Box box, ObjectList& result) const {
  CellRange cells{0, 0, 0, 0};
  if (repeated_entries > 0 || !cellsOf(box, cells) || cells.cellCount() > MAX_SEARCHED_CELLS) {
    return false;
  }
  search_count++;
  matches.clear();
  for (int y = cells.y1; y <= cells.y2; y++) {
    for (int x = cells.x1; x <= cells.x2; x++) {
      for (int record_id : buckets[bucketOf(x, y)]) {
        consider(record_id, p_o, box);
      }
    }
  }
  for (int record_id : overflow) {
    consider(record_id, p_o, box);
  }
  std::sort(matches.begin(), matches.end());
  for (const auto& match : matches) {
    result.insert(match.second);
  }
  return true;
}

std::size_t CollisionIndex::memoryUsage() const {
  std::size_t bytes = sizeof(*this) + records.capacity() * sizeof(Record) +
                      free_records.capacity() * sizeof(int) + overflow.capacity() * sizeof(int) +
                      matches.capacity() * sizeof(matches[0]) +
                      buckets.capacity() * sizeof(std::vector<int>);
  for (const std::vector<int>& bucket : buckets) {
    bytes += bucket.capacity() * sizeof(int);
  }
  // The hash map: its bucket array and one node per object (key, value and
  // the link, as the standard library lays them out).
  bytes += record_of.bucket_count() * sizeof(void*) +
           record_of.size() * (sizeof(void*) + sizeof(std::pair<const Object*, int>) + sizeof(std::size_t));
  return bytes;
}

CollisionIndex::Filing CollisionIndex::filingOf(const Object* p_o, CellRange& cells) const {
  if (!p_o->isSolid()) {
    return UNFILED;
  }
  if (!cellsOf(worldBoxOf(p_o), cells)) {
    return IN_OVERFLOW;
  }
  return cells.cellCount() > MAX_FILED_CELLS ? IN_OVERFLOW : IN_CELLS;
}

void CollisionIndex::file(int record_id) {
  Record& record = records[record_id];
  record.filing = filingOf(record.p_object, record.cells);
  if (record.filing == IN_OVERFLOW) {
    overflow.push_back(record_id);
  } else if (record.filing == IN_CELLS) {
    for (int y = record.cells.y1; y <= record.cells.y2; y++) {
      for (int x = record.cells.x1; x <= record.cells.x2; x++) {
        buckets[bucketOf(x, y)].push_back(record_id);
      }
    }
  }
}

void CollisionIndex::unfile(int record_id) {
  Record& record = records[record_id];
  // Order within a bucket does not matter: searches sort what they find.
  const auto take_out = [record_id](std::vector<int>& bucket) {
    const auto place = std::find(bucket.begin(), bucket.end(), record_id);
    *place = bucket.back();
    bucket.pop_back();
  };
  if (record.filing == IN_OVERFLOW) {
    take_out(overflow);
  } else if (record.filing == IN_CELLS) {
    for (int y = record.cells.y1; y <= record.cells.y2; y++) {
      for (int x = record.cells.x1; x <= record.cells.x2; x++) {
        take_out(buckets[bucketOf(x, y)]);
      }
    }
  }
  record.filing = UNFILED;
}

int CollisionIndex::bucketOf(int cell_x, int cell_y) {
  const std::uint32_t hash = static_cast<std::uint32_t>(cell_x) * 73856093u ^
                             static_cast<std::uint32_t>(cell_y) * 19349663u;
  return static_cast<int>(hash & (BUCKET_COUNT - 1));
}

void CollisionIndex::consider(int record_id, const Object* p_o, const Box& box) const {
  const Record& record = records[record_id];
  if (record.search_stamp == search_count) {
    return;  // met already under another cell
  }
  record.search_stamp = search_count;
  Object* p_other = record.p_object;
  if (p_other != p_o && boxesOverlap(box, worldBoxOf(p_other)) && p_other->isSolid()) {
    matches.emplace_back(record.sequence, p_other);
  }
}

void CollisionIndex::renumber() {
  next_sequence = 0;
  for (ObjectListIterator li(p_world); !li.isDone(); li.next()) {
    records[record_of.find(li.currentObject())->second].sequence = next_sequence++;
  }
}

}  // namespace wd
