#ifndef BUNNY_CHUNK_H
#define BUNNY_CHUNK_H

#include <string>

#include "Object.h"
#include "ObjectList.h"
#include "Vector.h"

// Column of a chunk's floor in the layouts; the bunny's column is 50.
const float REFERENCE_FLOOR_X = 150.0f;

// One screen-wide stretch of terrain: a floor and a few platforms and spikes
// that scroll left. It rebuilds itself from a random layout once its floor has
// scrolled out on the left, and tells whether a platform is under the bunny
// and whether spikes touch it. The world owns the pieces.
class Chunk {
 public:
  // The position is the floor's; the chunk keeps nothing of it.
  explicit Chunk(wd::Vector position);
  virtual ~Chunk();

  // Creates a piece named "floor", "platform" or "spikes" at a position.
  // 0, or 1 when the chunk already holds its maximum of pieces.
  int addPiece(std::string name, wd::Vector position);
  int addStagingPiece(std::string name, wd::Vector position);

  // Draws one of the three layouts into the staging list.
  void generateLayout();

  // Rebuilds the chunk 200 columns further right once its floor is past -50.
  void recycle();

  // True when no platform is under the bunny; a platform under it sets the
  // game's ground level to two rows above the platform.
  bool noPlatformUnderPlayer();

  // Marks the player dead when spikes touch the bunny.
  void checkSpikes(const wd::Object* p_bunny);

  // Gives every piece the game's current scroll speed.
  void setPieceSpeed();

  const wd::ObjectList& getPieces() const;

 private:
  int addPieceTo(wd::ObjectList& list, const std::string& name, wd::Vector position);

  wd::ObjectList pieces;
  wd::ObjectList staging;
  int max_pieces;
};

#endif
