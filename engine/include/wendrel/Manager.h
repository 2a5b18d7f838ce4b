#ifndef WD_MANAGER_H
#define WD_MANAGER_H

#include <string>

namespace wd {

class Event;

// Base of every engine manager: a type name, a started flag, the start/stop
// contract and the broadcast of an event to every object in the world.
class Manager {
 public:
  Manager();
  virtual ~Manager();

  Manager(const Manager&) = delete;
  Manager& operator=(const Manager&) = delete;

  // Marks the manager started; derived managers call it at the end of a
  // successful start of their own. Returns 0.
  virtual int startUp();

  // Marks the manager stopped; derived managers call it at the end of their stop.
  virtual void shutDown();

  std::string getType() const;
  void setType(std::string new_type);
  bool isStarted() const;

  // Hands the event to every object of a copy of the world's list, taken
  // before the first handler runs, except those that handlers have deleted
  // meanwhile. Returns the number of objects in the copy.
  int broadcastEvent(const Event* p_event) const;

 private:
  std::string type;
  bool started;
};

}  // namespace wd

#endif
