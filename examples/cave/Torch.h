#ifndef CAVE_TORCH_H
#define CAVE_TORCH_H

#include <random>
#include <string>
#include <vector>

#include <SFML/Graphics/Color.hpp>
#include <wendrel/Object.h>

// The explorer's torch. Every frame it lights the floor around its bearer:
// each cell's background is warm near the flame and darker with distance,
// and the flame flickers. Everything in the cave draws its cells on the
// light of the cell it stands in, so the torch must be drawn first: it is
// the first object of the world.
class Torch : public wd::Object {
 public:
  Torch();

  // The object whose position the light follows.
  void setBearer(const wd::Object* p_new_bearer);

  // Follows the bearer at every step, so that the world draws the torch
  // wherever the view goes.
  int handleEvent(const wd::Event* p_e) override;

  // Paints the floor around the flame, which flickers a little each frame.
  int draw() override;

  // The background of the cell at world_pos in this frame.
  static sf::Color lightAt(wd::Vector world_pos);

  // Draws rows of glyphs centred on centre as a sprite frame is, each cell
  // in color on the light of its cell; a space leaves the floor showing.
  static void drawLit(wd::Vector centre, const std::vector<std::u32string>& rows, sf::Color color);

 private:
  const wd::Object* p_bearer;
  std::minstd_rand flicker;

  // Where the flame is and how far, in pixels, it lights this frame.
  static wd::Vector flame;
  static float reach;
};

#endif
