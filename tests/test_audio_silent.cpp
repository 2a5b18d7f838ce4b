// Everything the game does with audio where no audio device opens: it runs on silently, says so
// once in the log, and keeps SFML's complaints there.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <sstream>
#include <thread>

#include "DiagnosticLog.h"
#include "ResourceManager.h"
#include "test_support.h"

TEST(SilentAudio, LoadsLookupsTablesAndPlayCallsWorkWithoutADevice) {
  wd::ResourceManager& resources = wd::ResourceManager::getInstance();
  wd_test::restartLog();
  for (int i = 0; i <= wd::MAX_MUSIC; i++) {  // one past both tables
    EXPECT_EQ(i < wd::MAX_MUSIC ? 0 : -1, resources.loadMusic("330.ogg", std::to_string(i)));
    EXPECT_EQ(i < wd::MAX_SOUNDS ? 0 : -1, resources.loadSound("440.wav", std::to_string(i)));
  }
  ASSERT_FALSE(wd::audioDeviceOpen());
  std::ostringstream errors;
  std::streambuf* p_previous = sf::err().rdbuf(errors.rdbuf());
  const std::clock_t processor_before = std::clock();
  for (int i = 0; i < wd::MAX_MUSIC; i++) {
    resources.getMusic(std::to_string(i))->play(true);
    resources.getSound(std::to_string(i))->play(i % 2 == 0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  resources.getSound("1")->pause();
  resources.getMusic("1")->pause();
  resources.getSound("2")->stop();
  resources.getMusic("2")->stop();
  EXPECT_LT(std::clock() - processor_before, CLOCKS_PER_SEC * 0.15) << "a stream spins";
  sf::err().rdbuf(p_previous);
  EXPECT_EQ("", errors.str());
  EXPECT_EQ(0, resources.unloadMusic("3"));
  EXPECT_EQ(nullptr, resources.getMusic("3"));
  EXPECT_EQ(0, resources.unloadSound("0"));
  EXPECT_EQ(-1, resources.unloadSound("0"));
  // One unload makes room for exactly one load, which a failed load does not take.
  EXPECT_EQ(-1, resources.loadMusic("missing.ogg", "missing"));
  EXPECT_EQ(-1, resources.loadSound("missing.ogg", "missing"));
  resources.shutDown();  // a stop and start keeps everything
  EXPECT_EQ(0, resources.startUp());
  EXPECT_EQ("1", resources.getSound("1")->getLabel());
  // The freed music slot is reused last, out of order: the order of loading still decides.
  wd::Music* p_nine = resources.getMusic("9");
  EXPECT_EQ(0, resources.loadMusic("330.ogg", "9"));
  EXPECT_EQ(0, resources.loadSound("440.wav", "last"));
  EXPECT_EQ(-1, resources.loadMusic("330.ogg", "one too many"));
  EXPECT_EQ(-1, resources.loadSound("440.wav", "one too many"));
  EXPECT_EQ(p_nine, resources.getMusic("9"));
  EXPECT_EQ(0, resources.unloadMusic("9"));
  EXPECT_NE(p_nine, resources.getMusic("9"));
  EXPECT_EQ(0, resources.unloadMusic("9"));
  EXPECT_EQ(" Message: No audio device: sound is off\n Message: Music Array Full Message: Sound Array Full"
            " Message: Unable To Load From File Message: Unable To Load From File"
            " Message: Music Array Full Message: Sound Array Full",
            wd_test::readLog());
}

// A message is what the library writes up to its flush (std::endl).
TEST(SilentAudio, LibraryMessagesAreLoggedOnceCountedAndBounded) {
  wd_test::restartLog();
  std::streambuf* p_before = sf::err().rdbuf();
  {
    wd::DiagnosticLog diagnostics("SFML", sf::err());
    for (int i = 0; i < 1000; i++) {
      sf::err() << "A call failed.\nExpression:\n   f()\n" << std::endl;
    }
    sf::err() << std::string(2 * wd::MAX_DIAGNOSTIC_LENGTH, 'x') << std::endl;  // cut in two
    for (int i = 0; i < 2 * wd::MAX_DIAGNOSTIC_MESSAGES; i++) {
      sf::err() << "message " << i << std::endl;
    }
    diagnostics.reportRepeats();
    sf::err() << "A call failed. Expression: f()" << std::endl;
    diagnostics.reportRepeats();
  }
  EXPECT_EQ(p_before, sf::err().rdbuf());
  std::string expected = " Message: SFML: A call failed. Expression: f()\n Message: SFML: " +
                         std::string(wd::MAX_DIAGNOSTIC_LENGTH, 'x') + "\n";
  for (int i = 0; i < wd::MAX_DIAGNOSTIC_MESSAGES - 2; i++) {
    expected += " Message: SFML: message " + std::to_string(i) + "\n";
  }
  expected += " Message: SFML, 999 more times: A call failed. Expression: f()\n"
              " Message: SFML, 1 more time: " + std::string(wd::MAX_DIAGNOSTIC_LENGTH, 'x') +
              "\n Message: SFML: 34 more messages left out\n"
              " Message: SFML, 1 more time: A call failed. Expression: f()\n";
  EXPECT_EQ(expected, wd_test::readLog());
}

int main(int argc, char** argv) {
  wd_test::configureAudio("");  // before anything touches the audio library
  wd_test::writeTone("440.wav", 440, 0.2);
  wd_test::writeTone("330.ogg", 330, 0.5);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
