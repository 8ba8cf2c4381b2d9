// What the frame tests share: a GL window set up like the player's (render
// state, filter chain, the tests' own demo programs), sync tracks held at
// constant values, and Maya texts for curves and lights. Header-only.
#pragma once

#include "app/show.h"
#include "demo/frame_inputs.h"
#include "sync/sync_track.h"

#include <glm/vec3.hpp>

#include <array>
#include <cstdio>
#include <string>

namespace tessaly::test {

// The show started on the current window of width x height (windowed, no
// multisampling) from the working directory's Data/: render state with the
// filter chain, the demo shader set, whatever assets and tracks are there;
// no music, no watcher. False when a step failed.
inline bool prepareFrameDrawing(app::Show& show, int width, int height) {
  show.config = app::DemoConfig{};
  show.config.width = width;
  show.config.height = height;
  show.config.fullscreen = 0;
  show.config.multisampling = 0;
  app::ShowOptions options;
  options.window = app::ShowWindow::current;
  options.music = app::ShowMusic::none;
  options.watchData = false;
  return app::startShow(show, options);
}

// Twenty tracks, each holding one value at every row (a step key at row 0),
// wired into a FrameInputs.
class ConstantTracks {
 public:
  ConstantTracks() {
    for (std::size_t i = 0; i < demo::trackCount; ++i) {
      tracks_[i].name = demo::trackNames[i];
      inputs.tracks[i] = &tracks_[i];
    }
    // An upright camera looking down the z axis at the origin.
    set(demo::fov, 45.0f);
    set(demo::camRoll, 90.0f);
    set(demo::campathPos, 0.5f);
    set(demo::sceneAlpha, 1.0f);
  }
  ConstantTracks(const ConstantTracks&) = delete;
  ConstantTracks& operator=(const ConstantTracks&) = delete;

  void set(demo::TrackIndex track, float value) { tracks_[track].setKeys({{0, value, sync::KeyType::step}}); }

  demo::FrameInputs inputs;

 private:
  std::array<sync::SyncTrack, demo::trackCount> tracks_;
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
