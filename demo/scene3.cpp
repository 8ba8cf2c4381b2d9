// Scene 3: the sky with "SkySphere3.png", three static models and
// "balleknuser.obj" turning about the vertical axis and bobbing along it.
#include "demo/scene_frame.h"

namespace tessaly::demo {

void drawScene3(const SceneFrame& frame) {
  const render::ShaderProgram& model = *frame.shaders.modelShader;
  useLitProgram(frame, model);
  drawSky(frame.assets, skySubstituteName(3));
  frame.assets.drawModel("balleholder.obj");
  frame.assets.drawModel("baller.obj");
  frame.assets.drawModel("ballerom.obj");
  drawAnimatedObject(frame, model, balleknuserMotion(frame.musicTime), "balleknuser.obj");
}

}  // namespace tessaly::demo
