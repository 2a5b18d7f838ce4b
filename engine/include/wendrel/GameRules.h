#ifndef WD_GAME_RULES_H
#define WD_GAME_RULES_H

namespace wd {

// What a game hands the game manager's frame loop: its set-up before the
// first frame, its own rules once a frame (after the world is drawn and before
// the frame is shown) and its tail after the last frame.
class GameRules {
 public:
  virtual ~GameRules() {}
  virtual void setUp() = 0;
  virtual void frameRules() = 0;
  virtual void tail() = 0;
};

}  // namespace wd

#endif
