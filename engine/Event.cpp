#include "Event.h"

namespace wd {

const std::string UNDEFINED_EVENT = "wd::undefined";

Event::Event() : event_type(UNDEFINED_EVENT) {}

Event::~Event() {}

std::string Event::getType() const { return event_type; }

void Event::setType(std::string new_type) { event_type = new_type; }

}  // namespace wd
