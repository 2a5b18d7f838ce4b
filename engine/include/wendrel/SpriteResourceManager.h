#ifndef WD_SPRITE_RESOURCE_MANAGER_H
#define WD_SPRITE_RESOURCE_MANAGER_H

#include <fstream>
#include <string>
#include <vector>

#include "Frame.h"
#include "Manager.h"
#include "Sprite.h"

namespace wd {

const int MAX_SPRITES = 1000;

// The sprite file reader. Each reports its problems to the log.

// Removes one trailing carriage return.
void discardCR(std::string& str);

// The next line without its line break, or "" at the end of the file.
std::string getLine(std::ifstream* p_file);

// The content lines of the next section, or an empty list on error.
std::vector<std::string> readData(std::ifstream* p_file, std::string tag);

// The value of an integer setting, removing its lines; -1 when absent.
int matchLineInt(std::vector<std::string>* p_data, const char* key);

// The value of a text setting, removing its lines; "" when absent.
std::string matchLineStr(std::vector<std::string>* p_data, const char* key);

// The next frame of the body, removing its lines; an empty frame on error.
Frame readFrame(std::vector<std::string>* p_data, int width, int height);

// The name that a sprite file gives a colour, or null for a value outside the eight.
const char* colorName(Color color);

// Keeps every loaded sprite and finds it by label.
class SpriteResourceManager : public Manager {
 public:
  // Frees the sprites still registered.
  ~SpriteResourceManager() override;

  // Empties the registry (when not started). Returns 0.
  int startUp() override;

  // Deletes every registered sprite.
  void shutDown() override;

  // Reads a sprite file and registers the sprite under label. 0 or -1. A
  // file whose name ends in ".xp" is read as a REXPaint picture.
  int loadSprite(std::string filename, std::string label);

  // The first registered sprite with that label, or null.
  Sprite* getSprite(std::string label) const;

  // Deletes the first registered sprite with that label. 0 or -1.
  int unloadSprite(std::string label);

 protected:
  SpriteResourceManager();

 private:
  // Index of the first registered sprite with that label, or -1.
  int findSprite(const std::string& label) const;

  // Registers a loaded sprite under label and logs it. Returns 0.
  int registerSprite(Sprite* p_new_sprite, const std::string& label);

  // Deletes every registered sprite and empties the registry.
  void deleteAllSprites();

  Sprite* p_sprite[MAX_SPRITES];
  int sprite_count;
};

}  // namespace wd

#endif
