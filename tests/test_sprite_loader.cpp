// The sprite file reader and the sprite registry, checked against the exact
// bytes they write to the log.
#include <climits>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogManager.h"
#include "SpriteResourceManager.h"
#include "test_support.h"

namespace {

using wd_test::readLog;
using wd_test::restartLog;
using wd_test::writeFile;

// The registry on its own, without the audio part that derives from it.
class Registry : public wd::SpriteResourceManager {
 public:
  Registry() = default;
};

// The log as a sequence of messages would leave it.
std::string logOf(const std::vector<std::string>& messages) {
  std::string log;
  for (const std::string& message : messages) {
    log += " Message: " + message;
  }
  return log;
}

// Joins lines with line feeds, each line ended by one.
std::string linesOf(const std::vector<std::string>& lines, const std::string& line_end = "\n") {
  std::string text;
  for (const std::string& line : lines) {
    text += line + line_end;
  }
  return text;
}

// A green 3 x 2 sprite of two frames, one line per entry (entry i is line i + 1).
std::vector<std::string> exampleLines() {
  return {"<HEADER>", "frames 2", "width 3", "height 2", "color green", "slowdown 4", "</HEADER>",
          "<BODY>",   "(o)",      "/#\\",    "end",      "(o)",         "\\#/",        "end",
          "</BODY>",  "<FOOTER>", "version 1", "</FOOTER>"};
}

// The messages of the example's header settings.
std::vector<std::string> exampleSettings() {
  return {"\t      Frames: 2", "\t       Width: 3", "\t      Height: 2", "\t    Slowdown: 4",
          "\t       Color: green"};
}

// The messages that open every load of a file that exists.
std::vector<std::string> opened(const std::string& file) {
  return {"SRM::loadSprite(): Loading sprite '" + file + "'.",
          "SRM::loadSprite(): Opened file '" + file + "'."};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class SpriteLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { restartLog(); }

  // Writes the lines as a sprite file, loads it under label, and returns the result.
  int load(const std::vector<std::string>& lines, const std::string& label = "L") {
    writeFile("sprites/test-spr.txt", linesOf(lines));
    return registry.loadSprite("sprites/test-spr.txt", label);
  }

  // The example with line number (counted from 1) replaced by text.
  static std::vector<std::string> exampleWith(int line, const std::string& text) {
    std::vector<std::string> lines = exampleLines();
    lines[line - 1] = text;
    return lines;
  }

  Registry registry;
};

const std::string FILE_NAME = "sprites/test-spr.txt";

TEST_F(SpriteLoaderTest, ExampleLoadsWithItsSettingsAndFrames) {
  ASSERT_EQ(load(exampleLines()), 0);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + exampleSettings() +
                             std::vector<std::string>{"SRM::loadSprite(): Sprite 'L' loaded."}));
  wd::Sprite* p_sprite = registry.getSprite("L");
  ASSERT_NE(p_sprite, nullptr);
  EXPECT_EQ(p_sprite->getFrameCount(), 2);
  EXPECT_EQ(p_sprite->getWidth(), 3);
  EXPECT_EQ(p_sprite->getHeight(), 2);
  EXPECT_EQ(p_sprite->getColor(), wd::GREEN);
  EXPECT_EQ(p_sprite->getSlowdown(), 4);
  EXPECT_EQ(p_sprite->getLabel(), "L");
  EXPECT_EQ(p_sprite->getFrame(0).getString(), "(o)/#\\");
  EXPECT_EQ(p_sprite->getFrame(1).getString(), "(o)\\#/");
  EXPECT_EQ(p_sprite->getFrame(1).getWidth(), 3);
  EXPECT_EQ(p_sprite->getFrame(1).getHeight(), 2);
}

TEST_F(SpriteLoaderTest, CrLfFileReadsLikeLfFile) {
  writeFile(FILE_NAME, linesOf(exampleLines(), "\r\n"));
  ASSERT_EQ(registry.loadSprite(FILE_NAME, "crlf"), 0);
  const std::string crlf_log = readLog();
  restartLog();
  ASSERT_EQ(load(exampleLines(), "crlf"), 0);
  EXPECT_EQ(crlf_log, readLog());
  EXPECT_EQ(registry.getSprite("crlf")->getFrame(0).getString(), "(o)/#\\");
}

TEST_F(SpriteLoaderTest, MissingFinalLineBreakFailsAtTheFooter) {
  std::string text = linesOf(exampleLines());
  text.pop_back();
  writeFile(FILE_NAME, text);
  EXPECT_EQ(registry.loadSprite(FILE_NAME, "L"), -1);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + exampleSettings() +
                             std::vector<std::string>{
                                 "getLine(): Error! Unexpected end of file.",
                                 "readData(): Error! Never encountered '</FOOTER>'.",
                                 "SRM::loadSprite(): Sprite 'L' not loaded."}));
  EXPECT_EQ(registry.getSprite("L"), nullptr);
}

TEST_F(SpriteLoaderTest, SectionErrorsNameTheirLine) {
  std::vector<std::string> blank_after_header = exampleLines();
  blank_after_header.insert(blank_after_header.begin() + 7, "");
  EXPECT_EQ(load(blank_after_header), -1);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + exampleSettings() +
                             std::vector<std::string>{
                                 "readData(): Error line 8! Expected '<BODY>', have ''.",
                                 "SRM::loadSprite(): Sprite 'L' not loaded."}));

  // An empty line inside a section ends it as if the closing tag were missing.
  restartLog();
  EXPECT_EQ(load(exampleWith(3, "")), -1);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + std::vector<std::string>{
                                                     "readData(): Error! Never encountered '</HEADER>'.",
                                                     "SRM::loadSprite(): Sprite 'L' not loaded."}));
}

TEST_F(SpriteLoaderTest, WrongFrameRowNamesItsTrueLine) {
  EXPECT_EQ(load(exampleWith(10, "/#\\ ")), -1);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + exampleSettings() +
                             std::vector<std::string>{
                                 "\tError! Line 10: Line length is 4 (frame width is 3).",
                                 "\tLine 10: '/#\\ '", "SRM::loadSprite(): Error! No frame data to add.",
                                 "SRM::loadSprite(): Sprite 'L' not loaded."}));

  // Unused header lines still count: the same row is one line further down.
  std::vector<std::string> lines = exampleWith(10, "/#\\ ");
  lines.insert(lines.begin() + 1, "author me");
  restartLog();
  EXPECT_EQ(load(lines), -1);
  EXPECT_NE(readLog().find(logOf({"SRM::loadSprite(): Warning! Unused HEADER lines:",
                                  "\t'author me'"})),
            std::string::npos);
  EXPECT_NE(readLog().find(logOf({"\tError! Line 11: Line length is 4 (frame width is 3).",
                                  "\tLine 11: '/#\\ '"})),
            std::string::npos);
}

TEST_F(SpriteLoaderTest, MissingEndNamesItsLine) {
  EXPECT_EQ(load(exampleWith(11, "END")), -1);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + exampleSettings() +
                             std::vector<std::string>{
                                 "\tError! Line 11: Expected 'end'.", "\tLine 11: 'END'",
                                 "SRM::loadSprite(): Error! No frame data to add.",
                                 "SRM::loadSprite(): Sprite 'L' not loaded."}));
}

TEST_F(SpriteLoaderTest, RowReadingEndIsARow) {
  ASSERT_EQ(load(exampleWith(9, "end")), 0);
  EXPECT_EQ(registry.getSprite("L")->getFrame(0).getString(), "end/#\\");
}

TEST_F(SpriteLoaderTest, TooFewFramesAndExtraBodyLines) {
  std::vector<std::string> one_frame = exampleLines();
  one_frame.erase(one_frame.begin() + 11, one_frame.begin() + 14);
  EXPECT_EQ(load(one_frame), -1);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + exampleSettings() +
                             std::vector<std::string>{
                                 "\tError! Line 12: No more frame data before 'end'.",
                                 "SRM::loadSprite(): Error! No frame data to add.",
                                 "SRM::loadSprite(): Sprite 'L' not loaded."}));

  std::vector<std::string> three_frames = exampleLines();
  three_frames.insert(three_frames.begin() + 14, {"(-)", "/#\\", "end"});
  restartLog();
  EXPECT_EQ(load(three_frames), -1);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) + exampleSettings() +
                             std::vector<std::string>{
                                 "SRM::loadSprite(): Error! Extra BODY:", "\tline 15: (-)",
                                 "\tline 16: /#\\", "\tline 17: end",
                                 "SRM::loadSprite(): Sprite 'L' not loaded."}));
  EXPECT_EQ(registry.getSprite("L"), nullptr);
}

TEST_F(SpriteLoaderTest, HeaderDefaultsAndMissingKeys) {
  std::vector<std::string> plain = exampleLines();
  plain.erase(plain.begin() + 4, plain.begin() + 6);
  ASSERT_EQ(load(plain), 0);
  EXPECT_EQ(readLog(), logOf(opened(FILE_NAME) +
                             std::vector<std::string>{
                                 "SRM::loadSprite(): Warning! No 'color' in header.",
                                 "SRM::loadSprite(): Warning! No 'slowdown' in header.",
                                 "\t      Frames: 2", "\t       Width: 3", "\t      Height: 2",
                                 "\t    Slowdown: 0", "\t       Color: default",
                                 "SRM::loadSprite(): Sprite 'L' loaded."}));
  EXPECT_EQ(registry.getSprite("L")->getColor(), wd::WHITE);
  EXPECT_EQ(registry.getSprite("L")->getSlowdown(), 0);

  // A required key that is absent, -1, or the key alone without a value.
  const std::vector<std::pair<int, std::string>> broken = {
      {2, "frame 2"}, {3, "width -1"}, {4, "height"}};
  for (const auto& [line, text] : broken) {
    restartLog();
    EXPECT_EQ(load(exampleWith(line, text)), -1) << text;
    const std::string key = line == 2 ? "frames" : line == 3 ? "width" : "height";
    const std::string tail = logOf({"SRM::loadSprite(): Error! Missing '" + key + "' in header.",
                                    "SRM::loadSprite(): Sprite 'L' not loaded."});
    EXPECT_EQ(readLog().substr(readLog().size() - tail.size()), tail) << text;
  }
}

TEST_F(SpriteLoaderTest, UnknownColourIsReportedAfterTheBody) {
  EXPECT_EQ(load(exampleWith(5, "color purple")), -1);
  const std::string tail =
      logOf({"\t       Color: purple", "SRM::loadSprite(): Error! Unrecognized color 'purple'.",
             "  Valid colors are: black, red, green, yellow,",
             "                    blue, magenta, cyan and white.",
             "SRM::loadSprite(): Sprite 'L' not loaded."});
  EXPECT_EQ(readLog().substr(readLog().size() - tail.size()), tail);

  // A broken body section is reported first and the colour never checked.
  std::vector<std::string> lines = exampleWith(5, "color purple");
  lines[14] = "</BOD>";
  restartLog();
  EXPECT_EQ(load(lines), -1);
  EXPECT_EQ(readLog().find("Unrecognized"), std::string::npos);
  EXPECT_NE(readLog().find("readData(): Error! Never encountered '</BODY>'."), std::string::npos);
}

TEST_F(SpriteLoaderTest, FooterNeedsAVersion) {
  EXPECT_EQ(load(exampleWith(17, "author me")), -1);
  const std::string tail = logOf({"SRM::loadSprite(): Error! Missing 'version' in FOOTER (line 17).",
                                  "SRM::loadSprite(): Sprite 'L' not loaded."});
  EXPECT_EQ(readLog().substr(readLog().size() - tail.size()), tail);

  restartLog();
  EXPECT_EQ(load(exampleWith(17, "version")), -1);
  EXPECT_NE(readLog().find("Missing 'version' in FOOTER"), std::string::npos);

  std::vector<std::string> extra = exampleLines();
  extra.insert(extra.begin() + 17, "author me");
  restartLog();
  EXPECT_EQ(load(extra), 0);
  EXPECT_NE(readLog().find(logOf({"SRM::loadSprite(): Warning! Unused FOOTER lines:",
                                  "\t'author me'", "SRM::loadSprite(): Sprite 'L' loaded."})),
            std::string::npos);
}

TEST_F(SpriteLoaderTest, MissingFileIsReported) {
  EXPECT_EQ(registry.loadSprite("sprites/none-spr.txt", "none"), -1);
  EXPECT_EQ(readLog(), logOf({"SRM::loadSprite(): Loading sprite 'sprites/none-spr.txt'.",
                              "SRM::loadSprite(): Error! Cannot open file 'sprites/none-spr.txt'.",
                              "SRM::loadSprite(): Sprite 'none' not loaded."}));
}

// A frame count is a limit, not an allocation: absurd counts cost no memory.
TEST_F(SpriteLoaderTest, AbsurdFrameCountsFailWithoutAllocating) {
  EXPECT_EQ(load(exampleWith(2, "frames 2000000000")), -1);
  EXPECT_NE(readLog().find(logOf({"\tError! Line 15: No more frame data before 'end'.",
                                  "SRM::loadSprite(): Error! No frame data to add.",
                                  "SRM::loadSprite(): Sprite 'L' not loaded."})),
            std::string::npos);

  for (const char* count : {"-2", "-2000000000", "-99999999999"}) {
    restartLog();
    EXPECT_EQ(load(exampleWith(2, std::string("frames ") + count)), -1);
    const std::string tail = logOf({"SRM::loadSprite(): Error! Unable to create Sprite.",
                                    "SRM::loadSprite(): Sprite 'L' not loaded."});
    EXPECT_EQ(readLog().substr(readLog().size() - tail.size()), tail) << count;
  }
}

// File text and names reach the log only as arguments, never as the format.
TEST_F(SpriteLoaderTest, PercentSignsAreLoggedVerbatim) {
  std::vector<std::string> lines = exampleWith(5, "color %s%n%x");
  lines.insert(lines.begin() + 1, "%n%s%s");
  writeFile("sprites/%s%n-spr.txt", linesOf(lines));
  EXPECT_EQ(registry.loadSprite("sprites/%s%n-spr.txt", "%n%n"), -1);
  const std::string log = readLog();
  EXPECT_NE(log.find("Loading sprite 'sprites/%s%n-spr.txt'."), std::string::npos);
  EXPECT_NE(log.find("\t'%n%s%s'"), std::string::npos);
  EXPECT_NE(log.find("Unrecognized color '%s%n%x'."), std::string::npos);
  EXPECT_NE(log.find("Sprite '%n%n' not loaded."), std::string::npos);
}

// Every load restarts the line counter, whatever the previous load left.
TEST_F(SpriteLoaderTest, EachLoadCountsLinesFromTheStart) {
  load(exampleWith(11, "END"));
  const std::string first = readLog();
  restartLog();
  load(exampleWith(11, "END"));
  EXPECT_EQ(readLog(), first);
}

TEST_F(SpriteLoaderTest, LabelsFindTheFirstAndUnloadClosesTheGap) {
  ASSERT_EQ(load(exampleLines(), "a"), 0);
  ASSERT_EQ(load(exampleLines(), "b"), 0);
  ASSERT_EQ(load(exampleLines(), "a"), 0);
  wd::Sprite* p_first_a = registry.getSprite("a");
  wd::Sprite* p_b = registry.getSprite("b");
  EXPECT_EQ(registry.getSprite("nobody"), nullptr);
  EXPECT_EQ(registry.unloadSprite("nobody"), -1);

  ASSERT_EQ(registry.unloadSprite("a"), 0);
  wd::Sprite* p_second_a = registry.getSprite("a");
  ASSERT_NE(p_second_a, nullptr);
  EXPECT_NE(p_second_a, p_first_a);
  EXPECT_EQ(registry.getSprite("b"), p_b);
  ASSERT_EQ(registry.unloadSprite("b"), 0);
  EXPECT_EQ(registry.getSprite("a"), p_second_a);
  ASSERT_EQ(registry.unloadSprite("a"), 0);
  EXPECT_EQ(registry.getSprite("a"), nullptr);
  EXPECT_EQ(registry.unloadSprite("a"), -1);
}

TEST_F(SpriteLoaderTest, FullRegistryRefusesWithoutOpeningTheFile) {
  for (int i = 0; i < wd::MAX_SPRITES; i++) {
    ASSERT_EQ(load(exampleLines(), "copy"), 0) << i;
  }
  restartLog();
  EXPECT_EQ(registry.loadSprite("sprites/none-spr.txt", "more"), -1);
  EXPECT_EQ(readLog(), logOf({"SRM::loadSprite(): Error! Cannot add more Sprites (max is 1000).",
                              "SRM::loadSprite(): Sprite 'more' not loaded."}));
  // A freed entry takes a new sprite again.
  ASSERT_EQ(registry.unloadSprite("copy"), 0);
  EXPECT_EQ(load(exampleLines(), "more"), 0);
}

TEST_F(SpriteLoaderTest, StartAndStopEmptyTheRegistry) {
  ASSERT_EQ(load(exampleLines(), "early"), 0);
  restartLog();
  EXPECT_EQ(registry.startUp(), 0);
  EXPECT_EQ(registry.getSprite("early"), nullptr);
  ASSERT_EQ(load(exampleLines(), "later"), 0);
  registry.Manager::startUp();
  restartLog();
  EXPECT_EQ(registry.startUp(), 0);
  EXPECT_NE(registry.getSprite("later"), nullptr);
  registry.shutDown();
  EXPECT_EQ(registry.getSprite("later"), nullptr);
  EXPECT_EQ(readLog(),
            logOf({"SRM::startUp(): Already started.", "SRM::shutDown(): Successfully stopped."}));
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { restartLog(); }
};

TEST_F(ReaderTest, DiscardCrRemovesOneTrailingCr) {
  std::string text = "ab\r\r";
  wd::discardCR(text);
  EXPECT_EQ(text, "ab\r");
  std::string empty;
  wd::discardCR(empty);
  EXPECT_EQ(empty, "");
  std::string inner = "a\rb";
  wd::discardCR(inner);
  EXPECT_EQ(inner, "a\rb");
}

TEST_F(ReaderTest, IntegerKeysTakeTheLastLineAndWarn) {
  std::vector<std::string> data = {"width 3", "height 2", "width 4"};
  EXPECT_EQ(wd::matchLineInt(&data, "width"), 4);
  EXPECT_EQ(data, std::vector<std::string>{"height 2"});
  EXPECT_EQ(readLog(), logOf({"matchLineInt(): Warning! 'width 4' matches multiple lines."}));
}

TEST_F(ReaderTest, IntegerValuesConvertLikeAtoi) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"width=5", 5},       {"width10", 0},          {"width  -7x", -7},
      {"width +12", 12},    {"width abc", 0},        {"width", -1},
      {"width ", 0},        {"widths 9", 9},         {"width 99999999999", INT_MAX},
      {"width -99999999999", INT_MIN}};
  for (const auto& [line, value] : cases) {
    std::vector<std::string> data = {line};
    EXPECT_EQ(wd::matchLineInt(&data, "width"), value) << line;
    EXPECT_TRUE(data.empty()) << line;
  }
  EXPECT_EQ(readLog(), "");
}

TEST_F(ReaderTest, TextKeysTakeTheRestOfTheLine) {
  std::vector<std::string> data = {"colour red", "color blue  ", "colo"};
  EXPECT_EQ(wd::matchLineStr(&data, "color"), "blue  ");
  EXPECT_EQ(data, (std::vector<std::string>{"colour red", "colo"}));

  std::vector<std::string> twice = {"color red", "color", "color green"};
  EXPECT_EQ(wd::matchLineStr(&twice, "color"), "green");
  EXPECT_TRUE(twice.empty());
  // The bare key left the value empty, so only the first repeat warns.
  EXPECT_EQ(readLog(), logOf({"matchLineStr(): Warning! 'color' matches multiple lines."}));
}

TEST_F(ReaderTest, ReadDataCutsOneSection) {
  writeFile("section.txt", "<BODY>\nab\ncd\n</BODY>\n<BODY>\n</BODY>\n<BODY>\n");
  std::ifstream file("section.txt");
  EXPECT_EQ(wd::readData(&file, "BODY"), (std::vector<std::string>{"ab", "cd"}));
  // An empty section is an empty list, told apart from an error only by the log.
  EXPECT_TRUE(wd::readData(&file, "BODY").empty());
  EXPECT_EQ(readLog(), "");
  EXPECT_TRUE(wd::readData(&file, "BODY").empty());
  EXPECT_EQ(readLog(), logOf({"getLine(): Error! Unexpected end of file.",
                              "readData(): Error! Never encountered '</BODY>'."}));
}

TEST_F(ReaderTest, ReadFrameLeavesTheOffendingLine) {
  std::vector<std::string> data = {"ab", "cd", "end", "ab", "toolong"};
  const wd::Frame frame = wd::readFrame(&data, 2, 2);
  EXPECT_EQ(frame.getString(), "abcd");
  EXPECT_EQ(data, (std::vector<std::string>{"ab", "toolong"}));
  EXPECT_TRUE(wd::readFrame(&data, 2, 2).getString().empty());
  EXPECT_EQ(data, std::vector<std::string>{"toolong"});

  std::vector<std::string> zero_height = {"end"};
  EXPECT_TRUE(wd::readFrame(&zero_height, 3, 0).getString().empty());
}

}  // namespace
