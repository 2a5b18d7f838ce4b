// The sprite file reader and the sprite registry, checked against the exact
// bytes they write to the log.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SpriteResourceManager.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;
using wd_test::readLog;
using wd_test::restartLog;

// The registry on its own, without the audio part that derives from it.
class Registry : public wd::SpriteResourceManager {
 public:
  Registry() = default;
};

const std::string FILE_NAME = "sprites/test-spr.txt";

// The log that these messages leave.
std::string logOf(const Lines& messages) {
  std::string log;
  for (const std::string& message : messages) {
    log += " Message: " + message;
  }
  return log;
}

Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A green 3 x 2 sprite of two frames; entry i is file line i + 1.
const Lines EXAMPLE = {"<HEADER>", "frames 2",  "width 3",   "height 2", "color green", "slowdown 4",
                       "</HEADER>", "<BODY>",   "(o)",       "/#\\",     "end",         "(o)",
                       "\\#/",      "end",      "</BODY>",   "<FOOTER>", "version 1",   "</FOOTER>"};

// The messages of a load of the example's header.
const Lines EXAMPLE_START = {"SRM::loadSprite(): Loading sprite '" + FILE_NAME + "'.",
                             "SRM::loadSprite(): Opened file '" + FILE_NAME + "'.",
                             "\t      Frames: 2", "\t       Width: 3", "\t      Height: 2",
                             "\t    Slowdown: 4", "\t       Color: green"};

const std::string NOT_LOADED = "SRM::loadSprite(): Sprite 'L' not loaded.";

// The example with file line `line` replaced by text.
Lines exampleWith(int line, const std::string& text) {
  Lines lines = EXAMPLE;
  lines[static_cast<std::size_t>(line - 1)] = text;
  return lines;
}

// The example with lines inserted before file line `line`.
Lines exampleInserting(int line, const Lines& inserted) {
  Lines lines = EXAMPLE;
  lines.insert(lines.begin() + line - 1, inserted.begin(), inserted.end());
  return lines;
}

class SpriteLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { restartLog(); }

  // Writes the lines as the sprite file, each ended by line_end, and loads it.
  int load(const Lines& lines, const std::string& label = "L", const std::string& line_end = "\n") {
    std::string text;
    for (const std::string& line : lines) {
      text += line + line_end;
    }
    wd_test::writeFile(FILE_NAME, text);
    restartLog();
    return registry.loadSprite(FILE_NAME, label);
  }

  // True when the log ends with these messages.
  static bool logEndsWith(const Lines& messages) {
    const std::string log = readLog();
    const std::string tail = logOf(messages);
    return log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0;
  }

  Registry registry;
};

TEST_F(SpriteLoaderTest, ExampleLoadsAndCrLfReadsTheSame) {
  ASSERT_EQ(load(EXAMPLE, "L", "\r\n"), 0);
  EXPECT_EQ(readLog(), logOf(EXAMPLE_START + Lines{"SRM::loadSprite(): Sprite 'L' loaded."}));
  const wd::Sprite* p_sprite = registry.getSprite("L");
  ASSERT_NE(p_sprite, nullptr);
  EXPECT_EQ(p_sprite->getFrameCount(), 2);
  EXPECT_EQ(p_sprite->getWidth(), 3);
  EXPECT_EQ(p_sprite->getHeight(), 2);
  EXPECT_EQ(p_sprite->getColor(), wd::GREEN);
  EXPECT_EQ(p_sprite->getSlowdown(), 4);
  EXPECT_EQ(p_sprite->getLabel(), "L");
  EXPECT_EQ(p_sprite->getFrame(0).getString(), "(o)/#\\");
  EXPECT_EQ(p_sprite->getFrame(1).getString(), "(o)\\#/");

  // A row may read "end": frames are cut by count.
  ASSERT_EQ(load(exampleWith(9, "end"), "E"), 0);
  EXPECT_EQ(registry.getSprite("E")->getFrame(0).getString(), "end/#\\");
}

TEST_F(SpriteLoaderTest, SectionErrors) {
  std::string text;
  for (const std::string& line : EXAMPLE) {
    text += line + "\n";
  }
  text.pop_back();
  wd_test::writeFile(FILE_NAME, text);
  restartLog();
  EXPECT_EQ(registry.loadSprite(FILE_NAME, "L"), -1);
  EXPECT_EQ(readLog(), logOf(EXAMPLE_START + Lines{"getLine(): Error! Unexpected end of file.",
                                                   "readData(): Error! Never encountered '</FOOTER>'.",
                                                   NOT_LOADED}));

  EXPECT_EQ(load(exampleInserting(8, {""})), -1);
  EXPECT_TRUE(logEndsWith({"readData(): Error line 8! Expected '<BODY>', have ''.", NOT_LOADED}));

  // An empty line inside a section ends it as if the closing tag were missing.
  EXPECT_EQ(load(exampleWith(3, "")), -1);
  EXPECT_EQ(readLog(), logOf({EXAMPLE_START[0], EXAMPLE_START[1],
                              "readData(): Error! Never encountered '</HEADER>'.", NOT_LOADED}));
  EXPECT_EQ(registry.getSprite("L"), nullptr);
}

// Messages name true file lines, unused header lines included.
TEST_F(SpriteLoaderTest, FrameErrorsNameTheirLine) {
  EXPECT_EQ(load(exampleWith(10, "/#\\ ")), -1);
  EXPECT_EQ(readLog(), logOf(EXAMPLE_START + Lines{"\tError! Line 10: Line length is 4 (frame width is 3).",
                                                   "\tLine 10: '/#\\ '",
                                                   "SRM::loadSprite(): Error! No frame data to add.",
                                                   NOT_LOADED}));

  Lines lines = exampleWith(10, "/#\\ ");
  lines.insert(lines.begin() + 1, "author me");
  EXPECT_EQ(load(lines), -1);
  EXPECT_NE(readLog().find(logOf({"SRM::loadSprite(): Warning! Unused HEADER lines:", "\t'author me'",
                                  "\t      Frames: 2"})),
            std::string::npos);
  EXPECT_NE(readLog().find(logOf({"\tError! Line 11: Line length is 4 (frame width is 3).",
                                  "\tLine 11: '/#\\ '"})),
            std::string::npos);

  EXPECT_EQ(load(exampleWith(11, "END")), -1);
  EXPECT_TRUE(logEndsWith({"\tError! Line 11: Expected 'end'.", "\tLine 11: 'END'",
                           "SRM::loadSprite(): Error! No frame data to add.", NOT_LOADED}));

  Lines one_frame = EXAMPLE;
  one_frame.erase(one_frame.begin() + 11, one_frame.begin() + 14);
  EXPECT_EQ(load(one_frame), -1);
  EXPECT_TRUE(logEndsWith({"\tError! Line 12: No more frame data before 'end'.",
                           "SRM::loadSprite(): Error! No frame data to add.", NOT_LOADED}));

  EXPECT_EQ(load(exampleInserting(15, {"(-)", "/#\\", "end"})), -1);
  EXPECT_TRUE(logEndsWith({"SRM::loadSprite(): Error! Extra BODY:", "\tline 15: (-)", "\tline 16: /#\\",
                           "\tline 17: end", NOT_LOADED}));
}

TEST_F(SpriteLoaderTest, HeaderAndFooterSettings) {
  Lines plain = EXAMPLE;
  plain.erase(plain.begin() + 4, plain.begin() + 6);
  ASSERT_EQ(load(plain), 0);
  EXPECT_EQ(readLog(), logOf({EXAMPLE_START[0], EXAMPLE_START[1],
                              "SRM::loadSprite(): Warning! No 'color' in header.",
                              "SRM::loadSprite(): Warning! No 'slowdown' in header.", "\t      Frames: 2",
                              "\t       Width: 3", "\t      Height: 2", "\t    Slowdown: 0",
                              "\t       Color: default", "SRM::loadSprite(): Sprite 'L' loaded."}));
  EXPECT_EQ(registry.getSprite("L")->getColor(), wd::WHITE);

  // Required keys that are absent, -1 or bare (no value at all) fail the load.
  EXPECT_EQ(load(exampleWith(2, "frame 2")), -1);
  EXPECT_TRUE(logEndsWith({"SRM::loadSprite(): Error! Missing 'frames' in header.", NOT_LOADED}));
  EXPECT_EQ(load(exampleWith(3, "width -1")), -1);
  EXPECT_TRUE(logEndsWith({"SRM::loadSprite(): Error! Missing 'width' in header.", NOT_LOADED}));
  EXPECT_EQ(load(exampleWith(4, "height")), -1);
  EXPECT_TRUE(logEndsWith({"SRM::loadSprite(): Error! Missing 'height' in header.", NOT_LOADED}));

  EXPECT_EQ(load(exampleWith(5, "color purple")), -1);
  EXPECT_TRUE(logEndsWith({"\t       Color: purple", "SRM::loadSprite(): Error! Unrecognized color 'purple'.",
                           "  Valid colors are: black, red, green, yellow,",
                           "                    blue, magenta, cyan and white.", NOT_LOADED}));
  // The colour is checked only after the body section was read.
  Lines broken_body = exampleWith(5, "color purple");
  broken_body[14] = "</BOD>";
  EXPECT_EQ(load(broken_body), -1);
  EXPECT_TRUE(logEndsWith({"readData(): Error! Never encountered '</BODY>'.", NOT_LOADED}));

  EXPECT_EQ(load(exampleWith(17, "author me")), -1);
  EXPECT_TRUE(logEndsWith({"SRM::loadSprite(): Error! Missing 'version' in FOOTER (line 17).", NOT_LOADED}));
  EXPECT_EQ(load(exampleInserting(18, {"author me"})), 0);
  EXPECT_TRUE(logEndsWith({"SRM::loadSprite(): Warning! Unused FOOTER lines:", "\t'author me'",
                           "SRM::loadSprite(): Sprite 'L' loaded."}));
}

// A frame count is a limit, not an allocation: absurd counts cost no memory.
TEST_F(SpriteLoaderTest, AbsurdFrameCountsFailWithoutAllocating) {
  EXPECT_EQ(load(exampleWith(2, "frames 2000000000")), -1);
  EXPECT_TRUE(logEndsWith({"\tError! Line 15: No more frame data before 'end'.",
                           "SRM::loadSprite(): Error! No frame data to add.", NOT_LOADED}));
  for (const char* count : {"frames -2", "frames -99999999999"}) {
    EXPECT_EQ(load(exampleWith(2, count)), -1);
    EXPECT_TRUE(logEndsWith({"SRM::loadSprite(): Error! Unable to create Sprite.", NOT_LOADED})) << count;
  }
}

// File text and names reach the log only as arguments, never as the format.
TEST_F(SpriteLoaderTest, PercentSignsAreLoggedVerbatim) {
  const std::string name = "sprites/%s%n-spr.txt";
  wd_test::writeFile(name, "<HEADER>\n%n%s%s\n</HEADER>\n");
  EXPECT_EQ(registry.loadSprite(name, "%n%n"), -1);
  EXPECT_NE(readLog().find("Loading sprite 'sprites/%s%n-spr.txt'."), std::string::npos);
  EXPECT_NE(readLog().find("Sprite '%n%n' not loaded."), std::string::npos);
  EXPECT_EQ(load(exampleWith(5, "color %s%n%x")), -1);
  EXPECT_NE(readLog().find("Unrecognized color '%s%n%x'."), std::string::npos);
}

TEST_F(SpriteLoaderTest, MissingFileAndFullRegistry) {
  EXPECT_EQ(registry.loadSprite("sprites/none-spr.txt", "L"), -1);
  EXPECT_EQ(readLog(), logOf({"SRM::loadSprite(): Loading sprite 'sprites/none-spr.txt'.",
                              "SRM::loadSprite(): Error! Cannot open file 'sprites/none-spr.txt'.",
                              NOT_LOADED}));
  for (int i = 0; i < wd::MAX_SPRITES; i++) {
    ASSERT_EQ(load(EXAMPLE, "copy"), 0) << i;
  }
  // The file named here does not exist: the refusal must come before any opening.
  restartLog();
  EXPECT_EQ(registry.loadSprite("sprites/none-spr.txt", "L"), -1);
  EXPECT_EQ(readLog(),
            logOf({"SRM::loadSprite(): Error! Cannot add more Sprites (max is 1000).", NOT_LOADED}));
  ASSERT_EQ(registry.unloadSprite("copy"), 0);
  EXPECT_EQ(load(EXAMPLE), 0);
}

TEST_F(SpriteLoaderTest, LabelsFindTheFirstAndUnloadClosesTheGap) {
  ASSERT_EQ(load(EXAMPLE, "a"), 0);
  ASSERT_EQ(load(EXAMPLE, "b"), 0);
  ASSERT_EQ(load(EXAMPLE, "a"), 0);
  const wd::Sprite* p_first_a = registry.getSprite("a");
  const wd::Sprite* p_b = registry.getSprite("b");
  EXPECT_EQ(registry.getSprite("nobody"), nullptr);
  EXPECT_EQ(registry.unloadSprite("nobody"), -1);

  ASSERT_EQ(registry.unloadSprite("a"), 0);
  const wd::Sprite* p_second_a = registry.getSprite("a");
  ASSERT_NE(p_second_a, nullptr);
  EXPECT_NE(p_second_a, p_first_a);
  EXPECT_EQ(registry.getSprite("b"), p_b);
  ASSERT_EQ(registry.unloadSprite("b"), 0);
  EXPECT_EQ(registry.getSprite("a"), p_second_a);
  ASSERT_EQ(registry.unloadSprite("a"), 0);
  EXPECT_EQ(registry.unloadSprite("a"), -1);
}

// Sprites loaded before a start are freed, not lost (LeakSanitizer checks).
TEST_F(SpriteLoaderTest, StartAndStopEmptyTheRegistry) {
  ASSERT_EQ(load(EXAMPLE, "early"), 0);
  EXPECT_EQ(registry.startUp(), 0);
  EXPECT_EQ(registry.getSprite("early"), nullptr);
  ASSERT_EQ(load(EXAMPLE, "later"), 0);
  registry.Manager::startUp();
  restartLog();
  EXPECT_EQ(registry.startUp(), 0);
  EXPECT_NE(registry.getSprite("later"), nullptr);
  registry.shutDown();
  EXPECT_EQ(registry.getSprite("later"), nullptr);
  EXPECT_EQ(readLog(), logOf({"SRM::startUp(): Already started.", "SRM::shutDown(): Successfully stopped."}));
}

TEST(ReaderTest, KeysTakeTheirLastLine) {
  restartLog();
  Lines data = {"width 3", "height 2", "width 4", "colour red", "color blue  ", "color"};
  EXPECT_EQ(wd::matchLineInt(&data, "width"), 4);
  EXPECT_EQ(wd::matchLineStr(&data, "color"), "");
  EXPECT_EQ(data, (Lines{"height 2", "colour red"}));
  EXPECT_EQ(readLog(), logOf({"matchLineInt(): Warning! 'width 4' matches multiple lines.",
                              "matchLineStr(): Warning! 'color' matches multiple lines."}));
}

TEST(ReaderTest, IntegerValuesConvertLikeAtoiAndSaturate) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"width=5", 5},  {"width10", 0},   {"width  -7x", -7},           {"width abc", 0},
      {"width", -1},   {"widths 9", 9},  {"width 99999999999", INT_MAX}, {"width -99999999999", INT_MIN}};
  for (const auto& [line, value] : cases) {
    Lines data = {line};
    EXPECT_EQ(wd::matchLineInt(&data, "width"), value) << line;
    EXPECT_TRUE(data.empty()) << line;
  }
}

}  // namespace
