#include "EventStep.h"

namespace wd {

const std::string STEP_EVENT = "wd::step";

EventStep::EventStep() : step_count(0) { setType(STEP_EVENT); }

int EventStep::getStepCount() const { return step_count; }

void EventStep::setStepCount(int new_step_count) { step_count = new_step_count; }

}  // namespace wd
