// The default template set: one template per shipped model. A new world's own
// templates come from the default world file; these are what the units
// interface knows before any world is loaded, and what a save's records fill in.
#include <string>
#include <vector>

#include "render/palette.hpp"
#include "units/unit_template.hpp"

namespace qv {

namespace {

struct DefaultTemplate {
  const char* model;
  int moveSpeed;
  int lifespan;
  int moveAnimation;
  bool unassigned;
  const char* primary;    // palette names separated by spaces
  const char* secondary;
};

// Colours chosen so a first world reads at a glance: plants in greens, teals
// and blossoms, rocks and crystals in earthy and cool stones, creatures in
// warm, bright colours that stand out against the ground they graze.
constexpr DefaultTemplate kDefaults[] = {
    {"Crystal Top Tree.obj", 0, 1, 0, false, "Teal Green", "Magenta LightMagenta Blue"},
    {"Pointy Tree Trunk.obj", 0, 1, 0, false, "Green DarkYellow", "Brown"},
    {"Cup Tree.obj", 0, 1, 0, false, "Green Teal DarkYellow", "Orange Yellow"},
    {"Hook Shaped Tree.obj", 0, 1, 0, false, "DarkYellow Green", "Magenta Red"},
    {"Mushroom Tree.obj", 0, 1, 0, false, "LightMagenta Red Orange", "White Grey"},
    {"Spike Plant With Eye.obj", 0, 1, 0, false, "Green Teal", "Yellow"},
    {"Rock Square.obj", 0, 3, 0, false, "Grey DarkGrey", "Brown"},
    {"3 Legged Spider Like.obj", 2, 1, 1, false, "Orange Red", "Black Yellow"},
    {"Ant Eater Elephant Like Creature.obj", 2, 1, 1, false, "Blue LightMagenta", "Grey White"},
    {"Three Legged One Eyed Creature.obj", 2, 1, 1, false, "Yellow Orange", "Magenta"},
    {"Hovering Creature.obj", 2, 1, 0, false, "Teal Blue", "White LightMagenta"},
    {"Rock Tall.obj", 0, 3, 0, true, "Grey DarkGrey", "Brown"},
    {"Tree Stump with Cutout.obj", 0, 3, 0, true, "Brown DarkYellow", "Green"},
    {"Crystals.obj", 0, 3, 0, true, "Teal Magenta Blue", "White"},
    {"Egg Tree Large Base.obj", 0, 1, 0, false, "Green DarkYellow", "White Yellow"},
    {"Rock With Eyes.obj", 2, 1, 0, false, "DarkGrey Grey", "Orange"},
    {"Little Bug.obj", 2, 1, 1, false, "Red Yellow Orange", "Black"},
    {"Rock Round.obj", 0, 3, 0, true, "Grey Brown", "DarkGrey"},
    {"One Eyed Fishlike Creature.obj", 2, 1, 3, false, "Orange Yellow Red", "White"},
    {"Pointy Mushroom Like Tree.obj", 0, 1, 0, false, "Magenta LightMagenta", "White DarkYellow"},
    {"Snail Like Creature.obj", 1, 1, 0, false, "Yellow DarkYellow", "Brown Orange"},
    {"Empty Lolypop Plant.obj", 0, 1, 0, false, "Teal Green", "LightMagenta"},
    {"Pile of Spheres.obj", 0, 3, 0, true, "Grey DarkGrey", "Teal"},
    {"Lily Pineapple.obj", 0, 1, 0, false, "Green Teal", "Yellow Orange"},
    {"Tree with Sphere and Thick Branch Loop.obj", 0, 1, 0, false, "DarkYellow Green", "Red Magenta"},
    {"2 Cylinder Alien Cactus with Spikes.obj", 0, 1, 1, false, "Green Teal", "Yellow White"},
    {"Pointy Tree with Plates.obj", 0, 1, 0, false, "Green DarkYellow", "Orange"},
    {"Tube Plant.obj", 0, 1, 0, false, "Teal LightMagenta", "Yellow"},
    {"Rock Sideways.obj", 0, 3, 0, true, "DarkGrey Grey", "Brown"},
    {"Rock with Plates.obj", 0, 1, 0, false, "Grey Brown", "Teal"},
    {"2 Finned Swordfish.obj", 2, 1, 3, false, "Blue Teal", "White Yellow"},
    {"Chickenlike.obj", 2, 1, 2, false, "White Yellow", "Red Orange"},
    {"Ostrichlike.obj", 2, 1, 2, false, "Magenta LightMagenta Brown", "Grey"},
    {"Double Tuliplike Plant.obj", 0, 1, 0, false, "Red Magenta Yellow", "Green"},
    {"Rock Tall Flat.obj", 0, 1, 0, false, "Grey DarkGrey", "Brown"},
    {"Rock with Cutout.obj", 0, 1, 0, false, "Brown Grey", "DarkYellow"},
    {"Large Crystal with Base.obj", 0, 1, 0, false, "Teal Blue Magenta", "Grey"},
    {"3 Pentagonal Crystals.obj", 0, 1, 0, false, "LightMagenta Teal", "DarkGrey"},
    {"Fish Flat Triangular.obj", 2, 1, 3, false, "Yellow Orange Teal", "Blue"},
    {"Pointy Tree Trunk that Splits.obj", 0, 1, 0, false, "Green DarkYellow", "Brown"},
    {"Turtlelike.obj", 2, 1, 2, false, "Green DarkYellow", "Brown Orange"},
    {"Tree with Large Base and Multiple Trunks.obj", 0, 1, 0, false, "Green Teal", "Brown DarkGrey"},
    {"Plant with Twisted Stem.obj", 0, 1, 0, false, "LightMagenta Orange", "Green"},
    {"Pentagon Plant.obj", 0, 1, 0, false, "Teal Yellow", "Magenta"},
    {"Pear Shaped Rock Plant.obj", 0, 1, 0, false, "DarkYellow Grey", "Green"},
    {"Berry.obj", 0, 1, 0, false, "Red Magenta Blue", "Green"},
    {"Box Head Creature.obj", 2, 1, 2, false, "Orange Blue", "White"},
    {"Ducklike Creature.obj", 2, 1, 1, false, "Yellow White", "Orange"},
};

std::vector<Colour> coloursNamed(const char* names) {
  std::vector<Colour> out;
  std::string word;
  for (const char* p = names;; ++p) {
    if (*p == ' ' || *p == '\0') {
      if (!word.empty()) {
        if (const Colour* c = paletteColour(word)) out.push_back(*c);
        word.clear();
      }
      if (*p == '\0') break;
    } else {
      word += *p;
    }
  }
  return out;
}

}  // namespace

const std::vector<std::string>& defaultTemplateModelNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const DefaultTemplate& d : kDefaults) n.emplace_back(d.model);
    return n;
  }();
  return names;
}

void createDefaultTemplates(TemplateLists& lists) {
  for (const DefaultTemplate& d : kDefaults) {
    auto t = std::make_shared<Unit3DTemplate>(d.model, 1.0f, coloursNamed(d.primary), coloursNamed(d.secondary),
                                              d.moveSpeed, std::vector<Colour>{}, Unit3DTemplate::kGroundPrimary,
                                              d.lifespan, true, true, d.moveAnimation);
    lists.all.push_back(t);
    if (d.unassigned)
      lists.unassign(t);
    else
      lists.assign(t);
  }
}

}  // namespace qv
