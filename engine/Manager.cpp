#include "Manager.h"

#include "Object.h"
#include "ObjectList.h"
#include "ObjectWalk.h"
#include "WorldManager.h"

namespace wd {

Manager::Manager() : type("Manager"), started(false) {}

Manager::~Manager() {}

int Manager::startUp() {
  started = true;
  return 0;
}

void Manager::shutDown() { started = false; }

std::string Manager::getType() const { return type; }

void Manager::setType(std::string new_type) { type = new_type; }

bool Manager::isStarted() const { return started; }

int Manager::broadcastEvent(const Event* p_event) const {
  // Handlers may create or delete objects; the walk goes over the world as it
  // stood before the first of them ran, less what they have deleted.
  ObjectList all_objects = WorldManager::getInstance().getAllObjects();
  for (ObjectWalk walk(&all_objects); !walk.isDone(); walk.next()) {
    walk.currentObject()->handleEvent(p_event);
  }
  return all_objects.getCount();
}

}  // namespace wd
