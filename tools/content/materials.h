// The materials the models share: a colour map or a plain colour, a height
// map for bump mapping, and specular settings. Map names are the pictures
// written by material_textures.cpp.
#pragma once

#include "tools/content/mesh.h"

namespace tessaly::content::materials {

inline Material steel() {
  return Material{"Steel", glm::vec3(0.1f), glm::vec3(0.8f), glm::vec3(0.7f), 40.0f,
                  "Steel.png", "SteelBump.png", false};
}
inline Material copper() {
  return Material{"Copper", glm::vec3(0.1f, 0.06f, 0.04f), glm::vec3(0.9f, 0.8f, 0.75f),
                  glm::vec3(0.8f, 0.6f, 0.45f), 30.0f, "Copper.png", "CopperBump.png", false};
}
inline Material plate() {
  return Material{"TreadPlate", glm::vec3(0.08f), glm::vec3(0.85f), glm::vec3(0.5f), 24.0f,
                  "Plate.png", "PlateBump.png", false};
}
inline Material hazard() {
  return Material{"Hazard", glm::vec3(0.1f), glm::vec3(1.0f), glm::vec3(0.3f), 12.0f,
                  "Hazard.png", "HazardBump.png", false};
}
inline Material marble() {
  return Material{"Marble", glm::vec3(0.12f), glm::vec3(0.95f), glm::vec3(0.6f), 60.0f,
                  "Marble.png", "MarbleBump.png", true};
}
inline Material lacquer() {
  return Material{"Lacquer", glm::vec3(0.08f, 0.01f, 0.01f), glm::vec3(1.0f),
                  glm::vec3(0.9f, 0.8f, 0.7f), 80.0f, "Lacquer.png", "Engraving.png", false};
}
inline Material gilded() {
  return Material{"Gilded", glm::vec3(0.12f, 0.09f, 0.03f), glm::vec3(0.95f, 0.72f, 0.3f),
                  glm::vec3(1.0f, 0.85f, 0.5f), 60.0f, "", "GildedBump.png", true};
}
inline Material obsidian() {
  return Material{"Obsidian", glm::vec3(0.02f), glm::vec3(0.12f, 0.12f, 0.15f),
                  glm::vec3(0.9f), 90.0f, "", "Hammered.png", false};
}
// Plain coloured balls with golf-ball dimples.
inline Material ball(const char* name, glm::vec3 colour) {
  return Material{name, colour * 0.15f, colour, glm::vec3(0.9f), 70.0f, "", "Dimples.png", true};
}

}  // namespace tessaly::content::materials
