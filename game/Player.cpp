#include "Player.h"

#include "GameManager.h"
#include "GameResources.h"

namespace {

const float BUNNY_COLUMN = 50.0f;
const float BUNNY_START_ROW = 29.0f;
const int BUNNY_ALTITUDE = 1;

}  // namespace

Player::Player() : p_object(new wd::Object), jumping(false), on_ground(true) {
  const wd::Animation walk = loadAnimation(spriteFileOf("bunnyWalk"), "Walk");
  p_object->setSolidness(wd::HARD);
  p_object->setAltitude(BUNNY_ALTITUDE);
  p_object->setPosition(wd::Vector(BUNNY_COLUMN, BUNNY_START_ROW));
  p_object->setVelocity(wd::Vector(0, 0));
  p_object->setSprite("Walk");
  p_object->setAnimation(walk);
}

Player::~Player() {}

wd::Object* Player::getObject() const { return p_object; }

bool Player::isJumping() const { return jumping; }

void Player::setJumping(bool new_jumping) { jumping = new_jumping; }

bool Player::isOnGround() const { return on_ground; }

void Player::setOnGround(bool new_on_ground) { on_ground = new_on_ground; }

wd::Object* Player::changeSprite(std::string label) {
  const wd::Animation animation = loadAnimation(spriteFileOf(label), label);
  p_object->setSprite(label);
  p_object->setAnimation(animation);
  return p_object;
}

void Player::move(float jump_duration, int jump_start) {
  const wd::GameManager& game = wd::GameManager::getInstance();
  const float row = p_object->getPosition().getY();
  if (jumping) {
    p_object->setVelocity(wd::Vector(0, -1));
    on_ground = false;
  }
  if (static_cast<float>(game.getStepCount()) > jump_start + jump_duration) {
    jumping = false;
  }
  if (!jumping && !on_ground) {
    p_object->setVelocity(wd::Vector(0, 1));
  }
  if (row == game.getGroundLevel() && !jumping) {
    p_object->setVelocity(wd::Vector(0, 0));
    on_ground = true;
  }
  if (!jumping && on_ground && game.getGroundLevel() > row) {
    on_ground = false;
  }
}
