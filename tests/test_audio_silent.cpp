// Everything the game does with audio, on a machine where no audio device
// can be opened: it must run on, silently.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <sstream>
#include <thread>

#include "Music.h"
#include "ResourceManager.h"
#include "Sound.h"
#include "audio_capture.h"
#include "test_support.h"

namespace {

const char* const TONE = "sounds/tone.wav";
const char* const MUSIC = "sounds/music.ogg";

// Collects what SFML reports while it lives.
class SfmlErrors {
 public:
  SfmlErrors() : p_previous(sf::err().rdbuf(text.rdbuf())) {}
  ~SfmlErrors() { sf::err().rdbuf(p_previous); }
  std::string reported() const { return text.str(); }

 private:
  std::ostringstream text;
  std::streambuf* p_previous;
};

double processorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

class SilentAudio : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(wd_test::writeTone(TONE, 440, 0.2, 0.5));
    ASSERT_TRUE(wd_test::writeTone(MUSIC, 330, 0.5, 0.5));
  }

  void SetUp() override { wd_test::restartLog(); }

  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
};

TEST_F(SilentAudio, LoadsLookupsAndPlayCallsWorkWithoutADevice) {
  ASSERT_EQ(0, resources.loadSound(TONE, "tone"));
  ASSERT_EQ(0, resources.loadSound(TONE, "other"));
  ASSERT_EQ(0, resources.loadMusic(MUSIC, "music"));
  EXPECT_FALSE(wd::audioDeviceOpen());

  const double processor_before = processorSeconds();
  std::string reported;
  {
    SfmlErrors errors;
    resources.getSound("tone")->play(false);
    resources.getSound("other")->play(true);
    resources.getMusic("music")->play(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    resources.getSound("other")->pause();
    resources.getMusic("music")->pause();
    resources.getSound("other")->stop();
    resources.getMusic("music")->stop();
    reported = errors.reported();
  }
  // A music stream without a device would keep one processor busy.
  EXPECT_LT(processorSeconds() - processor_before, 0.15);
  EXPECT_EQ("", reported);

  EXPECT_EQ(0, resources.unloadSound("tone"));
  ASSERT_NE(nullptr, resources.getSound("other"));
  EXPECT_EQ("other", resources.getSound("other")->getLabel());
  EXPECT_EQ(0, resources.unloadSound("other"));
  EXPECT_EQ(0, resources.unloadMusic("music"));
  EXPECT_EQ(nullptr, resources.getMusic("music"));
  EXPECT_EQ("", wd_test::readLog());
}

TEST_F(SilentAudio, TablesFillAndReuseSlotsAsWithADevice) {
  for (int i = 0; i < wd::MAX_MUSIC; i++) {
    ASSERT_EQ(0, resources.loadMusic(MUSIC, "music " + std::to_string(i)));
    resources.getMusic("music " + std::to_string(i))->play(true);
  }
  EXPECT_EQ(-1, resources.loadMusic(MUSIC, "eleventh"));
  EXPECT_EQ(0, resources.unloadMusic("music 3"));
  EXPECT_EQ(0, resources.loadMusic(MUSIC, "music 3 again"));
  for (int i = 0; i < wd::MAX_SOUNDS; i++) {
    ASSERT_EQ(0, resources.loadSound(TONE, "sound " + std::to_string(i)));
  }
  EXPECT_EQ(-1, resources.loadSound(TONE, "eleventh"));
  EXPECT_EQ(0, resources.unloadSound("sound 0"));
  resources.getSound("sound 1")->play(false);
  const sf::Sound copy = resources.getSound("sound 1")->getSound();
  EXPECT_EQ(" Message: Music Array Full Message: Sound Array Full", wd_test::readLog());
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything touches the audio library.
  wd_test::disableAudioDevice();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
