// View objects: their places in the view, view events and the text drawn.
#include <gtest/gtest.h>
#include <string>

#include "DisplayManager.h"
#include "EventStep.h"
#include "EventView.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "test_support.h"

using wd::Vector;
using wd::ViewObject;

namespace {

void setView(float x, float y) {
  wd::WorldManager::getInstance().setView(wd::Box(Vector(x, y), 100, 50));
}

void expectAt(const ViewObject& view_object, float x, float y) {
  EXPECT_FLOAT_EQ(view_object.getPosition().getX(), x);
  EXPECT_FLOAT_EQ(view_object.getPosition().getY(), y);
}

TEST(ViewObjectTest, NinePlacesWithAndWithoutBorderFixedAtTheCall) {
  setView(0, 0);
  ViewObject view_object;
  expectAt(view_object, 50, 1);
  view_object.setBorder(false);
  expectAt(view_object, 50, 0);
  const float columns[] = {100.0f / 6, 50.0f, 500.0f / 6};
  const float rows[] = {1.0f, 125.0f / 6, 250.0f / 6};
  setView(20, 5);
  for (int border = 0; border < 2; border++) {
    view_object.setBorder(border == 1);
    for (int place = 0; place < 9; place++) {
      view_object.setLocation(static_cast<wd::Location>(place));
      SCOPED_TRACE("place " + std::to_string(place) + " border " + std::to_string(border));
      expectAt(view_object, 20 + columns[place % 3], 5 + (rows[place / 3] - 1 + border));
    }
  }
  setView(0, 0);
  expectAt(view_object, 20 + 500.0f / 6, 5 + 250.0f / 6);
  view_object.setLocation(static_cast<wd::Location>(9));
  expectAt(view_object, 0, 0);
  EXPECT_EQ(view_object.getLocation(), 9);
}

TEST(ViewObjectTest, ViewEventsWithTheCaptionChangeTheValue) {
  ViewObject view_object;
  view_object.setCaption("Points");
  const wd::EventView add("Points", 10, true), set("Points", 7, false), other("Score:", 10, true);
  const wd::EventStep step;
  wd::Event impostor;  // only claims to be a view event: must not be read as one
  impostor.setType("VIEW_EVENT");
  const wd::Event* events[] = {&add, &add, &set, &other, &step, &impostor};
  const int result_and_value[][2] = {{0, 10}, {0, 20}, {0, 7}, {-1, 7}, {-1, 7}, {-1, 7}};
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(view_object.handleEvent(events[i]), result_and_value[i][0]) << i;
    EXPECT_EQ(view_object.getValue(), result_and_value[i][1]) << i;
  }
  delete new wd::Object();  // which broadcasts a "Points" event
  EXPECT_EQ(view_object.getValue(), 17);
}

// The picture of its text centred on its position plus the boundary's corner.
TEST(ViewObjectTest, DrawsItsTextCentredOnItsPosition) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  if (!wd_test::displayAvailable()) {
    GTEST_SKIP() << "no X server";
  }
  ASSERT_EQ(display.startUp(), 0);
  wd::WorldManager::getInstance().setBoundary(wd::Box(Vector(2, 1), 100, 50));
  ViewObject view_object;
  view_object.setCaption("Score:");
  view_object.setValue(30);
  view_object.setColor(wd::CYAN);
  for (bool border : {true, false}) {
    view_object.setBorder(border);
    display.swapBuffers();
    EXPECT_EQ(view_object.draw(), 0);
    const sf::Image drawn = display.captureFrame();
    display.swapBuffers();
    display.drawString(view_object.getPosition() + Vector(2, 1),
                       border ? " Score: 30 " : "Score: 30", wd::ALIGN_CENTER, wd::CYAN);
    EXPECT_EQ(wd_test::compareImages(drawn, display.captureFrame()).pixels, 0) << border;
    EXPECT_GT(wd_test::litPixels(drawn), 500);
  }
  display.shutDown();
}

}  // namespace
