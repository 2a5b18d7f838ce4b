// Text beyond ASCII: UTF-8 walked a character or an invalid byte at a time, what the shipped font covers,
// the log of glyphs it lacks, and the bound of the glyph cache.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <SFML/Graphics.hpp>

#include "Cp437.h"
#include "FontCoverage.h"
#include "GlyphCache.h"
#include "Utf8Decoder.h"
#include "test_support.h"

namespace {

using Steps = std::vector<wd::Utf8Char>;

// Each byte of text, an invalid step of its own.
Steps invalidBytes(const std::string& text) {
  Steps steps;
  for (char byte : text) {
    steps.push_back(wd::Utf8Char{static_cast<unsigned char>(byte), 1, false});
  }
  return steps;
}

TEST(Utf8Decoder, WalksCharactersAndInvalidBytes) {
  // Overlong forms of two to four bytes, the first and last surrogate, beyond U+10FFFF, five bytes.
  const std::string not_characters =
      "\xC0\xAF" "\xE0\x9F\xBF" "\xF0\x8F\xBF\xBF" "\xED\xA0\x80\xED\xBF\xBF" "\xF4\x90\x80\x80" "\xF8\x88\x80\x80\x80";
  const struct { const char* what; std::string text; Steps steps; } cases[] = {
      {"empty", "", {}},
      {"one of each length", "A\xC3\xA9\xE2\x95\x94\xF0\x9F\x98\x80",
       {{U'A', 1, true}, {0xE9, 2, true}, {0x2554, 3, true}, {0x1F600, 4, true}}},
      {"the shortest of each length", std::string("\0\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", 10),
       {{0, 1, true}, {0x80, 2, true}, {0x800, 3, true}, {0x10000, 4, true}}},
      {"the last before and after the surrogates, the last code point", "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF",
       {{0xD7FF, 3, true}, {0xE000, 3, true}, {0x10FFFF, 4, true}}},
      {"forms that are not characters", not_characters, invalidBytes(not_characters)},
      {"cut off at the end", "a\xE2\x94", {{U'a', 1, true}, {0xE2, 1, false}, {0x94, 1, false}}},
      {"a four-byte sequence cut off", "\xF0\x9F\x98", invalidBytes("\xF0\x9F\x98")},
      {"invalid bytes among valid ones", "\xC3\xA9\xFF\x80\xC3(\xC3\xA9",
       {{0xE9, 2, true}, {0xFF, 1, false}, {0x80, 1, false}, {0xC3, 1, false}, {U'(', 1, true}, {0xE9, 2, true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Steps steps;
    for (wd::Utf8Decoder decoder(c.text); !decoder.atEnd();) {
      steps.push_back(decoder.next());
    }
    ASSERT_EQ(steps.size(), c.steps.size());
    bool valid = true;
    for (std::size_t i = 0; i < steps.size(); i++) {
      EXPECT_EQ(steps[i].code_point, c.steps[i].code_point) << i;
      EXPECT_EQ(steps[i].length, c.steps[i].length) << i;
      EXPECT_EQ(steps[i].valid, c.steps[i].valid) << i;
      valid = valid && c.steps[i].valid;
    }
    EXPECT_EQ(wd::Utf8Decoder::countSteps(c.text), static_cast<int>(c.steps.size()));
    EXPECT_EQ(wd::Utf8Decoder::isValid(c.text), valid);
  }
}

// Every character encodes to the sequence that decodes back to it; what is not a character becomes U+FFFD.
TEST(Utf8Decoder, EveryCharacterMakesTheRoundTrip) {
  for (char32_t code_point = 0; code_point <= 0x10FFFF; code_point++) {
    if (code_point >= 0xD800 && code_point <= 0xDFFF) {
      continue;
    }
    std::string text;
    wd::Utf8Decoder::append(text, code_point);
    const wd::Utf8Char step = wd::Utf8Decoder::decodeAt(text, 0);
    const int length = code_point < 0x80 ? 1 : code_point < 0x800 ? 2 : code_point < 0x10000 ? 3 : 4;
    ASSERT_TRUE(step.valid && step.code_point == code_point && step.length == length &&
                text.size() == static_cast<std::size_t>(length)) << std::hex << code_point;
  }
  for (char32_t not_a_character : {char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000), char32_t(0xFFFFFFFF)}) {
    std::string text;
    wd::Utf8Decoder::append(text, not_a_character);
    EXPECT_EQ(text, "\xEF\xBF\xBD");
  }
}

// Before a font is loaded, or after a failed load, everything counts as held and nothing is logged. The
// shipped font holds the whole of code page 437, box drawing, blocks and shades, arrows, card suits,
// Latin-1, the Greek alphabet and the basic Cyrillic block; a code point it lacks is logged once, however
// often it is asked for, and a space is drawn as it is.
TEST(FontCoverage, TheShippedFontCoversCharacterArtAndLogsWhatItLacksOnce) {
  wd_test::restartLog();
  wd::FontCoverage coverage;
  EXPECT_TRUE(coverage.holds(0x1F600));
  wd_test::writeFile("not-a-font.ttf", "plain text\n");
  EXPECT_EQ(coverage.load("not-a-font.ttf"), -1);
  EXPECT_EQ(coverage.drawable(0x1F600, "test()"), char32_t(0x1F600));
  ASSERT_EQ(coverage.load("wd-font.ttf"), 0);
  for (int code = 1; code < wd::Cp437::CODE_COUNT; code++) {  // code 0 is a blank cell
    EXPECT_TRUE(coverage.holds(wd::Cp437::toUnicode(static_cast<std::uint32_t>(code)))) << code;
  }
  const struct { char32_t first, last; } ranges[] = {
      {0x20, 0x7E},     {0xA0, 0xFF},     {0x2500, 0x257F}, {0x2580, 0x259F}, {0x2190, 0x21FF},
      {0x2660, 0x2667}, {0x0384, 0x038A}, {0x038C, 0x038C}, {0x038E, 0x03A1}, {0x03A3, 0x03CE},
      {0x0400, 0x045F}};  // Greek: every assigned code point of U+0384 to U+03CE
  for (const auto& range : ranges) {
    for (char32_t code_point = range.first; code_point <= range.last; code_point++) {
      EXPECT_TRUE(coverage.holds(code_point)) << std::hex << code_point;
    }
  }
  EXPECT_EQ(coverage.getReplacement(), U'\uFFFD');
  EXPECT_FALSE(coverage.holds(0x1F600));
  EXPECT_FALSE(coverage.holds(0x0378));  // unassigned
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(coverage.drawable(U'╬', "test()"), U'╬');
    EXPECT_EQ(coverage.drawable(U' ', "test()"), U' ');
    EXPECT_EQ(coverage.drawable(0x1F600, "test()"), U'\uFFFD');
    EXPECT_EQ(coverage.drawable(0x10FFFF, "test()"), U'\uFFFD');
    EXPECT_EQ(coverage.drawable(0x7FFFFFFF, "test()"), U'\uFFFD');
  }
  EXPECT_EQ(wd_test::readLog(),
            " Message: test(): The font has no glyph for U+1F600; drawing U+FFFD in its place\n"
            " Message: test(): The font has no glyph for U+10FFFF; drawing U+FFFD in its place\n"
            " Message: test(): The font has no glyph for U+7FFFFFFF; drawing U+FFFD in its place\n");
}

// The cache holds no more code points than its capacity; once full, a new code point gets the glyph of
// '?', and clearing empties it. Rendering glyphs needs a graphics context, thus an X server.
TEST(GlyphCache, HoldsNoMoreThanItsCapacity) {
  if (!wd_test::displayAvailable()) {
    GTEST_SKIP() << "no X server";
  }
  EXPECT_GE(wd::GlyphCache::MAX_GLYPHS, 4096u);
  sf::Font font;
  ASSERT_TRUE(font.loadFromFile("wd-font.ttf"));
  wd::GlyphCache cache(font, 4);
  cache.clear(20);
  const std::u32string first = U"╔═ ╗";
  for (char32_t code_point : first) {
    EXPECT_FALSE(cache.isFull());
    const wd::GlyphCache::Glyph& glyph = cache.glyph(code_point);
    EXPECT_EQ(glyph.visible, code_point != U' ');
    const sf::Glyph& expected = font.getGlyph(code_point, 20, true);
    EXPECT_EQ(glyph.texture_rect, code_point == U' ' ? sf::IntRect() : expected.textureRect);
    EXPECT_EQ(cache.glyph(code_point).texture_rect, glyph.texture_rect);  // found again, not loaded again
  }
  EXPECT_TRUE(cache.isFull());
  EXPECT_EQ(cache.size(), 4u);
  const sf::IntRect question = font.getGlyph(U'?', 20, true).textureRect;
  for (char32_t more : std::u32string(U"║╚╝▓")) {
    EXPECT_EQ(cache.glyph(more).texture_rect, question);
  }
  EXPECT_EQ(cache.size(), 5u);  // with '?'
  EXPECT_EQ(cache.glyph(U'═').texture_rect, font.getGlyph(U'═', 20, true).textureRect);
  cache.clear(20);
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_EQ(cache.glyph(U'▓').texture_rect, font.getGlyph(U'▓', 20, true).textureRect);
}

}  // namespace
