// A flush that asks for what the last one asked for draws the triangles built
// then: the picture stays the same to the pixel, on the grid and off it, over
// other drawing, through other views and with the switch that turns it off.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "CellBatch.h"
#include "Cp437.h"
#include "DisplayManager.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "test_support.h"

using wd::Vector;

namespace {

wd::DisplayManager& display() { return wd::DisplayManager::getInstance(); }

std::int64_t repeats() { return display().getCellBatch().getFlushMemo().getRepeats(); }

struct Glyph {
  float x, y;
  char32_t code_point;  // 0: the byte ch in colour number color, on black
  sf::Color fg, bg;
  char ch;
  int color;
};
using Scene = std::vector<Glyph>;

void drawScene(const Scene& scene) {
  for (const Glyph& g : scene) {
    if (g.code_point == 0) {
      display().drawCharacter(Vector(g.x, g.y), g.ch, static_cast<wd::Color>(g.color));
    } else {
      display().drawGlyph(Vector(g.x, g.y), g.code_point, g.fg, g.bg);
    }
  }
}

// The picture of one frame of scene; the next frame starts empty.
sf::Image frameOf(const Scene& scene, const std::function<void()>& before = {}) {
  if (before) {
    before();
  }
  drawScene(scene);
  const sf::Image frame = display().captureFrame();
  display().swapBuffers();
  return frame;
}

void expectIdentical(const sf::Image& a, const sf::Image& b) {
  const wd_test::Difference diff = wd_test::compareImages(a, b);
  EXPECT_EQ(diff.pixels, 0) << "at most " << diff.max_level << " levels apart";
  EXPECT_GT(diff.lit, 100);
}

sf::Color randomColor(std::mt19937& random) {
  std::uniform_int_distribution<int> level(0, 255);
  return sf::Color(static_cast<sf::Uint8>(level(random)), static_cast<sf::Uint8>(level(random)),
                   static_cast<sf::Uint8>(level(random)));
}

// Every cell of the window, plain characters in the eight colours.
Scene asciiGrid() {
  Scene scene;
  for (int row = 0; row < 50; row++) {
    for (int column = 0; column < 100; column++) {
      scene.push_back(Glyph{static_cast<float>(column), static_cast<float>(row), 0, {}, {},
                            static_cast<char>(33 + (column * 7 + row * 13) % 94), (column + row) % 8});
    }
  }
  return scene;
}

// count cells of every kind: plain characters, code page 437, box drawing,
// blocks, arrows, suits, Greek and Cyrillic, on black and on colours; on the
// grid or at fractional positions that overlap.
Scene richScene(std::mt19937& random, int count, bool on_grid) {
  std::vector<char32_t> code_points;
  for (int code = 1; code < wd::Cp437::CODE_COUNT; code++) {  // code 0 is a blank cell
    code_points.push_back(wd::Cp437::toUnicode(static_cast<std::uint32_t>(code)));
  }
  for (char32_t c = 0x2500; c <= 0x259F; c++) {
    code_points.push_back(c);
  }
  for (char32_t c : U"←↑→↓↔♠♣♥♦αβγΩЖЯжя") {
    code_points.push_back(c);
  }
  code_points.pop_back();  // the literal's terminating zero
  std::uniform_int_distribution<std::size_t> pick(0, code_points.size() - 1);
  std::uniform_int_distribution<int> column(0, 99), row(0, 49), kind(0, 9);
  std::uniform_real_distribution<float> across(-1.5f, 100.5f), down(-1.5f, 50.5f);
  Scene scene;
  for (int i = 0; i < count; i++) {
    const int k = kind(random);
    scene.push_back(Glyph{on_grid ? static_cast<float>(column(random)) : across(random),
                          on_grid ? static_cast<float>(row(random)) : down(random),
                          k == 0 ? 0 : code_points[pick(random)], randomColor(random),
                          k < 3 ? sf::Color::Black : randomColor(random),
                          static_cast<char>(33 + i % 94), i % 8});
  }
  return scene;
}

class FastCellsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wd_test::displayAvailable()) {
      GTEST_SKIP() << "no X server";
    }
    ASSERT_EQ(display().startUp(), 0);
    wd::WorldManager::getInstance().setView(wd::Box(Vector(0, 0), 100, 50));
    display().swapBuffers();
  }
  void TearDown() override { display().shutDown(); }
};

// The first frame of a scene is built; the same scene again is served from
// what was built, to the pixel, with the same draw calls.
TEST_F(FastCellsTest, RepeatedFramesKeepThePictureToThePixel) {
  ASSERT_TRUE(display().getCellBatch().getFlushMemo().isEnabled());
  std::mt19937 random(20261209);
  const struct { const char* what; Scene scene; } cases[] = {
      {"the ASCII grid", asciiGrid()},
      {"rich cells on the grid", richScene(random, 6000, true)},
      {"rich cells at fractional positions, overlapping", richScene(random, 2500, false)},
      {"plain characters overlapping", Scene{{3.5f, 2.25f, 0, {}, {}, 'W', 2}, {4.0f, 2.5f, 0, {}, {}, 'M', 4},
                                             {4.0f, 2.5f, 0, {}, {}, '#', 6}, {3.75f, 2.0f, 0, {}, {}, '@', 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    display().swapBuffers();  // a frame of nothing in between
    const std::int64_t served = repeats();
    const std::int64_t calls = display().getCellBatch().getDrawCalls();
    const sf::Image built = frameOf(c.scene);
    const std::int64_t built_calls = display().getCellBatch().getDrawCalls() - calls;
    EXPECT_EQ(repeats(), served);
    const sf::Image reused = frameOf(c.scene);
    EXPECT_EQ(repeats(), served + 1);
    EXPECT_EQ(display().getCellBatch().getDrawCalls() - calls, 2 * built_calls);
    expectIdentical(reused, built);
  }
}

// A frame that differs from the last in one cell, or by one cell more or
// less, is built afresh: its picture is the one a first frame of it gives.
TEST_F(FastCellsTest, ChangedFramesAreBuiltAgain) {
  std::mt19937 random(7);
  const Scene scene = richScene(random, 3000, true);
  Scene recoloured = scene;
  recoloured[1500].fg.g ^= 0x40;
  Scene moved = scene;
  moved[10].x += 0.5f;
  Scene shorter(scene.begin(), scene.end() - 1);
  for (const Scene* p_changed : {&recoloured, &moved, &shorter}) {
    display().swapBuffers();
    const sf::Image fresh = frameOf(*p_changed);
    frameOf(scene);
    const std::int64_t served = repeats();
    const sf::Image after = frameOf(*p_changed);
    EXPECT_EQ(repeats(), served);
    expectIdentical(after, fresh);
  }
}

// Drawing through the window among the cells is never served from the
// memo: the cells after it are drawn as they always are.
TEST_F(FastCellsTest, DrawingThroughTheWindowIsDrawnAsAlways) {
  std::mt19937 random(11);
  const Scene scene = richScene(random, 4000, true);
  const auto own_drawing = [] {
    sf::RectangleShape field(sf::Vector2f(300, 200));
    field.setPosition(200, 150);
    field.setFillColor(sf::Color(40, 90, 160));
    display().getWindow()->draw(field);
  };
  const Scene first_half(scene.begin(), scene.begin() + 2000);
  const Scene second_half(scene.begin() + 2000, scene.end());
  const auto between = [&] {
    drawScene(first_half);
    own_drawing();
  };
  const std::int64_t served = repeats();
  const sf::Image over = frameOf(second_half, own_drawing);
  const sf::Image among = frameOf(second_half, between);
  expectIdentical(frameOf(second_half, own_drawing), over);
  expectIdentical(frameOf(second_half, between), among);
  EXPECT_EQ(repeats(), served);
}

// A batch drawing into a picture of its own, so that the target's size and
// view can be chosen.
class BatchOnTexture {
 public:
  explicit BatchOnTexture(const sf::Font& font, sf::Vector2u size)
      : batch(font, 100, 50, 1024, 900) {
    target.create(size.x, size.y);
    batch.prepareFont();
  }

  // The picture of scene, drawn twice in a row: the second time is the one
  // the memo may serve.
  sf::Image drawTwice(const Scene& scene) {
    frame(scene);
    return frame(scene);
  }

  // The picture of one frame of scene.
  sf::Image frame(const Scene& scene) {
    target.clear(wd::CELL_BACKGROUND_COLOR);
    batch.startFrame();
    for (const Glyph& g : scene) {
      const sf::Vector2f pen(g.x * wd::cellWidth(), g.y * wd::cellHeight());
      batch.add(pen, g.code_point == 0 ? static_cast<char32_t>(g.ch) : g.code_point, g.fg, g.bg);
    }
    batch.flush(target);
    target.display();
    return target.getTexture().copyToImage();
  }

  sf::RenderTexture target;
  wd::CellBatch batch;
};

// With WD_EXACT_CELLS set, on a target of another size, or through a view
// other than the target's own, every flush is built; the pictures are those
// of the memo's.
TEST_F(FastCellsTest, TheSwitchOtherSizesAndOtherViewsFallBackToBuilding) {
  sf::Font font;
  ASSERT_TRUE(font.loadFromFile("wd-font.ttf"));
  std::mt19937 random(3);
  const Scene scene = richScene(random, 5000, true);
  BatchOnTexture fast(font, sf::Vector2u(1024, 900));
  const sf::Image served = fast.drawTwice(scene);
  EXPECT_EQ(fast.batch.getFlushMemo().getRepeats(), 1);

  ASSERT_EQ(setenv("WD_EXACT_CELLS", "1", 1), 0);
  BatchOnTexture exact(font, sf::Vector2u(1024, 900));
  ASSERT_EQ(unsetenv("WD_EXACT_CELLS"), 0);
  EXPECT_FALSE(exact.batch.getFlushMemo().isEnabled());
  expectIdentical(exact.drawTwice(scene), served);
  EXPECT_EQ(exact.batch.getFlushMemo().getRepeats(), 0);

  // Another size rounds a few smoothed edges otherwise, so the pictures
  // compared are both of that size.
  BatchOnTexture larger(font, sf::Vector2u(1100, 900));
  const sf::Image first_on_larger = larger.frame(scene);
  expectIdentical(larger.frame(scene), first_on_larger);
  EXPECT_EQ(larger.batch.getFlushMemo().getRepeats(), 0);

  BatchOnTexture shifted(font, sf::Vector2u(1024, 900));
  sf::View view = shifted.target.getDefaultView();
  view.move(0, 0.5f);
  shifted.target.setView(view);
  shifted.drawTwice(scene);
  EXPECT_EQ(shifted.batch.getFlushMemo().getRepeats(), 0);
  view.move(0, -0.5f);
  shifted.target.setView(view);
  expectIdentical(shifted.drawTwice(scene), served);
  EXPECT_EQ(shifted.batch.getFlushMemo().getRepeats(), 1);
}

}  // namespace
