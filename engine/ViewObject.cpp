#include "ViewObject.h"

#include "DisplayManager.h"
#include "EventView.h"
#include "WorldManager.h"
#include "utility.h"

namespace wd {

namespace {

const int VIEW_OBJECT_ALTITUDE = 4;

// The place of a location in a view of horizontal by vertical cells, relative
// to the view's corner; false for a value that is none of the nine.
bool placeInView(Location location, float horizontal, float vertical, Vector& place) {
  if (location < TOP_LEFT || location > BOTTOM_RIGHT) {
    return false;
  }
  const int column = static_cast<int>(location) % 3;
  const int row = static_cast<int>(location) / 3;
  const float column_factor[] = {1.0f, 3.0f, 5.0f};
  const float x = horizontal * column_factor[column] / 6;
  float y = 1.0f;
  if (row == 1) {
    y = static_cast<float>(static_cast<double>(vertical) * 2.5 / 6.0);
  } else if (row == 2) {
    y = vertical * 5.0f / 6;
  }
  place.setXY(x, y);
  return true;
}

}  // namespace

ViewObject::ViewObject()
    : caption(),
      value(0),
      draw_value(true),
      border(true),
      color(WHITE),
      location(TOP_CENTER),
      has_foreground(false),
      foreground(sf::Color::White),
      background(CELL_BACKGROUND_COLOR) {
  setSolidness(INTANGIBLE);
  setAltitude(VIEW_OBJECT_ALTITUDE);
  setType("ViewObject");
  setLocation(TOP_CENTER);
}

int ViewObject::handleEvent(const Event* p_e) {
  if (p_e->getType() != "VIEW_EVENT") {
    return -1;
  }
  // The type string alone does not prove the class.
  const EventView* p_view_event = dynamic_cast<const EventView*>(p_e);
  if (p_view_event == nullptr || p_view_event->getTag() != caption) {
    return -1;
  }
  if (p_view_event->getDelta()) {
    value += p_view_event->getValue();
  } else {
    value = p_view_event->getValue();
  }
  return 0;
}

int ViewObject::draw() {
  std::string text = caption + " " + toString(value);
  if (border) {
    text = " " + text + " ";
  }
  DisplayManager& display_manager = DisplayManager::getInstance();
  const Vector world_pos = toWorldPosition(getPosition());
  if (has_foreground || background != CELL_BACKGROUND_COLOR) {
    display_manager.drawText(world_pos, text, ALIGN_CENTER, getForegroundColor(), background);
  } else {
    display_manager.drawString(world_pos, text, ALIGN_CENTER, color);
  }
  return 0;
}

std::string ViewObject::getCaption() const { return caption; }

void ViewObject::setCaption(std::string new_caption) { caption = new_caption; }

int ViewObject::getValue() const { return value; }

void ViewObject::setValue(int new_value) { value = new_value; }

bool ViewObject::getDrawValue() const { return draw_value; }

void ViewObject::setDrawValue(bool new_draw_value) { draw_value = new_draw_value; }

bool ViewObject::getBorder() const { return border; }

void ViewObject::setBorder(bool new_border) {
  if (new_border == border) {
    return;
  }
  border = new_border;
  setLocation(getLocation());
}

Color ViewObject::getColor() const { return color; }

void ViewObject::setColor(Color new_color) {
  color = new_color;
  has_foreground = false;
}

sf::Color ViewObject::getForegroundColor() const {
  return has_foreground ? foreground : rgbOf(color);
}

void ViewObject::setForegroundColor(sf::Color new_foreground) {
  foreground = new_foreground;
  has_foreground = true;
}

sf::Color ViewObject::getBackgroundColor() const { return background; }

void ViewObject::setBackgroundColor(sf::Color new_background) { background = new_background; }

Location ViewObject::getLocation() const { return location; }

void ViewObject::setLocation(Location new_location) {
  const Box view = WorldManager::getInstance().getView();
  Vector place(0, 0);
  if (placeInView(new_location, view.getHorizontal(), view.getVertical(), place) && !border) {
    place.setY(place.getY() - 1);
  }
  setPosition(place + view.getCorner());
  location = new_location;
}

}  // namespace wd
