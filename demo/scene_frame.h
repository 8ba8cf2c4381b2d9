// What the four scenes share: the values of one scene frame, and the steps
// every scene's draw list is made of (matrices, lighting, the sky, animated
// objects). Used by frame.cpp and scene1.cpp to scene4.cpp only.
#pragma once

#include "demo/demo_shaders.h"
#include "demo/frame_math.h"
#include "demo/scene_assets.h"
#include "render/gl.h"

#include <string_view>

namespace tessaly::assets {
class MayaScene;
class TextureRegistry;
}  // namespace tessaly::assets

namespace tessaly::demo {

// One scene frame: the music time, the sampled tracks, the camera built for
// this frame, the programs and the assets.
struct SceneFrame {
  float musicTime = 0.0f;
  const FrameTracks& tracks;
  const Camera& camera;
  const DemoShaders& shaders;
  SceneAssets& assets;
};

// The four draw lists, run into the bound scene target after the camera is
// known.
void drawScene1(const SceneFrame& frame);
void drawScene2(const SceneFrame& frame);
void drawScene3(const SceneFrame& frame);
void drawScene4(const SceneFrame& frame);

// On the current program: "diffuseMap" = 3, "MVP" = mvp, "M" = the
// camera's baseModel, "V" = its view, in this order.
void setMatrices(const render::ShaderProgram& program, const glm::mat4& mvp, const Camera& camera);

// On the current program: "Ambient" from "AmbientLight.ma", then colour and
// intensity of "Light1.ma" to "Light3.ma", their positions, and
// "fvEyePosition" = `eyePosition` (the frames pass the look-at target).
// Lights that are not loaded give their neutral values.
void setSceneLighting(const render::ShaderProgram& program, const assets::MayaScene& scene,
                      glm::vec3 eyePosition);

// Makes `program` current for static objects: setMatrices with the
// camera's baseMvp, then setSceneLighting with the frame's look-at target.
void useLitProgram(const SceneFrame& frame, const render::ShaderProgram& program);

// Draws "SkySphere.obj" with the current program. With a substitute, the
// name "SkySphere.png" stands for the substitute's texture during the draw
// (0, no texture, when the substitute is not loaded) and gets back the
// texture it held before right after, so a later scene 1 shows its own sky.
void drawSky(SceneAssets& assets, const char* substitute);

// An animated object: "MVP" = its objectMvp at the frame's time, "M" = the
// camera's baseModel, "V" = the view, then the model is drawn with the
// current program.
void drawAnimatedObject(const SceneFrame& frame, const render::ShaderProgram& program,
                        const ObjectMotion& motion, std::string_view model);

}  // namespace tessaly::demo
