#include "Chunk.h"

#include <cstdlib>

#include "Animation.h"
#include "GameManager.h"
#include "GameResources.h"
#include "ObjectListIterator.h"

namespace {

const int MAX_CHUNK_PIECES = 20;
const int PIECE_ALTITUDE = 1;
const float BUNNY_COLUMN = 50.0f;
const float RECYCLE_COLUMN = -50.0f;

struct PiecePlace {
  const char* name;
  float x;
  float y;
};

const PiecePlace LAYOUT_1[] = {{"spikes", 125, 31},   {"spikes", 185, 31},
                               {"platform", 125, 26}, {"platform", 145, 22},
                               {"platform", 165, 18}, {"platform", 185, 26}};
const PiecePlace LAYOUT_2[] = {{"spikes", 125, 31},   {"spikes", 185, 31},
                               {"platform", 125, 26}, {"platform", 145, 22},
                               {"platform", 185, 26}};
const PiecePlace LAYOUT_3[] = {{"platform", 120, 26}, {"platform", 155, 26},
                               {"platform", 190, 26}, {"spikes", 120, 25.5f},
                               {"spikes", 155, 31},   {"spikes", 190, 25.5f}};

struct Layout {
  const PiecePlace* p_places;
  int count;
};

template <int N>
constexpr Layout layoutOf(const PiecePlace (&places)[N]) {
  return Layout{places, N};
}

// Layout r of the random draw stands at index r - 1.
const Layout LAYOUTS[] = {layoutOf(LAYOUT_1), layoutOf(LAYOUT_2), layoutOf(LAYOUT_3)};

wd::Vector scrollVelocity() {
  return wd::Vector(-wd::GameManager::getInstance().getScrollSpeed(), 0);
}

// Deletes every object of the list (each leaves the world) and empties it.
void destroyAll(wd::ObjectList& list) {
  const wd::ObjectList doomed = list;
  list.clear();
  for (wd::ObjectListIterator li(&doomed); !li.isDone(); li.next()) {
    delete li.currentObject();
  }
}

}  // namespace

Chunk::Chunk(wd::Vector) : max_pieces(MAX_CHUNK_PIECES) {}

Chunk::~Chunk() {}

int Chunk::addPiece(std::string name, wd::Vector position) {
  return addPieceTo(pieces, name, position);
}

int Chunk::addStagingPiece(std::string name, wd::Vector position) {
  return addPieceTo(staging, name, position);
}

int Chunk::addPieceTo(wd::ObjectList& list, const std::string& name, wd::Vector position) {
  if (list.getCount() >= max_pieces) {
    return 1;
  }
  auto* p_piece = new wd::Object;
  list.insert(p_piece);
  const wd::Animation animation = loadAnimation(spriteFileOf(name), name);
  p_piece->setSolidness(wd::SOFT);
  p_piece->setAltitude(PIECE_ALTITUDE);
  p_piece->setPosition(position);
  p_piece->setVelocity(scrollVelocity());
  p_piece->setSprite(name);
  p_piece->setAnimation(animation);
  p_piece->setType(name);
  p_piece->setLabel(name);
  p_piece->setAnchor(position);
  return 0;
}

void Chunk::generateLayout() {
  const int r = std::rand() % 3 + 1;
  addStagingPiece("floor", wd::Vector(REFERENCE_FLOOR_X, 40));
  const Layout& layout = LAYOUTS[r - 1];
  for (int i = 0; i < layout.count; i++) {
    const PiecePlace& place = layout.p_places[i];
    addStagingPiece(place.name, wd::Vector(place.x, place.y));
  }
}

void Chunk::recycle() {
  for (wd::ObjectListIterator li(&pieces); !li.isDone(); li.next()) {
    const wd::Object* p_piece = li.currentObject();
    const float column = p_piece->getPosition().getX();
    if (p_piece->getType() != "floor" || static_cast<int>(column) >= RECYCLE_COLUMN) {
      continue;
    }
    const float offset = RECYCLE_COLUMN - column;
    destroyAll(pieces);
    generateLayout();
    for (wd::ObjectListIterator si(&staging); !si.isDone(); si.next()) {
      const wd::Object* p_staged = si.currentObject();
      const wd::Vector anchor = p_staged->getAnchor();
      addPiece(p_staged->getLabel(), wd::Vector(anchor.getX() - offset, anchor.getY()));
    }
    destroyAll(staging);
  }
}

bool Chunk::noPlatformUnderPlayer() {
  bool platform_under = false;
  for (wd::ObjectListIterator li(&pieces); !li.isDone(); li.next()) {
    const wd::Object* p_piece = li.currentObject();
    if (p_piece->getType() != "platform") {
      continue;
    }
    const float x = p_piece->getPosition().getX();
    const float width = p_piece->getBox().getHorizontal();
    if (BUNNY_COLUMN + width > x && x > BUNNY_COLUMN - width / 2) {
      wd::GameManager::getInstance().setGroundLevel(p_piece->getPosition().getY() - 2);
      platform_under = true;
    }
  }
  return !platform_under;
}

void Chunk::checkSpikes(const wd::Object* p_bunny) {
  const float bunny_row = p_bunny->getPosition().getY();
  for (wd::ObjectListIterator li(&pieces); !li.isDone(); li.next()) {
    const wd::Object* p_piece = li.currentObject();
    const float x = p_piece->getPosition().getX();
    const float y = p_piece->getPosition().getY();
    const float width = p_piece->getBox().getHorizontal();
    if (BUNNY_COLUMN + width > x && x > BUNNY_COLUMN - width && bunny_row + 2 >= y &&
        y > bunny_row - 2 && p_piece->getType() == "spikes") {
      wd::GameManager::getInstance().setPlayerDead(true);
    }
  }
}

void Chunk::setPieceSpeed() {
  for (wd::ObjectListIterator li(&pieces); !li.isDone(); li.next()) {
    li.currentObject()->setVelocity(scrollVelocity());
  }
}

const wd::ObjectList& Chunk::getPieces() const { return pieces; }
