// Scene 4: the sky with "SkySphere3.png" and the static "boxfanden.obj".
// Its overlays (titles 3 and 4) are laid by the frame driver.
#include "demo/scene_frame.h"

#include "demo/show_files.h"

namespace tessaly::demo {

void drawScene4(const SceneFrame& frame) {
  const render::ShaderProgram& model = *frame.shaders.modelShader;
  useLitProgram(frame, model);
  drawSky(frame.assets, skySubstituteName(4));
  frame.assets.drawModel(boxfandenModel);
}

}  // namespace tessaly::demo
