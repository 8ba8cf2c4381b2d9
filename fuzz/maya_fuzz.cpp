// Maya ASCII text of any content: the reader never faults, hangs or
// allocates by what the file claims, and lookups of what it read answer
// anywhere on the curves.
#include "assets/maya_scene.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tessaly::assets::MayaScene scene;
  scene.add(tessaly::assets::readMayaText(text, "Data/Maya/Fuzz.ma"));
  for (const tessaly::assets::BezierCurve& curve : scene.curves) {
    if (curve.samples.size() != 5001 || curve.segments.size() != static_cast<std::size_t>(curve.segmentCount)) {
      __builtin_trap();
    }
    for (const float u : {-1.0f, 0.0f, 0.25f, 0.5f, 0.999f, 1.0f, 2.0f}) {
      volatile float sink = scene.evaluateCurve(curve.name, u).x + scene.curvePoint(curve.name, u).y;
      (void)sink;
    }
  }
  volatile float sink = scene.lightPosition("Fuzz.ma").x + scene.lightColor("Fuzz.ma").y +
                        scene.lightIntensity("Fuzz.ma") + scene.ambientColor("Fuzz.ma").z;
  (void)sink;
  return 0;
}
