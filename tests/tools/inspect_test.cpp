#include "tools/inspect/inspect.h"
#include "tools/inspect/json_writer.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/inspect_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::tools {
namespace {

const std::string source = TESSALY_SOURCE_DIR;
const std::string trackFixtures = source + "/tests/sync/data/";
const std::string mayaFixtures = source + "/tests/assets/data/maya/";
const std::string objFixtures = source + "/tests/assets/fixtures/";

using Outcome = InspectOutcome;

// Runs the built executable through the shell, capturing both streams.
Outcome inspectProcess(const std::string& arguments) {
  test::TempDir dir;
  const std::string command = std::string(TESSALY_BINARY_DIR) + "/tessaly-inspect " + arguments +
                              " >" + dir.file("out") + " 2>" + dir.file("err") + " </dev/null";
  const int raw = std::system(command.c_str());
  Outcome run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = test::readFile(dir.file("out"));
  run.err = test::readFile(dir.file("err"));
  return run;
}

// A row's time in seconds as the tool prints it (%.17g).
std::string seconds(double row) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", row / 13.933333333333334);
  return text;
}

TEST(InspectTrack, PrintsTheKeysAsLoadedAndTheValuesAtEachRow) {
  const std::string file = trackFixtures + "sync_odd-types.track";
  const Outcome run = inspect({"track", file, "25", "-3.5", "0.1", "1e9"});
  EXPECT_EQ(run.status, exitOk);
  EXPECT_EQ(run.err, "");
  // Each row with its time in the music, each interpolation by name (null
  // for a number the player does not know).
  EXPECT_EQ(run.out,
            "{\"file\": \"" + file +
                "\", \"keys\": [{\"row\": 0, \"value\": 1, \"type\": 4, \"seconds\": 0, "
                "\"interpolation\": null}, "
                "{\"row\": 10, \"value\": 2, \"type\": -1, \"seconds\": " + seconds(10) +
                ", \"interpolation\": null}, {\"row\": 20, \"value\": 3, \"type\": 1, \"seconds\": " +
                seconds(20) + ", \"interpolation\": \"linear\"}, "
                "{\"row\": 30, \"value\": 4, \"type\": 2, \"seconds\": " + seconds(30) +
                ", \"interpolation\": \"smooth\"}], "
                "\"values\": [{\"row\": 25, \"value\": 3.5, \"seconds\": " + seconds(25) +
                "}, {\"row\": -3.5, \"value\": 1, \"seconds\": " + seconds(-3.5) + "}, "
                "{\"row\": 0.10000000000000001, \"value\": 0, \"seconds\": " + seconds(0.1) +
                "}, {\"row\": 1000000000, \"value\": 4, \"seconds\": " + seconds(1e9) + "}]}\n");
  EXPECT_EQ(seconds(836), "60");  // 836 rows a minute
}

TEST(InspectTrack, NumbersPrintSoThatTheyReadBackExactly) {
  test::TempDir dir;
  const float value = 0.1f;
  std::string bytes("\x01\x00\x00\x00\x05\x00\x00\x00", 8);
  bytes.append(reinterpret_cast<const char*>(&value), 4);
  bytes += '\x00';
  const Outcome run = inspect({"track", dir.write("sync_x.track", bytes)});
  EXPECT_NE(run.out.find("\"value\": 0.100000001"), std::string::npos) << run.out;
  EXPECT_EQ(std::strtof("0.100000001", nullptr), value);
}

TEST(InspectMaya, PrintsCurvesWithTheirLookupsAndLights) {
  const std::string file = mayaFixtures + "straight-line.ma";
  const Outcome run = inspect({"maya", file, "0", "-1", "1"});
  ASSERT_EQ(run.status, exitOk) << run.err;
  const std::string head = "{\"file\": \"" + file + "\", \"curves\": [{\"name\": \"straight-line.ma\", "
                           "\"path\": \"" + file + "\", \"controlPoints\": [[0, 0, 0], [1, 0, 0], "
                           "[2, 0, 0], [3, 0, 0]], \"segmentCount\": 1, \"totalLength\": ";
  ASSERT_EQ(run.out.substr(0, head.size()), head);
  EXPECT_NE(run.out.find("\"sampleCount\": 5001, \"curvePoint\": [[0, 0, 0], [0, 0, 0], ["),
            std::string::npos);
  EXPECT_NE(run.out.find("\"evaluate\": [[0, 0, 0], [0, 0, 0], [3, 0, 0]]}], "
                         "\"pointLights\": [], \"ambientLights\": []}\n"),
            std::string::npos)
      << run.out;

  const std::string light = mayaFixtures + "Light1.ma";
  EXPECT_EQ(inspect({"maya", light}).out,
            "{\"file\": \"" + light + "\", \"curves\": [], \"pointLights\": [{\"name\": \"Light1.ma\", "
            "\"position\": [3.5, 6, -2.25], \"color\": [1, 0.800000012, 0.5], \"intensity\": 2.5}], "
            "\"ambientLights\": []}\n");
  const std::string ambient = mayaFixtures + "AmbientLight.ma";
  EXPECT_NE(inspect({"maya", ambient}).out.find(
                "\"ambientLights\": [{\"name\": \"AmbientLight.ma\", \"color\": [0.200000003, "
                "0.25, 0.300000012], \"intensity\": 0.600000024}]}"),
            std::string::npos);
}

TEST(InspectObj, PrintsRecordsStreamSizesBatchesAndMaterials) {
  const std::string file = objFixtures + "materials-a-a-b-b-a.obj";
  const Outcome run = inspect({"obj", file});
  ASSERT_EQ(run.status, exitOk) << run.err;
  EXPECT_EQ(run.err, "");
  const auto material = [](const char* name, const char* diffuse) {
    return std::string("{\"name\": \"") + name +
           "\", \"ambient\": [0, 0, 0], \"diffuse\": " + diffuse +
           ", \"specular\": [0, 0, 0], \"emissive\": [0, 0, 0], \"shininess\": 2, "
           "\"opacity\": 1, \"illumination\": 1, \"ambientMap\": \"\", \"diffuseMap\": \"\", "
           "\"specularMap\": \"\", \"emissiveMap\": \"\", \"shininessMap\": \"\", "
           "\"opacityMap\": \"\", \"bumpMap\": \"\"}";
  };
  EXPECT_EQ(run.out,
            "{\"file\": \"" + file +
                "\", \"isLoaded\": true, \"isPointCloud\": false, \"positions\": 3, "
                "\"texCoords\": 0, \"normals\": 1, \"pointCount\": 0, \"vertexFloatCount\": 120, "
                "\"indexCount\": 15, \"batches\": [{\"kind\": 4, \"firstIndex\": 0, "
                "\"indexCount\": 6, \"material\": \"A\", \"kindName\": \"triangles\", \"corners\": \"3\"}, "
                "{\"kind\": 4, \"firstIndex\": 6, "
                "\"indexCount\": 6, \"material\": \"B\", \"kindName\": \"triangles\", \"corners\": \"3\"}, "
                "{\"kind\": 4, \"firstIndex\": 12, "
                "\"indexCount\": 3, \"material\": \"A\", \"kindName\": \"triangles\", \"corners\": \"3\"}], "
                "\"materials\": [" +
                material("A", "[1, 0, 0]") + ", " + material("B", "[0, 0, 1]") + ", " +
                material("A", "[0, 1, 0]") + "], \"droppedFaces\": 0}\n");
}

TEST(InspectObj, FacesWithoutMaterialShowNullAndPointCloudsTheirPoints) {
  const Outcome fans = inspect({"obj", objFixtures + "quad-and-pentagon-fans.obj"});
  ASSERT_EQ(fans.status, exitOk) << fans.err;
  EXPECT_NE(fans.out.find("\"batches\": [{\"kind\": 7, \"firstIndex\": 0, \"indexCount\": 6, "
                          "\"material\": null, \"kindName\": \"quads\", \"corners\": \"4\"}, "
                          "{\"kind\": 6, \"firstIndex\": 6, "
                          "\"indexCount\": 9, \"material\": null, \"kindName\": \"fan\", "
                          "\"corners\": \"5 or more\"}, "),
            std::string::npos)
      << fans.out;
  EXPECT_NE(fans.out.find("\"materials\": [], \"droppedFaces\": 0}"), std::string::npos);
  const Outcome bad = inspect({"obj", objFixtures + "bad-indices.obj"});
  ASSERT_EQ(bad.status, exitOk) << bad.err;
  EXPECT_EQ(bad.out.find("\"droppedFaces\": 0}"), std::string::npos) << bad.out;

  const Outcome cloud = inspect({"obj", objFixtures + "point-cloud-positions-only.obj"});
  ASSERT_EQ(cloud.status, exitOk) << cloud.err;
  EXPECT_NE(cloud.out.find("\"isLoaded\": true, \"isPointCloud\": true, \"positions\": 3, "
                           "\"texCoords\": 0, \"normals\": 0, \"pointCount\": 3, "
                           "\"vertexFloatCount\": 0, \"indexCount\": 0, \"batches\": []"),
            std::string::npos)
      << cloud.out;
}

TEST(InspectUsage, MistakesGiveAUsageLineAndStatusTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"obj"}, {"track"}, {"maya"}, {"mtl"},
        {"mtl", objFixtures + "first.mtl", objFixtures + "second.mtl"},
        {"track", trackFixtures + "sync_fov.track", "ten"}, {"maya", mayaFixtures + "Light1.ma", ""},
        {"maya", mayaFixtures + "Light1.ma", "0.5x"},
        {"obj", objFixtures + "triangles-v-vt-vn.obj", "1"}}) {
    const Outcome run = inspect(args);
    EXPECT_EQ(run.status, exitUsage) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: tessaly-inspect"), std::string::npos) << run.err;
  }
  const Outcome help = inspect({"--help"});
  EXPECT_EQ(help.status, exitOk);
  EXPECT_NE(help.out.find("track FILE [ROW ...]"), std::string::npos);
  EXPECT_NE(help.out.find("maya FILE [U ...]"), std::string::npos);
  EXPECT_NE(help.out.find("obj FILE"), std::string::npos);
  EXPECT_NE(help.out.find("mtl FILE"), std::string::npos);
  EXPECT_NE(help.out.find("check [--json] [DIR]"), std::string::npos);
}

TEST(InspectMtl, PrintsTheMaterialsOfALibrary) {
  const std::string file = objFixtures + "every-keyword.mtl";
  const Outcome run = inspect({"mtl", file});
  ASSERT_EQ(run.status, exitOk) << run.err;
  EXPECT_EQ(run.out.rfind("{\"file\": \"" + file + "\", \"materials\": [{\"name\": ", 0), 0u) << run.out;
  EXPECT_EQ(run.out.substr(run.out.size() - 3), "]}\n");
}

// A file of another kind is refused with what it looks like, instead of
// being read as garbage keys, curves or faces; odd files of the right kind
// still inspect (see EveryFixtureOfTheTestsInspects).
TEST(InspectUsage, AFileOfAnotherKindIsRefusedWithStatusOne) {
  test::TempDir dir;
  const std::string png = dir.write("Copper.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  const std::string jpeg = dir.write("Sky.jpg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10));
  const std::string mp3 = dir.write("Song.mp3", std::string("ID3\x04\0\0\0\0\0\0", 10));
  const std::string shader = dir.write("Model.frag", "#version 330 core\nvoid main() {}\n");
  const std::string trackText = dir.write("fov.txt", "# Tessaly sync track: one key a line\n0 1 step\n");
  const std::string obj = objFixtures + "triangles-v-vt-vn.obj";
  const std::string mtl = objFixtures + "first.mtl";
  const std::string maya = mayaFixtures + "Light1.ma";
  const std::string track = trackFixtures + "sync_fov.track";
  struct Case {
    const char* command;
    std::string file;
    const char* expected;
    const char* looksLike;
  };
  const Case cases[] = {
      {"track", obj, "a sync track file", "an OBJ model"},
      {"track", mtl, "a sync track file", "an MTL material library"},
      {"track", maya, "a sync track file", "a Maya ASCII scene"},
      {"track", png, "a sync track file", "a PNG picture"},
      {"track", mp3, "a sync track file", "an MP3 soundtrack"},
      {"track", trackText, "a sync track file", "a sync track as text (tessaly-track import makes the file)"},
      {"obj", maya, "an OBJ model", "a Maya ASCII scene"},
      {"obj", mtl, "an OBJ model", "an MTL material library"},
      {"obj", track, "an OBJ model", "binary data"},
      {"obj", jpeg, "an OBJ model", "a JPEG picture"},
      {"obj", shader, "an OBJ model", "a GLSL shader"},
      {"maya", obj, "a Maya ASCII file", "an OBJ model"},
      {"maya", track, "a Maya ASCII file", "binary data"},
      {"maya", png, "a Maya ASCII file", "a PNG picture"},
      {"mtl", obj, "an MTL material library", "an OBJ model"},
      {"mtl", maya, "an MTL material library", "a Maya ASCII scene"},
      {"mtl", track, "an MTL material library", "binary data"},
  };
  for (const Case& c : cases) {
    const Outcome run = inspect({c.command, c.file});
    EXPECT_EQ(run.status, exitUnreadable) << c.command << " " << c.file;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tessaly-inspect: " + c.file + " is not " + c.expected + ": it looks like " +
                           c.looksLike + "\n");
  }
}

TEST(InspectUsage, UnreadableFilesGiveAMessageAndStatusOne) {
  test::TempDir dir;
  for (const std::string& file : {dir.file("missing.ma"), dir.path().string()}) {
    for (const char* command : {"track", "maya", "obj", "mtl"}) {
      const Outcome run = inspect({command, file});
      EXPECT_EQ(run.status, exitUnreadable) << command << " " << file;
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err.rfind("tessaly-inspect: cannot read " + file + ": ", 0), 0u) << run.err;
    }
  }
}

TEST(InspectProcess, ExitStatusesAndStreamsOfTheExecutable) {
  const Outcome ok = inspectProcess("track " + trackFixtures + "sync_fov.track 150");
  EXPECT_EQ(ok.status, 0);
  EXPECT_NE(ok.out.find("{\"row\": 150, \"value\": 67.5, \"seconds\": " + seconds(150) + "}"),
            std::string::npos)
      << ok.out;
  const Outcome none = inspectProcess("");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("usage:"), std::string::npos);
  const Outcome missing = inspectProcess("maya /nonexistent/CamCurve.ma");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "tessaly-inspect: cannot read /nonexistent/CamCurve.ma: No such file or directory\n");
}

TEST(InspectProcess, EveryFixtureOfTheTestsInspects) {
  int files = 0;
  for (const auto& [folder, command] : {std::pair{trackFixtures, "track"}, {mayaFixtures, "maya"},
                                        {objFixtures, "obj"}, {objFixtures, "mtl"}}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() != (std::string_view(command) == "obj"   ? ".obj"
                                       : std::string_view(command) == "mtl" ? ".mtl"
                                                                            : entry.path().extension())) {
        continue;
      }
      std::vector<std::string> args{command, entry.path().string()};
      if (std::string_view(command) == "track" || std::string_view(command) == "maya") {
        args.insert(args.end(), {"0", "0.5", "1"});
      }
      const Outcome run = inspect(args);
      EXPECT_EQ(run.status, exitOk) << entry.path();
      EXPECT_EQ(run.out.front(), '{');
      EXPECT_EQ(run.out.substr(run.out.size() - 2), "}\n");
      ++files;
    }
  }
  EXPECT_GE(files, 35);
}

TEST(JsonWriter, EscapesStringsAndWritesNonFiniteNumbersAsNull) {
  std::string out;
  JsonWriter json(out);
  json.beginObject();
  json.field("a\"b", std::string_view("line\nquote\" back\\ tab\t \x01"));
  json.field("nan", std::nanf(""));
  json.field("inf", HUGE_VAL);
  json.key("empty");
  json.beginArray();
  json.endArray();
  json.endObject();
  EXPECT_EQ(out, "{\"a\\\"b\": \"line\\nquote\\\" back\\\\ tab\\t \\u0001\", \"nan\": null, "
                 "\"inf\": null, \"empty\": []}");
}

// JSON is UTF-8: well-formed sequences pass through, every byte that is not
// part of one (names on disk and in files may hold any bytes) becomes U+FFFD.
TEST(JsonWriter, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  const struct {
    std::string_view text;
    std::string_view json;
  } cases[] = {
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5", "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5\""},
      {"\xff", "\"\\ufffd\""},
      {"a\x80z", "\"a\\ufffdz\""},                  // a lone continuation byte
      {"\xc3", "\"\\ufffd\""},                      // cut at the end
      {"\xc3(", "\"\\ufffd(\""},                    // cut by a plain byte
      {"\xc0\xaf", "\"\\ufffd\\ufffd\""},           // overlong '/'
      {"\xe0\x80\xaf", "\"\\ufffd\\ufffd\\ufffd\""},  // overlong, three bytes
      {"\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""},  // a surrogate
      {"\xf4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},  // past U+10FFFF
      {"\xf4\x8f\xbf\xbf", "\"\xf4\x8f\xbf\xbf\""},  // U+10FFFF itself
      {"\xfe\xfe\"", "\"\\ufffd\\ufffd\\\"\""},
  };
  for (const auto& row : cases) {
    std::string out;
    JsonWriter(out).string(row.text);
    EXPECT_EQ(out, row.json) << testing::PrintToString(std::string(row.text));
  }
}

TEST(InspectProcess, ANameWithBytesThatAreNotUtf8PrintsAsValidJson) {
  test::TempDir dir;
  const std::string file = dir.write("cam\xff\xfe.ma", test::readFile(mayaFixtures + "Light1.ma"));
  const Outcome run = inspectProcess("maya '" + file + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"name\": \"cam\\ufffd\\ufffd.ma\""), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\xff'), std::string::npos);
}

// Output that cannot be written is a failure with its reason, not success.
TEST(InspectProcess, AFullOutputEndsWithOne) {
  int status = -1;
  const std::string err = test::runCommand(std::string(TESSALY_BINARY_DIR) + "/tessaly-inspect track " +
                                               trackFixtures + "sync_fov.track 150 2>&1 >/dev/full",
                                           &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "tessaly-inspect: cannot write standard output: No space left on device\n");
}

}  // namespace
}  // namespace tessaly::tools
