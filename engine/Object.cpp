#include "Object.h"

#include "EventView.h"
#include "ResourceManager.h"
#include "WorldManager.h"

namespace wd {

namespace {

// Ids are never reused: the counter only grows.
int id_counter = 0;

}  // namespace

Object::Object()
    : id(++id_counter),
      type("Object"),
      position(),
      altitude(2),
      direction(),
      speed(0.0f),
      solidness(HARD),
      animation(),
      box(),
      label(),
      marker(0),
      anchor() {
  WorldManager::getInstance().insertObject(this);
}

Object::~Object() {
  const EventView points("Points", 10, true);
  WorldManager& world_manager = WorldManager::getInstance();
  world_manager.broadcastEvent(&points);
  world_manager.removeObject(this);
  world_manager.forgetObject(this);
}

int Object::handleEvent(const Event*) { return 0; }

int Object::draw() { return animation.draw(position); }

int Object::getId() const { return id; }

void Object::setId(int new_id) { id = new_id; }

std::string Object::getType() const { return type; }

void Object::setType(std::string new_type) { type = new_type; }

Vector Object::getPosition() const { return position; }

void Object::setPosition(Vector new_pos) {
  position = new_pos;
  WorldManager::getInstance().refreshObject(this);
}

int Object::getAltitude() const { return altitude; }

int Object::setAltitude(int new_altitude) {
  altitude = new_altitude;
  return 0;
}

Solidness Object::getSolidness() const { return solidness; }

int Object::setSolidness(Solidness new_solid) {
  solidness = new_solid;
  WorldManager::getInstance().refreshObject(this);
  return 0;
}

bool Object::isSolid() const { return solidness != INTANGIBLE; }

Vector Object::getDirection() const { return direction; }

void Object::setDirection(Vector new_direction) { direction = new_direction; }

float Object::getSpeed() const { return speed; }

void Object::setSpeed(float new_speed) { speed = new_speed; }

Vector Object::getVelocity() const {
  Vector velocity = direction;
  velocity.scale(speed);
  return velocity;
}

void Object::setVelocity(Vector new_velocity) {
  speed = new_velocity.getMagnitude();
  new_velocity.normalize();
  direction = new_velocity;
}

Vector Object::nextPosition() const { return position + getVelocity(); }

Box Object::getBox() const { return box; }

void Object::setBox(Box new_box) {
  box = new_box;
  WorldManager::getInstance().refreshObject(this);
}

Animation Object::getAnimation() const { return animation; }

void Object::setAnimation(Animation new_animation) { animation = new_animation; }

int Object::setSprite(std::string sprite_label) {
  Sprite* p_sprite = ResourceManager::getInstance().getSprite(sprite_label);
  if (p_sprite == nullptr) {
    return -1;
  }
  animation.setSprite(p_sprite);
  setBox(animation.getBox());
  return 0;
}

std::string Object::getLabel() const { return label; }

void Object::setLabel(std::string new_label) { label = new_label; }

int Object::getMarker() const { return marker; }

void Object::setMarker(int new_marker) { marker = new_marker; }

Vector Object::getAnchor() const { return anchor; }

void Object::setAnchor(Vector new_anchor) { anchor = new_anchor; }

}  // namespace wd
