// Scene 3: the sky with "SkySphere3.png", three static models and
// "balleknuser.obj" turning about the vertical axis and bobbing along it.
#include "demo/scene_frame.h"

#include "demo/show_files.h"

namespace tessaly::demo {

void drawScene3(const SceneFrame& frame) {
  const render::ShaderProgram& model = *frame.shaders.modelShader;
  useLitProgram(frame, model);
  drawSky(frame.assets, skySubstituteName(3));
  frame.assets.drawModel(balleholderModel);
  frame.assets.drawModel(ballerModel);
  frame.assets.drawModel(balleromModel);
  drawAnimatedObject(frame, model, balleknuserMotion(frame.musicTime), balleknuserModel);
}

}  // namespace tessaly::demo
