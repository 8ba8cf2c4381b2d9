// The steps the scenes share: matrices, lighting, the sky and the animated
// objects.
#include "demo/scene_frame.h"

#include "assets/maya_scene.h"
#include "assets/texture_registry.h"
#include "demo/show_files.h"

namespace tessaly::demo {

namespace {

// The sky's material names this picture as its diffuse map.
constexpr const char* skyTexture = skyPicture;

struct LightUniforms {
  const char* file;
  const char* color;
  const char* intensity;
  const char* position;
};

constexpr LightUniforms lights[3] = {
    {pointLightFiles[0], "LightColor1", "LightIntensity1", "fvLightPosition1"},
    {pointLightFiles[1], "LightColor2", "LightIntensity2", "fvLightPosition2"},
    {pointLightFiles[2], "LightColor3", "LightIntensity3", "fvLightPosition3"},
};

}  // namespace

void setMatrices(const render::ShaderProgram& program, const glm::mat4& mvp, const Camera& camera) {
  program.setInt("diffuseMap", 3);
  program.setMat4("MVP", mvp);
  program.setMat4("M", camera.baseModel);
  program.setMat4("V", camera.view);
}

void setSceneLighting(const render::ShaderProgram& program, const assets::MayaScene& scene,
                      glm::vec3 eyePosition) {
  // Every lookup first, then the uniforms: colours and intensities light by
  // light, then the three positions, then the eye.
  const glm::vec3 ambient = scene.ambientColor(ambientLightFile);
  glm::vec3 colors[3];
  glm::vec3 positions[3];
  float intensities[3];
  for (int i = 0; i < 3; ++i) {
    colors[i] = scene.lightColor(lights[i].file);
    positions[i] = scene.lightPosition(lights[i].file);
    intensities[i] = scene.lightIntensity(lights[i].file);
  }
  program.setVec4("Ambient", ambient.x, ambient.y, ambient.z, 1.0f);
  for (int i = 0; i < 3; ++i) {
    program.setVec4(lights[i].color, colors[i].x, colors[i].y, colors[i].z, 1.0f);
    program.setFloat(lights[i].intensity, intensities[i]);
  }
  for (int i = 0; i < 3; ++i) {
    program.setVec3(lights[i].position, positions[i].x, positions[i].y, positions[i].z);
  }
  program.setVec3("fvEyePosition", eyePosition.x, eyePosition.y, eyePosition.z);
}

void useLitProgram(const SceneFrame& frame, const render::ShaderProgram& program) {
  program.use();
  setMatrices(program, frame.camera.baseMvp, frame.camera);
  setSceneLighting(program, frame.assets.mayaScene(), frame.tracks.cameraTarget);
}

void drawSky(SceneAssets& assets, const char* substitute) {
  if (substitute == nullptr) {
    assets.drawModel(skyModel);
    return;
  }
  assets::TextureRegistry& textures = assets.textures();
  // Taken right before the substitution, which every frame undoes after the
  // draw, so this is the texture loaded from "SkySphere.png" itself.
  const GLuint own = textures.find(skyTexture);
  textures.setTexture(skyTexture, textures.find(substitute));
  assets.drawModel(skyModel);
  textures.setTexture(skyTexture, own);
}

void drawAnimatedObject(const SceneFrame& frame, const render::ShaderProgram& program,
                        const ObjectMotion& motion, std::string_view model) {
  program.setMat4("MVP", objectMvp(frame.camera, motion, frame.musicTime));
  program.setMat4("M", frame.camera.baseModel);
  program.setMat4("V", frame.camera.view);
  frame.assets.drawModel(model);
}

}  // namespace tessaly::demo
