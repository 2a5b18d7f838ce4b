// The display manager: the window, the cell grid, character and string
// drawing checked pixel by pixel against per-character SFML drawing, and the
// failures of its start.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "DisplayManager.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "test_support.h"

// Xlib's macros clash with SFML's names, so it comes last.
#include <X11/Xlib.h>

using wd::DisplayManager;
using wd::Vector;

namespace {

struct Cell {
  float x;
  float y;
  char ch;
  int color;
};

struct Difference {
  int pixels;
  int max_level;
};

Difference compareImages(const sf::Image& a, const sf::Image& b) {
  Difference difference{0, 0};
  if (a.getSize() != b.getSize()) {
    return Difference{-1, -1};
  }
  for (unsigned int y = 0; y < a.getSize().y; y++) {
    for (unsigned int x = 0; x < a.getSize().x; x++) {
      const sf::Color pa = a.getPixel(x, y);
      const sf::Color pb = b.getPixel(x, y);
      const int level = std::max({std::abs(pa.r - pb.r), std::abs(pa.g - pb.g),
                                  std::abs(pa.b - pb.b)});
      if (level > 0) {
        difference.pixels++;
        difference.max_level = std::max(difference.max_level, level);
      }
    }
  }
  return difference;
}

int litPixels(const sf::Image& image);

// The batch reaches the same vertex positions as one draw per character by a
// different float path (one addition on the CPU instead of the driver's
// combined matrix), so a few smoothed glyph edge pixels may round one level
// apart; anything misplaced or miscoloured differs by far more, on far more
// pixels.
void expectSamePicture(const sf::Image& engine, const sf::Image& reference) {
  const Difference difference = compareImages(engine, reference);
  ASSERT_GE(difference.pixels, 0) << "sizes differ";
  EXPECT_LE(difference.max_level, 1);
  EXPECT_LE(difference.pixels, litPixels(reference) / 200);
  std::printf("%d pixels differ, by at most %d levels, of %d lit\n", difference.pixels,
              difference.max_level, litPixels(reference));
}

int litPixels(const sf::Image& image) {
  int lit = 0;
  for (unsigned int y = 0; y < image.getSize().y; y++) {
    for (unsigned int x = 0; x < image.getSize().x; x++) {
      const sf::Color p = image.getPixel(x, y);
      lit += (p.r | p.g | p.b) != 0 ? 1 : 0;
    }
  }
  return lit;
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wd_test::displayAvailable()) {
      GTEST_SKIP() << "no X server";
    }
    ASSERT_TRUE(wd_test::installFont(wd_test::sourceDir()));
    wd_test::restartLog();
    // A fresh start loads the font again, so every test begins with an empty
    // glyph texture that grows while it draws.
    display().shutDown();
    ASSERT_EQ(display().startUp(), 0);
    setViewCorner(0, 0);
    display().swapBuffers();
  }

  // Closing the window here, not at exit, releases the driver's memory while
  // the libraries are still loaded.
  void TearDown() override {
    setViewCorner(0, 0);
    display().shutDown();
  }

  static DisplayManager& display() { return DisplayManager::getInstance(); }

  static void setViewCorner(float x, float y) {
    wd::WorldManager::getInstance().setView(wd::Box(Vector(x, y), 100, 50));
  }

  // The engine's picture of the cells, then the per-character picture.
  static sf::Image engineFrame(const std::vector<Cell>& cells) {
    for (const Cell& cell : cells) {
      display().drawCharacter(Vector(cell.x, cell.y), cell.ch, static_cast<wd::Color>(cell.color));
    }
    sf::Image frame = display().captureFrame();
    display().swapBuffers();
    return frame;
  }

  static sf::Image naiveFrame(const std::vector<Cell>& cells, float corner_x, float corner_y) {
    wd_test::NaiveDisplay naive(display().getWindow());
    EXPECT_TRUE(naive.fontLoaded());
    for (const Cell& cell : cells) {
      naive.drawCharacter(cell.x, cell.y, cell.ch, cell.color, corner_x, corner_y);
    }
    sf::Image frame = display().captureFrame();
    display().swapBuffers();
    return frame;
  }
};

TEST_F(DisplayTest, WindowAndGridHaveTheirFixedSizes) {
  sf::RenderWindow* p_window = display().getWindow();
  ASSERT_NE(p_window, nullptr);
  EXPECT_EQ(p_window->getSize(), sf::Vector2u(1024, 900));
  EXPECT_TRUE(display().isStarted());
  EXPECT_EQ(display().getType(), "DisplayManager");
  EXPECT_EQ(display().getColumns(), 100);
  EXPECT_EQ(display().getRows(), 50);
  EXPECT_FLOAT_EQ(wd::cellWidth(), 10.24f);
  EXPECT_FLOAT_EQ(wd::cellHeight(), 18.0f);
  const Vector pixels = wd::cellsToPixels(Vector(3, 2));
  EXPECT_FLOAT_EQ(pixels.getX(), 30.72f);
  EXPECT_FLOAT_EQ(pixels.getY(), 36.0f);

  // A second start keeps the window.
  EXPECT_EQ(display().startUp(), 0);
  EXPECT_EQ(display().getWindow(), p_window);
}

TEST_F(DisplayTest, VariedScreenMatchesPerCharacterDrawing) {
  const float corner_x = 7.5f;
  const float corner_y = -2.25f;
  setViewCorner(corner_x, corner_y);
  std::vector<Cell> cells;
  // Every colour, and unknown colours that must keep the previous one.
  const int colors[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, -1, 2, 100, 4, 9};
  for (int i = 0; i < 14; i++) {
    cells.push_back(Cell{10.0f + i, 3.0f, static_cast<char>('A' + i), colors[i]});
  }
  // Every byte value: printable text, whitespace, control and high bytes;
  // enough distinct glyphs to make the font's texture grow within the frame.
  for (int i = 0; i < 256; i++) {
    cells.push_back(
        Cell{8.0f + static_cast<float>(i % 64), 6.0f + static_cast<float>(i / 64),
             static_cast<char>(i), 1 + i % 7});
  }
  // Overlapping neighbours, and spaces painted over glyphs.
  for (int i = 0; i < 20; i++) {
    cells.push_back(Cell{20.0f + i * 0.5f, 12.0f, static_cast<char>('#' + i), 7 - i % 7});
  }
  cells.push_back(Cell{22.3f, 12.1f, ' ', 3});
  cells.push_back(Cell{25.0f, 12.0f, ' ', 3});
  // Fractional positions all over the window and beyond its edges.
  std::mt19937 generator(20240611);
  std::uniform_real_distribution<float> across(-2.0f, 112.0f);
  std::uniform_real_distribution<float> down(-4.0f, 52.0f);
  std::uniform_int_distribution<int> byte(32, 126);
  std::uniform_int_distribution<int> color(-1, 8);
  for (int i = 0; i < 3000; i++) {
    cells.push_back(Cell{across(generator), down(generator), static_cast<char>(byte(generator)),
                         color(generator)});
  }

  const sf::Image engine = engineFrame(cells);
  const sf::Image naive = naiveFrame(cells, corner_x, corner_y);
  EXPECT_GT(litPixels(engine), 100000);
  expectSamePicture(engine, naive);
}

TEST_F(DisplayTest, UnknownColourKeepsThePreviousOne) {
  display().drawCharacter(Vector(5, 5), 'M', wd::GREEN);
  display().drawCharacter(Vector(7, 5), 'M', static_cast<wd::Color>(8));
  const sf::Image frame = display().captureFrame();
  display().swapBuffers();
  int green = 0;
  for (unsigned int y = 90; y < 126; y++) {
    for (unsigned int x = 70; x < 82; x++) {
      green += frame.getPixel(x, y) == sf::Color::Green ? 1 : 0;
    }
  }
  EXPECT_GT(green, 10);
}

TEST_F(DisplayTest, StringsLandOnTheCellsOfTheirAlignment) {
  struct Case {
    std::string text;
    wd::Alignment just;
    int first_cell;
  };
  const Case cases[] = {{"ABCDE", wd::ALIGN_CENTER, 8},
                        {"ABCD", wd::ALIGN_CENTER, 8},
                        {"ABC", wd::ALIGN_RIGHT, 7},
                        {"ABC", wd::ALIGN_LEFT, 10},
                        {"ABC", static_cast<wd::Alignment>(7), 10}};
  for (const Case& c : cases) {
    EXPECT_EQ(display().drawString(Vector(10, 4.5f), c.text, c.just, wd::YELLOW), 0);
    const sf::Image drawn = display().captureFrame();
    display().swapBuffers();
    std::vector<Cell> expected;
    for (std::size_t i = 0; i < c.text.size(); i++) {
      expected.push_back(Cell{static_cast<float>(c.first_cell) + static_cast<float>(i), 4.5f,
                              c.text[i], wd::YELLOW});
    }
    SCOPED_TRACE(c.text + " aligned " + std::to_string(c.just));
    expectSamePicture(drawn, naiveFrame(expected, 0, 0));
  }
  EXPECT_EQ(display().drawString(Vector(10, 4), "", wd::ALIGN_CENTER, wd::RED), 0);
  EXPECT_EQ(litPixels(display().captureFrame()), 0);
}

TEST_F(DisplayTest, CaptureLeavesTheFrameAndSwapClearsIt) {
  display().drawString(Vector(1, 1), "frame", wd::ALIGN_LEFT, wd::WHITE);
  const sf::Image first = display().captureFrame();
  display().drawString(Vector(1, 3), "more", wd::ALIGN_LEFT, wd::RED);
  const sf::Image second = display().captureFrame();
  EXPECT_GT(litPixels(first), 0);
  EXPECT_GT(litPixels(second), litPixels(first));
  EXPECT_EQ(display().swapBuffers(), 0);
  EXPECT_EQ(litPixels(display().captureFrame()), 0);
}

TEST_F(DisplayTest, WithoutWindowNothingIsDrawn) {
  display().shutDown();
  EXPECT_EQ(display().getWindow(), nullptr);
  EXPECT_FALSE(display().isStarted());
  EXPECT_EQ(display().drawCharacter(Vector(1, 1), 'x', wd::RED), -1);
  EXPECT_EQ(display().drawString(Vector(1, 1), "xyz", wd::ALIGN_LEFT, wd::RED), 0);
  EXPECT_EQ(display().swapBuffers(), -1);
  EXPECT_EQ(display().captureFrame().getSize(), sf::Vector2u(0, 0));
  // Nothing drawn without a window turns up once there is one again.
  ASSERT_EQ(display().startUp(), 0);
  EXPECT_EQ(litPixels(display().captureFrame()), 0);
}

TEST_F(DisplayTest, MissingFontIsReportedOnStandardOutput) {
  display().shutDown();
  std::filesystem::rename(wd::FONT_FILE, "moved-font.ttf");
  testing::internal::CaptureStdout();
  const int result = display().startUp();
  const std::string output = testing::internal::GetCapturedStdout();
  std::filesystem::rename("moved-font.ttf", wd::FONT_FILE);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(output, "Error! Unable to load font 'wd-font.ttf'\n");
  EXPECT_NE(display().getWindow(), nullptr);
  EXPECT_FALSE(display().isStarted());
  EXPECT_EQ(wd_test::readLog(), "");
  display().shutDown();
}

// Runs without any X server: the start must fail instead of ending the process.
TEST(DisplayWithoutServer, StartFailsWithOneLine) {
  std::string unused_display;
  for (int number = 4242; number < 4300 && unused_display.empty(); number++) {
    const std::string name = ":" + std::to_string(number);
    Display* p_display = XOpenDisplay(name.c_str());
    if (p_display == nullptr) {
      unused_display = name;
    } else {
      XCloseDisplay(p_display);
    }
  }
  ASSERT_FALSE(unused_display.empty());
  const char* p_saved = std::getenv("DISPLAY");
  const std::string saved = p_saved != nullptr ? p_saved : "";
  wd_test::restartLog();
  DisplayManager& display = DisplayManager::getInstance();
  display.shutDown();
  setenv("DISPLAY", unused_display.c_str(), 1);
  testing::internal::CaptureStderr();
  const int result = display.startUp();
  const std::string error = testing::internal::GetCapturedStderr();
  if (p_saved != nullptr) {
    setenv("DISPLAY", saved.c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(display.getWindow(), nullptr);
  EXPECT_FALSE(display.isStarted());
  const std::string line = "Error! Unable to open display '" + unused_display + "'\n";
  EXPECT_EQ(error, line);
  EXPECT_EQ(wd_test::readLog(), " Message: " + line);
  EXPECT_EQ(display.drawCharacter(Vector(0, 0), 'x', wd::WHITE), -1);
}

}  // namespace
