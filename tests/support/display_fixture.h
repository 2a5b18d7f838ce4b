// A suite whose every test starts the display, with the view on the window's
// own 100 x 50 cells, and shuts it down after: a fresh start per test lets
// the glyph texture grow from empty. Skipped without an X server.
#ifndef WD_DISPLAY_FIXTURE_H
#define WD_DISPLAY_FIXTURE_H

#include <gtest/gtest.h>

#include "DisplayManager.h"
#include "WorldManager.h"
#include "test_support.h"

namespace wd_test {

class DisplayFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!displayAvailable()) {
      GTEST_SKIP() << "no X server";
    }
    ASSERT_EQ(wd::DisplayManager::getInstance().startUp(), 0);
    wd::WorldManager::getInstance().setView(wd::Box(wd::Vector(0, 0), 100, 50));
    wd::DisplayManager::getInstance().swapBuffers();
  }
  void TearDown() override { wd::DisplayManager::getInstance().shutDown(); }
};

}  // namespace wd_test

#endif
