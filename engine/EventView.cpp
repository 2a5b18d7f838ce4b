#include "EventView.h"

namespace wd {

EventView::EventView(std::string new_tag, int new_value, bool new_delta)
    : tag(new_tag), value(new_value), delta(new_delta) {
  setType("VIEW_EVENT");
}

std::string EventView::getTag() const { return tag; }

void EventView::setTag(std::string new_tag) { tag = new_tag; }

int EventView::getValue() const { return value; }

void EventView::setValue(int new_value) { value = new_value; }

bool EventView::getDelta() const { return delta; }

void EventView::setDelta(bool new_delta) { delta = new_delta; }

}  // namespace wd
