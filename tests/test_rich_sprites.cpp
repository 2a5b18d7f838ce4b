// The sprite file reader and the registry, checked against the exact bytes they log: plain files, files
// that opt into cells (UTF-8 rows, 24-bit colours, colour maps) and REXPaint pictures written by libtcod.
#include <iconv.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "CellPalette.h"
#include "Cp437.h"
#include "RichSpriteWriter.h"
#include "Sprite.h"
#include "SpriteResourceManager.h"
#include "XpImage.h"
#include "display_fixture.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;
using wd_test::readLog;
using wd_test::restartLog;

// The registry on its own, without the audio part that derives from it.
class Registry : public wd::SpriteResourceManager {};

const std::string SRM = "SRM::loadSprite(): ";
const std::string NO_FRAME = SRM + "Error! No frame data to add.";
const std::string LOADED = SRM + "Sprite 'L' loaded.", NOT_LOADED = SRM + "Sprite 'L' not loaded.";
const Lines BAD_COLOUR = {"  Valid colors are: black, red, green, yellow,", "                    blue, magenta, cyan and white."};

std::string sourceDir() { return std::getenv("WD_SOURCE_DIR"); }
std::string fixture(const std::string& name) { return std::string(std::getenv("WD_BINARY_DIR")) + "/xp-fixtures/" + name; }

std::string joined(const Lines& lines, const std::string& before, const std::string& after) {
  std::string text;
  for (const std::string& line : lines) {
    text += before + line + after;
  }
  return text;
}
std::string logOf(const Lines& messages) { return joined(messages, " Message: ", ""); }
std::string textOf(const Lines& lines, const std::string& line_end = "\n") { return joined(lines, "", line_end); }

Lines linesOf(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The log of loading a file that opens: its first two lines, then the messages.
std::string openedLog(const std::string& path, const Lines& messages) {
  return logOf({SRM + "Loading sprite '" + path + "'.", SRM + "Opened file '" + path + "'."}) + logOf(messages);
}

const std::string FILE_NAME = "sprites/rich-spr.txt";
const std::string OPENED = openedLog(FILE_NAME, {});

// A green 3 x 2 sprite of two frames; entry i is file line i + 1.
const Lines EXAMPLE = {"<HEADER>", "frames 2", "width 3", "height 2", "color green", "slowdown 4", "</HEADER>", "<BODY>",
                       "(o)", "/#\\", "end", "(o)", "\\#/", "end", "</BODY>", "<FOOTER>", "version 1", "</FOOTER>"};

std::u32string codePointsOf(const wd::Frame& frame) {
  return std::u32string(frame.getCodePoints().begin(), frame.getCodePoints().end());
}

// The complete example of the format's documentation: the block after the marker line.
std::string documentedExample() {
  const std::string doc = wd_test::readFile(sourceDir() + "/docs/sprite-format.md");
  const std::size_t marker = doc.find("<!-- a complete file of cells, loaded by tests/test_rich_sprites.cpp -->");
  const std::size_t start = doc.find("\n```text\n", marker) + 9;
  return marker == std::string::npos ? "" : doc.substr(start, doc.find("\n```\n", start) + 1 - start);
}

class RichSpriteTest : public ::testing::Test {
 protected:
  int load(const std::string& text, const std::string& file = FILE_NAME, const std::string& label = "L") {
    wd_test::writeFile(file, text);
    restartLog();
    return registry.loadSprite(file, label);
  }

  Registry registry;
};

// The documented file: glyphs beyond ASCII, a sprite colour #rrggbb, a palette and the two maps.
TEST_F(RichSpriteTest, DocumentedFileLoadsCellsAndColours) {
  ASSERT_EQ(load(documentedExample()), 0) << readLog();
  EXPECT_EQ(readLog(), openedLog(FILE_NAME, {"\t      Frames: 2", "\t       Width: 5", "\t      Height: 3",
                                                          "\t    Slowdown: 8", "\t       Color: #ffcc00", LOADED}));
  const wd::Sprite& sprite = *registry.getSprite("L");
  EXPECT_EQ(std::make_tuple(sprite.hasRgbColor(), sprite.getRgbColor(), sprite.getColor(), sprite.getSlowdown()),
            std::make_tuple(true, sf::Color(0xff, 0xcc, 0x00), wd::WHITE, 8));
  const wd::Frame frame = sprite.getFrame(0);
  EXPECT_EQ(codePointsOf(frame), U"╔═══╗║ ♥ ║╚═══╝");
  EXPECT_EQ(frame.getString(), "╔═══╗║ ♥ ║╚═══╝");
  ASSERT_TRUE(frame.hasCellColors());
  const sf::Color red(0xe0, 0x20, 0x40);
  EXPECT_EQ((std::vector<sf::Color>{frame.getForeground()[7], frame.getForeground()[6], frame.getBackground()[0],
                                    frame.getBackground()[6], sprite.getFrame(1).getBackground()[7]}),
            (std::vector<sf::Color>{red, sf::Color::White, sf::Color(0x20, 0x30, 0x60), sf::Color::Black, red}));
  EXPECT_EQ(codePointsOf(sprite.getFrame(1))[7], U'☼');
}

// Written out and read back, a sprite is the same cell for cell; writing it again gives the same text.
TEST_F(RichSpriteTest, WrittenSpritesReadBackTheSame) {
  const std::vector<std::string> sources = {
      documentedExample(),
      textOf(EXAMPLE),  // a plain file: its bytes become cells of the opted-in form
      // Opted in without a palette, a named colour; characters of two, three and four bytes are a cell each.
      textOf({"<HEADER>", "format rich", "frames 1", "width 3", "height 1", "color red", "slowdown 3", "</HEADER>",
              "<BODY>", "é€🂡", "end", "</BODY>", "<FOOTER>", "version 7", "</FOOTER>"})};
  for (const std::string& source : sources) {
    ASSERT_EQ(load(source), 0) << source << readLog();
    const wd::Sprite& first = *registry.getSprite("L");
    std::string written, rewritten;
    ASSERT_EQ(wd::RichSpriteWriter::write(first, &written), 0);
    ASSERT_EQ(load(written, "sprites/again-spr.txt", "M"), 0) << written << readLog();
    const wd::Sprite& second = *registry.getSprite("M");
    const auto settings = [](const wd::Sprite& s) {
      return std::make_tuple(s.getRgbColor(), s.hasRgbColor(), s.getColor(), s.getFrameCount(), s.getWidth(),
                             s.getHeight(), s.getSlowdown());
    };
    EXPECT_EQ(settings(second), settings(first));
    for (int i = 0; i < first.getFrameCount(); i++) {
      const wd::Frame before = first.getFrame(i), after = second.getFrame(i);
      const std::string ascii = before.getString();  // of the plain file
      EXPECT_EQ(codePointsOf(after), before.hasCodePoints() ? codePointsOf(before) : std::u32string(ascii.begin(), ascii.end()));
      EXPECT_EQ(after.getForeground(), before.getForeground());
      EXPECT_EQ(after.getBackground(), before.getBackground());
    }
    ASSERT_EQ(wd::RichSpriteWriter::write(second, &rewritten), 0);
    EXPECT_EQ(rewritten, written);
    registry.unloadSprite("L");
    registry.unloadSprite("M");
  }
}

// A 3 x 2 file of cells; entry i is file line i + 1.
const Lines CELLS = {"<HEADER>", "format rich", "frames 1", "width 3", "height 2", "color #102030", "slowdown 2",
                     "palette a #ff0000", "palette b #00ff00", "</HEADER>", "<BODY>", "─█─", "░▒▓", "aba", "bab",
                     "bbb", "aaa", "end", "</BODY>", "<FOOTER>", "version 1", "</FOOTER>"};

Lines edit(int line, int remove, const Lines& insert, Lines lines = CELLS) {
  const auto at = lines.begin() + (line - 1);
  lines.insert(lines.erase(at, at + remove), insert.begin(), insert.end());
  return lines;
}

// The log of an opened file whose header was read in full after these warnings.
std::string headerLog(const Lines& warnings = {}, const std::string& frames = "2", const std::string& color = "green",
                      const std::string& slowdown = "4") {
  return OPENED + logOf(warnings) + logOf({"\t      Frames: " + frames, "\t       Width: 3", "\t      Height: 2",
                                           "\t    Slowdown: " + slowdown, "\t       Color: " + color});
}

// The example with `remove` of its lines from file line `line` on replaced by `insert`.
Lines change(int line, int remove, const Lines& insert, const Lines& lines = EXAMPLE) {
  return edit(line, remove, insert, lines);
}

// Messages name true file lines, unused header lines included; file text is only ever an argument of a log
// format; a failed load registers nothing and ends with the not-loaded line. A file that does not opt into
// cells reads its rows as bytes, as ever.
TEST_F(RichSpriteTest, EachFileLeavesItsExactLog) {
  // CR LF files read like LF files.
  ASSERT_EQ(load(textOf(EXAMPLE, "\r\n")), 0);
  EXPECT_EQ(readLog(), headerLog() + logOf({LOADED}));
  const wd::Sprite& sprite = *registry.getSprite("L");
  EXPECT_EQ((std::vector<int>{sprite.getFrameCount(), sprite.getWidth(), sprite.getHeight(), sprite.getSlowdown(),
                              sprite.getColor()}), (std::vector<int>{2, 3, 2, 4, wd::GREEN}));
  EXPECT_EQ(sprite.getLabel() + sprite.getFrame(0).getString() + sprite.getFrame(1).getString(), "L(o)/#\\(o)\\#/");
  ASSERT_EQ(registry.unloadSprite("L"), 0);
  const std::string text = textOf(EXAMPLE);
  EXPECT_EQ(load(text.substr(0, text.size() - 1)), -1);
  EXPECT_EQ(readLog(), headerLog() + logOf({"getLine(): Error! Unexpected end of file.",
                                            "readData(): Error! Never encountered '</FOOTER>'.", NOT_LOADED}));
  const Lines settings = {"\t      Frames: 1", "\t       Width: 3", "\t      Height: 2", "\t    Slowdown: 2"};
  const std::string header = OPENED + logOf(settings) + logOf({"\t       Color: #102030"});
  ASSERT_EQ(load(textOf(CELLS)), 0) << readLog();
  EXPECT_EQ(readLog(), header + logOf({LOADED}));
  const wd::Frame frame = registry.getSprite("L")->getFrame(0);
  EXPECT_EQ(codePointsOf(frame), U"─█─░▒▓");
  const sf::Color a(255, 0, 0), b(0, 255, 0);
  EXPECT_EQ(frame.getForeground(), (std::vector<sf::Color>{a, b, a, b, a, b}));
  EXPECT_EQ(frame.getBackground(), (std::vector<sf::Color>{b, b, b, a, a, a}));
  registry.unloadSprite("L");
  const std::string unused = SRM + "Warning! Unused HEADER lines:";
  const std::string plain = logOf({"\t'palette a #ff0000'", "\t'palette b #00ff00'"}) + logOf(settings);
  const std::string colour = "color %s%n%x";
  const std::string dup_colour =
      headerLog({"matchLineStr(): Warning! '" + colour + "' matches multiple lines."}, "2", "%s%n%x");
  const std::vector<std::tuple<Lines, std::string, Lines>> cases = {
      {change(8, 0, {""}), headerLog(), {"readData(): Error line 8! Expected '<BODY>', have ''."}},
      // An empty line inside a section ends it as if the closing tag were missing.
      {change(3, 1, {""}), OPENED, {"readData(): Error! Never encountered '</HEADER>'."}},
      {change(12, 1, {"()"}), headerLog(), {"\tError! Line 12: Line length is 2 (frame width is 3).", "\tLine 12: '()'", NO_FRAME}},
      {change(2, 0, {"author me"}, change(10, 1, {"/#\\ "})), headerLog({unused, "\t'author me'"}),
       {"\tError! Line 11: Line length is 4 (frame width is 3).", "\tLine 11: '/#\\ '", NO_FRAME}},
      {change(11, 1, {"END"}), headerLog(), {"\tError! Line 11: Expected 'end'.", "\tLine 11: 'END'", NO_FRAME}},
      {change(12, 3, {}), headerLog(), {"\tError! Line 12: No more frame data before 'end'.", NO_FRAME}},
      {change(15, 0, {"(-)", "/#\\", "end"}), headerLog(),
       {SRM + "Error! Extra BODY:", "\tline 15: (-)", "\tline 16: /#\\", "\tline 17: end"}},
      // Required keys that are absent or bare (no value at all) fail the load.
      {change(2, 1, {"frame 2"}), OPENED, {SRM + "Error! Missing 'frames' in header."}},
      {change(4, 1, {"height"}), OPENED, {SRM + "Error! Missing 'height' in header."}},
      {change(5, 2, {}), headerLog({SRM + "Warning! No 'color' in header.", SRM + "Warning! No 'slowdown' in header."}, "2",
                                   "default", "0"), {LOADED}},
      {change(6, 0, {colour}), dup_colour, {SRM + "Error! Unrecognized color '%s%n%x'.", BAD_COLOUR[0], BAD_COLOUR[1]}},
      // The colour is checked only after the body section was read.
      {change(16, 1, {"</BOD>"}, change(6, 0, {colour})), dup_colour,
       {"getLine(): Error! Unexpected end of file.", "readData(): Error! Never encountered '</BODY>'."}},
      {change(17, 1, {"author me"}), headerLog(), {SRM + "Error! Missing 'version' in FOOTER (line 17)."}},
      {change(18, 0, {"author %s"}, change(7, 0, {"slowdown 5%n"})),
       headerLog({"matchLineInt(): Warning! 'slowdown 5%n' matches multiple lines."}, "2", "green", "5"),
       {SRM + "Warning! Unused FOOTER lines:", "\t'author %s'", LOADED}},
      // Absurd frame counts fail without allocating; values beyond an int saturate.
      {change(2, 1, {"frames 2000000000"}), headerLog({}, "2000000000"),
       {"\tError! Line 15: No more frame data before 'end'.", NO_FRAME}},
      {change(2, 1, {"frames -2"}), headerLog({}, "-2"), {SRM + "Error! Unable to create Sprite."}},
      {change(2, 1, {"frames -99999999999"}), headerLog({}, "-2147483648"), {SRM + "Error! Unable to create Sprite."}},
      // Files of cells: an overlong '/', a surrogate, a sequence cut off at the end of the row.
      {edit(12, 1, {"\xC0\xAF█─"}), header,
       {"\tError! Line 12: Malformed UTF-8 at byte 1 (character 1).", "\tLine 12: '\xC0\xAF█─'", NO_FRAME}},
      {edit(13, 1, {"░\xED\xA0\x80▓"}), header,
       {"\tError! Line 13: Malformed UTF-8 at byte 4 (character 2).", "\tLine 13: '░\xED\xA0\x80▓'", NO_FRAME}},
      {edit(12, 1, {"─█\xE2\x94"}), header,
       {"\tError! Line 12: Malformed UTF-8 at byte 7 (character 3).", "\tLine 12: '─█\xE2\x94'", NO_FRAME}},
      // Widths count code points, not bytes.
      {edit(13, 1, {"░▒▓▓"}), header,
       {"\tError! Line 13: Line length is 4 (frame width is 3).", "\tLine 13: '░▒▓▓'", NO_FRAME}},
      {edit(15, 1, {"ba"}), header,
       {"\tError! Line 15: Colour map row length is 2 (frame width is 3).", "\tLine 15: 'ba'", NO_FRAME}},
      {edit(17, 1, {}), header, {"\tError! Line 17: Colour map has only 1 of 2 rows.", "\tLine 17: 'end'", NO_FRAME}},
      {edit(18, 0, {"aaa"}), header, {"\tError! Line 18: Expected 'end'.", "\tLine 18: 'aaa'", NO_FRAME}},
      {edit(16, 3, {}), header, {"\tError! Line 16: No more frame data before 'end'.", NO_FRAME}},
      {edit(14, 1, {"abz"}), header,
       {"\tError! Line 14: Unknown palette letter 'z' (column 3).", "\tLine 14: 'abz'", NO_FRAME}},
      {edit(8, 1, {"palette a red"}), OPENED,
       {"\tError! Line 8: A palette line reads 'palette <letter> #rrggbb'.", "\tLine 8: 'palette a red'"}},
      {edit(9, 1, {"palette a #00ff00"}), OPENED,
       {"\tError! Line 9: Palette letter 'a' is given twice.", "\tLine 9: 'palette a #00ff00'"}},
      {edit(6, 1, {"color #10203"}), OPENED + logOf(settings) + logOf({"\t       Color: #10203"}),
       {SRM + "Error! Unrecognized color '#10203'.", BAD_COLOUR[0], BAD_COLOUR[1]}},
      // Without the exact opt-in line the file is a plain one: its extra lines are unused, its rows bytes.
      {edit(2, 1, {"format  rich"}), OPENED + logOf({unused, "\t'format  rich'"}) + plain + logOf({"\t       Color: #102030"}),
       {SRM + "Error! Unrecognized color '#102030'.", BAD_COLOUR[0], BAD_COLOUR[1]}},
      {edit(2, 1, {"format rich "}, edit(6, 1, {"color blue"})),
       OPENED + logOf({unused, "\t'format rich '"}) + plain + logOf({"\t       Color: blue"}),
       {"\tError! Line 12: Line length is 9 (frame width is 3).", "\tLine 12: '─█─'", NO_FRAME}},
  };
  for (const auto& [file, before, messages] : cases) {
    const std::string text = textOf(file);
    const bool loaded = messages.back() == LOADED;
    EXPECT_EQ(load(text), loaded ? 0 : -1) << text;
    EXPECT_EQ(readLog(), before + logOf(messages) + (loaded ? "" : logOf({NOT_LOADED}))) << text;
    EXPECT_EQ(registry.unloadSprite("L"), loaded ? 0 : -1) << text;
  }
}

TEST_F(RichSpriteTest, RegistryFindsByLabelAndHoldsAThousand) {
  restartLog();
  EXPECT_EQ(registry.loadSprite("sprites/%s%n-none.txt", "%n%n"), -1);
  EXPECT_EQ(readLog(), logOf({SRM + "Loading sprite 'sprites/%s%n-none.txt'.",
                              SRM + "Error! Cannot open file 'sprites/%s%n-none.txt'.", SRM + "Sprite '%n%n' not loaded."}));
  for (int i = 0; i < wd::MAX_SPRITES; i++) {
    ASSERT_EQ(load(textOf(EXAMPLE), FILE_NAME, i == wd::MAX_SPRITES - 1 ? "b" : "a"), 0) << i;
  }
  // The file named here does not exist: the refusal must come before any opening.
  restartLog();
  EXPECT_EQ(registry.loadSprite("sprites/none-spr.txt", "L"), -1);
  EXPECT_EQ(readLog(), logOf({SRM + "Error! Cannot add more Sprites (max is 1000).", NOT_LOADED}));
  // The first sprite of a label is the one found and unloaded; the rest move up.
  const wd::Sprite *p_first_a = registry.getSprite("a"), *p_b = registry.getSprite("b");
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

// The body of a plain file: the frames' rows joined, each frame's "end" dropped.
Lines plainFrames(const Lines& file, int height) {
  Lines frames;
  for (auto at = std::find(file.begin(), file.end(), "<BODY>") + 1; *at != "</BODY>"; at += height + 1) {
    frames.push_back(joined(Lines(at, at + height), "", ""));
  }
  return frames;
}

std::string valueOf(const Lines& file, const std::string& key) {
  const auto found = std::find_if(file.begin(), file.end(), [&](const std::string& line) { return line.rfind(key + " ", 0) == 0; });
  return found == file.end() ? "" : found->substr(key.size() + 1);
}

// Every shipped sprite that does not opt in: byte frames, one named colour, the log of a plain file.
TEST_F(RichSpriteTest, ShippedPlainSpritesReadAsBefore) {
  int plain = 0;
  for (const std::string folder : {"/assets/sprites", "/examples/hello/sprites", "/examples/cave/sprites"}) {
    for (const auto& entry : std::filesystem::directory_iterator(sourceDir() + folder)) {
      const std::string path = entry.path().string();
      const Lines file = linesOf(wd_test::readFile(path));
      if (std::find(file.begin(), file.end(), "format rich") != file.end()) {
        continue;
      }
      plain++;
      restartLog();
      ASSERT_EQ(registry.loadSprite(path, "L"), 0) << path;
      EXPECT_EQ(readLog(), openedLog(path, {"\t      Frames: " + valueOf(file, "frames"), "\t       Width: " + valueOf(file, "width"),
                                            "\t      Height: " + valueOf(file, "height"), "\t    Slowdown: " + valueOf(file, "slowdown"),
                                            "\t       Color: " + valueOf(file, "color"), LOADED}));
      const wd::Sprite& sprite = *registry.getSprite("L");
      EXPECT_FALSE(sprite.hasRgbColor()) << path;
      EXPECT_STREQ(wd::colorName(sprite.getColor()), valueOf(file, "color").c_str()) << path;
      const Lines frames = plainFrames(file, sprite.getHeight());
      ASSERT_EQ(sprite.getFrameCount(), static_cast<int>(frames.size())) << path;
      for (int i = 0; i < sprite.getFrameCount(); i++) {
        EXPECT_EQ(sprite.getFrame(i).getString(), frames[i]) << path;
        EXPECT_FALSE(sprite.getFrame(i).hasCodePoints() || sprite.getFrame(i).hasCellColors()) << path;
      }
      registry.unloadSprite("L");
    }
  }
  EXPECT_GE(plain, 8);
}

// Code page 437 against glibc's own table for 128 to 255, and the symbols that the editor shows for 1 to 31 and 127.
TEST(Cp437Test, EveryCodeHasItsCharacter) {
  iconv_t to_unicode = iconv_open("UTF-32LE", "CP437");
  ASSERT_NE(to_unicode, reinterpret_cast<iconv_t>(-1));
  for (int code = 128; code < 256; code++) {
    char in = static_cast<char>(code), *p_in = &in;
    char32_t out = 0;
    char* p_out = reinterpret_cast<char*>(&out);
    std::size_t in_left = 1, out_left = sizeof(out);
    ASSERT_NE(iconv(to_unicode, &p_in, &in_left, &p_out, &out_left), static_cast<std::size_t>(-1)) << code;
    EXPECT_EQ(wd::Cp437::toUnicode(code), out) << code;
  }
  iconv_close(to_unicode);
  const std::u32string low = U" ☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";
  for (int code = 0; code < 128; code++) {
    EXPECT_EQ(wd::Cp437::toUnicode(code), code < 32 ? low[code] : code < 127 ? static_cast<char32_t>(code) : U'⌂') << code;
  }
  EXPECT_EQ(wd::Cp437::toUnicode(256), U'\uFFFD');
}

TEST(CellPaletteTest, ColoursAndLetters) {
  sf::Color color(1, 2, 3);
  EXPECT_TRUE(wd::CellPalette::parseColor("#a0B1c2", &color));
  EXPECT_EQ(color, sf::Color(0xa0, 0xb1, 0xc2));
  EXPECT_EQ(wd::CellPalette::formatColor(color), "#a0b1c2");
  for (const std::string bad : {"#a0b1c", "#a0b1c2 ", "a0b1c2f", "#a0b1g2", "#a0b/c2", "#:0b1c2", "#G0b1c2", "#`0b1c2"}) {
    EXPECT_FALSE(wd::CellPalette::parseColor(bad, &color)) << bad;
  }
  EXPECT_EQ(color, sf::Color(0xa0, 0xb1, 0xc2));
  wd::CellPalette palette;
  EXPECT_EQ(palette.addColor('!', sf::Color::Red), 0);
  EXPECT_EQ(palette.addColor('~', sf::Color::Blue), 0);
  for (const char refused : {'!', ' ', '\x7f'}) {
    EXPECT_EQ(palette.addColor(refused, sf::Color::Green), -1) << refused;
  }
  EXPECT_TRUE(palette.findColor('~', &color));
  EXPECT_EQ(color, sf::Color::Blue);
  EXPECT_FALSE(palette.findColor('a', &color));
  EXPECT_FALSE(palette.findColor(static_cast<char>(0xE2), &color));
}

// The cells that libtcod's writer says the editor shows, as listed beside each picture.
struct ShownCell { bool empty; int code; sf::Color foreground, background; };

std::vector<ShownCell> shownCells(const std::string& name) {
  std::vector<ShownCell> cells;
  for (const std::string& line : linesOf(wd_test::readFile(fixture(name + ".cells")))) {
    std::istringstream fields(line);
    int code = 0, fr = 0, fg = 0, fb = 0, br = 0, bg = 0, bb = 0;
    fields >> code >> fr >> fg >> fb >> br >> bg >> bb;
    cells.push_back(ShownCell{line == "empty", code, sf::Color(fr, fg, fb), sf::Color(br, bg, bb)});
  }
  return cells;
}

// The character the editor's font shows for a code, by glibc's table (ASCII and the symbols below 32 are checked above).
char32_t unicodeOf(int code) { return code >= 128 || code < 32 || code == 127 ? wd::Cp437::toUnicode(code) : code; }

TEST_F(RichSpriteTest, IndependentXpFilesLoadComposited) {
  for (const auto& [name, width, height, layers] :
       std::vector<std::tuple<std::string, int, int, int>>{{"codepage", 32, 8, 1}, {"layers", 7, 4, 3}}) {
    const std::string path = fixture(name + ".xp");
    restartLog();
    ASSERT_EQ(registry.loadSprite(path, name), 0) << readLog();
    EXPECT_EQ(readLog(), openedLog(path, {"\t      Layers: " + std::to_string(layers), "\t       Width: " + std::to_string(width),
                                          "\t      Height: " + std::to_string(height), SRM + "Sprite '" + name + "' loaded."}));
    const wd::Sprite& sprite = *registry.getSprite(name);
    ASSERT_EQ(sprite.getFrameCount(), 1);
    EXPECT_EQ(sprite.getWidth() * 100 + sprite.getHeight(), width * 100 + height);
    const wd::Frame frame = sprite.getFrame(0);
    const std::vector<ShownCell> shown = shownCells(name);
    ASSERT_EQ(shown.size(), frame.getCodePoints().size());
    for (std::size_t i = 0; i < shown.size(); i++) {
      const ShownCell& cell = shown[i];
      SCOPED_TRACE(name + " " + std::to_string(i));
      EXPECT_EQ(frame.getCodePoints()[i], cell.empty ? U' ' : unicodeOf(cell.code));
      EXPECT_EQ(frame.getBackground()[i], cell.empty ? sf::Color::Black : cell.background);
      EXPECT_TRUE(cell.empty || frame.getForeground()[i] == cell.foreground);
    }
  }
  // The layers picture shows all three kinds of cell: lower layer, upper layer, none.
  const wd::Frame picture = registry.getSprite("layers")->getFrame(0);
  const std::u32string layered = codePointsOf(picture);
  EXPECT_EQ(layered.substr(0, 7), U"╔████╚█");
  EXPECT_EQ(layered.substr(21), U"███║██ ");
  // Written as a file of cells, the picture reads back cell for cell.
  std::string text;
  ASSERT_EQ(wd::RichSpriteWriter::write(*registry.getSprite("layers"), &text), 0);
  ASSERT_EQ(load(text, "sprites/layers-spr.txt", "written"), 0) << readLog();
  const wd::Frame written = registry.getSprite("written")->getFrame(0);
  EXPECT_EQ(codePointsOf(written), layered);
  EXPECT_EQ(written.getForeground(), picture.getForeground());
  EXPECT_EQ(written.getBackground(), picture.getBackground());
}

// More colours than letters, or a frame that is not width x height cells, cannot be written.
TEST(RichSpriteWriterTest, RefusesWhatItCannotWrite) {
  std::vector<char32_t> cells(wd::CellPalette::MAX_LETTERS / 2 + 1, U'█');
  std::vector<sf::Color> foreground, background;
  for (std::size_t i = 0; i < cells.size(); i++) {
    foreground.push_back(sf::Color(static_cast<sf::Uint8>(i), 0, 0));
    background.push_back(sf::Color(0, static_cast<sf::Uint8>(i), 0));
  }
  wd::Frame frame(static_cast<int>(cells.size()), 1, cells);
  ASSERT_EQ(frame.setCellColors(foreground, background), 0);
  wd::Sprite sprite(1), fits(1);
  sprite.setWidth(frame.getWidth());
  sprite.setHeight(1);
  sprite.addFrame(frame);
  std::string text = "untouched";
  EXPECT_EQ(wd::RichSpriteWriter::write(sprite, &text), -1);
  EXPECT_EQ(text, "untouched");
  // One colour fewer fits: every letter of the palette is used.
  background.back() = background.front();
  ASSERT_EQ(frame.setCellColors(foreground, background), 0);
  fits.addFrame(frame);
  ASSERT_EQ(wd::RichSpriteWriter::write(fits, &text), 0);
  EXPECT_NE(text.find("palette ~ #"), std::string::npos);
  for (const wd::Frame& broken : {wd::Frame(0, 1, "ab"), wd::Frame(3, 1, "ab")}) {
    wd::Sprite odd(1);
    odd.addFrame(broken);
    EXPECT_EQ(wd::RichSpriteWriter::write(odd, &text), -1);
  }
}

Bytes unpack(const std::string& path) {
  gzFile file = gzopen(path.c_str(), "rb");
  Bytes bytes(1 << 16);
  const int got = gzread(file, bytes.data(), static_cast<unsigned>(bytes.size()));
  gzclose(file);
  bytes.resize(got < 0 ? 0 : got);
  return bytes;
}

// The bytes with a little-endian 32-bit value written at the given place.
Bytes withInt32(Bytes bytes, std::size_t at, std::int32_t value) {
  for (int i = 0; i < 4; i++) {
    bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
  }
  return bytes;
}

// Broken streams and pictures that claim what they do not hold fail with their reason, never a crash.
TEST_F(RichSpriteTest, BrokenXpFilesFailCleanly) {
  const Bytes layers = unpack(fixture("layers.xp"));
  ASSERT_EQ(layers.size(), 8 + 3 * (8 + 10 * 7 * 4u));
  const std::size_t layer_1 = 8 + 8 + 10 * 7 * 4;
  Bytes one_more = layers;
  one_more.push_back(0);
  const std::vector<std::pair<Bytes, std::string>> unpacked = {
      {withInt32(layers, 0, 1), "version 1 is not negative"},
      {withInt32(layers, 4, 0), "0 layers (1 to 9 allowed)"},
      {withInt32(layers, 4, 10), "10 layers (1 to 9 allowed)"},
      {withInt32(layers, 8, 1001), "layer 0 is 1001 x 4 cells (1 to 1000 a side allowed)"},
      {withInt32(layers, 12, -4), "layer 0 is 7 x -4 cells (1 to 1000 a side allowed)"},
      {withInt32(layers, layer_1, 6), "layer 1 is 6 x 4 cells, layer 0 is 7 x 4"},
      {withInt32(layers, 4, 4), "truncated: layer 3 has no size"},
      {Bytes(layers.begin(), layers.begin() + 5), "truncated: 5 bytes, the header takes 8"},
      {Bytes(layers.begin(), layers.end() - 1), "truncated: layer 2 needs 280 bytes of cells, 279 left"},
      {one_more, "1 bytes after the last layer"},
      {Bytes(wd::XpImage::MAX_UNPACKED_BYTES + 1, 0), "more than 16777216 bytes unpacked"},
  };
  std::string packed = wd_test::readFile(fixture("layers.xp")), flipped = packed;
  flipped[flipped.size() - 6] ^= 0x5a;  // in the checksum
  std::vector<std::pair<std::string, std::string>> streams = {
      {textOf(CELLS), "not a gzip stream"},
      {packed.substr(0, packed.size() / 2), "broken gzip stream (unexpected end of file)"},
      {flipped, "broken gzip stream (incorrect data check)"},
  };
  for (const auto& [bytes, why] : unpacked) {  // packed as the editor does
    const std::string path = "sprites/packed.xp";
    gzFile file = gzopen(path.c_str(), "wb");
    gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size()));
    gzclose(file);
    streams.push_back({wd_test::readFile(path), why});
  }
  for (std::size_t i = 0; i < streams.size(); i++) {
    const std::string path = "sprites/broken" + std::to_string(i) + ".xp", &why = streams[i].second;
    wd_test::writeFile(path, streams[i].first);
    restartLog();
    EXPECT_EQ(registry.loadSprite(path, "L"), -1) << path;
    EXPECT_EQ(readLog(), openedLog(path, {SRM + "Error! REXPaint file '" + path + "': " + why + ".", NOT_LOADED}));
    EXPECT_EQ(registry.getSprite("L"), nullptr);
  }
  restartLog();
  EXPECT_EQ(registry.loadSprite("sprites/none.xp", "L"), -1);
  EXPECT_EQ(readLog(),
            logOf({SRM + "Loading sprite 'sprites/none.xp'.", SRM + "Error! Cannot open file 'sprites/none.xp'.", NOT_LOADED}));
}

// Colours must fit the cells; setColor takes over from a 24-bit sprite colour.
TEST(FrameCellsTest, ColoursFitTheCellsAndSetColorTakesOverTheRgbColour) {
  wd::Frame frame(2, 1, std::vector<char32_t>{U'█', U'x'});
  EXPECT_EQ(frame.getString(), "█x");
  EXPECT_EQ(frame.setCellColors({sf::Color::Red}, {sf::Color::Red}), -1);
  EXPECT_FALSE(frame.hasCellColors());
  EXPECT_EQ(frame.setCellColors({sf::Color::Red, sf::Color::Blue}, {sf::Color::Green, sf::Color::Black}), 0);
  EXPECT_TRUE(frame.hasCellColors());
  EXPECT_EQ(wd::Frame(2, 1, "ab").setCellColors({sf::Color::Red, sf::Color::Blue}, {sf::Color::Green}), -1);
  wd::Sprite sprite(1);
  sprite.setRgbColor(sf::Color(1, 2, 3));
  EXPECT_EQ(sprite.getColor(), wd::WHITE);
  sprite.setColor(wd::RED);
  EXPECT_FALSE(sprite.hasRgbColor());
  EXPECT_EQ(sprite.getRgbColor(), sf::Color::Red);
}

using FrameDrawTest = wd_test::DisplayFixture;

// A frame of cells draws each cell as a glyph where a plain frame would put its character: in the cell's own
// colours, or else in the sprite's 24-bit colour (or its colour's) on the plain background.
TEST_F(FrameDrawTest, CellsDrawAsGlyphsInTheirColours) {
  wd::DisplayManager& display = wd::DisplayManager::getInstance();
  // The picture drawn since the last one; the next starts empty.
  const auto takePicture = [&display]() {
    const sf::Image image = display.captureFrame();
    display.swapBuffers();
    return Bytes(image.getPixelsPtr(), image.getPixelsPtr() + 4 * image.getSize().x * image.getSize().y);
  };
  const std::vector<char32_t> glyphs = {U'#', U'@', U'█', U'%', U'&', U'M', U'W', U'$'};
  std::vector<sf::Color> foreground, background;
  for (int i = 0; i < 8; i++) {
    foreground.push_back(sf::Color(30 * i, 255 - 20 * i, 90));
    background.push_back(sf::Color(10, 20 * i, 5 * i));
  }
  wd::Frame colored(4, 2, glyphs);
  ASSERT_EQ(colored.setCellColors(foreground, background), 0);
  wd::Sprite sprite(1);
  sprite.addFrame(wd::Frame(4, 2, glyphs));
  // The same glyphs drawn one by one, 4 x 2 centred on (20, 10): columns 18 to 21, rows 9 and 10.
  const auto drawnByHand = [&](const sf::Color* p_color) {
    for (int i = 0; i < 8; i++) {
      const wd::Vector cell(18.0f + i % 4, 9.0f + i / 4);
      if (p_color == nullptr) {
        display.drawGlyph(cell, glyphs[i], foreground[i], background[i]);
      } else {
        display.drawGlyph(cell, glyphs[i], *p_color);
      }
    }
    return takePicture();
  };
  EXPECT_EQ(colored.draw(wd::Vector(20, 10), wd::RED), 0);
  const Bytes own = takePicture();
  EXPECT_EQ(own, drawnByHand(nullptr));
  int lit = 0;
  for (std::size_t i = 0; i < own.size(); i += 4) {
    lit += own[i] + own[i + 1] + own[i + 2] > 0 ? 1 : 0;
  }
  EXPECT_GT(lit, 100);
  EXPECT_EQ(sprite.draw(0, wd::Vector(20, 10)), 0);
  const Bytes in_sprite_color = takePicture();
  EXPECT_EQ(in_sprite_color, drawnByHand(&sf::Color::White));
  const sf::Color orange(250, 128, 3);
  sprite.setRgbColor(orange);
  sprite.draw(0, wd::Vector(20, 10));
  const Bytes in_rgb = takePicture();
  EXPECT_EQ(in_rgb, drawnByHand(&orange));
  EXPECT_NE(in_rgb, in_sprite_color);
  EXPECT_EQ(wd::Frame(4, 2, std::vector<char32_t>{}).draw(wd::Vector(20, 10), sf::Color::Red), -1);
}

}  // namespace
