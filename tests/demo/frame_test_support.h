// What the frame tests share: a GL window set up like the player's (render
// state, filter chain, the tests' own demo programs), sync tracks held at
// constant values, and Maya texts for curves and lights. Header-only.
#pragma once

#include "app/demo_config.h"
#include "app/frame_inputs.h"
#include "app/window.h"
#include "demo/demo_shaders.h"
#include "sync/sync_track.h"

#include <glm/vec3.hpp>

#include <array>
#include <cstdio>
#include <string>

namespace tessaly::test {

// What start-up prepares before frames are drawn, for the current window
// of width x height and the shaders under the working directory's Data/:
// the configuration (windowed, no multisampling), the render state with the
// filter chain, and the demo shader set. False when a step failed.
inline bool prepareFrameDrawing(int width, int height) {
  app::DemoConfig& config = app::demoConfig();
  config = app::DemoConfig{};
  config.width = width;
  config.height = height;
  config.fullscreen = 0;
  config.multisampling = 0;
  return app::initRenderState() && demo::loadDemoShaders();
}

// Twenty tracks, each holding one value at every row (a step key at row 0),
// wired into a FrameInputs.
class ConstantTracks {
 public:
  ConstantTracks() {
    for (std::size_t i = 0; i < app::trackCount; ++i) {
      tracks_[i].name = app::trackNames[i];
      inputs.tracks[i] = &tracks_[i];
    }
    // An upright camera looking down the z axis at the origin.
    set(app::fov, 45.0f);
    set(app::camRoll, 90.0f);
    set(app::campathPos, 0.5f);
    set(app::sceneAlpha, 1.0f);
  }
  ConstantTracks(const ConstantTracks&) = delete;
  ConstantTracks& operator=(const ConstantTracks&) = delete;

  void set(app::TrackIndex track, float value) { tracks_[track].setKeys({{0, value, 0}}); }

  app::FrameInputs inputs;

 private:
  std::array<sync::SyncTrack, app::trackCount> tracks_;
};

inline std::string format(const char* pattern, float a, float b, float c) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}

// A Maya scene with one straight camera curve of four points, moved by
// `offset`.
inline std::string curveText(glm::vec3 offset) {
  return "//Maya ASCII 2018 scene\n"
         "createNode transform -n \"path\";\n" +
         format("\tsetAttr \".t\" -type \"double3\" %g %g %g ;\n", offset.x, offset.y, offset.z) +
         "createNode bezierCurve -n \"pathShape\" -p \"path\";\n"
         "\tsetAttr -k off \".v\";\n"
         "\tsetAttr \".cc\" -type \"nurbsCurve\" \n"
         "\t\t3 1 0 no 3\n"
         "\t\t6 0 0 0 1 1 1\n"
         "\t\t4\n"
         "\t\t0 0 0\n"
         "\t\t1 0 0\n"
         "\t\t2 0 0\n"
         "\t\t3 0 0\n"
         "\t\t;\n"
         "createNode lightLinker -s -n \"lightLinker1\";\n"
         "\tsetAttr -s 2 \".lnk\";\n";
}

// A Maya scene with one point light (or ambient light) of that colour and
// intensity at `position`.
inline std::string lightText(const char* kind, glm::vec3 position, glm::vec3 color,
                             float intensity) {
  char tail[64];
  std::snprintf(tail, sizeof tail, "\tsetAttr \".in\" %g;\n", intensity);
  return "//Maya ASCII 2018 scene\n"
         "createNode transform -n \"light\";\n" +
         format("\tsetAttr \".t\" -type \"double3\" %g %g %g ;\n", position.x, position.y,
                position.z) +
         "createNode " + kind +
         " -n \"lightShape\" -p \"light\";\n"
         "\tsetAttr -k off \".v\";\n" +
         format("\tsetAttr \".cl\" -type \"float3\" %g %g %g ;\n", color.x, color.y, color.z) +
         tail +
         "createNode lightLinker -s -n \"lightLinker1\";\n"
         "\tsetAttr -s 3 \".lnk\";\n";
}

}  // namespace tessaly::test
