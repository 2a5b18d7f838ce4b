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

class ViewObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wd::WorldManager::getInstance().startUp();
    wd::WorldManager::getInstance().setBoundary(wd::Box(Vector(0, 0), 100, 50));
    setView(0, 0);
  }

  void TearDown() override { wd::WorldManager::getInstance().shutDown(); }

  static void setView(float x, float y) {
    wd::WorldManager::getInstance().setView(wd::Box(Vector(x, y), 100, 50));
  }
};

void expectAt(const ViewObject& view_object, float x, float y) {
  EXPECT_FLOAT_EQ(view_object.getPosition().getX(), x);
  EXPECT_FLOAT_EQ(view_object.getPosition().getY(), y);
}

TEST_F(ViewObjectTest, NewObjectStandsAtTheTopCentre) {
  ViewObject* p_view_object = new ViewObject();
  EXPECT_EQ(p_view_object->getType(), "ViewObject");
  EXPECT_EQ(p_view_object->getAltitude(), 4);
  EXPECT_EQ(p_view_object->getSolidness(), wd::INTANGIBLE);
  EXPECT_EQ(p_view_object->getValue(), 0);
  EXPECT_TRUE(p_view_object->getBorder());
  EXPECT_TRUE(p_view_object->getDrawValue());
  EXPECT_EQ(p_view_object->getLocation(), wd::TOP_CENTER);
  EXPECT_EQ(p_view_object->getColor(), wd::WHITE);
  EXPECT_EQ(p_view_object->getCaption(), "");
  expectAt(*p_view_object, 50, 1);
  EXPECT_EQ(wd::WorldManager::getInstance().getAllObjects().getCount(), 1);
}

TEST_F(ViewObjectTest, BorderShiftsEveryPlaceByOneRow) {
  ViewObject* p_view_object = new ViewObject();
  p_view_object->setBorder(false);
  expectAt(*p_view_object, 50, 0);
  p_view_object->setBorder(false);
  expectAt(*p_view_object, 50, 0);
  p_view_object->setBorder(true);
  expectAt(*p_view_object, 50, 1);

  const float columns[] = {100.0f * 1 / 6, 100.0f * 3 / 6, 100.0f * 5 / 6};
  const float rows[] = {1.0f, static_cast<float>(50.0 * 2.5 / 6.0), 50.0f * 5 / 6};
  for (int border = 0; border < 2; border++) {
    p_view_object->setBorder(border == 1);
    for (int place = 0; place < 9; place++) {
      p_view_object->setLocation(static_cast<wd::Location>(place));
      SCOPED_TRACE("place " + std::to_string(place) + " border " + std::to_string(border));
      expectAt(*p_view_object, columns[place % 3], rows[place / 3] - (border == 1 ? 0 : 1));
    }
  }
  EXPECT_NEAR(p_view_object->getPosition().getX(), 83.33f, 0.01f);
  EXPECT_NEAR(p_view_object->getPosition().getY(), 41.67f, 0.01f);
}

TEST_F(ViewObjectTest, PlacesFollowTheViewAtTheTimeOfTheCall) {
  setView(20, 0);
  ViewObject* p_view_object = new ViewObject();
  p_view_object->setLocation(wd::BOTTOM_RIGHT);
  EXPECT_NEAR(p_view_object->getPosition().getX(), 103.33f, 0.01f);
  EXPECT_NEAR(p_view_object->getPosition().getY(), 41.67f, 0.01f);
  setView(0, 0);
  EXPECT_NEAR(p_view_object->getPosition().getX(), 103.33f, 0.01f);

  setView(20, 5);
  p_view_object->setLocation(static_cast<wd::Location>(9));
  expectAt(*p_view_object, 20, 5);
  EXPECT_EQ(p_view_object->getLocation(), 9);
}

TEST_F(ViewObjectTest, ViewEventsWithTheCaptionChangeTheValue) {
  ViewObject* p_view_object = new ViewObject();
  p_view_object->setCaption("Points");
  const wd::EventView add("Points", 10, true);
  EXPECT_EQ(p_view_object->handleEvent(&add), 0);
  EXPECT_EQ(p_view_object->getValue(), 10);
  EXPECT_EQ(p_view_object->handleEvent(&add), 0);
  EXPECT_EQ(p_view_object->getValue(), 20);
  const wd::EventView set("Points", 7, false);
  EXPECT_EQ(p_view_object->handleEvent(&set), 0);
  EXPECT_EQ(p_view_object->getValue(), 7);
  const wd::EventView other("Score:", 10, true);
  EXPECT_EQ(p_view_object->handleEvent(&other), -1);
  const wd::EventStep step;
  EXPECT_EQ(p_view_object->handleEvent(&step), -1);
  // An event that only claims to be a view event is not read as one.
  wd::Event impostor;
  impostor.setType("VIEW_EVENT");
  EXPECT_EQ(p_view_object->handleEvent(&impostor), -1);
  EXPECT_EQ(p_view_object->getValue(), 7);

  // Destroyed objects broadcast "Points" events: only a "Points" label gains.
  ViewObject* p_score = new ViewObject();
  p_score->setCaption("Score:");
  delete new wd::Object();
  EXPECT_EQ(p_view_object->getValue(), 17);
  EXPECT_EQ(p_score->getValue(), 0);
}

TEST_F(ViewObjectTest, DrawsItsTextCentredOnItsPosition) {
  if (!wd_test::displayAvailable()) {
    GTEST_SKIP() << "no X server";
  }
  ASSERT_TRUE(wd_test::installFont(wd_test::sourceDir()));
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  ASSERT_EQ(display.startUp(), 0);
  display.swapBuffers();
  // The world's boundary corner is added when drawing, the view's taken off.
  wd::WorldManager::getInstance().setBoundary(wd::Box(Vector(2, 1), 100, 50));
  ViewObject* p_view_object = new ViewObject();
  p_view_object->setCaption("Score:");
  p_view_object->setValue(30);
  p_view_object->setColor(wd::CYAN);
  for (bool border : {true, false}) {
    p_view_object->setBorder(border);
    EXPECT_EQ(p_view_object->draw(), 0);
    const sf::Image drawn = display.captureFrame();
    display.swapBuffers();

    const std::string text = border ? " Score: 30 " : "Score: 30";
    const Vector at = p_view_object->getPosition() + Vector(2, 1);
    const float first = at.getX() - static_cast<float>(text.size() / 2);
    wd_test::NaiveDisplay naive(display.getWindow());
    for (std::size_t i = 0; i < text.size(); i++) {
      naive.drawCharacter(first + static_cast<float>(i), at.getY(), text[i], wd::CYAN);
    }
    const sf::Image expected = display.captureFrame();
    display.swapBuffers();
    EXPECT_TRUE(drawn.getSize() == expected.getSize());
    int differing = 0;
    for (unsigned int y = 0; y < drawn.getSize().y; y++) {
      for (unsigned int x = 0; x < drawn.getSize().x; x++) {
        differing += drawn.getPixel(x, y) != expected.getPixel(x, y) ? 1 : 0;
      }
    }
    EXPECT_EQ(differing, 0) << "border " << border;
  }
  display.shutDown();
}

}  // namespace
