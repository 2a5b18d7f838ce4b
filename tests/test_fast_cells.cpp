// The frame cache: a frame that repeats the last is copied from it, one that
// changes a few cells repaints the tiles they showed in; either way the
// picture is the one drawing every cell anew gives, to the pixel: on the grid
// and off it, overlapping, over other drawing, and where the GL lacks
// framebuffer objects, which a child process run with Mesa's overrides proves.
// The counting operator new below takes its blocks from malloc, so that
// freeing them is right; the compiler cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <new>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "CellBatch.h"
#include "Cp437.h"
#include "DisplayManager.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "display_fixture.h"
#include "test_support.h"

using wd::Vector;

namespace {
// Allocations made through operator new, counted while counting is on.
std::atomic<bool> counting_allocations{false};
std::atomic<long> allocations{0};
}  // namespace

// AddressSanitizer keeps operator new for itself: there nothing is counted.
#ifndef __SANITIZE_ADDRESS__
void* operator new(std::size_t size) {
  if (counting_allocations) {
    allocations++;
  }
  void* p_block = std::malloc(size == 0 ? 1 : size);
  if (p_block == nullptr) {
    throw std::bad_alloc();
  }
  return p_block;
}

void operator delete(void* p_block) noexcept { std::free(p_block); }
void operator delete(void* p_block, std::size_t) noexcept { std::free(p_block); }
#endif

namespace {

wd::DisplayManager& display() { return wd::DisplayManager::getInstance(); }

const wd::FrameCache& cache() { return display().getCellBatch().getFrameCache(); }

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

// Pictures of the same cells in the window, one drawn as always and one
// copied from the frame cache: equal but for a few pixels one level apart
// where the window's edge cuts glyphs.
void expectAlikeInTheWindow(const sf::Image& a, const sf::Image& b) {
  const wd_test::Difference diff = wd_test::compareImages(a, b);
  EXPECT_LE(diff.max_level, 1);
  EXPECT_LE(diff.pixels, 32);
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

class FastCellsTest : public wd_test::DisplayFixture {};

// A batch drawing into a picture of its own, with the frame cache, or with
// WD_EXACT_CELLS set, without it and without the memo: every cell drawn anew.
class BatchOnTexture {
 public:
  BatchOnTexture(const sf::Font& font, bool exact)
      : batch(switchedFor(font, exact), 100, 50, 1024, 900) {
    unsetenv("WD_EXACT_CELLS");
    target.create(1024, 900);
    batch.prepareFont();
  }

  // The picture of one frame of scene.
  sf::Image frame(const Scene& scene) {
    target.clear(wd::CELL_BACKGROUND_COLOR);
    batch.startFrame();
    for (const Glyph& g : scene) {
      const sf::Vector2f pen(g.x * wd::cellWidth(), g.y * wd::cellHeight());
      if (g.code_point == 0) {
        batch.add(pen, wd::rgbOf(static_cast<wd::Color>(g.color)), g.ch);
      } else {
        batch.add(pen, g.code_point, g.fg, g.bg);
      }
    }
    batch.flush(target);
    target.display();
    return target.getTexture().copyToImage();
  }

  sf::RenderTexture target;
  wd::CellBatch batch;

 private:
  // font, the switch set for the batch about to be made when exact.
  static const sf::Font& switchedFor(const sf::Font& font, bool exact) {
    if (exact) {
      setenv("WD_EXACT_CELLS", "1", 1);
    }
    return font;
  }
};

// Scenes of the pictures compared here and in the child process.
std::vector<std::pair<std::string, Scene>> namedScenes() {
  std::mt19937 random(20261209);
  return {{"the ASCII grid", asciiGrid()},
          {"rich cells on the grid", richScene(random, 6000, true)},
          {"rich cells at fractional positions, overlapping", richScene(random, 2500, false)},
          {"plain characters overlapping",
           Scene{{3.5f, 2.25f, 0, {}, {}, 'W', 2}, {4.0f, 2.5f, 0, {}, {}, 'M', 4},
                 {4.0f, 2.5f, 0, {}, {}, '#', 6}, {3.75f, 2.0f, 0, {}, {}, '@', 1}}}};
}

// A scene on the grid drawn again is drawn whole into the cache, and copied
// from it from then on without drawing a cell; a scene off the grid is drawn
// as always, the memo sparing the building of a repeat. The cache draws a
// window's picture upside down, as the GL rasterises the window itself; the
// two still round a few pixels apart where the window's edge cuts glyphs.
TEST_F(FastCellsTest, RepeatedFramesAreCopiedOrServedFromTheMemo) {
  for (const auto& named : namedScenes()) {
    SCOPED_TRACE(named.first);
    const bool on_grid = named.first.find("on the grid") != std::string::npos ||
                         named.first == "the ASCII grid";
    display().swapBuffers();  // a frame of nothing in between
    const std::int64_t whole = cache().getWholePictures();
    const std::int64_t copies = cache().getCopies();
    const std::int64_t served = display().getCellBatch().getFlushMemo().getRepeats();
    const sf::Image direct = frameOf(named.second);
    const sf::Image cached = frameOf(named.second);
    const std::int64_t calls = display().getCellBatch().getDrawCalls();
    expectIdentical(frameOf(named.second), cached);
    EXPECT_EQ(cache().getWholePictures(), whole + (on_grid ? 1 : 0));
    EXPECT_EQ(cache().getCopies(), copies + (on_grid ? 2 : 0));
    EXPECT_EQ(display().getCellBatch().getFlushMemo().getRepeats(), served + (on_grid ? 0 : 2));
    if (on_grid) {
      EXPECT_EQ(display().getCellBatch().getDrawCalls(), calls + 1);  // the copy alone
      expectAlikeInTheWindow(cached, direct);
    } else {
      expectIdentical(cached, direct);
    }
  }
  EXPECT_EQ(cache().getRepaints(), 0);
}

// Off the grid, a frame that differs from the last in one cell, or by one
// cell less, is built afresh: its picture is the one a first frame of it
// gives.
TEST_F(FastCellsTest, ChangedFramesOffTheGridAreBuiltAgain) {
  std::mt19937 random(7);
  const Scene scene = richScene(random, 3000, false);
  Scene recoloured = scene;
  recoloured[2990].fg.g ^= 0x40;
  Scene moved = scene;
  moved[10].x += 0.5f;
  const Scene shorter(scene.begin(), scene.end() - 1);
  for (const Scene* p_changed : std::vector<const Scene*>{&recoloured, &moved, &shorter}) {
    display().swapBuffers();
    const sf::Image fresh = frameOf(*p_changed);
    frameOf(scene);
    expectIdentical(frameOf(*p_changed), fresh);
  }
}

// Frames of fewer than a thousand cells are drawn as always.
TEST_F(FastCellsTest, SmallFramesAreDrawnAsAlways) {
  const Scene grid = asciiGrid();
  const Scene small(grid.begin(), grid.begin() + 999);
  const std::int64_t copies = cache().getCopies();
  const sf::Image first = frameOf(small);
  expectIdentical(frameOf(small), first);
  expectIdentical(frameOf(small), first);
  EXPECT_EQ(cache().getCopies(), copies);
}

// scene's cells moved to fill the grid row by row.
Scene fullGrid(Scene scene) {
  for (std::size_t i = 0; i < scene.size(); i++) {
    scene[i].x = static_cast<float>(i % 100);
    scene[i].y = static_cast<float>(i / 100 % 50);
  }
  return scene;
}

// The next frame of a scene on the grid in which about a tenth of the cells
// change: new code points of every kind, colours, cells moved onto others.
Scene changed(const Scene& scene, std::mt19937& random) {
  Scene next = scene;
  std::uniform_int_distribution<std::size_t> cell(0, scene.size() - 1);
  std::uniform_int_distribution<int> what(0, 19);
  const Scene fresh = richScene(random, static_cast<int>(scene.size() / 10) + 1, true);
  for (std::size_t n = 0; n < scene.size() / 10; n++) {
    Glyph& g = next[cell(random)];
    switch (what(random)) {
      case 0:  // onto another cell, or to where one was; rarer than the rest
        g.x = fresh[n].x;
        g.y = fresh[n].y;
        break;
      case 1:
      case 2:
      case 3:
      case 4:  // a space, a missing glyph, a block, a line
        g.code_point = n % 4 == 0 ? U' ' : n % 4 == 1 ? 0xFFFD : n % 4 == 2 ? 0x2588 : 0x2502;
        break;
      default:  // another glyph in other colours
        g.code_point = fresh[n].code_point;
        g.fg = fresh[n].fg;
        g.bg = fresh[n].bg;
        g.ch = fresh[n].ch;
        g.color = fresh[n].color;
        break;
    }
  }
  return next;
}

// Frame after frame of a changing scene on the grid, the cached picture,
// repainted, is the one a batch drawing every cell anew gives. A frame with
// a cell off the grid, or with a cell fewer, is drawn as always.
TEST_F(FastCellsTest, ChangingFramesRepaintToThePixel) {
  sf::Font font;
  ASSERT_TRUE(font.loadFromFile("wd-font.ttf"));
  BatchOnTexture cached(font, false);
  BatchOnTexture exact(font, true);
  const wd::FrameCache& frame_cache = cached.batch.getFrameCache();
  std::mt19937 random(5);
  const struct { const char* what; Scene scene; } starts[] = {
      {"rich cells", fullGrid(richScene(random, 5000, true))}, {"the ASCII grid", asciiGrid()}};
  for (const auto& start : starts) {
    SCOPED_TRACE(start.what);
    Scene scene = start.scene;
    const std::int64_t repaints = frame_cache.getRepaints();
    for (int frame = 0; frame < 8; frame++) {
      SCOPED_TRACE("frame " + std::to_string(frame));
      expectIdentical(cached.frame(scene), exact.frame(scene));
      scene = changed(scene, random);
    }
    // The first frame is drawn as always, the second whole into the cache;
    // the first change of the ASCII grid brings coloured backgrounds, laid
    // out anew, and starts over.
    EXPECT_GE(frame_cache.getRepaints(), repaints + 5);
  }
  EXPECT_EQ(exact.batch.getFrameCache().getCopies(), 0);

  // One coloured background lays the glyphs of the whole grid out anew.
  const Scene grid = asciiGrid();
  Scene one_colored = grid;
  one_colored[2500].code_point = U'#';
  one_colored[2500].fg = sf::Color::White;
  one_colored[2500].bg = sf::Color(20, 40, 200);
  cached.frame(grid);
  cached.frame(grid);
  expectIdentical(cached.frame(one_colored), exact.frame(one_colored));
  Scene off_grid = grid;
  off_grid[2500].x += 0.5f;
  const Scene shorter(grid.begin(), grid.end() - 1);
  for (const Scene* p_scene : {static_cast<const Scene*>(&off_grid), &shorter}) {
    cached.frame(grid);
    cached.frame(grid);
    const std::int64_t copies = frame_cache.getCopies();
    expectIdentical(cached.frame(*p_scene), exact.frame(*p_scene));
    EXPECT_EQ(frame_cache.getCopies(), copies);
  }
}

// Drawing through the window among the cells is drawn as always, the frame
// cache left out; the plain frames after it are right again.
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
  const sf::Image plain = frameOf(second_half);
  const sf::Image over = frameOf(second_half, own_drawing);
  const sf::Image among = frameOf(second_half, between);
  expectIdentical(frameOf(second_half, own_drawing), over);
  // The first half, drawn again, now comes through the cache.
  expectAlikeInTheWindow(frameOf(second_half, between), among);
  expectAlikeInTheWindow(frameOf(second_half), plain);
  EXPECT_GT(wd_test::compareImages(over, plain).pixels, 1000);
}

// The cache serves only a target of its size seen through its default view,
// and not at all with WD_EXACT_CELLS set; the pictures stay the same.
TEST_F(FastCellsTest, OtherTargetsAndTheSwitchAreDrawnAsAlways) {
  sf::Font font;
  ASSERT_TRUE(font.loadFromFile("wd-font.ttf"));
  const Scene scene = asciiGrid();
  BatchOnTexture cached(font, false);
  cached.frame(scene);
  cached.frame(scene);
  const sf::Image served = cached.frame(scene);
  EXPECT_EQ(cached.batch.getFrameCache().getCopies(), 2);

  BatchOnTexture exact(font, true);
  for (int i = 0; i < 3; i++) {
    expectIdentical(exact.frame(scene), served);
  }
  EXPECT_EQ(exact.batch.getFrameCache().getCopies(), 0);
  EXPECT_FALSE(exact.batch.getFlushMemo().isEnabled());
  EXPECT_EQ(exact.batch.getFlushMemo().getRepeats(), 0);

  BatchOnTexture shifted(font, false);
  sf::View view = shifted.target.getDefaultView();
  view.move(0, 0.5f);
  shifted.target.setView(view);
  BatchOnTexture larger(font, false);
  larger.target.create(1100, 900);
  for (int i = 0; i < 3; i++) {
    shifted.frame(scene);
    larger.frame(scene);
  }
  EXPECT_EQ(shifted.batch.getFrameCache().getCopies(), 0);
  EXPECT_EQ(larger.batch.getFrameCache().getCopies(), 0);
  view.move(0, -0.5f);
  shifted.target.setView(view);
  shifted.frame(scene);
  expectIdentical(shifted.frame(scene), served);
  EXPECT_EQ(shifted.batch.getFrameCache().getCopies(), 1);
}

// Once warm, frames that repeat or change a tenth of their cells allocate
// nothing of their own: what is allocated is the window library's, a few
// small blocks a frame when it switches between the window and the cache's
// texture, and the same every time.
TEST_F(FastCellsTest, SteadyFramesAllocateNothingOfTheirOwn) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer keeps operator new for itself";
#endif
  std::mt19937 random(17);
  Scene scene = fullGrid(richScene(random, 5000, true));
  std::vector<Scene> frames;
  for (int i = 0; i < 6; i++) {
    frames.push_back(scene);
    scene = changed(scene, random);
  }
  const auto play = [&] {
    for (const Scene& frame : frames) {
      drawScene(frame);
      display().swapBuffers();
      drawScene(frame);
      display().swapBuffers();
    }
  };
  const auto count_allocations = [&] {
    allocations = 0;
    counting_allocations = true;
    play();
    counting_allocations = false;
    return allocations.load();
  };
  // The first plays also let the GL driver compile what it draws with.
  play();
  play();
  const std::int64_t repaints = cache().getRepaints();
  const long first = count_allocations();
  EXPECT_EQ(count_allocations(), first);
  EXPECT_LE(first, 6 * 12);
  EXPECT_GE(cache().getRepaints(), repaints + 10);
}

// Run by the test below in a process whose GL, through Mesa's overrides,
// is 2.1 without framebuffer objects: the frame cache never serves, the
// memo serves repeated frames, and the pictures are those of a batch
// drawing every cell anew in the same process.
TEST_F(FastCellsTest, WithoutFramebufferObjectsChild) {
  if (std::getenv("WD_FALLBACK_CHILD") == nullptr) {
    GTEST_SKIP() << "run by WithoutFramebufferObjectsTheCellsAreDrawnAsAlways";
  }
  sf::Font font;
  ASSERT_TRUE(font.loadFromFile("wd-font.ttf"));
  BatchOnTexture exact(font, true);
  const std::int64_t served = display().getCellBatch().getFlushMemo().getRepeats();
  for (const auto& named : namedScenes()) {
    SCOPED_TRACE(named.first);
    frameOf(named.second);
    expectIdentical(frameOf(named.second), exact.frame(named.second));
  }
  EXPECT_EQ(cache().getCopies(), 0);
  EXPECT_EQ(display().getCellBatch().getFlushMemo().getRepeats(), served + 4);
}

TEST_F(FastCellsTest, WithoutFramebufferObjectsTheCellsAreDrawnAsAlways) {
  // Taking ARB_framebuffer_object away takes the context down to GL 2.1.
  const std::string command =
      "WD_FALLBACK_CHILD=1 MESA_EXTENSION_OVERRIDE='-GL_ARB_framebuffer_object"
      " -GL_EXT_framebuffer_object -GL_EXT_packed_depth_stencil' /proc/" +
      std::to_string(getpid()) +
      "/exe --gtest_filter=FastCellsTest.WithoutFramebufferObjectsChild > child.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << wd_test::readFile("child.log");
  const std::string log = wd_test::readFile("child.log");
  EXPECT_NE(log.find("[  PASSED  ] 1 test"), std::string::npos) << log;
  frameOf(asciiGrid());
  EXPECT_GT(cache().getCopies(), 0);
}

}  // namespace
