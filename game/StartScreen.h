#ifndef BUNNY_START_SCREEN_H
#define BUNNY_START_SCREEN_H

namespace wd {
class Object;
}

// The title picture over the start music, waiting for P (play) or Q (quit).
class StartScreen {
 public:
  enum Choice { PLAY, QUIT };

  StartScreen();

  // Runs the screen's frame loop until the player chooses.
  Choice run();

  // Milliseconds to wait after the quit sound before the program ends.
  void setQuitPause(int milliseconds);

 private:
  void showTitle();

  int quit_pause;
  // The title picture; the world owns it and deletes it when play is chosen.
  wd::Object* p_title;
};

#endif
