// Sound effects, music and their registry, heard on what OpenAL Soft's wave backend actually mixed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ResourceManager.h"
#include "test_support.h"

namespace {

const char* const RECORDING = "recording.wav";
const int LOUD = 1000;  // the tones reach about 11000 after panning
const int QUIET = 4;    // silence is exact without dithering; leave a margin

// Whole cycles, so that a loop has no seam: 0.3 s of music, 0.1 s of sound.
std::string tone(int hz) { return std::to_string(hz) + (hz == 440 || hz == 660 ? ".wav" : ".ogg"); }
long frames(double seconds) { return std::lround(seconds * 44100); }

// Waits until the recording holds frame frames; returns how many it holds.
long recordedUntil(long frame = 0) { return wd_test::recordedLeft(RECORDING, frame).size(); }

// The first loud stretch from mark on, ended by 10 ms of quiet: it must begin at once, have the
// frequency hz (from its zero crossings) and silence after.
std::pair<long, long> expectHeard(const std::vector<short>& left, long mark, double hz) {
  long start = -1, end = -1, crossings = 0;
  for (long i = mark; i < static_cast<long>(left.size()) && (start < 0 || i - end < 441); i++) {
    if (std::abs(left[i]) > LOUD) {
      start = start < 0 ? i : start;
      end = i + 1;
    }
  }
  int after = 0;
  for (long i = start + 1; start >= 0 && i < static_cast<long>(left.size()); i++) {
    crossings += i < end && (left[i - 1] < 0) != (left[i] < 0);
    after = i < end + 441 ? 0 : std::max(after, std::abs(left[i]));
  }
  EXPECT_TRUE(start >= mark && start < mark + frames(0.2)) << "began at " << start - mark;
  EXPECT_NEAR(crossings * 22050.0 / std::max(end - start, 1L), hz, hz * 0.02);
  EXPECT_LE(after, QUIET);
  return {start, end};
}

void expectPlaysOnce(wd::Sound* p_sound, double hz) {
  const long mark = recordedUntil();
  p_sound->play(false);
  const auto heard = expectHeard(wd_test::recordedLeft(RECORDING, mark + frames(0.45)), mark, hz);
  EXPECT_NEAR(heard.second - heard.first, frames(0.1), frames(0.01));
}

// What started at mark played unbroken until stop_mark, and ended within 0.15 s.
void expectPlayedUntil(long mark, long stop_mark, double hz) {
  const auto left = wd_test::recordedLeft(RECORDING, stop_mark + frames(0.35));
  const long end = expectHeard(left, mark, hz).second;
  EXPECT_TRUE(end >= stop_mark && end < stop_mark + frames(0.15)) << end - stop_mark;
}

TEST(Sound, PlaysLoopsStopsAndAnAssignedEntryKeepsItsOwnSamples) {
  wd::Sound sound, assigned;
  ASSERT_TRUE(wd::audioDeviceOpen());
  sound.setLabel("kept");
  ASSERT_EQ(0, sound.loadSound(tone(440)));
  EXPECT_EQ(-1, sound.loadSound("not-audio.ogg"));
  expectPlaysOnce(&sound, 440);
  const long mark = recordedUntil();
  sound.play(true);
  const long stop_mark = recordedUntil(mark + frames(0.5));
  sound.stop();
  expectPlayedUntil(mark, stop_mark, 440);

  // Looping stays set: a voice setting that copies must carry.
  assigned = sound;
  assigned = static_cast<const wd::Sound&>(assigned);
  EXPECT_NE(wd::Sound(sound).getSound().getBuffer(), sound.getSound().getBuffer());
  ASSERT_EQ(0, sound.loadSound(tone(880)));
  EXPECT_EQ("kept", assigned.getLabel());
  EXPECT_TRUE(assigned.getSound().getLoop());
  expectPlaysOnce(&assigned, 440);
  expectPlaysOnce(&sound, 880);
}

// Unloading moves later sounds down, each keeping its own samples; an unloaded entry and an unloaded
// music stream play on until their slot is loaded again, the freed music slot being reused last.
TEST(Registry, UnloadedEntriesMoveDownOrPlayOnUntilTheirSlotIsReused) {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  wd_test::restartLog();
  ASSERT_EQ(0, resources.loadSound(tone(440), "x"));
  ASSERT_EQ(0, resources.loadSound(tone(660), "y"));
  ASSERT_EQ(0, resources.loadSound(tone(880), "z"));
  wd::Sound* p_slot_0 = resources.getSound("x");
  wd::Sound* p_slot_1 = resources.getSound("y");
  EXPECT_EQ(0, resources.unloadSound("x"));
  ASSERT_EQ(p_slot_0, resources.getSound("y"));
  ASSERT_EQ(p_slot_1, resources.getSound("z"));
  expectPlaysOnce(p_slot_0, 660);
  expectPlaysOnce(p_slot_1, 880);
  // A label loaded twice is found first as the first, then as the second.
  ASSERT_EQ(0, resources.loadSound(tone(440), "y"));
  EXPECT_EQ(p_slot_0, resources.getSound("y"));
  EXPECT_EQ(0, resources.unloadSound("y"));
  ASSERT_EQ(p_slot_1, resources.getSound("y"));
  expectPlaysOnce(p_slot_1, 440);
  long mark = recordedUntil();
  p_slot_1->play(true);
  EXPECT_EQ(0, resources.unloadSound("y"));
  long stop_mark = recordedUntil(mark + frames(0.4));
  ASSERT_EQ(0, resources.loadSound(tone(660), "w"));
  expectPlayedUntil(mark, stop_mark, 440);
  EXPECT_EQ("", wd_test::readLog());

  ASSERT_EQ(0, resources.loadMusic(tone(770), "first"));
  mark = recordedUntil();
  resources.getMusic("first")->play(true);
  EXPECT_EQ(0, resources.unloadMusic("first"));
  EXPECT_EQ(-1, resources.unloadMusic("first"));
  for (int i = 1; i < wd::MAX_MUSIC; i++) {
    ASSERT_EQ(0, resources.loadMusic(tone(330), std::to_string(i)));
  }
  stop_mark = recordedUntil(mark + frames(0.7));  // past two lengths
  ASSERT_EQ(0, resources.loadMusic(tone(330), "10"));
  expectPlayedUntil(mark, stop_mark, 770);
  mark = recordedUntil();
  resources.getMusic("10")->play(true);
  stop_mark = recordedUntil(mark + frames(0.2));
  resources.getMusic("10")->stop();
  expectPlayedUntil(mark, stop_mark, 330);
}

}  // namespace

int main(int argc, char** argv) {
  wd_test::configureAudio(RECORDING);  // before anything touches the audio library
  for (int hz : {330, 440, 660, 770, 880}) {
    wd_test::writeTone(tone(hz), hz, hz == 330 || hz == 770 ? 0.3 : 0.1);
  }
  wd_test::writeFile("not-audio.ogg", "this is not a sound\n");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
