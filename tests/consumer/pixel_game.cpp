// A one-file game built against the engine from outside its tree: it draws a green sprite,
// captures the frame and exits 0 only when the sprite's cells, and no others, hold green pixels.
#include <cstdio>
#include <fstream>

#include <wendrel/DisplayManager.h>
#include <wendrel/GameManager.h>
#include <wendrel/Object.h>
#include <wendrel/ResourceManager.h>
#include <wendrel/WorldManager.h>

int main() {
  std::ofstream("block-spr.txt") << "<HEADER>\nframes 1\nwidth 2\nheight 1\ncolor green\nslowdown 0\n"
                                    "</HEADER>\n<BODY>\n##\nend\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n";
  wd::GameManager& game = wd::GameManager::getInstance();
  game.startUp();
  if (wd::DisplayManager::getInstance().getWindow() == nullptr ||
      wd::ResourceManager::getInstance().loadSprite("block-spr.txt", "block") != 0) {
    std::printf("no window or no sprite\n");
    return 1;
  }
  wd::Object* p_block = new wd::Object;
  p_block->setSprite("block");
  p_block->setPosition(wd::Vector(50, 25));  // cells 49 and 50 of row 25
  wd::WorldManager::getInstance().draw();
  const sf::Image frame = wd::DisplayManager::getInstance().captureFrame();
  int on_sprite = 0, elsewhere = 0;
  for (unsigned y = 0; y < frame.getSize().y; y++) {
    for (unsigned x = 0; x < frame.getSize().x; x++) {
      // Glyphs reach a little beyond their cells.
      const bool inside = x >= 48 * wd::cellWidth() && x < 52 * wd::cellWidth() &&
                          y >= 24 * wd::cellHeight() && y < 28 * wd::cellHeight();
      if (frame.getPixel(x, y) == sf::Color::Green) {
        (inside ? on_sprite : elsewhere)++;
      }
    }
  }
  std::printf("green pixels: %d on the sprite, %d elsewhere\n", on_sprite, elsewhere);
  game.shutDown();
  return on_sprite >= 20 && elsewhere == 0 ? 0 : 1;
}
