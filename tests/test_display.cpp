// The display manager: drawing compared pixel for pixel with sf::Text, frames and view objects with
// plain strings, failed starts.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "Cp437.h"
#include "DisplayManager.h"
#include "Frame.h"
#include "InputManager.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "naive_display.h"
#include "utility.h"
#include "display_fixture.h"
#include "test_support.h"

using wd::Vector;

namespace {

// A plain character ch in the colour of index color, or with a code point, a glyph in fg on bg.
struct Cell {
  float x, y;
  char ch;
  int color;
  char32_t code_point = 0;
  sf::Color fg = sf::Color::White, bg = sf::Color::Black;
};
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
    if (c.code_point == 0) {
      display().drawCharacter(Vector(c.x, c.y), c.ch, static_cast<wd::Color>(c.color));
    } else {
      display().drawGlyph(Vector(c.x, c.y), c.code_point, c.fg, c.bg);
    }
  }
}

// The same cells as the reference draws them, one by one straight into the window.
void drawNaively(wd_test::NaiveDisplay& naive, const Cells& cells, Vector corner = Vector()) {
  for (const Cell& c : cells) {
    if (c.code_point == 0) {
      naive.drawCharacter(c.x - corner.getX(), c.y - corner.getY(), c.ch, c.color);
    } else {
      naive.drawGlyph(c.x - corner.getX(), c.y - corner.getY(), c.code_point, c.fg, c.bg);
    }
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

class DisplayTest : public wd_test::DisplayFixture {};

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

// Strings land on the cells of their alignment; frames, centred on their position, leave the very pixels
// of their lines drawn as strings.
TEST_F(DisplayTest, StringsAndFramesLandOnTheirCells) {
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

// Glyphs beyond ASCII in 24-bit colours on coloured cells, as one rectangle and one text object per cell
// draw them: on the grid (the backgrounds as one picture), at fractional positions among plain characters
// (a quad per background, cut by later ones), and after drawing of the game's own.
Cells randomRichCells(std::mt19937& random, int count, bool on_grid) {
  std::vector<char32_t> code_points;
  for (int code = 1; code < wd::Cp437::CODE_COUNT; code++) {  // code 0 is a blank cell
    code_points.push_back(wd::Cp437::toUnicode(static_cast<std::uint32_t>(code)));
  }
  for (char32_t c : U"─│┼╔═╗║╚╝█▓▒░▀▄▌▐←↑→↓↔♠♣♥♦αβγΩЖЯжя") {
    code_points.push_back(c);
  }
  code_points.pop_back();  // the literal's terminating zero
  std::uniform_int_distribution<std::size_t> pick(0, code_points.size() - 1);
  std::uniform_int_distribution<int> level(0, 255), column(0, 99), row(0, 49), kind(0, 9);
  std::uniform_real_distribution<float> across(-2.0f, 102.0f), down(-2.0f, 51.0f);
  const auto color = [&]() {
    return sf::Color(static_cast<sf::Uint8>(level(random)), static_cast<sf::Uint8>(level(random)),
                     static_cast<sf::Uint8>(level(random)));
  };
  Cells cells;
  for (int i = 0; i < count; i++) {
    const float x = on_grid ? static_cast<float>(column(random)) : across(random);
    const float y = on_grid ? static_cast<float>(row(random)) : down(random);
    const int k = kind(random);  // some plain characters, some glyphs on black
    const sf::Color bg = k < 2 ? sf::Color::Black : color();
    cells.push_back(Cell{x, y, static_cast<char>(33 + i % 94), i % 8, k == 0 ? 0 : code_points[pick(random)],
                         color(), bg});
  }
  return cells;
}

TEST_F(DisplayTest, RichCellsMatchPerCellDrawing) {
  std::mt19937 random(20261209);
  const auto drawScene = [&](const Cells& cells, const auto& draw, bool own_drawing) {
    if (own_drawing) {
      sf::RectangleShape field(sf::Vector2f(300, 200));
      field.setPosition(200, 150);
      field.setFillColor(sf::Color(40, 90, 160));
      display().getWindow()->draw(field);
    }
    draw(cells);
    return takeFrame();
  };
  wd_test::NaiveDisplay naive(display().getWindow());
  const auto naively = [&](const Cells& cells) { drawNaively(naive, cells); };
  for (const bool on_grid : {true, false}) {
    for (const bool own_drawing : {false, true}) {
      SCOPED_TRACE(std::string(on_grid ? "on the grid" : "off the grid") + (own_drawing ? ", over a drawing" : ""));
      const Cells cells = randomRichCells(random, on_grid ? 6000 : 2500, on_grid);
      const std::int64_t calls = display().getCellBatch().getDrawCalls();
      const sf::Image engine = drawScene(cells, drawCells, own_drawing);
      EXPECT_LE(display().getCellBatch().getDrawCalls() - calls, 2);  // backgrounds, then glyphs
      EXPECT_GT(wd_test::litPixels(engine), 300000);
      expectSamePicture(engine, drawScene(cells, naively, own_drawing));
    }
  }
}

// The extents of the pixels within a box around a view cell that pass the test.
template <typename Test>
sf::IntRect extentOf(const sf::Image& image, int column, int row, Test test) {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  for (int x = column * 10 - 20; x < column * 10 + 50; x++) {
    for (int y = row * 18 - 20; y < row * 18 + 50; y++) {
      if (test(image.getPixel(static_cast<unsigned int>(x), static_cast<unsigned int>(y)))) {
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
      }
    }
  }
  return sf::IntRect(left, top, right - left + 1, bottom - top + 1);
}

sf::IntRect extentOf(const sf::Image& image, int column, int row, sf::Color color) {
  return extentOf(image, column, row, [color](sf::Color pixel) { return pixel == color; });
}

// A coloured background fills exactly the cell's background next to a plain black one; a full block fills
// the same cell in its 24-bit colour; box drawing lines run through the cell and join their neighbours.
TEST_F(DisplayTest, GlyphsAndBackgroundsLandInTheirCells) {
  const sf::Color teal(12, 200, 99), brick(200, 30, 40), white(255, 255, 255);
  display().drawGlyph(Vector(40, 5), U' ', white, sf::Color(200, 30, 40, 0));  // a cell is opaque
  display().drawGlyph(Vector(41, 5), U' ', white);
  display().drawGlyph(Vector(40, 7), U'█', teal);
  for (int i = 0; i < 3; i++) {
    display().drawGlyph(Vector(static_cast<float>(10 + i), 5), U'─', white);
    display().drawGlyph(Vector(20, static_cast<float>(5 + i)), U'│', white);
  }
  const sf::Image frame = takeFrame();
  // The background covers the 10 or 11 columns and 18 rows of the cell's black one: x 408.6 to 418.8,
  // y 93.6 to 111.6.
  const sf::IntRect cell = extentOf(frame, 40, 5, brick);
  EXPECT_EQ(cell, sf::IntRect(409, 94, 10, 18));
  // The next cell's centre stays black.
  EXPECT_EQ(frame.getPixel(static_cast<unsigned int>(41 * 10.24f + 4.1f), 5 * 18 + 12), sf::Color::Black);
  // The block: the same cell two rows lower, give or take its smoothed edge.
  const sf::IntRect block = extentOf(frame, 40, 7, teal);
  EXPECT_NEAR(block.left, cell.left, 1);
  EXPECT_NEAR(block.top, cell.top + 36, 1);
  EXPECT_NEAR(block.left + block.width, cell.left + cell.width, 1);
  EXPECT_NEAR(block.top + block.height, cell.top + 36 + cell.height, 1);
  // Lines of three cells from the first cell's background edge to the last one's, without a gap.
  const auto lit = [](sf::Color pixel) { return pixel.r > 100; };
  const sf::IntRect across = extentOf(frame, 11, 5, lit);
  EXPECT_NEAR(across.left, 101.4, 1.5);
  EXPECT_NEAR(across.left + across.width, 101.4 + 3 * 10.24, 1.5);
  EXPECT_LE(across.height, 3);
  const sf::IntRect down = extentOf(frame, 20, 6, lit);
  EXPECT_NEAR(down.top, 93.6, 1.5);
  EXPECT_NEAR(down.top + down.height, 93.6 + 3 * 18, 1.5);
  EXPECT_LE(down.width, 3);
  for (int x = across.left + 1; x < across.left + across.width - 1; x++) {  // within the smoothed ends
    int brightest = 0;
    for (int y = across.top; y < across.top + across.height; y++) {
      brightest = std::max(brightest, static_cast<int>(frame.getPixel(x, y).r));
    }
    EXPECT_GT(brightest, 180) << x;
  }
  // Over the game's own drawing, a cell given a transparent black still paints its opaque background.
  sf::RectangleShape field(sf::Vector2f(100, 100));
  field.setPosition(380, 60);
  display().getWindow()->draw(field);
  display().drawGlyph(Vector(40, 5), U' ', white, sf::Color::Transparent);
  EXPECT_EQ(extentOf(takeFrame(), 40, 5, sf::Color::Black), cell);
}

// A code point the font lacks draws the replacement glyph; the log says so once per code point.
TEST_F(DisplayTest, AMissingGlyphDrawsItsReplacementAndIsLoggedOnce) {
  wd_test::restartLog();
  display().drawGlyph(Vector(10, 5), U'\uFFFD', sf::Color::Green);
  const sf::Image replacement = takeFrame();
  EXPECT_GT(wd_test::litPixels(replacement), 50);
  for (int frame = 0; frame < 3; frame++) {
    display().drawGlyph(Vector(10, 5), U'\U0001F600', sf::Color::Green);
    EXPECT_EQ(wd_test::compareImages(takeFrame(), replacement).pixels, 0);
  }
  display().drawString(Vector(10, 5), "\xF0\x9F\x98\x80", wd::ALIGN_LEFT, wd::GREEN);  // the same, as UTF-8
  EXPECT_EQ(wd_test::compareImages(takeFrame(), replacement).pixels, 0);
  display().drawGlyph(Vector(10, 5), 0x0378, sf::Color::Green);  // unassigned Greek
  takeFrame();
  EXPECT_EQ(wd_test::readLog(),
            " Message: drawGlyph(): The font has no glyph for U+1F600; drawing U+FFFD in its place\n"
            " Message: drawGlyph(): The font has no glyph for U+0378; drawing U+FFFD in its place\n");
}

// A UTF-8 string takes a cell per character, is aligned by its cells, and draws each byte that is not
// UTF-8 as before: overlong forms, a surrogate, a sequence cut off at the end, bytes among characters.
TEST_F(DisplayTest, Utf8StringsTakeOneCellPerCharacter) {
  const char32_t NARROW = 0x110000;  // below: the byte drawn as a character of its own
  const struct { std::string text; std::vector<char32_t> cells; } cases[] = {
      {"\xE2\x95\x94\xE2\x95\x90\xC3\xA9\xE2\x95\x90\xE2\x95\x97", {U'╔', U'═', U'é', U'═', U'╗'}},
      {"\xC0\xAF" "a\xE0\x80\xAF\xED\xA0\x80", {NARROW + 0xC0, NARROW + 0xAF, NARROW + 'a', NARROW + 0xE0,
                                             NARROW + 0x80, NARROW + 0xAF, NARROW + 0xED, NARROW + 0xA0, NARROW + 0x80}},
      {"ab\xE2\x94", {NARROW + 'a', NARROW + 'b', NARROW + 0xE2, NARROW + 0x94}},
      {"\xF0\x9F\x98\x80!\xE2\x95\x94\xFF\xE2\x95\x90", {U'\uFFFD', NARROW + '!', U'╔', NARROW + 0xFF, U'═'}},
  };
  for (const auto& c : cases) {
    for (const int just : {wd::ALIGN_LEFT, wd::ALIGN_CENTER, wd::ALIGN_RIGHT}) {
      SCOPED_TRACE(std::to_string(c.cells.size()) + " cells aligned " + std::to_string(just));
      display().drawString(Vector(50, 8), c.text, static_cast<wd::Alignment>(just), wd::YELLOW);
      const sf::Image drawn = takeFrame();
      const int count = static_cast<int>(c.cells.size());
      const int first = just == wd::ALIGN_LEFT ? 50 : just == wd::ALIGN_CENTER ? 50 - count / 2 : 50 - count;
      for (int i = 0; i < count; i++) {
        const Vector cell(static_cast<float>(first + i), 8);
        if (c.cells[i] >= NARROW) {
          display().drawCharacter(cell, static_cast<char>(c.cells[i] - NARROW), wd::YELLOW);
        } else {
          display().drawGlyph(cell, c.cells[i], sf::Color::Yellow);
        }
      }
      EXPECT_EQ(wd_test::compareImages(drawn, takeFrame()).pixels, 0);
      EXPECT_GT(wd_test::litPixels(drawn), 40);
    }
  }
  // drawText aligns the same way and draws a byte that is not UTF-8 as the replacement glyph.
  const sf::Color rose(250, 120, 160), night(10, 20, 60);
  display().drawText(Vector(50, 8), "\xE2\x99\xA5 \xC3\xA9t\xC3\xA9\xFF", wd::ALIGN_CENTER, rose, night);
  const sf::Image text = takeFrame();
  const char32_t expected[] = {U'♥', U' ', U'é', U't', U'é', U'\uFFFD'};
  for (int i = 0; i < 6; i++) {
    display().drawGlyph(Vector(static_cast<float>(47 + i), 8), expected[i], rose, night);
  }
  EXPECT_EQ(wd_test::compareImages(text, takeFrame()).pixels, 0);
}

// A view object's text is centred on its position plus the boundary's corner, with or without a border. It
// draws in 24-bit colours once given one, on its background, and in its colour again after setColor; a UTF-8
// caption takes a cell per character either way.
TEST_F(DisplayTest, ViewObjectsDrawOnTheirPlaceIn24BitColours) {
  wd::WorldManager::getInstance().setBoundary(wd::Box(Vector(2, 1), 100, 50));
  wd::ViewObject view_object;
  view_object.setCaption("\xE2\x99\xA5 Lives:");
  view_object.setValue(3);
  view_object.setColor(wd::RED);
  EXPECT_EQ(view_object.getForegroundColor(), sf::Color::Red);
  EXPECT_EQ(view_object.getBackgroundColor(), sf::Color::Black);
  const sf::Color orange(255, 140, 20), navy(10, 20, 80);
  const struct { bool rgb, background, border; } cases[] = {
      {false, false, true}, {false, false, false}, {true, false, false}, {false, true, true}, {true, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.rgb) + std::to_string(c.background) + std::to_string(c.border));
    view_object.setColor(wd::RED);
    if (c.rgb) {
      view_object.setForegroundColor(orange);
    }
    view_object.setBackgroundColor(c.background ? navy : sf::Color::Black);
    view_object.setBorder(c.border);
    EXPECT_EQ(view_object.getForegroundColor(), c.rgb ? orange : sf::Color::Red);
    EXPECT_EQ(view_object.draw(), 0);
    const sf::Image drawn = takeFrame();
    const std::string text = c.border ? " \xE2\x99\xA5 Lives: 3 " : "\xE2\x99\xA5 Lives: 3";
    const Vector where = view_object.getPosition() + Vector(2, 1);  // the boundary's corner
    display().drawText(where, text, wd::ALIGN_CENTER, c.rgb ? orange : sf::Color::Red,
                       c.background ? navy : sf::Color::Black);
    EXPECT_EQ(wd_test::compareImages(drawn, takeFrame()).pixels, 0);
    EXPECT_GT(wd_test::litPixels(drawn), c.background ? 2000 : 300);
  }
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
