// Frames, sprites, animation playback and view objects (their drawing is checked with the display's);
// the sprite file reader and the registry, checked against the exact bytes they log.
#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Animation.h"
#include "EventStep.h"
#include "EventView.h"
#include "Sprite.h"
#include "SpriteResourceManager.h"
#include "ViewObject.h"
#include "WorldManager.h"
#include "test_support.h"

namespace {

using wd::Vector;
using wd::ViewObject;

// "frame:count " for each of `draws` draws: the frame drawn, then the slowdown count.
std::string playback(wd::Animation* p_animation, int draws) {
  std::string trace;
  for (int i = 0; i < draws; i++) {
    trace += std::to_string(p_animation->getIndex()) + ":";
    p_animation->draw(Vector(10, 10));
    trace += std::to_string(p_animation->getSlowdownCount()) + " ";
  }
  return trace;
}

std::vector<float> boxOf(const wd::Animation& animation) {
  const wd::Box box = animation.getBox();
  return {box.getCorner().getX(), box.getCorner().getY(), box.getHorizontal(), box.getVertical()};
}

// A capacity is a limit, not an allocation: two billion frames cost nothing.
// AddressSanitizer reports any read outside a string or the frames.
TEST(SpriteTest, CapacityIsALimitAndDrawingStaysInBounds) {
  wd::Sprite sprite(2);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "b")), 0);
  EXPECT_EQ(sprite.addFrame(wd::Frame(1, 1, "c")), -1);
  for (int index : {-1, 2, INT_MIN}) {
    const wd::Frame frame = sprite.getFrame(index);
    EXPECT_TRUE(frame.getString().empty() && frame.getWidth() == 0 && frame.getHeight() == 0) << index;
    EXPECT_EQ(sprite.draw(index, Vector()), -1) << index;
  }
  EXPECT_EQ(wd::Sprite(-5).addFrame(wd::Frame(1, 1, "a")), -1);
  wd::Sprite huge(2000000000);
  EXPECT_EQ(huge.addFrame(wd::Frame(1, 1, "a")), 0);
  EXPECT_EQ(huge.draw(1999999999, Vector()), 0);  // an unfilled slot draws nothing
  EXPECT_EQ(wd::Frame().draw(Vector(5, 5), wd::RED), -1);
  for (const wd::Frame& frame : {wd::Frame(3, 2, "ab"), wd::Frame(-3, 2, "abc"), wd::Frame(INT_MAX, INT_MAX, "x")}) {
    EXPECT_EQ(frame.draw(Vector(1, 1), wd::RED), 0) << frame.getWidth();
  }
}

// State set from outside neither reads outside the sprite nor overflows
// (UndefinedBehaviorSanitizer reports signed overflow).
TEST(AnimationTest, SlowdownFreezeBoxAndOutOfRangeState) {
  wd::Animation animation;
  EXPECT_EQ(animation.draw(Vector(1, 1)), -1);
  EXPECT_EQ(boxOf(animation), (std::vector<float>{-0.5f, -0.5f, 0.99f, 0.99f}));
  wd::Sprite sprite(2);
  sprite.setWidth(5);
  sprite.setHeight(4);
  sprite.setSlowdown(3);
  sprite.addFrame(wd::Frame(1, 1, "a"));
  sprite.addFrame(wd::Frame(1, 1, "b"));
  animation.setSprite(&sprite);
  EXPECT_EQ(boxOf(animation), (std::vector<float>{-2.5f, -2.0f, 5.0f, 4.0f}));
  EXPECT_EQ(playback(&animation, 7), "0:1 0:2 0:0 1:1 1:2 1:0 0:1 ");
  // A count of -1 freezes the animation.
  animation.setIndex(1);
  animation.setSlowdownCount(-1);
  EXPECT_EQ(animation.draw(Vector()), -1);
  EXPECT_EQ(playback(&animation, 1), "1:-1 ");
  animation.setSlowdownCount(2);
  EXPECT_EQ(playback(&animation, 2), "1:0 0:1 ");
  // Slowdowns 0, 1 and below all change frame on every draw.
  for (int slowdown : {0, 1, -4}) {
    sprite.setSlowdown(slowdown);
    EXPECT_EQ(playback(&animation, 2), "0:0 1:0 ") << slowdown;
  }
  for (int index : {2, 1000, INT_MAX}) {
    animation.setIndex(index);
    EXPECT_EQ(playback(&animation, 2), std::to_string(index) + ":0 0:0 ") << index;
  }
  animation.setSlowdownCount(INT_MAX);
  EXPECT_EQ(playback(&animation, 2), "1:0 0:0 ");
}

void setView(float x, float y) { wd::WorldManager::getInstance().setView(wd::Box(Vector(x, y), 100, 50)); }

void expectAt(const ViewObject& view_object, float x, float y) {
  EXPECT_FLOAT_EQ(view_object.getPosition().getX(), x);
  EXPECT_FLOAT_EQ(view_object.getPosition().getY(), y);
}

// Placed once, at the call, one row higher without a border; changed by view events of its caption only.
TEST(ViewObjectTest, NinePlacesWithAndWithoutBorderAndViewEvents) {
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

using Lines = std::vector<std::string>;
using wd_test::readLog;
using wd_test::restartLog;

// The registry on its own, without the audio part that derives from it.
class Registry : public wd::SpriteResourceManager {};

// Each line with `before` and `after` it: the lines of a file, or the messages of a log.
std::string join(const Lines& lines, const std::string& before, const std::string& after) {
  std::string text;
  for (const std::string& line : lines) {
    text += before + line + after;
  }
  return text;
}

std::string logOf(const Lines& messages) { return join(messages, " Message: ", ""); }

std::string textOf(const Lines& lines, const std::string& line_end = "\n") { return join(lines, "", line_end); }

const std::string FILE_NAME = "sprites/test-spr.txt";
const std::string SRM = "SRM::loadSprite(): ";
const std::string LOADED = SRM + "Sprite 'L' loaded.";
const std::string NOT_LOADED = SRM + "Sprite 'L' not loaded.";
const std::string NO_FRAME = SRM + "Error! No frame data to add.";
const std::string OPENED = logOf({SRM + "Loading sprite '" + FILE_NAME + "'.", SRM + "Opened file '" + FILE_NAME + "'."});
// A green 3 x 2 sprite of two frames; entry i is file line i + 1.
const Lines EXAMPLE = {"<HEADER>", "frames 2", "width 3", "height 2", "color green", "slowdown 4", "</HEADER>", "<BODY>",
                       "(o)", "/#\\", "end", "(o)", "\\#/", "end", "</BODY>", "<FOOTER>", "version 1", "</FOOTER>"};

// The log of an opened file whose header was read in full after these warnings.
std::string header(const Lines& warnings = {}, const std::string& frames = "2", const std::string& color = "green",
                   const std::string& slowdown = "4") {
  return OPENED + logOf(warnings) + logOf({"\t      Frames: " + frames, "\t       Width: 3", "\t      Height: 2",
                                           "\t    Slowdown: " + slowdown, "\t       Color: " + color});
}

// The lines with `remove` of them from file line `line` on replaced by `insert`.
Lines edit(int line, int remove, const Lines& insert, Lines lines = EXAMPLE) {
  const auto at = lines.begin() + (line - 1);
  lines.insert(lines.erase(at, at + remove), insert.begin(), insert.end());
  return lines;
}

class SpriteLoaderTest : public ::testing::Test {
 protected:
  int load(const std::string& text, const std::string& label = "L") {
    wd_test::writeFile(FILE_NAME, text);
    restartLog();
    return registry.loadSprite(FILE_NAME, label);
  }

  Registry registry;
};

// Messages name true file lines, unused header lines included; file text is only ever an
// argument of a log format; a failed load registers nothing and ends with the not-loaded line.
TEST_F(SpriteLoaderTest, EachFileLeavesItsExactLog) {
  // CR LF files read like LF files.
  ASSERT_EQ(load(textOf(EXAMPLE, "\r\n")), 0);
  EXPECT_EQ(readLog(), header() + logOf({LOADED}));
  const wd::Sprite& sprite = *registry.getSprite("L");
  EXPECT_EQ((std::vector<int>{sprite.getFrameCount(), sprite.getWidth(), sprite.getHeight(), sprite.getSlowdown(),
                              sprite.getColor()}), (std::vector<int>{2, 3, 2, 4, wd::GREEN}));
  EXPECT_EQ(sprite.getLabel() + sprite.getFrame(0).getString() + sprite.getFrame(1).getString(), "L(o)/#\\(o)\\#/");
  ASSERT_EQ(registry.unloadSprite("L"), 0);
  const std::string text = textOf(EXAMPLE);
  EXPECT_EQ(load(text.substr(0, text.size() - 1)), -1);
  EXPECT_EQ(readLog(), header() + logOf({"getLine(): Error! Unexpected end of file.",
                                         "readData(): Error! Never encountered '</FOOTER>'.", NOT_LOADED}));
  const std::string colour = "color %s%n%x";
  const std::string dup_colour =
      header({"matchLineStr(): Warning! '" + colour + "' matches multiple lines."}, "2", "%s%n%x");
  const std::vector<std::tuple<Lines, std::string, Lines>> cases = {
      {edit(8, 0, {""}), header(), {"readData(): Error line 8! Expected '<BODY>', have ''."}},
      // An empty line inside a section ends it as if the closing tag were missing.
      {edit(3, 1, {""}), OPENED, {"readData(): Error! Never encountered '</HEADER>'."}},
      {edit(12, 1, {"()"}), header(), {"\tError! Line 12: Line length is 2 (frame width is 3).", "\tLine 12: '()'", NO_FRAME}},
      {edit(2, 0, {"author me"}, edit(10, 1, {"/#\\ "})), header({SRM + "Warning! Unused HEADER lines:", "\t'author me'"}),
       {"\tError! Line 11: Line length is 4 (frame width is 3).", "\tLine 11: '/#\\ '", NO_FRAME}},
      {edit(11, 1, {"END"}), header(), {"\tError! Line 11: Expected 'end'.", "\tLine 11: 'END'", NO_FRAME}},
      {edit(12, 3, {}), header(), {"\tError! Line 12: No more frame data before 'end'.", NO_FRAME}},
      {edit(15, 0, {"(-)", "/#\\", "end"}), header(),
       {SRM + "Error! Extra BODY:", "\tline 15: (-)", "\tline 16: /#\\", "\tline 17: end"}},
      // Required keys that are absent or bare (no value at all) fail the load.
      {edit(2, 1, {"frame 2"}), OPENED, {SRM + "Error! Missing 'frames' in header."}},
      {edit(4, 1, {"height"}), OPENED, {SRM + "Error! Missing 'height' in header."}},
      {edit(5, 2, {}), header({SRM + "Warning! No 'color' in header.", SRM + "Warning! No 'slowdown' in header."}, "2",
                              "default", "0"), {LOADED}},
      {edit(6, 0, {colour}), dup_colour, {SRM + "Error! Unrecognized color '%s%n%x'.",
                                          "  Valid colors are: black, red, green, yellow,",
                                          "                    blue, magenta, cyan and white."}},
      // The colour is checked only after the body section was read.
      {edit(16, 1, {"</BOD>"}, edit(6, 0, {colour})), dup_colour,
       {"getLine(): Error! Unexpected end of file.", "readData(): Error! Never encountered '</BODY>'."}},
      {edit(17, 1, {"author me"}), header(), {SRM + "Error! Missing 'version' in FOOTER (line 17)."}},
      {edit(18, 0, {"author %s"}, edit(7, 0, {"slowdown 5%n"})),
       header({"matchLineInt(): Warning! 'slowdown 5%n' matches multiple lines."}, "2", "green", "5"),
       {SRM + "Warning! Unused FOOTER lines:", "\t'author %s'", LOADED}},
      // Absurd frame counts fail without allocating; values beyond an int saturate.
      {edit(2, 1, {"frames 2000000000"}), header({}, "2000000000"),
       {"\tError! Line 15: No more frame data before 'end'.", NO_FRAME}},
      {edit(2, 1, {"frames -2"}), header({}, "-2"), {SRM + "Error! Unable to create Sprite."}},
      {edit(2, 1, {"frames -99999999999"}), header({}, "-2147483648"), {SRM + "Error! Unable to create Sprite."}},
  };
  for (const auto& [file, before, messages] : cases) {
    const std::string text = textOf(file);
    const bool loaded = messages.back() == LOADED;
    EXPECT_EQ(load(text), loaded ? 0 : -1) << text;
    EXPECT_EQ(readLog(), before + logOf(messages) + (loaded ? "" : logOf({NOT_LOADED}))) << text;
    EXPECT_EQ(registry.unloadSprite("L"), loaded ? 0 : -1) << text;
  }
}

TEST_F(SpriteLoaderTest, RegistryFindsByLabelAndHoldsAThousand) {
  restartLog();
  EXPECT_EQ(registry.loadSprite("sprites/%s%n-none.txt", "%n%n"), -1);
  EXPECT_EQ(readLog(), logOf({SRM + "Loading sprite 'sprites/%s%n-none.txt'.",
                              SRM + "Error! Cannot open file 'sprites/%s%n-none.txt'.", SRM + "Sprite '%n%n' not loaded."}));
  for (int i = 0; i < wd::MAX_SPRITES; i++) {
    ASSERT_EQ(load(textOf(EXAMPLE), i == wd::MAX_SPRITES - 1 ? "b" : "a"), 0) << i;
  }
  // The file named here does not exist: the refusal must come before any opening.
  restartLog();
  EXPECT_EQ(registry.loadSprite("sprites/none-spr.txt", "L"), -1);
  EXPECT_EQ(readLog(), logOf({SRM + "Error! Cannot add more Sprites (max is 1000).", NOT_LOADED}));
  // The first sprite of a label is the one found and unloaded; the rest move up.
  const wd::Sprite* p_first_a = registry.getSprite("a");
  const wd::Sprite* p_b = registry.getSprite("b");
  EXPECT_EQ(registry.unloadSprite("nobody"), -1);
  ASSERT_EQ(registry.unloadSprite("a"), 0);
  EXPECT_NE(registry.getSprite("a"), p_first_a);
  EXPECT_EQ(registry.getSprite("b"), p_b);
  EXPECT_EQ(load(textOf(EXAMPLE)), 0);  // into the freed slot
  EXPECT_EQ(load(textOf(EXAMPLE)), -1);
  // Sprites loaded before a start are freed, not lost (LeakSanitizer checks).
  EXPECT_EQ(registry.startUp(), 0);
  EXPECT_EQ(registry.getSprite("a"), nullptr);
}

}  // namespace
