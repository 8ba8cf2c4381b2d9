// Scene 2: the sky through the distortion program with "SkySphere2.jpg" on
// it, the static "Stang.obj" and the column of six turning grinders.
#include "demo/scene_frame.h"

#include "demo/show_files.h"

namespace tessaly::demo {

void drawScene2(const SceneFrame& frame) {
  const render::ShaderProgram& distort = *frame.shaders.distortShader;
  useLitProgram(frame, distort);
  distort.setFloat("Time", frame.musicTime);
  const glm::vec2 wave = distortUniform(frame.musicTime);
  distort.setVec2("Distort", wave.x, wave.y);
  distort.setVec2("DistortSpeed", distortSpeed.x, distortSpeed.y);
  drawSky(frame.assets, skySubstituteName(2));

  const render::ShaderProgram& model = *frame.shaders.modelShader;
  useLitProgram(frame, model);
  frame.assets.drawModel(stangModel);

  // "diffuseMap" and the lights stay as set for "Stang.obj".
  for (const ObjectMotion& grinder : grinderColumn) {
    drawAnimatedObject(frame, model, grinder, grinderModel);
  }
}

}  // namespace tessaly::demo
