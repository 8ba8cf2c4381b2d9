// Scene 1: the lit sky sphere with its own picture and the particle galaxy.
// Its overlays (titles 1 and 2) are laid by the frame driver.
#include "demo/scene_frame.h"

#include "demo/show_files.h"

namespace tessaly::demo {

void drawScene1(const SceneFrame& frame) {
  const render::ShaderProgram& model = *frame.shaders.modelShader;
  useLitProgram(frame, model);
  drawSky(frame.assets, skySubstituteName(1));

  // The particles get their matrix and the time, nothing else.
  const render::ShaderProgram& lambert = *frame.shaders.lambertShader;
  lambert.use();
  lambert.setMat4("MVP", frame.camera.baseMvp);
  lambert.setFloat("Time", frame.musicTime);
  frame.assets.drawParticles(particleModel);
}

}  // namespace tessaly::demo
