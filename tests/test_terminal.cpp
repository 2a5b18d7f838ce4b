// The terminal's cell screen (what each frame writes) and its input decoder
// (what the terminal's bytes mean to the engine).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TerminalInputDecoder.h"
#include "TerminalScreen.h"

namespace {

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

// The events of bytes fed in the given reads, as "press K", "release K",
// "move X Y", "click B X Y" (K: SFML key code, B: SFML button).
std::vector<std::string> decoded(const std::vector<std::string>& reads,
                                 wd::TerminalInputDecoder& decoder) {
  std::vector<sf::Event> events;
  for (const std::string& bytes : reads) {
    decoder.decode(bytes.data(), bytes.size(), events);
  }
  decoder.finishRead(events);
  std::vector<std::string> names;
  for (const sf::Event& e : events) {
    switch (e.type) {
      case sf::Event::KeyPressed: names.push_back("press " + std::to_string(e.key.code)); break;
      case sf::Event::KeyReleased: names.push_back("release " + std::to_string(e.key.code)); break;
      case sf::Event::MouseMoved:
        names.push_back("move " + std::to_string(e.mouseMove.x) + " " +
                        std::to_string(e.mouseMove.y));
        break;
      case sf::Event::MouseButtonPressed:
        names.push_back("click " + std::to_string(e.mouseButton.button) + " " +
                        std::to_string(e.mouseButton.x) + " " + std::to_string(e.mouseButton.y));
        break;
      default: names.push_back("other"); break;
    }
  }
  return names;
}

std::vector<std::string> decoded(const std::vector<std::string>& reads) {
  wd::TerminalInputDecoder decoder;
  return decoded(reads, decoder);
}

std::string press(sf::Keyboard::Key key) { return "press " + std::to_string(key); }
std::string release(sf::Keyboard::Key key) { return "release " + std::to_string(key); }

TEST(TerminalScreen, FirstFrameWritesEveryCellAndLaterFramesOnlyTheChangedOnes) {
  wd::TerminalScreen screen(4, 2);
  screen.setCell(1, 0, U'A', sf::Color::Red, sf::Color::Black);
  const std::string first = rendered(screen);
  EXPECT_EQ(countOf(first, " "), 7u) << "blank cells are written too";
  EXPECT_NE(first.find("\x1b[38;2;255;0;0mA"), std::string::npos) << first;
  EXPECT_EQ(first.find("\x1b[?2026h"), 0u);
  EXPECT_EQ(first.rfind("\x1b[?2026l"), first.size() - 8);

  // The same frame again changes nothing and writes nothing.
  screen.setCell(1, 0, U'A', sf::Color::Red, sf::Color::Black);
  EXPECT_EQ(rendered(screen), "");

  // A moved glyph: its old cell is blanked, its new one written, nothing else.
  screen.setCell(3, 1, U'A', sf::Color::Red, sf::Color::Black);
  const std::string moved = rendered(screen);
  EXPECT_NE(moved.find("\x1b[1;2H"), std::string::npos) << moved;
  EXPECT_NE(moved.find("\x1b[2;4H"), std::string::npos) << moved;
  EXPECT_EQ(countOf(moved, "A"), 1u);
  EXPECT_EQ(countOf(moved, " "), 1u);

  screen.setCell(3, 1, U'A', sf::Color::Red, sf::Color::Black);
  screen.invalidate();
  EXPECT_EQ(countOf(rendered(screen), " "), 7u) << "after invalidate every cell is written";
}

TEST(TerminalScreen, ColoursAreWrittenOnlyWhenTheyChange) {
  wd::TerminalScreen screen(3, 1);
  screen.setCell(0, 0, U'a', sf::Color(18, 52, 86), sf::Color(1, 2, 3));
  screen.setCell(1, 0, U'b', sf::Color(18, 52, 86), sf::Color(1, 2, 3));
  screen.setCell(2, 0, U'c', sf::Color(18, 52, 86), sf::Color::Black);
  const std::string out = rendered(screen);
  EXPECT_NE(out.find("\x1b[38;2;18;52;86m\x1b[48;2;1;2;3mab\x1b[48;2;0;0;0mc"),
            std::string::npos) << out;
  EXPECT_EQ(countOf(out, "38;2"), 1u);

  // In the next frame the colours in effect are still known.
  screen.setCell(0, 0, U'a', sf::Color(18, 52, 86), sf::Color(1, 2, 3));
  screen.setCell(1, 0, U'b', sf::Color(18, 52, 86), sf::Color(1, 2, 3));
  screen.setCell(2, 0, U'd', sf::Color(18, 52, 86), sf::Color::Black);
  EXPECT_EQ(rendered(screen), "\x1b[?2026h\x1b[1;3Hd\x1b[?2026l");

  // A gap on the same row is stepped over.
  screen.setCell(0, 0, U'x', sf::Color(18, 52, 86), sf::Color(1, 2, 3));
  screen.setCell(1, 0, U'b', sf::Color(18, 52, 86), sf::Color(1, 2, 3));
  screen.setCell(2, 0, U'y', sf::Color(18, 52, 86), sf::Color::Black);
  const std::string gap = rendered(screen);
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

  EXPECT_EQ(wd::nearestIndexedColor(sf::Color::Black), 16);
  EXPECT_EQ(wd::nearestIndexedColor(sf::Color::White), 231);
  EXPECT_EQ(wd::nearestIndexedColor(sf::Color(0, 255, 0)), 46);
  EXPECT_EQ(wd::nearestIndexedColor(sf::Color(95, 135, 175)), 16 + 36 * 1 + 6 * 2 + 3);
  EXPECT_EQ(wd::nearestIndexedColor(sf::Color(8, 8, 8)), 232);
  EXPECT_EQ(wd::nearestIndexedColor(sf::Color(238, 238, 238)), 255);
  EXPECT_EQ(wd::nearestIndexedColor(sf::Color(100, 100, 100)), 241);
}

TEST(TerminalInputDecoder, TypedKeysArrowsAndFunctionKeys) {
  EXPECT_EQ(decoded({"qP7 \r\t-+~./,\x7f"}),
            (std::vector<std::string>{press(sf::Keyboard::Q), press(sf::Keyboard::P),
                                      press(sf::Keyboard::Num7), press(sf::Keyboard::Space),
                                      press(sf::Keyboard::Enter), press(sf::Keyboard::Tab),
                                      press(sf::Keyboard::Subtract), press(sf::Keyboard::Add),
                                      press(sf::Keyboard::Tilde), press(sf::Keyboard::Period),
                                      press(sf::Keyboard::Slash), press(sf::Keyboard::Comma),
                                      press(sf::Keyboard::Backspace)}));
  EXPECT_EQ(decoded({"\x1b[A\x1b[B\x1b[1;5C\x1bOD\x1bOP\x1b[24~\x1b[15;2~\x1b[99~!"}),
            (std::vector<std::string>{press(sf::Keyboard::Up), press(sf::Keyboard::Down),
                                      press(sf::Keyboard::Right), press(sf::Keyboard::Left),
                                      press(sf::Keyboard::F1), press(sf::Keyboard::F12),
                                      press(sf::Keyboard::F5)}));
  // A lone escape at the end of a read is the Escape key; one before a
  // letter is Escape followed by the letter.
  EXPECT_EQ(decoded({"\x1b"}), std::vector<std::string>{press(sf::Keyboard::Escape)});
  EXPECT_EQ(decoded({"\x1bx"}), (std::vector<std::string>{press(sf::Keyboard::Escape),
                                                           press(sf::Keyboard::X)}));
}

TEST(TerminalInputDecoder, SequencesCutBetweenReadsAreJoined) {
  wd::TerminalInputDecoder decoder;
  std::vector<sf::Event> events;
  decoder.decode("\x1b[", 2, events);
  decoder.finishRead(events);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(decoded({"1;", "5D", "\x1bO", "A"}, decoder),
            (std::vector<std::string>{press(sf::Keyboard::Left), press(sf::Keyboard::Up)}));
  // A sequence that never ends is dropped once it is too long to be one.
  EXPECT_EQ(decoded({"\x1b[" + std::string(100, '1'), "a"}),
            std::vector<std::string>{press(sf::Keyboard::A)});
}

TEST(TerminalInputDecoder, KittyProtocolReportsReleasesAndInterrupts) {
  wd::TerminalInputDecoder decoder;
  EXPECT_FALSE(decoder.reportsReleases());
  EXPECT_EQ(decoded({"\x1b[?11u\x1b[32u\x1b[32;1:2u\x1b[32;1:3u\x1b[1;1:3A\x1b[57441;2u"
                     "\x1b[97;1:1u\x1b[13;1:3u\x1b[57442;5:3u"},
                    decoder),
            (std::vector<std::string>{press(sf::Keyboard::Space), release(sf::Keyboard::Space),
                                      release(sf::Keyboard::Up), press(sf::Keyboard::LShift),
                                      press(sf::Keyboard::A), release(sf::Keyboard::Enter),
                                      release(sf::Keyboard::LControl)}));
  EXPECT_TRUE(decoder.reportsReleases());
  EXPECT_EQ(decoder.takeInterrupts(), 0);

  // Ctrl+C as a character and as a kitty key (its release is not a second one).
  EXPECT_TRUE(decoded({"\x03\x1b[99;5u\x1b[99;5:3u"}, decoder).empty());
  EXPECT_EQ(decoder.takeInterrupts(), 2);
  EXPECT_EQ(decoder.takeInterrupts(), 0);
  EXPECT_EQ(decoded({"\x1b[99;1u"}, decoder), std::vector<std::string>{press(sf::Keyboard::C)});
  EXPECT_EQ(decoder.takeInterrupts(), 0);
}

TEST(TerminalInputDecoder, SgrMouseReportsAreCellPositions) {
  EXPECT_EQ(decoded({"\x1b[<35;10;5M\x1b[<0;1;1M\x1b[<2;100;50M\x1b[<1;3;4M\x1b[<0;7;8m"
                     "\x1b[<64;7;8M\x1b[<32;0;0M"}),
            (std::vector<std::string>{"move 9 4", "move 0 0",
                                      "click " + std::to_string(sf::Mouse::Left) + " 0 0",
                                      "move 99 49",
                                      "click " + std::to_string(sf::Mouse::Right) + " 99 49",
                                      "move 2 3",
                                      "click " + std::to_string(sf::Mouse::Middle) + " 2 3",
                                      "move 0 0"}));
}

}  // namespace
