// The show, by sync row (32 rows a bar, 13.93 rows a second):
//   rows    0-256   scene 1, galaxy: fade in; "PALLON presents" (overlay 2)
//                   at rows 24-120, "TESSALY" (overlay 1) at rows 136-240
//   rows  256-512   scene 2, grinders; a barrel roll at rows 384-416
//   rows  512-768   scene 3, ball room; banking turns
//   rows  768-1120  scene 4, the box; into its tunnel with a barrel roll,
//                   a cut to the far side of the box at row 872;
//                   "SUCCESS" (overlay 3) at rows 900-988, "NEXT"
//                   (overlay 4) at rows 996-1084; fade to black at 1088-1120
// Each cut fades the scene out over the beat before it and in over the beat
// after it. The shake follows the kick drum from bar 4 to the breakdown and
// on the final hit.
#include "tools/content/show.h"

#include "tools/content/camera_paths.h"
#include "tools/content/maya.h"
#include "tools/content/output.h"
#include "tools/content/timeline.h"

#include <cmath>

namespace tessaly::content {

namespace {

using timeline::rowsPerBar;
using timeline::sceneEndRow;
using timeline::sceneStartRow;

// The first row at which the track reaches `value` (tracks rising over
// [from, to]).
int rowWhere(const Track& track, float value, int from, int to) {
  for (int row = from; row <= to; ++row) {
    if (track.valueAt(row) >= value) {
      return row;
    }
  }
  return to;
}

struct Aim {
  int waypoint;
  glm::vec3 target;
};

// Per scene, where the camera looks when it passes a waypoint.
const std::vector<Aim> aims[4] = {
    {{0, {0, 0, 0}}, {2, {0, 0, 0}}, {3, {-3, 0, -4}}, {4, {0, 0, 0}}, {7, {0, 0, 0}}},
    {{0, {0, 0, -3.5f}}, {1, {0, 0, -2}}, {2, {0, 0, -4}}, {3, {0, 0, -6}}, {4, {0, 0, -4}},
     {5, {0, 0, -3}}, {6, {0, 0, -2}}, {7, {0, 0, -3.5f}}},
    {{0, {0, -2, 0}}, {1, {0, -1, 0}}, {2, {0, -4, 0}}, {3, {0, 0, 0}}, {4, {4, -4.5f, -3}},
     {5, {0, 0, 0}}, {6, {0, -5, 0}}},
    // Scene 4 aims down the tunnel until the cut (keyed in showTracks), then
    // at the box from waypoint 5 on.
    {{0, {0, 0, 0}}, {1, {0, 0, 0}}, {2, {0, 0, -10}}, {5, {0, 0, 0}}, {9, {0, 0, 0}}},
};

// Scene 4's cut: the camera leaves the path inside the tunnel at this
// waypoint and comes back on it at the next-but-one, looking at the box.
constexpr int boxCutFrom = 3;
constexpr int boxCutTo = 5;

}  // namespace

bool writeMayaScenes(const std::filesystem::path& mayaDir) {
  bool ok = true;
  for (const CameraPath& path : cameraPaths()) {
    ok &= writeFile(mayaDir / path.fileName, mayaCurveFile(path.maya()));
  }
  // A warm key light high on one side, a cool fill on the other and a salmon
  // rim light low behind; all scenes stand round the origin between them.
  const MayaPointLight lights[3] = {
      {"Light1.ma", "keyLight", {16, 18, 12}, {1.0f, 0.9f, 0.78f}, 1.0f},
      {"Light2.ma", "fillLight", {-18, 6, 8}, {0.45f, 0.6f, 1.0f}, 0.7f},
      {"Light3.ma", "rimLight", {2, -4, -18}, {1.0f, 0.62f, 0.52f}, 0.55f},
  };
  for (const MayaPointLight& light : lights) {
    ok &= writeFile(mayaDir / light.fileName, mayaPointLightFile(light));
  }
  ok &= writeFile(mayaDir / "AmbientLight.ma",
                  mayaAmbientLightFile("AmbientLight.ma", {0.24f, 0.23f, 0.28f}, 1.0f));
  return ok;
}

std::vector<Track> showTracks(const KickAnalysis& kick) {
  const std::vector<CameraPath> paths = cameraPaths();

  Track scene("scene.num");
  for (int s = 0; s < 4; ++s) {
    scene.key(sceneStartRow[s], static_cast<float>(s + 1), Ease::step);
  }

  // The camera runs along its path once per scene; scene 1 eases in and out.
  // Scene 4 jumps at the cut: up to it the camera covers the path as far as
  // the waypoint inside the tunnel, from it on the rest from the far side.
  Track path("campath.pos");
  for (int s = 0; s < 3; ++s) {
    path.key(sceneStartRow[s], 0.0f, s == 0 ? Ease::smooth : Ease::linear);
    path.key(sceneEndRow[s] - 1, 1.0f, Ease::step);
  }
  const std::vector<float> boxFractions = paths[3].waypointFractions();
  path.key(sceneStartRow[3], 0.0f, Ease::linear)
      .key(timeline::boxCutRow - 1, boxFractions[boxCutFrom], Ease::step)
      .key(timeline::boxCutRow, boxFractions[boxCutTo], Ease::linear)
      .key(sceneEndRow[3] - 1, 1.0f, Ease::step);

  // Targets at the rows where the camera passes its waypoints.
  Track viewX("camview.x"), viewY("camview.y"), viewZ("camview.z");
  std::vector<int> waypointRows[4];
  for (int s = 0; s < 4; ++s) {
    const std::vector<float> fractions = paths[s].waypointFractions();
    for (float f : fractions) {
      waypointRows[s].push_back(rowWhere(path, f, sceneStartRow[s], sceneEndRow[s] - 1));
    }
    for (const Aim& aim : aims[s]) {
      const int row = waypointRows[s][aim.waypoint];
      if (s == 3 && aim.waypoint == boxCutTo) {
        // Down the tunnel up to the cut, then straight at the box.
        viewX.key(row - 1, 0.0f, Ease::step);
        viewY.key(row - 1, 0.0f, Ease::step);
        viewZ.key(row - 1, -14.0f, Ease::step);
      }
      viewX.key(row, aim.target.x, Ease::smooth);
      viewY.key(row, aim.target.y, Ease::smooth);
      viewZ.key(row, aim.target.z, Ease::smooth);
    }
  }

  // Roll: 90 is upright. A slow tilt in scene 1, a barrel roll in scene 2,
  // banking in scene 3, a barrel roll in the box's tunnel that ends upright
  // on the cut, and a slow bank round the box.
  const int tunnelIn = waypointRows[3][2], tunnelOut = timeline::boxCutRow;
  Track roll("cam.roll");
  roll.key(0, 90.0f, Ease::smooth)
      .key(128, 102.0f, Ease::smooth)
      .key(240, 90.0f, Ease::step)
      .key(384, 90.0f, Ease::smooth)
      .key(416, 450.0f, Ease::step)
      .key(512, 90.0f, Ease::smooth)
      .key(576, 78.0f, Ease::smooth)
      .key(640, 104.0f, Ease::smooth)
      .key(704, 90.0f, Ease::step)
      .key(tunnelIn - 8, 90.0f, Ease::smooth)
      .key(tunnelOut - 1, 450.0f, Ease::step)
      .key(tunnelOut, 90.0f, Ease::smooth)
      .key(tunnelOut + 64, 96.0f, Ease::smooth)
      .key(timeline::finalFadeRow, 90.0f, Ease::step);

  // Shake on the kick: bin from the analysis, size ~0.3 units on a hit; the
  // camera steadies while it threads the box's tunnel.
  Track shakeX("cam.shake.x"), shakeY("cam.shake.y");
  shakeX.key(0, 0.0f).key(4 * rowsPerBar, 0.5f).key(8 * rowsPerBar, 0.7f)
      .key(16 * rowsPerBar, 0.45f).key(24 * rowsPerBar, 0.8f).key(tunnelIn - 8, 0.0f)
      .key(tunnelOut + 8, 0.8f).key(32 * rowsPerBar, 0.0f)
      .key(timeline::finalFadeRow, 1.0f).key(timeline::blackRow, 0.0f);
  shakeY.key(0, 0.0f).key(4 * rowsPerBar, 1.0f).key(16 * rowsPerBar, 0.7f)
      .key(24 * rowsPerBar, 1.0f).key(tunnelIn - 8, 0.0f).key(tunnelOut + 8, 1.0f)
      .key(32 * rowsPerBar, 0.0f)
      .key(timeline::finalFadeRow, 1.0f).key(timeline::blackRow, 0.0f);
  const float magnitude = 0.3f / std::max(kick.level, 0.02f);
  Track magX("cam.shake.mag.x"), magY("cam.shake.mag.y");
  for (Track* mag : {&magX, &magY}) {
    mag->key(0, magnitude * 0.6f, Ease::linear)
        .key(8 * rowsPerBar, magnitude, Ease::step)
        .key(24 * rowsPerBar, magnitude, Ease::ramp)
        .key(32 * rowsPerBar, magnitude * 1.6f, Ease::step);
  }
  Track binX("cam.shake.dat.x"), binY("cam.shake.dat.y");
  binX.key(0, static_cast<float>(kick.bin));
  binY.key(0, static_cast<float>(kick.bin));

  // Field of view in degrees: a slow zoom in over scene 1 (ramp), a punch
  // in at the lead's entry in scene 2, wider over the ball room, wide in
  // the tunnel and a last push in on the closing title.
  Track fov("fov");
  fov.key(0, 75.0f, Ease::ramp)
      .key(248, 58.0f, Ease::step)
      .key(256, 62.0f, Ease::step)
      .key(376, 62.0f, Ease::smooth)
      .key(392, 46.0f, Ease::step)
      .key(440, 46.0f, Ease::smooth)
      .key(456, 62.0f, Ease::step)
      .key(512, 58.0f, Ease::smooth)
      .key(640, 70.0f, Ease::smooth)
      .key(704, 58.0f, Ease::step)
      .key(768, 60.0f, Ease::step)
      .key(tunnelIn - 16, 60.0f, Ease::smooth)
      .key(tunnelIn, 80.0f, Ease::step)
      .key(tunnelOut, 68.0f, Ease::smooth)
      .key(tunnelOut + 24, 60.0f, Ease::step)
      .key(996, 60.0f, Ease::ramp)
      .key(1100, 44.0f, Ease::step);

  // Fades: in over scene 1's first bar, out and in round every cut, and out
  // to black before the end.
  Track alpha("scene.alpha");
  alpha.key(0, 0.0f, Ease::smooth).key(32, 1.0f, Ease::step);
  for (int s = 1; s < 4; ++s) {
    const int cut = sceneStartRow[s];
    alpha.key(cut - 8, 1.0f, Ease::smooth).key(cut, 0.0f, Ease::smooth).key(cut + 8, 1.0f, Ease::step);
  }
  alpha.key(timeline::finalFadeRow, 1.0f, Ease::linear).key(timeline::blackRow, 0.0f, Ease::step);

  // Titles: which picture (step keys only, so the number is always exact)
  // and how opaque.
  struct Title {
    int number, in, out;
  };
  const Title titles[4] = {{2, 24, 120}, {1, 136, 240}, {3, 900, 988}, {4, 996, 1084}};
  Track overlay("overlay.num"), overlayAlpha("overlay.alpha"), textLine("text.line");
  overlay.key(0, 0.0f);
  overlayAlpha.key(0, 0.0f);
  textLine.key(0, 0.0f);
  for (const Title& t : titles) {
    overlay.key(t.in, static_cast<float>(t.number)).key(t.out, 0.0f);
    overlayAlpha.key(t.in, 0.0f, Ease::smooth)
        .key(t.in + 16, 1.0f, Ease::step)
        .key(t.out - 16, 1.0f, Ease::smooth)
        .key(t.out, 0.0f, Ease::step);
    textLine.key(t.in, static_cast<float>(t.number)).key(t.out, 0.0f);
  }

  // Tracks the player opens but no scene reads: the curve's range and a
  // show-long animation position.
  Track curveStart("curve.start"), curveEnd("curve.end"), animPos("anim.pos");
  curveStart.key(0, 0.0f);
  curveEnd.key(0, 1.0f);
  animPos.key(0, 0.0f, Ease::linear).key(timeline::lastRow, 1.0f);

  return {scene,  path,   viewX,  viewY,  viewZ, roll,       shakeX,     shakeY,    magX,    magY,
          binX,   binY,   fov,    curveStart, curveEnd, animPos, textLine, alpha, overlayAlpha,
          overlay};
}

}  // namespace tessaly::content
