// Sound effects, music and their registry, checked on what OpenAL Soft's
// wave backend actually mixed.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "LogManager.h"
#include "Music.h"
#include "ResourceManager.h"
#include "Sound.h"
#include "audio_capture.h"
#include "test_support.h"

namespace {

const char* const RECORDING = "recording.wav";
const int SAMPLE_RATE = 44100;
const int LOUD = 1000;   // the tones reach about 11000 after panning
const int QUIET = 4;     // silence is exact without dithering; leave a margin
const long GAP = SAMPLE_RATE / 100;  // 10 ms of quiet ends a sound

// Tones whose lengths hold whole cycles, so that a loop has no seam.
const char* const TONE_440 = "sounds/tone440.wav";  // 0.25 s
const char* const TONE_660 = "sounds/tone660.wav";  // 0.25 s
const char* const TONE_880 = "sounds/tone880.ogg";  // 0.25 s
const char* const LOOP_550 = "sounds/loop550.wav";  // 0.1 s
const char* const MUSIC_330 = "sounds/music330.ogg";  // 0.6 s
const char* const MUSIC_770 = "sounds/music770.ogg";  // 0.5 s
const char* const NOT_AUDIO = "sounds/not-audio.ogg";
const char* const MISSING = "sounds/missing.ogg";

class AudioFixtures : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(wd_test::writeTone(TONE_440, 440, 0.25, 0.5));
    ASSERT_TRUE(wd_test::writeTone(TONE_660, 660, 0.25, 0.5));
    ASSERT_TRUE(wd_test::writeTone(TONE_880, 880, 0.25, 0.5));
    ASSERT_TRUE(wd_test::writeTone(LOOP_550, 550, 0.1, 0.5));
    ASSERT_TRUE(wd_test::writeTone(MUSIC_330, 330, 0.6, 0.5));
    ASSERT_TRUE(wd_test::writeTone(MUSIC_770, 770, 0.5, 0.5));
    wd_test::writeFile(NOT_AUDIO, "this is not a sound\n");
  }
};

long framesOf(double seconds) { return std::lround(seconds * SAMPLE_RATE); }

long recordedSoFar() { return wd_test::recordedFrames(RECORDING); }

wd_test::Recording recordUntil(long frame) {
  EXPECT_TRUE(wd_test::waitForRecordedFrames(RECORDING, frame, 10000));
  wd_test::Recording recording;
  EXPECT_TRUE(wd_test::readRecording(RECORDING, &recording));
  return recording;
}

// What the recording holds from the first loud frame after a mark on.
struct Heard {
  long start = -1;
  long length = 0;
  double frequency = 0.0;
};

Heard listenFrom(const wd_test::Recording& recording, long mark) {
  Heard heard;
  heard.start = recording.firstLoudFrame(mark, LOUD);
  if (heard.start >= 0) {
    heard.length = recording.loudRunLength(heard.start, LOUD, GAP);
    heard.frequency = recording.toneFrequency(heard.start, heard.start + heard.length);
  }
  return heard;
}

// Plays the sound once and listens until it has long ended.
Heard hearOnce(wd::Sound* p_sound) {
  const long mark = recordedSoFar();
  p_sound->play(false);
  const Heard heard = listenFrom(recordUntil(mark + framesOf(0.9)), mark);
  EXPECT_GE(heard.start, 0) << "nothing was heard";
  EXPECT_LT(heard.start - mark, framesOf(0.4)) << "the sound began late";
  return heard;
}

void expectTone(const Heard& heard, double frequency, double seconds) {
  EXPECT_NEAR(heard.frequency, frequency, frequency * 0.02);
  EXPECT_NEAR(heard.length, framesOf(seconds), framesOf(0.01));
}

TEST(Sound, PlayedOnceSoundsForItsLengthThenFallsSilent) {
  wd::Sound sound;
  ASSERT_TRUE(wd::audioDeviceOpen());
  ASSERT_EQ(0, sound.loadSound(TONE_440));
  const Heard heard = hearOnce(&sound);
  expectTone(heard, 440, 0.25);
  const long end = heard.start + heard.length;
  const wd_test::Recording recording = recordUntil(end + framesOf(0.3));
  EXPECT_LE(recording.peak(end + GAP, end + framesOf(0.3)), QUIET);
}

TEST(Sound, LoopingSoundGoesOnUntilStoppedThenFallsSilent) {
  wd::Sound sound;
  ASSERT_EQ(0, sound.loadSound(LOOP_550));
  const long mark = recordedSoFar();
  sound.play(true);
  ASSERT_TRUE(wd_test::waitForRecordedFrames(RECORDING, mark + framesOf(0.8), 10000));
  const long stop_mark = recordedSoFar();
  sound.stop();
  const wd_test::Recording recording = recordUntil(stop_mark + framesOf(0.5));
  const Heard heard = listenFrom(recording, mark);
  ASSERT_GE(heard.start, 0);
  // Unbroken from the start until the stop, more than five times its length.
  EXPECT_GE(heard.start + heard.length, stop_mark);
  EXPECT_GT(heard.length, framesOf(0.5));
  EXPECT_NEAR(heard.frequency, 550, 11);
  EXPECT_LT(heard.start + heard.length, stop_mark + framesOf(0.15));
  EXPECT_LE(recording.peak(stop_mark + framesOf(0.15), stop_mark + framesOf(0.5)), QUIET);
}

TEST(Sound, MissingOrUndecodableFileFailsAndKeepsWhatWasLoaded) {
  wd::Sound sound;
  sound.setLabel("kept");
  ASSERT_EQ(0, sound.loadSound(TONE_660));
  EXPECT_EQ(-1, sound.loadSound(MISSING));
  EXPECT_EQ(-1, sound.loadSound(NOT_AUDIO));
  EXPECT_EQ("kept", sound.getLabel());
  expectTone(hearOnce(&sound), 660, 0.25);
}

TEST(Sound, AssignedEntryKeepsSoundingAsTheSourceDidBeforeItsReload) {
  wd::Sound source;
  source.setLabel("source");
  ASSERT_EQ(0, source.loadSound(TONE_440));
  source.play(true);  // leaves looping on, a voice setting to copy
  source.stop();

  wd::Sound assigned;
  assigned = source;
  const wd::Sound constructed(source);
  ASSERT_EQ(0, source.loadSound(TONE_880));

  EXPECT_EQ("source", assigned.getLabel());
  EXPECT_TRUE(assigned.getSound().getLoop());
  EXPECT_TRUE(constructed.getSound().getLoop());
  EXPECT_NE(assigned.getSound().getBuffer(), source.getSound().getBuffer());
  EXPECT_NE(constructed.getSound().getBuffer(), source.getSound().getBuffer());

  expectTone(hearOnce(&assigned), 440, 0.25);
  expectTone(hearOnce(&source), 880, 0.25);

  const wd::Sound& itself = assigned;
  assigned = itself;
  expectTone(hearOnce(&assigned), 440, 0.25);
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { wd_test::restartLog(); }

  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
};

TEST_F(Registry, StopAndStartKeepEverythingAndLogNothing) {
  EXPECT_EQ("ResourceManager", resources.getType());
  ASSERT_EQ(0, resources.loadSound(TONE_440, "kept sound"));
  ASSERT_EQ(0, resources.loadMusic(MUSIC_330, "kept music"));
  resources.shutDown();
  EXPECT_FALSE(resources.isStarted());
  EXPECT_EQ(0, resources.startUp());
  EXPECT_TRUE(resources.isStarted());
  ASSERT_NE(nullptr, resources.getSound("kept sound"));
  ASSERT_NE(nullptr, resources.getMusic("kept music"));
  EXPECT_EQ("kept music", resources.getMusic("kept music")->getLabel());
  EXPECT_EQ("", wd_test::readLog());
  EXPECT_EQ(0, resources.unloadSound("kept sound"));
  EXPECT_EQ(0, resources.unloadMusic("kept music"));
}

TEST_F(Registry, TenSoundsFitAndFailedLoadsLogWithoutLineEnds) {
  EXPECT_EQ(-1, resources.loadSound(MISSING, "missing"));
  EXPECT_EQ(-1, resources.loadSound(NOT_AUDIO, "not audio"));
  for (int i = 0; i < wd::MAX_SOUNDS; i++) {
    ASSERT_EQ(0, resources.loadSound(TONE_440, "sound " + std::to_string(i)));
  }
  EXPECT_EQ(-1, resources.loadSound(TONE_880, "eleventh"));
  EXPECT_EQ(-1, resources.loadSound(MISSING, "missing"));
  EXPECT_EQ(
      " Message: Unable To Load From File Message: Unable To Load From File"
      " Message: Sound Array Full Message: Sound Array Full",
      wd_test::readLog());
  EXPECT_EQ(nullptr, resources.getSound("missing"));
  EXPECT_EQ(nullptr, resources.getSound("eleventh"));
  for (int i = 0; i < wd::MAX_SOUNDS; i++) {
    const std::string label = "sound " + std::to_string(i);
    ASSERT_NE(nullptr, resources.getSound(label));
    EXPECT_EQ(label, resources.getSound(label)->getLabel());
  }
  for (int i = 0; i < wd::MAX_SOUNDS; i++) {
    EXPECT_EQ(0, resources.unloadSound("sound " + std::to_string(i)));
  }
  EXPECT_EQ(-1, resources.unloadSound("sound 0"));
}

TEST_F(Registry, UnloadedSoundLeavesLaterOnesMovedDownWithTheirOwnSamples) {
  ASSERT_EQ(0, resources.loadSound(TONE_440, "x"));
  ASSERT_EQ(0, resources.loadSound(TONE_660, "y"));
  ASSERT_EQ(0, resources.loadSound(TONE_880, "z"));
  wd::Sound* p_slot_0 = resources.getSound("x");
  wd::Sound* p_slot_1 = resources.getSound("y");

  EXPECT_EQ(0, resources.unloadSound("x"));
  EXPECT_EQ(nullptr, resources.getSound("x"));
  ASSERT_EQ(p_slot_0, resources.getSound("y"));
  ASSERT_EQ(p_slot_1, resources.getSound("z"));
  expectTone(hearOnce(resources.getSound("y")), 660, 0.25);
  expectTone(hearOnce(resources.getSound("z")), 880, 0.25);

  EXPECT_EQ(0, resources.unloadSound("y"));
  EXPECT_EQ(0, resources.unloadSound("z"));
  ASSERT_EQ(0, resources.loadSound(TONE_440, "w"));
  EXPECT_EQ(p_slot_0, resources.getSound("w"));
  EXPECT_EQ(0, resources.unloadSound("w"));
  EXPECT_EQ("", wd_test::readLog());
}

TEST_F(Registry, SameLabelTwiceFindsTheFirstThenTheSecond) {
  ASSERT_EQ(0, resources.loadSound(TONE_440, "twice"));
  ASSERT_EQ(0, resources.loadSound(TONE_880, "twice"));
  expectTone(hearOnce(resources.getSound("twice")), 440, 0.25);
  EXPECT_EQ(0, resources.unloadSound("twice"));
  ASSERT_NE(nullptr, resources.getSound("twice"));
  expectTone(hearOnce(resources.getSound("twice")), 880, 0.25);
  EXPECT_EQ(0, resources.unloadSound("twice"));
  EXPECT_EQ(-1, resources.unloadSound("twice"));
}

TEST_F(Registry, UnloadedSoundPlaysOnUntilItsSlotIsReused) {
  ASSERT_EQ(0, resources.loadSound(LOOP_550, "loop"));
  const long mark = recordedSoFar();
  resources.getSound("loop")->play(true);
  EXPECT_EQ(0, resources.unloadSound("loop"));
  EXPECT_EQ(nullptr, resources.getSound("loop"));
  ASSERT_TRUE(wd_test::waitForRecordedFrames(RECORDING, mark + framesOf(0.6), 10000));
  const long reuse_mark = recordedSoFar();
  ASSERT_EQ(0, resources.loadSound(TONE_440, "next"));
  const wd_test::Recording recording = recordUntil(reuse_mark + framesOf(0.5));
  const Heard heard = listenFrom(recording, mark);
  EXPECT_GE(heard.start + heard.length, reuse_mark);
  EXPECT_NEAR(heard.frequency, 550, 11);
  EXPECT_LE(recording.peak(reuse_mark + framesOf(0.15), reuse_mark + framesOf(0.5)), QUIET);
  EXPECT_EQ(0, resources.unloadSound("next"));
}

TEST_F(Registry, MusicStreamsLoopsAndStops) {
  ASSERT_EQ(0, resources.loadMusic(MUSIC_330, "theme"));
  wd::Music* p_music = resources.getMusic("theme");
  ASSERT_NE(nullptr, p_music);
  const long mark = recordedSoFar();
  p_music->play(true);
  ASSERT_TRUE(wd_test::waitForRecordedFrames(RECORDING, mark + framesOf(1.6), 10000));
  EXPECT_EQ(sf::SoundSource::Playing, p_music->getMusic()->getStatus());
  const long stop_mark = recordedSoFar();
  p_music->stop();
  const wd_test::Recording recording = recordUntil(stop_mark + framesOf(0.5));
  const Heard heard = listenFrom(recording, mark);
  ASSERT_GE(heard.start, 0);
  EXPECT_GE(heard.start + heard.length, stop_mark);
  EXPECT_GT(heard.length, framesOf(1.2));  // past two lengths of the piece
  EXPECT_NEAR(heard.frequency, 330, 330 * 0.02);
  EXPECT_LE(recording.peak(stop_mark + framesOf(0.15), stop_mark + framesOf(0.5)), QUIET);
  EXPECT_EQ(0, resources.unloadMusic("theme"));
}

TEST_F(Registry, UnloadedMusicPlaysOnUntilItsSlotIsReusedLast) {
  EXPECT_EQ(-1, resources.unloadMusic("never loaded"));
  ASSERT_EQ(0, resources.loadMusic(MUSIC_770, "first"));
  const long mark = recordedSoFar();
  resources.getMusic("first")->play(true);
  EXPECT_EQ(0, resources.unloadMusic("first"));
  EXPECT_EQ(nullptr, resources.getMusic("first"));
  EXPECT_EQ(-1, resources.unloadMusic("first"));

  // Every other slot is taken before the one still playing.
  for (int i = 1; i < wd::MAX_MUSIC; i++) {
    ASSERT_EQ(0, resources.loadMusic(MUSIC_330, "music " + std::to_string(i)));
  }
  ASSERT_TRUE(wd_test::waitForRecordedFrames(RECORDING, mark + framesOf(0.8), 10000));
  const long reuse_mark = recordedSoFar();
  ASSERT_EQ(0, resources.loadMusic(MUSIC_330, "music 10"));
  const wd_test::Recording recording = recordUntil(reuse_mark + framesOf(0.5));
  const Heard heard = listenFrom(recording, mark);
  EXPECT_GE(heard.start + heard.length, reuse_mark);
  EXPECT_NEAR(heard.frequency, 770, 770 * 0.02);
  EXPECT_LE(recording.peak(reuse_mark + framesOf(0.15), reuse_mark + framesOf(0.5)), QUIET);

  // Full: one unload makes room for exactly one load, and a failed load none.
  EXPECT_EQ(-1, resources.loadMusic(MUSIC_330, "eleventh"));
  EXPECT_EQ(0, resources.unloadMusic("music 5"));
  EXPECT_EQ(-1, resources.loadMusic(NOT_AUDIO, "not audio"));
  EXPECT_EQ(0, resources.loadMusic(MUSIC_770, "music 5 again"));
  EXPECT_EQ(-1, resources.loadMusic(MUSIC_330, "eleventh"));
  EXPECT_EQ(
      " Message: Music Array Full Message: Unable To Load From File"
      " Message: Music Array Full",
      wd_test::readLog());
  EXPECT_EQ(nullptr, resources.getMusic("music 5"));
  EXPECT_EQ(nullptr, resources.getMusic("eleventh"));
  for (int i = 1; i <= wd::MAX_MUSIC; i++) {
    const std::string label = i == 5 ? "music 5 again" : "music " + std::to_string(i);
    ASSERT_NE(nullptr, resources.getMusic(label));
    EXPECT_EQ(label, resources.getMusic(label)->getLabel());
    EXPECT_EQ(0, resources.unloadMusic(label));
  }
}

TEST_F(Registry, SameMusicLabelFindsTheFirstLoadedWhereverItSits) {
  // Earlier tests have shuffled the free slots; load order still decides.
  ASSERT_EQ(0, resources.loadMusic(MUSIC_330, "twice"));
  wd::Music* p_first = resources.getMusic("twice");
  ASSERT_EQ(0, resources.loadMusic(MUSIC_770, "twice"));
  EXPECT_EQ(p_first, resources.getMusic("twice"));
  EXPECT_EQ(0, resources.unloadMusic("twice"));
  wd::Music* p_second = resources.getMusic("twice");
  ASSERT_NE(nullptr, p_second);
  EXPECT_NE(p_first, p_second);
  EXPECT_EQ(0, resources.unloadMusic("twice"));
  EXPECT_EQ(nullptr, resources.getMusic("twice"));
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything touches the audio library.
  wd_test::recordAudioTo(RECORDING);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new AudioFixtures);
  return RUN_ALL_TESTS();
}
