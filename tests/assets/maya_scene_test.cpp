#include "assets/maya_scene.h"
#include "bench/assets/literal_arc_scan.h"
#include "tests/support/memory_limit.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tessaly::assets {
namespace {

const std::string fixtures = std::string(TESSALY_SOURCE_DIR) + "/tests/assets/data/maya/";
const glm::vec3 neutral(1.0f, 1.0f, 1.0f);

std::string fixture(const char* name) {
  return fixtures + name;
}

MayaScene loaded(std::initializer_list<const char*> names) {
  MayaScene scene;
  for (const char* name : names) {
    scene.load(fixture(name));
  }
  return scene;
}

bool sameBits(const glm::vec3& a, const glm::vec3& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectNear(const glm::vec3& actual, double x, double y, double z, double tolerance,
                const char* what = "") {
  EXPECT_NEAR(actual.x, x, tolerance) << what;
  EXPECT_NEAR(actual.y, y, tolerance) << what;
  EXPECT_NEAR(actual.z, z, tolerance) << what;
}

bool finite(const glm::vec3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// A file with one curve shape whose control points are given, after a
// transform with the given attribute lines.
std::string curveFile(const std::vector<glm::vec3>& points, const std::string& transform = "") {
  std::string text = "//Maya ASCII 2018 scene\ncreateNode transform -n \"c\";\n" + transform;
  text += "createNode bezierCurve -n \"cShape\" -p \"c\";\n\tsetAttr -k off \".v\";\n";
  text += "\tsetAttr \".cc\" -type \"nurbsCurve\" \n\t\t3 1 0 no 3\n\t\t0\n";
  text += "\t\t" + std::to_string(points.size()) + "\n";
  char line[128];
  for (const glm::vec3& p : points) {
    std::snprintf(line, sizeof line, "\t\t%.9g %.9g %.9g\n", p.x, p.y, p.z);
    text += line;
  }
  return text + "\t\t;\n";
}

// --- Reading a realistic file --------------------------------------------------

TEST(MayaSceneRead, ACameraCurveAsMayaWritesIt) {
  const MayaScene scene = loaded({"CamCurve.ma"});
  ASSERT_EQ(scene.curves.size(), 1u);
  const BezierCurve& curve = scene.curves[0];
  EXPECT_EQ(curve.name, "CamCurve.ma");
  EXPECT_EQ(curve.path, fixture("CamCurve.ma"));
  // 13 points after a knot list that runs onto a second line.
  ASSERT_EQ(curve.controlPoints.size(), 13u);
  EXPECT_EQ(curve.segmentCount, 4);
  ASSERT_EQ(curve.segments.size(), 4u);
  EXPECT_EQ(curve.samples.size(), 5001u);
  float total = 0.0f;
  float shares = 0.0f;
  for (const CurveSegment& segment : curve.segments) {
    ASSERT_EQ(segment.arcTable.size(), 4997u);
    EXPECT_NEAR(segment.arcTable.back(), 1.0f, 1e-5f);
    EXPECT_GT(segment.length, 0.0f);
    total += segment.length;
    shares += segment.share;
  }
  EXPECT_EQ(curve.totalLength, total);
  EXPECT_NEAR(shares, 1.0f, 1e-6f);
  // The flight path's transform: scale 2, then 90 degrees about Y
  // (x' = z, z' = -x), then (0, 2.5, -4).
  auto placed = [](double x, double y, double z) {
    return glm::dvec3(2 * z, 2 * y + 2.5, -2 * x - 4);
  };
  const glm::dvec3 first = placed(-12, 0, 0);
  const glm::dvec3 fifth = placed(0, 2, -3.5);
  expectNear(curve.controlPoints[0], first.x, first.y, first.z, 1e-4);
  expectNear(curve.controlPoints[4], fifth.x, fifth.y, fifth.z, 1e-4);
  // The path starts at its first point.
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", 0.0f), curve.samples[0]));
  expectNear(curve.samples[0], first.x, first.y, first.z, 1e-4);
}

TEST(MayaSceneRead, SegmentsAreMeasuredOnThePointsAsWrittenBeforeTheTransform) {
  std::string plain = test::readFile(fixture("CamCurve.ma"));
  for (const char* attribute : {"\".t\"", "\".r\"", "\".s\""}) {
    // Only the flight path's own transform lines (after "flightPath").
    const std::size_t node = plain.find("\"flightPath\"");
    const std::size_t at = plain.find(attribute, node);
    const std::size_t start = plain.rfind('\n', at) + 1;
    plain.erase(start, plain.find('\n', at) + 1 - start);
  }
  MayaScene untransformed;
  untransformed.add(readMayaText(plain, "CamCurve.ma"));
  const MayaScene scene = loaded({"CamCurve.ma"});
  ASSERT_EQ(untransformed.curves.size(), 1u);
  EXPECT_EQ(untransformed.curves[0].totalLength, scene.curves[0].totalLength);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(untransformed.curves[0].segments[i].arcTable,
              scene.curves[0].segments[i].arcTable);
  }
}

TEST(MayaSceneRead, TextAndFileReadTheSameBits) {
  const MayaScene fromFile = loaded({"CamCurve20.ma"});
  MayaScene fromText;
  fromText.add(readMayaText(test::readFile(fixture("CamCurve20.ma")), fixture("CamCurve20.ma")));
  ASSERT_EQ(fromFile.curves.size(), 1u);
  ASSERT_EQ(fromText.curves.size(), 1u);
  EXPECT_EQ(fromText.curves[0].name, "CamCurve20.ma");
  EXPECT_EQ(fromText.curves[0].segmentCount, 20);
  EXPECT_EQ(0, std::memcmp(fromFile.curves[0].samples.data(), fromText.curves[0].samples.data(),
                           5001 * sizeof(glm::vec3)));
}

TEST(MayaSceneRead, OnlyFilesStartingWithTheWordSlashSlashMayaAreRead) {
  MayaScene scene = loaded({"space-before-maya.ma", "does-not-exist.ma", ""});
  scene.load(fixtures);  // a directory
  scene.add(readMayaText("", "empty.ma"));
  scene.add(readMayaText(test::readFile(fixture("straight-line.ma")), ""));  // no path: nothing
  std::string foreign = test::readFile(fixture("straight-line.ma"));
  foreign.insert(0, "requires maya \"2018\";\n");
  scene.add(readMayaText(foreign, "foreign.ma"));
  EXPECT_TRUE(scene.curves.empty());
  scene.load(fixture("straight-line.ma"));
  EXPECT_EQ(scene.curves.size(), 1u);
}

TEST(MayaSceneRead, WindowsLineEndingsReadLikeUnixOnes) {
  std::string text = test::readFile(fixture("Light1.ma"));
  std::string crlf;
  for (const char c : text) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  MayaScene scene;
  scene.add(readMayaText(crlf, "Light1.ma"));
  ASSERT_EQ(scene.pointLights.size(), 1u);
  EXPECT_EQ(scene.lightPosition("Light1.ma"), glm::vec3(3.5f, 6.0f, -2.25f));
  EXPECT_EQ(scene.lightIntensity("Light1.ma"), 2.5f);
}

TEST(MayaSceneRead, ALineBeyondTheBufferContinuesAsTheNextLine) {
  // 4095 characters fill the line buffer; what follows on the same line is
  // read as a line of its own, here the transform of the light.
  const std::string text = "//Maya ASCII 2018 scene\n" + std::string(4095, ' ') +
                           "createNode transform -n \"t\";\n"
                           "\tsetAttr \".t\" -type \"double3\" 1 2 3 ;\n"
                           "createNode pointLight -n \"l\" -p \"t\";\n"
                           "\tsetAttr -k off \".v\";\n"
                           "\tsetAttr \".in\" 4;\n"
                           "\tsetAttr \".done\" 1;\n";
  MayaScene scene;
  scene.add(readMayaText(text, "long.ma"));
  test::TempDir dir;
  scene.load(dir.write("long.ma", text));
  ASSERT_EQ(scene.pointLights.size(), 2u);
  for (const PointLight& light : scene.pointLights) {
    EXPECT_EQ(light.position, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(light.intensity, 4.0f);
  }
}

// --- Transforms ---------------------------------------------------------------

TEST(MayaSceneTransform, ALaterTranslationKeepsTheEarlierRotation) {
  const MayaScene scene = loaded({"rotation-kept.ma"});
  ASSERT_EQ(scene.curves.size(), 1u);
  // (x, 0, 0) turned 90 degrees about Y is (0, 0, -x), then moved by (0, 0, 5).
  const std::vector<glm::vec3>& points = scene.curves[0].controlPoints;
  for (int i = 0; i < 4; ++i) {
    expectNear(points[static_cast<std::size_t>(i)], 0.0, 0.0, 5.0 - i, 1e-6);
  }
}

TEST(MayaSceneTransform, AZeroScaleIsSkippedAndAUnitScaleChangesNothing) {
  const MayaScene scene = loaded({"zero-scale.ma", "unit-scale.ma"});
  ASSERT_EQ(scene.curves.size(), 2u);
  const std::vector<glm::vec3> written = {{0, 0, 0}, {1, 2, 0}, {2, 2, 1}, {3, 0, 1}};
  EXPECT_EQ(scene.curves[0].controlPoints, written);
  EXPECT_EQ(scene.curves[1].controlPoints, written);
}

TEST(MayaSceneTransform, EachFileStartsWithoutTransform) {
  // The rotation and translation of one file do not carry into the next.
  const MayaScene scene = loaded({"rotation-kept.ma", "straight-line.ma"});
  ASSERT_EQ(scene.curves.size(), 2u);
  EXPECT_EQ(scene.curves[1].controlPoints[3], glm::vec3(3.0f, 0.0f, 0.0f));
}

// --- Arc length -----------------------------------------------------------------

TEST(MayaSceneArcLength, AStraightLineMovesAtConstantSpeed) {
  // Points 0, 1, 2, 3 on X make B(t) = 3t. 5000 samples at t = k / 5000 and
  // 4997 measured gaps of 3 / 5000 each give a length of 3 * 4997 / 5000, and
  // the table's entry j is (j + 1) / 4997. With N = 4997, local = u (one
  // segment), i = floor(N u) and lo + f (hi - lo) = u, so t = (i + u) / N.
  const MayaScene scene = loaded({"straight-line.ma"});
  const BezierCurve& curve = scene.curves.at(0);
  EXPECT_NEAR(curve.totalLength, 3.0 * 4997 / 5000, 1e-5);
  EXPECT_EQ(curve.segments[0].share, 1.0f);
  const double n = 4997;
  // Fractions in the middle of table cells, where float rounding of the
  // table cannot move an entry across u.
  for (const double cell : {0.0, 499.5, 1249.5, 2498.5, 3647.5, 4990.5}) {
    const double u = cell / n;
    const double t = (std::floor(n * u) + u) / n;
    expectNear(scene.evaluateCurve("straight-line.ma", static_cast<float>(u)), 3 * t, 0, 0, 3e-5);
  }
  // Sample m lies at u = m * 0.0002, the last at u = 0.99994.
  ASSERT_EQ(curve.samples.size(), 5001u);
  const double last = 0.99994;
  expectNear(curve.samples[5000], 3 * (std::floor(n * last) + last) / n, 0, 0, 1e-4);
  expectNear(curve.samples[2500], 1.5, 0, 0, 1e-4);
}

TEST(MayaSceneArcLength, CurvePointIndexesTheSamplesWithClampedU) {
  const MayaScene scene = loaded({"CamCurve.ma"});
  const std::vector<glm::vec3>& samples = scene.curves[0].samples;
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", 1.0f), samples[5000]));
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", 7.0f), samples[5000]));
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", -1.0f), samples[0]));
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", NAN), samples[0]));
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", 0.5f), samples[2500]));
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", 0.0003f), samples[1]));
  // evaluateCurve clamps the same way: u = 1 is the end of the path.
  EXPECT_TRUE(sameBits(scene.evaluateCurve("CamCurve.ma", 1.0f),
                       scene.evaluateCurve("CamCurve.ma", 0.9999998211860657f)));
  expectNear(scene.evaluateCurve("CamCurve.ma", 1.0f), 0.0, 2.5, -12.0, 1e-3);
}

TEST(MayaSceneArcLength, FourPointsMakeOneSegmentThreeMakeNone) {
  const MayaScene scene = loaded({"straight-line.ma", "three-points.ma"});
  EXPECT_EQ(scene.curves[0].segmentCount, 1);
  const BezierCurve& stub = scene.curves.at(1);
  EXPECT_EQ(stub.segmentCount, 0);
  EXPECT_TRUE(stub.segments.empty());
  ASSERT_EQ(stub.samples.size(), 5001u);
  for (const glm::vec3& sample : stub.samples) {
    ASSERT_EQ(sample, neutral);
  }
  EXPECT_EQ(scene.evaluateCurve("three-points.ma", 0.5f), neutral);
  EXPECT_EQ(scene.curvePoint("three-points.ma", 0.5f), neutral);
}

TEST(MayaSceneArcLength, BinarySearchGivesTheSamplesOfTheLiteralScanBitForBit) {
  MayaScene ours;
  MayaScene literal;
  ours.load(fixture("CamCurve20.ma"));
  literal.load(fixture("CamCurve20.ma"), bench::literalFirstEntryAbove);
  ASSERT_EQ(ours.curves.size(), 1u);
  ASSERT_EQ(literal.curves.size(), 1u);
  ASSERT_EQ(ours.curves[0].samples.size(), 5001u);
  EXPECT_EQ(0, std::memcmp(ours.curves[0].samples.data(), literal.curves[0].samples.data(),
                           5001 * sizeof(glm::vec3)));
  // And on tables with runs of equal entries, at and between entries.
  const std::vector<float> table = {0.0f, 0.0f, 0.1f, 0.1f, 0.1f, 0.4f, 0.5f, 0.5f, 1.0f};
  for (const float local : {-1.0f, 0.0f, 0.05f, 0.1f, 0.2f, 0.4f, 0.5f, 0.99f, 1.0f, 2.0f, NAN}) {
    for (std::size_t size = 0; size <= table.size(); ++size) {
      const std::span<const float> part(table.data(), size);
      EXPECT_EQ(firstEntryAbove(part, local), bench::literalFirstEntryAbove(part, local))
          << local << " in " << size;
    }
  }
}

// --- Names ------------------------------------------------------------------------

TEST(MayaSceneNames, FilesAreFoundByFileNameWhateverTheirNodeNames) {
  const MayaScene scene = loaded({"CamCurve.ma", "straight-line.ma", "Light1.ma"});
  EXPECT_TRUE(sameBits(scene.curvePoint("straight-line.ma", 0.5f), scene.curves[1].samples[2500]));
  EXPECT_TRUE(sameBits(scene.curvePoint("CamCurve.ma", 0.5f), scene.curves[0].samples[2500]));
  // Node names, other cases and paths are not names.
  for (const char* other : {"flightPath", "flightPathShape", "camcurve.ma", "CamCurve",
                            "maya/CamCurve.ma"}) {
    EXPECT_EQ(scene.curvePoint(other, 0.5f), neutral) << other;
    EXPECT_EQ(scene.evaluateCurve(other, 0.5f), neutral) << other;
  }
  MayaScene bare;
  bare.add(readMayaText(test::readFile(fixture("straight-line.ma")), "Rail.ma"));
  EXPECT_EQ(bare.curves.at(0).name, "Rail.ma");
  EXPECT_EQ(bare.curves.at(0).path, "Rail.ma");
}

// --- Lights ---------------------------------------------------------------------------

TEST(MayaSceneLights, APointLightTakesItsParentTranslationOnly) {
  const MayaScene scene = loaded({"Light1.ma", "AmbientLight.ma"});
  ASSERT_EQ(scene.pointLights.size(), 1u);
  EXPECT_EQ(scene.pointLights[0].name, "Light1.ma");
  EXPECT_EQ(scene.lightPosition("Light1.ma"), glm::vec3(3.5f, 6.0f, -2.25f));
  EXPECT_EQ(scene.lightColor("Light1.ma"), glm::vec3(1.0f, 0.80000001f, 0.5f));
  EXPECT_EQ(scene.lightIntensity("Light1.ma"), 2.5f);
  // Ambient lights are not point lights, and unknown names give defaults.
  EXPECT_EQ(scene.lightPosition("AmbientLight.ma"), glm::vec3(0.0f));
  EXPECT_EQ(scene.lightColor("Light2.ma"), neutral);
  EXPECT_EQ(scene.lightIntensity("Light2.ma"), 1.0f);
}

TEST(MayaSceneLights, AnAmbientLightHasColourAndIntensity) {
  const MayaScene scene = loaded({"AmbientLight.ma"});
  ASSERT_EQ(scene.ambientLights.size(), 1u);
  EXPECT_EQ(scene.ambientLights[0].name, "AmbientLight.ma");
  EXPECT_EQ(scene.ambientColor("AmbientLight.ma"), glm::vec3(0.2f, 0.25f, 0.30000001f));
  EXPECT_EQ(scene.ambientLights[0].intensity, 0.60000002f);
  EXPECT_EQ(scene.ambientColor("Light1.ma"), neutral);
}

TEST(MayaSceneLights, ALightOrCurveThatEndsTheFileIsNotAdded) {
  const MayaScene scene = loaded({"light-at-end.ma", "curve-at-end.ma"});
  EXPECT_TRUE(scene.pointLights.empty());
  EXPECT_TRUE(scene.curves.empty());
  EXPECT_EQ(scene.lightPosition("light-at-end.ma"), glm::vec3(0.0f));
}

TEST(MayaSceneLights, TheLineThatFinishesALightIsStillReadByTheNextTransform) {
  const std::string light = "createNode pointLight -n \"l\" -p \"t\";\n\tsetAttr -k off \".v\";\n"
                            "\tsetAttr \".in\" 2;\n";
  const std::string text = "//Maya ASCII 2018 scene\ncreateNode transform -n \"a\";\n"
                           "\tsetAttr \".t\" -type \"double3\" 1 2 3 ;\n" + light +
                           "createNode transform -n \"b\";\n"
                           "\tsetAttr \".t\" -type \"double3\" 4 5 6 ;\n" + light +
                           "createNode lightLinker -s -n \"lightLinker1\";\n"
                           "\tsetAttr -s 2 \".lnk\";\n";
  MayaScene scene;
  scene.add(readMayaText(text, "Lights.ma"));
  ASSERT_EQ(scene.pointLights.size(), 2u);
  EXPECT_EQ(scene.pointLights[0].position, glm::vec3(1.0f, 2.0f, 3.0f));
  EXPECT_EQ(scene.pointLights[1].position, glm::vec3(4.0f, 5.0f, 6.0f));
  EXPECT_EQ(scene.lightPosition("Lights.ma"), glm::vec3(1.0f, 2.0f, 3.0f));
}

// --- Damaged and unusual curves --------------------------------------------------------

TEST(MayaSceneCurves, TwoCurvesInOneFileAreEachTransformedOnceWithTheirOwnSamples) {
  const MayaScene scene = loaded({"two-curves.ma"});
  ASSERT_EQ(scene.curves.size(), 2u);
  EXPECT_EQ(scene.curves[0].controlPoints[3], glm::vec3(10.0f, 3.0f, 0.0f));
  EXPECT_EQ(scene.curves[1].controlPoints[3], glm::vec3(10.0f, 0.0f, 6.0f));
  expectNear(scene.curves[0].samples[2500], 10, 1.5, 0, 1e-4);
  expectNear(scene.curves[1].samples[2500], 10, 0, 3, 1e-4);
  // Lookups by the shared name find the first.
  expectNear(scene.curvePoint("two-curves.ma", 0.5f), 10, 1.5, 0, 1e-4);
  expectNear(scene.evaluateCurve("two-curves.ma", 0.5f), 10, 1.5, 0, 1e-4);
}

TEST(MayaSceneCurves, ACurveWithNoLengthHasEqualSharesAndStaysAtItsStart) {
  const MayaScene scene = loaded({"still-point.ma"});
  const BezierCurve& curve = scene.curves.at(0);
  EXPECT_EQ(curve.totalLength, 0.0f);
  ASSERT_EQ(curve.segments.size(), 2u);
  EXPECT_EQ(curve.segments[0].share, 0.5f);
  EXPECT_EQ(curve.segments[1].share, 0.5f);
  for (const glm::vec3& sample : curve.samples) {
    ASSERT_EQ(sample, glm::vec3(5.0f, 5.0f, 5.0f));
  }
  for (const float u : {0.0f, 0.5f, 1.0f}) {
    EXPECT_EQ(scene.evaluateCurve("still-point.ma", u), glm::vec3(5.0f, 5.0f, 5.0f));
  }
}

TEST(MayaSceneCurves, AZeroLengthSegmentAndASegmentEndAreEvaluatedSoundly) {
  // Segment 0 has no length (share 0); segments 1 and 2 are straight, 3 units
  // each, sharing u = 0.5 as their boundary.
  const MayaScene scene = loaded({"zero-length-segment.ma"});
  const BezierCurve& curve = scene.curves.at(0);
  EXPECT_EQ(curve.segments[0].share, 0.0f);
  EXPECT_EQ(curve.segments[1].share, 0.5f);
  // u = 0 falls on the empty segment: its start point.
  EXPECT_EQ(scene.evaluateCurve("zero-length-segment.ma", 0.0f), glm::vec3(0.0f));
  // u = 0.5 ends segment 1 exactly (local = 1): the end of its table.
  expectNear(scene.evaluateCurve("zero-length-segment.ma", 0.5f), 3, 0, 0, 1e-3);
  for (const glm::vec3& sample : curve.samples) {
    ASSERT_TRUE(finite(sample));
  }
}

TEST(MayaSceneCurves, AUBeyondTheRoundedSumOfSharesStaysOnTheLastSegment) {
  // Shares are rounded, so their float sum can end below the largest u;
  // such a u still belongs to the curve's last segment. Find curves where
  // the sum falls short (about one 20-segment curve in a hundred).
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f * 100.0f - 50.0f;
  };
  int shortSums = 0;
  for (int attempt = 0; attempt < 2000 && shortSums < 3; ++attempt) {
    std::vector<glm::vec3> points;
    for (int i = 0; i < 61; ++i) {
      points.emplace_back(next(), next(), next());
    }
    MayaScene scene;
    scene.add(readMayaText(curveFile(points), "Random.ma"));
    float sum = 0.0f;
    for (const CurveSegment& segment : scene.curves.at(0).segments) {
      sum += segment.share;
    }
    if (sum >= 0.9999998211860657f) {
      continue;
    }
    ++shortSums;
    const glm::vec3 end = scene.evaluateCurve("Random.ma", 1.0f);
    EXPECT_NE(end, neutral);
    expectNear(end, points[60].x, points[60].y, points[60].z, 1e-2);
  }
  EXPECT_GT(shortSums, 0);
}

TEST(MayaSceneCurves, CountsBeyondTheFileReadOnlyWhatIsThere) {
  const std::string header = "//Maya ASCII 2018 scene\ncreateNode bezierCurve -n \"s\";\n"
                             "\tsetAttr -k off \".v\";\n\tsetAttr \".cc\" -type \"nurbsCurve\" \n"
                             "\t\t3 1 0 no 3\n";
  MayaScene scene;
  // A knot count of two thousand million skips to the end of the file.
  scene.add(readMayaText(
      header + "\t\t2000000000 0 0 0\n\t\t1 1 1\n4\n0 0 0\n1 0 0\n2 0 0\n3 0 0\n;\n", "knots.ma"));
  // A control-point count of 2^31 - 1 never completes.
  scene.add(
      readMayaText(header + "\t\t6 0 0 0 1 1 1\n\t\t2147483647\n0 0 0\n1 0 0\n;\n", "points.ma"));
  EXPECT_TRUE(scene.curves.empty());
  // A negative count completes at once with no points and no segments.
  scene.add(readMayaText(header + "\t\t6 0 0 0 1 1 1\n\t\t-7\n;\n", "negative.ma"));
  ASSERT_EQ(scene.curves.size(), 1u);
  EXPECT_EQ(scene.curves[0].segmentCount, 0);
  // Knots spread over several lines, with an empty one between.
  scene.add(readMayaText(
      header + "\t\t6 0 0\n\n\t\t0 1\n\t\t1 1\n4\n0 0 0\n1 0 0\n2 0 0\n3 0 0\n;\n", "spread.ma"));
  ASSERT_EQ(scene.curves.size(), 2u);
  EXPECT_EQ(scene.curves[1].controlPoints[3], glm::vec3(3.0f, 0.0f, 0.0f));
}

TEST(MayaSceneCurves, CubicBezierWeights) {
  const glm::vec3 p0(1, 2, 3), p1(-4, 8, 0.5f), p2(16, -1, 2), p3(7, 7, -7);
  EXPECT_EQ(cubicBezier(p0, p1, p2, p3, 0.0f), p0);
  EXPECT_EQ(cubicBezier(p0, p1, p2, p3, 1.0f), p3);
  // At t = 1/2 the weights are 1/8, 3/8, 3/8, 1/8, all exact.
  const glm::vec3 half = 0.125f * p0 + 0.375f * p1 + 0.375f * p2 + 0.125f * p3;
  EXPECT_TRUE(sameBits(cubicBezier(p0, p1, p2, p3, 0.5f), half));
}

// Maya text with one curve shape per entry of `pointCounts`, each a zigzag
// of that many control points.
std::string curvesText(const std::vector<std::size_t>& pointCounts) {
  std::string text = "//Maya ASCII 2018 scene\n";
  for (const std::size_t count : pointCounts) {
    text += "createNode transform -n \"path\";\ncreateNode bezierCurve -n \"pathShape\" -p \"path\";\n"
            "\tsetAttr -k off \".v\";\n\tsetAttr \".cc\" -type \"nurbsCurve\"\n\t\t3 1 0 no 3\n"
            "\t\t0\n\t\t" + std::to_string(count) + "\n";
    for (std::size_t i = 0; i < count; ++i) {
      text += std::to_string(i) + " " + std::to_string(i % 2) + " 0\n";
    }
    text += "\t\t;\n";
  }
  return text;
}

// A few megabytes of points would make gigabytes of arc tables (4997 floats
// a segment): the curves of one file may take 2^24 table floats together,
// and a curve past that is left out whole and counted, the rest of the file
// still read. Run in a child limited to 400 MB more address space, so a
// file that is measured after all shows as a failed child.
TEST(MayaSceneLimits, CurvesWhoseArcTablesWouldPassTheBudgetAreLeftOut) {
  const std::size_t fits = 3 * (maxArcTableFloatsPerFile / 4997) + 1;  // 3357 segments
  struct Case {
    std::vector<std::size_t> pointCounts;
    std::size_t refused;
    std::vector<std::int32_t> segmentCounts;  // of the curves added, in order
  };
  const std::vector<Case> cases = {
      {{300000, 4}, 1, {1}},            // 3.4 MB of points, about 2 GB of tables
      {{1000000}, 1, {}},
      {{fits}, 0, {3357}},              // exactly within the budget
      {{fits + 3}, 1, {}},              // one segment more
      {{fits, 7}, 1, {3357}},           // the budget is per file: nothing fits after it
      {{7, 300000, 10}, 1, {2, 3}},
  };
  for (const Case& row : cases) {
    const std::string text = curvesText(row.pointCounts);
    const std::optional<int> status = test::runWithMemoryLimit(
        400u << 20,
        [&] {
          MayaScene scene;
          if (scene.add(readMayaText(text, "Data/Maya/Huge.ma")) != row.refused) return 1;
          if (scene.curves.size() != row.segmentCounts.size()) return 2;
          for (std::size_t i = 0; i < scene.curves.size(); ++i) {
            const BezierCurve& curve = scene.curves[i];
            if (curve.segmentCount != row.segmentCounts[i] || curve.name != "Huge.ma" ||
                curve.samples.size() != 5001) {
              return 3;
            }
          }
          return 0;
        },
        std::chrono::seconds(120));
    EXPECT_EQ(status, 0) << row.pointCounts.size() << " curves, the first of "
                         << row.pointCounts.front() << " points";
  }
}

}  // namespace
}  // namespace tessaly::assets
