// The display manager: drawing compared pixel for pixel with sf::Text, frames and view objects with
// plain strings, failed starts.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "DisplayManager.h"
#include "Frame.h"
#include "InputManager.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "test_support.h"

using wd::Vector;

namespace {

struct Cell { float x, y; char ch; int color; };
using Cells = std::vector<Cell>;

wd::DisplayManager& display() { return wd::DisplayManager::getInstance(); }

// The picture drawn so far; the next frame starts empty.
sf::Image takeFrame() {
  sf::Image frame = display().captureFrame();
  display().swapBuffers();
  return frame;
}

void drawCells(const Cells& cells) {
  for (const Cell& c : cells) {
    display().drawCharacter(Vector(c.x, c.y), c.ch, static_cast<wd::Color>(c.color));
  }
}

// The same cells as the reference draws them, one by one straight into the window.
void drawNaively(wd_test::NaiveDisplay& naive, const Cells& cells, Vector corner = Vector()) {
  for (const Cell& c : cells) {
    naive.drawCharacter(c.x - corner.getX(), c.y - corner.getY(), c.ch, c.color);
  }
}

// Other float paths to the same vertices may round a few smoothed glyph edge
// pixels one level apart; a misplaced or miscoloured glyph differs far more.
void expectSamePicture(const sf::Image& engine, const sf::Image& reference) {
  const wd_test::Difference diff = wd_test::compareImages(engine, reference);
  EXPECT_LE(diff.max_level, 1);
  EXPECT_LE(diff.pixels, diff.lit / 200);
}

void expectSamePicture(const sf::Image& engine, const Cells& cells, Vector corner = Vector()) {
  wd_test::NaiveDisplay naive(display().getWindow());
  drawNaively(naive, cells, corner);
  expectSamePicture(engine, takeFrame());
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wd_test::displayAvailable()) {
      GTEST_SKIP() << "no X server";
    }
    ASSERT_EQ(display().startUp(), 0);
    wd::WorldManager::getInstance().setView(wd::Box(Vector(0, 0), 100, 50));
    display().swapBuffers();
  }
  // A fresh start per test lets the glyph texture grow from empty.
  void TearDown() override { display().shutDown(); }
};

TEST_F(DisplayTest, VariedScreenMatchesPerCharacterDrawing) {
  wd::WorldManager::getInstance().setView(wd::Box(Vector(7.5f, -2.25f), 100, 50));
  Cells cells;
  // Every byte (enough glyphs for the texture to grow mid-frame), every colour.
  for (int i = 0; i < 256; i++) {
    cells.push_back(Cell{8.0f + i % 64, 6.0f + i / 64, static_cast<char>(i), i % 12 - 2});
  }
  // Fractional positions in and beyond the window: overlaps, spaces on glyphs.
  std::mt19937 random(20240611);
  std::uniform_real_distribution<float> across(-2.0f, 112.0f), down(-4.0f, 52.0f);
  std::uniform_int_distribution<int> byte(32, 126), color(-1, 8);
  for (int i = 0; i < 3000; i++) {
    cells.push_back(Cell{across(random), down(random), static_cast<char>(byte(random)), color(random)});
  }
  const auto split = cells.begin() + cells.size() * 9 / 10;
  drawCells(Cells(cells.begin(), split));
  display().captureFrame();  // must keep what is drawn so far
  drawCells(Cells(split, cells.end()));
  const sf::Image engine = takeFrame();
  EXPECT_EQ(engine.getSize(), sf::Vector2u(1024, 900));
  EXPECT_GT(wd_test::litPixels(engine), 100000);
  expectSamePicture(engine, cells, Vector(7.5f, -2.25f));
}

// Strings land on the cells of their alignment. Frames are centred on their position; a view object's text
// is centred on its position plus the boundary's corner: each must leave the very pixels of those strings.
TEST_F(DisplayTest, StringsFramesAndViewObjectsLandOnTheirCells) {
  const struct { std::string text; int just, first_cell; } cases[] = {
      {"ABCDE", wd::ALIGN_CENTER, 8}, {"ABCD", wd::ALIGN_CENTER, 8}, {"ABC", wd::ALIGN_RIGHT, 7},
      {"ABC", wd::ALIGN_LEFT, 10}, {"ABC", 7, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + " aligned " + std::to_string(c.just));
    display().drawString(Vector(10, 4.5f), c.text, static_cast<wd::Alignment>(c.just), wd::YELLOW);
    Cells expected;
    for (std::size_t i = 0; i < c.text.size(); i++) {
      expected.push_back(Cell{c.first_cell + i * 1.0f, 4.5f, c.text[i], wd::YELLOW});
    }
    expectSamePicture(takeFrame(), expected);
  }
  display().drawString(Vector(10, 4), "", wd::ALIGN_CENTER, wd::RED);
  EXPECT_EQ(wd_test::litPixels(takeFrame()), 0);  // nor anything from before
  EXPECT_EQ(wd::Frame(3, 1, "###").draw(Vector(5, 5), wd::CYAN), 0);
  wd::Frame(4, 2, "abcdefgh").draw(Vector(10, 10), wd::RED);
  const sf::Image frames = takeFrame();
  display().drawString(Vector(4, 5), "###", wd::ALIGN_LEFT, wd::CYAN);
  display().drawString(Vector(8, 9), "abcd", wd::ALIGN_LEFT, wd::RED);
  display().drawString(Vector(8, 10), "efgh", wd::ALIGN_LEFT, wd::RED);
  EXPECT_EQ(wd_test::compareImages(frames, takeFrame()).pixels, 0);
  EXPECT_GT(wd_test::litPixels(frames), 500);
  wd::WorldManager::getInstance().setBoundary(wd::Box(Vector(2, 1), 100, 50));
  wd::ViewObject view_object;
  view_object.setCaption("Score:");
  view_object.setValue(30);
  view_object.setColor(wd::CYAN);
  for (bool border : {true, false}) {
    view_object.setBorder(border);
    EXPECT_EQ(view_object.draw(), 0);
    const sf::Image drawn = takeFrame();
    display().drawString(view_object.getPosition() + Vector(2, 1), border ? " Score: 30 " : "Score: 30",
                         wd::ALIGN_CENTER, wd::CYAN);
    EXPECT_EQ(wd_test::compareImages(drawn, takeFrame()).pixels, 0) << border;
    EXPECT_GT(wd_test::litPixels(drawn), 500) << border;
  }
}

// What a game draws into the window lies over the cells drawn before it and under the cells drawn after it,
// whose black backgrounds cover exactly the pixels that the reference's cells cover. A frame without the
// window handed out, its events polled, stays one draw call without backgrounds.
TEST_F(DisplayTest, DrawingIntoTheWindowKeepsItsPlaceAmongTheCells) {
  const Cells on_field = {{10, 5, 'M', wd::WHITE}, {11.5f, 5.5f, 'W', wd::GREEN}, {20, 7, ' ', wd::WHITE},
                          {30.3f, 7.6f, ' ', wd::RED}, {40.55f, 20.45f, ' ', wd::WHITE}};
  const Cells on_mark = {{11, 5.25f, 'O', wd::RED}, {12, 5, 'x', wd::YELLOW}};
  sf::RectangleShape field(sf::Vector2f(400, 320)), mark(sf::Vector2f(20, 15));
  field.setPosition(100, 100);
  mark.setPosition(110, 95);
  mark.setFillColor(sf::Color::Blue);
  const auto drawScene = [&](const auto& draw) {
    display().getWindow()->draw(field);
    draw(on_field);
    display().getWindow()->draw(mark);
    draw(on_mark);
    return takeFrame();
  };
  const sf::Image engine = drawScene(drawCells);
  wd_test::NaiveDisplay naive(display().getWindow());
  const sf::Image reference = drawScene([&](const Cells& cells) { drawNaively(naive, cells); });
  expectSamePicture(engine, reference);
  // Around the three spaces on the white field: the very same pixels, and
  // three cells of 10.24 x 18 pixels black (10 or 11 columns of 18 rows each).
  int differing = 0, black = 0;
  for (unsigned int x = 190; x < 440; x++) {
    for (unsigned int y = 120; y < 395; y++) {
      const sf::Color pixel = engine.getPixel(x, y);
      differing += pixel != reference.getPixel(x, y);
      black += (pixel.r | pixel.g | pixel.b) == 0;
    }
  }
  EXPECT_EQ(0, differing);
  EXPECT_GE(black, 3 * 10 * 18);
  EXPECT_LE(black, 3 * 11 * 18);

  const wd::CellBatch& batch = display().getCellBatch();
  const std::int64_t calls = batch.getDrawCalls();
  drawCells(on_field);
  wd::InputManager::getInstance().pollInput();
  drawCells(on_mark);
  EXPECT_FALSE(batch.drawsBackgrounds());
  display().swapBuffers();
  EXPECT_EQ(calls + 1, batch.getDrawCalls());
}

// Without any X server the start fails, with one line in the log, instead of ending the process.
TEST(DisplayWithoutServer, StartFailsWithOneLine) {
  const std::string saved = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
  wd_test::restartLog();
  setenv("DISPLAY", ":9999", 1);  // above any display number handed out
  testing::internal::CaptureStderr();
  EXPECT_EQ(display().startUp(), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // a game tells its player its own way
  setenv("DISPLAY", saved.c_str(), 1);
  EXPECT_EQ(wd_test::readLog(), " Message: Error! Unable to open display ':9999'\n");
  EXPECT_EQ(display().swapBuffers(), -1);
  EXPECT_EQ(display().captureFrame().getSize(), sf::Vector2u(0, 0));
  EXPECT_EQ(display().drawCharacter(Vector(0, 0), 'x', wd::WHITE), -1);
}

}  // namespace
