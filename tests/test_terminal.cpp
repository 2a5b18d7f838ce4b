// The terminal's cell screen (what each frame writes) and its input decoder
// (what the terminal's bytes mean to the engine).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TerminalInputDecoder.h"
#include "TerminalScreen.h"

namespace {

using Names = std::vector<std::string>;
using K = sf::Keyboard;

std::string rendered(wd::TerminalScreen& screen) {
  std::string out;
  screen.render(out);
  return out;
}

std::size_t countOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    count++;
  }
  return count;
}

// Sets the cells of row 0 from x = 0 on, one per character, in fg on bg (bg_last for the last one).
void setRow(wd::TerminalScreen& screen, const std::u32string& glyphs, sf::Color bg_last) {
  for (std::size_t x = 0; x < glyphs.size(); x++) {
    screen.setCell(static_cast<int>(x), 0, glyphs[x], sf::Color(18, 52, 86),
                   x + 1 == glyphs.size() ? bg_last : sf::Color(1, 2, 3));
  }
}

// An event as "press K", "release K", "move X Y" or "click B X Y" (K: SFML key code, B: SFML button).
std::string nameOf(const sf::Event& e) {
  const auto text = [](int number) { return std::to_string(number); };
  switch (e.type) {
    case sf::Event::KeyPressed: return "press " + text(e.key.code);
    case sf::Event::KeyReleased: return "release " + text(e.key.code);
    case sf::Event::MouseMoved: return "move " + text(e.mouseMove.x) + " " + text(e.mouseMove.y);
    case sf::Event::MouseButtonPressed:
      return "click " + text(e.mouseButton.button) + " " + text(e.mouseButton.x) + " " + text(e.mouseButton.y);
    default: return "other";
  }
}

// The events of bytes fed in the given reads, to a fresh decoder unless one is given.
Names decoded(const Names& reads, wd::TerminalInputDecoder* p_decoder = nullptr) {
  wd::TerminalInputDecoder fresh;
  wd::TerminalInputDecoder& decoder = p_decoder != nullptr ? *p_decoder : fresh;
  std::vector<sf::Event> events;
  for (const std::string& bytes : reads) {
    decoder.decode(bytes.data(), bytes.size(), events);
  }
  decoder.finishRead(events);
  Names names;
  for (const sf::Event& e : events) {
    names.push_back(nameOf(e));
  }
  return names;
}

std::string press(K::Key key) { return "press " + std::to_string(key); }
std::string release(K::Key key) { return "release " + std::to_string(key); }

Names presses(const std::vector<K::Key>& keys) {
  Names names;
  for (K::Key key : keys) {
    names.push_back(press(key));
  }
  return names;
}

// Only changed cells are written, in the fewest bytes: colours once while they hold, gaps stepped over.
TEST(TerminalScreen, FirstFrameWritesEveryCellAndLaterFramesOnlyTheChangedOnes) {
  wd::TerminalScreen screen(4, 2);
  screen.setCell(1, 0, U'A', sf::Color::Red, sf::Color::Black);
  const std::string first = rendered(screen);
  EXPECT_EQ(countOf(first, " "), 7u) << "blank cells are written too";
  EXPECT_NE(first.find("\x1b[38;2;255;0;0mA"), std::string::npos) << first;
  EXPECT_EQ(first.find("\x1b[?2026h"), 0u);
  EXPECT_EQ(first.rfind("\x1b[?2026l"), first.size() - 8);
  // The same frame again writes nothing; a moved glyph blanks its old cell and writes its new one.
  screen.setCell(1, 0, U'A', sf::Color::Red, sf::Color::Black);
  EXPECT_EQ(rendered(screen), "");
  screen.setCell(3, 1, U'A', sf::Color::Red, sf::Color::Black);
  const std::string moved = rendered(screen);
  EXPECT_NE(moved.find("\x1b[1;2H"), std::string::npos) << moved;
  EXPECT_NE(moved.find("\x1b[2;4H"), std::string::npos) << moved;
  EXPECT_EQ(countOf(moved, "A"), 1u);
  EXPECT_EQ(countOf(moved, " "), 1u);
  screen.setCell(3, 1, U'A', sf::Color::Red, sf::Color::Black);
  screen.invalidate();
  EXPECT_EQ(countOf(rendered(screen), " "), 7u) << "after invalidate every cell is written";

  wd::TerminalScreen colours(3, 1);
  setRow(colours, U"abc", sf::Color::Black);
  const std::string out = rendered(colours);
  EXPECT_NE(out.find("\x1b[38;2;18;52;86m\x1b[48;2;1;2;3mab\x1b[48;2;0;0;0mc"), std::string::npos) << out;
  EXPECT_EQ(countOf(out, "38;2"), 1u);
  // In the next frame the colours in effect are still known.
  setRow(colours, U"abd", sf::Color::Black);
  EXPECT_EQ(rendered(colours), "\x1b[?2026h\x1b[1;3Hd\x1b[?2026l");
  setRow(colours, U"xby", sf::Color::Black);
  const std::string gap = rendered(colours);
  EXPECT_NE(gap.find("x\x1b[1C\x1b[48;2;0;0;0my"), std::string::npos) << gap;
}

TEST(TerminalScreen, IndexedColoursAndGlyphs) {
  wd::TerminalScreen screen(4, 1);
  screen.setTrueColor(false);
  screen.setCell(0, 0, U'\u2588', sf::Color::Red, sf::Color(128, 128, 128));
  screen.setCell(1, 0, U'\x1b', sf::Color::Red, sf::Color(128, 128, 128));
  EXPECT_EQ(screen.setCell(4, 0, U'z', sf::Color::Red, sf::Color::Black), -1);
  EXPECT_EQ(screen.setCell(0, -1, U'z', sf::Color::Red, sf::Color::Black), -1);
  const std::string out = rendered(screen);
  EXPECT_NE(out.find("\x1b[38;5;196m\x1b[48;5;244m\xe2\x96\x88 "), std::string::npos) << out;
  EXPECT_EQ(out.find('z'), std::string::npos);
  EXPECT_EQ(countOf(out, "\x1b"), countOf(out, "\x1b[")) << "an escape character is drawn as a blank";
  const std::vector<std::pair<sf::Color, int>> nearest = {
      {sf::Color::Black, 16},           {sf::Color::White, 231},       {sf::Color(0, 255, 0), 46},
      {sf::Color(95, 135, 175), 67},    {sf::Color(8, 8, 8), 232},     {sf::Color(238, 238, 238), 255},
      {sf::Color(100, 100, 100), 241}};
  for (const auto& [colour, index] : nearest) {
    EXPECT_EQ(wd::nearestIndexedColor(colour), index) << index;
  }
}

// Typed keys, arrows and function keys (with and without modifiers), escapes, sequences cut between reads.
TEST(TerminalInputDecoder, KeysAndSequencesCutBetweenReads) {
  EXPECT_EQ(decoded({"qP7 \r\t-+~./,\x7f"}), presses({K::Q, K::P, K::Num7, K::Space, K::Enter, K::Tab, K::Subtract,
                                                      K::Add, K::Tilde, K::Period, K::Slash, K::Comma, K::Backspace}));
  EXPECT_EQ(decoded({"\x1b[A\x1b[B\x1b[1;5C\x1bOD\x1bOP\x1b[24~\x1b[15;2~\x1b[99~!"}),
            presses({K::Up, K::Down, K::Right, K::Left, K::F1, K::F12, K::F5}));
  // A lone escape at the end of a read is the Escape key; one before a letter is Escape, then the letter.
  EXPECT_EQ(decoded({"\x1b"}), presses({K::Escape}));
  EXPECT_EQ(decoded({"\x1bx"}), presses({K::Escape, K::X}));
  wd::TerminalInputDecoder decoder;
  EXPECT_TRUE(decoded({"\x1b["}, &decoder).empty());
  EXPECT_EQ(decoded({"1;", "5D", "\x1bO", "A"}, &decoder), presses({K::Left, K::Up}));
  // A sequence that never ends is dropped once it is too long to be one.
  EXPECT_EQ(decoded({"\x1b[" + std::string(100, '1'), "a"}), presses({K::A}));
}

TEST(TerminalInputDecoder, KittyProtocolReportsReleasesAndInterrupts) {
  wd::TerminalInputDecoder decoder;
  EXPECT_FALSE(decoder.reportsReleases());
  EXPECT_EQ(decoded({"\x1b[?11u\x1b[32u\x1b[32;1:2u\x1b[32;1:3u\x1b[1;1:3A\x1b[57441;2u\x1b[97;1:1u\x1b[13;1:3u"
                     "\x1b[57442;5:3u"}, &decoder),
            (Names{press(K::Space), release(K::Space), release(K::Up), press(K::LShift), press(K::A),
                   release(K::Enter), release(K::LControl)}));
  EXPECT_TRUE(decoder.reportsReleases());
  EXPECT_EQ(decoder.takeInterrupts(), 0);
  // Ctrl+C as a character and as a kitty key (its release is not a second one).
  EXPECT_TRUE(decoded({"\x03\x1b[99;5u\x1b[99;5:3u"}, &decoder).empty());
  EXPECT_EQ(decoder.takeInterrupts(), 2);
  EXPECT_EQ(decoder.takeInterrupts(), 0);
  EXPECT_EQ(decoded({"\x1b[99;1u"}, &decoder), presses({K::C}));
  EXPECT_EQ(decoder.takeInterrupts(), 0);
  // Ctrl+Z likewise suspends, apart from Ctrl+C.
  EXPECT_TRUE(decoded({"\x1a\x1b[122;5u\x1b[122;5:3u\x1b[90;5u"}, &decoder).empty());
  EXPECT_EQ(decoder.takeSuspends(), 3);
  EXPECT_EQ(decoder.takeInterrupts(), 0);
  EXPECT_EQ(decoded({"\x1b[122;1u"}, &decoder), presses({K::Z}));
  EXPECT_EQ(decoder.takeSuspends(), 0);
}

TEST(TerminalInputDecoder, SgrMouseReportsAreCellPositions) {
  const auto click = [](sf::Mouse::Button button, const std::string& at) {
    return "click " + std::to_string(button) + " " + at;
  };
  EXPECT_EQ(decoded({"\x1b[<35;10;5M\x1b[<0;1;1M\x1b[<2;100;50M\x1b[<1;3;4M\x1b[<0;7;8m\x1b[<64;7;8M\x1b[<32;0;0M"}),
            (Names{"move 9 4", "move 0 0", click(sf::Mouse::Left, "0 0"), "move 99 49", click(sf::Mouse::Right, "99 49"),
                   "move 2 3", click(sf::Mouse::Middle, "2 3"), "move 0 0"}));
}

}  // namespace
