#include "assets/maya_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tessaly::assets {
namespace {

const std::string fixtures = std::string(TESSALY_SOURCE_DIR) + "/tests/assets/data/maya/";

// A curve shape node with four control points.
std::string curveNode(const std::string& points) {
  return "createNode bezierCurve -n \"s\" -p \"t\";\n\tsetAttr -k off \".v\";\n"
         "\tsetAttr \".cc\" -type \"nurbsCurve\" \n\t\t3 1 0 no 3\n\t\t6 0 0 0 1 1 1\n"
         "\t\t4\n" +
         points + "\t\t;\n";
}

TEST(MayaReader, CurvesKeepTheirPointsAsWrittenAndTheTransformInForceWhenComplete) {
  const std::string text =
      "//Maya ASCII 2018 scene\n"
      "createNode transform -n \"a\";\n"
      "\tsetAttr \".t\" -type \"double3\" 1 2 3 ;\n"
      "\tsetAttr \".r\" -type \"double3\" 0 90 0 ;\n" +
      curveNode("0 0 0\n1 0 0\n2 0 0\n3 0 0\n") +
      // A later transform with only a translation keeps the rotation.
      "createNode transform -n \"b\";\n"
      "\tsetAttr \".t\" -type \"double3\" 4 5 6 ;\n" +
      curveNode("0 1 0\n0 2 0\n0 3 0\n0 4 0\n") +
      "createNode pointLight -n \"l\" -p \"b\";\n\tsetAttr -k off \".v\";\n"
      "\tsetAttr \".in\" 2;\n\tsetAttr \".done\" 1;\n";
  const MayaData file = readMayaText(text, "Data/Maya/Pair.ma");
  EXPECT_TRUE(file.opened);
  EXPECT_EQ(file.name, "Pair.ma");
  EXPECT_EQ(file.path, "Data/Maya/Pair.ma");
  ASSERT_EQ(file.curves.size(), 2u);
  EXPECT_EQ(file.curves[0].controlPoints,
            (std::vector<glm::vec3>{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}));
  EXPECT_EQ(file.curves[0].translation, glm::vec3(1, 2, 3));
  EXPECT_EQ(file.curves[0].rotation, glm::vec3(0, 90, 0));
  EXPECT_EQ(file.curves[0].scale, glm::vec3(0));
  EXPECT_EQ(file.curves[1].controlPoints[3], glm::vec3(0, 4, 0));
  EXPECT_EQ(file.curves[1].translation, glm::vec3(4, 5, 6));
  EXPECT_EQ(file.curves[1].rotation, glm::vec3(0, 90, 0));
  ASSERT_EQ(file.pointLights.size(), 1u);
  EXPECT_EQ(file.pointLights[0].name, "Pair.ma");
  EXPECT_EQ(file.pointLights[0].position, glm::vec3(4, 5, 6));
  EXPECT_EQ(file.pointLights[0].intensity, 2.0f);
  EXPECT_TRUE(file.ambientLights.empty());
}

TEST(MayaReader, WhatIsOpenedAndWhatIsNamed) {
  test::TempDir dir;
  struct Case {
    const char* what;
    MayaData file;
    bool opened;
    const char* name;
  };
  const Case cases[] = {
      {"missing file", readMayaFile(fixtures + "does-not-exist.ma"), false, "does-not-exist.ma"},
      {"directory", readMayaFile(dir.path().string() + "/"), false, ""},
      {"empty path", readMayaFile(""), false, ""},
      {"empty path for text", readMayaText(test::readFile(fixtures + "Light1.ma"), ""), false, ""},
      {"empty text", readMayaText("", "Data/Maya/Empty.ma"), true, "Empty.ma"},
      {"foreign first word",
       readMayaText("//Maya2 x\n" + curveNode("0 0 0\n1 1 1\n2 2 2\n3 3 3\n"), "Foreign.ma"), true,
       "Foreign.ma"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.file.opened, c.opened);
    EXPECT_EQ(c.file.name, c.name);
    EXPECT_TRUE(c.file.curves.empty());
    EXPECT_TRUE(c.file.pointLights.empty());
  }
}

TEST(MayaReader, ValuesAreReadAsAStreamThatStopsAtTheFirstNonNumber) {
  const std::string text =
      "//Maya ASCII 2018 scene\n"
      "createNode transform -n \"t\";\n"
      "\tsetAttr \".t\" -type \"double3\" 1 abc 3 ;\n"
      "createNode ambientLight -n \"l\" -p \"t\";\n\tsetAttr -k off \".v\";\n"
      "\tsetAttr \".cl\" -type \"float3\" 0.5 0.25;\n"
      "\tsetAttr \".in\" 2;\n\tsetAttr \".done\" 1;\n" +
      curveNode("1 a 3\n+4 5e-1 .5\n6\nx 7 8\n");
  const MayaData file = readMayaText(text, "Stream.ma");
  ASSERT_EQ(file.curves.size(), 1u);
  EXPECT_EQ(file.curves[0].translation, glm::vec3(1, 0, 0));
  EXPECT_EQ(file.curves[0].controlPoints,
            (std::vector<glm::vec3>{{1, 0, 0}, {4, 0.5f, 0.5f}, {6, 0, 0}, {0, 7, 8}}));
  ASSERT_EQ(file.ambientLights.size(), 1u);
  EXPECT_EQ(file.ambientLights[0].color, glm::vec3(0.5f, 0.25f, 0));
  EXPECT_EQ(file.ambientLights[0].intensity, 2.0f);
}

TEST(MayaReader, AFileAndItsTextReadTheSame) {
  for (const char* name : {"CamCurve.ma", "two-curves.ma", "Light1.ma", "AmbientLight.ma"}) {
    SCOPED_TRACE(name);
    const MayaData fromFile = readMayaFile(fixtures + name);
    const MayaData fromText = readMayaText(test::readFile(fixtures + name), fixtures + name);
    EXPECT_EQ(fromFile.name, name);
    ASSERT_EQ(fromText.curves.size(), fromFile.curves.size());
    for (std::size_t i = 0; i < fromFile.curves.size(); ++i) {
      EXPECT_EQ(fromText.curves[i].controlPoints, fromFile.curves[i].controlPoints);
      EXPECT_EQ(fromText.curves[i].translation, fromFile.curves[i].translation);
    }
    ASSERT_EQ(fromText.pointLights.size(), fromFile.pointLights.size());
    ASSERT_EQ(fromText.ambientLights.size(), fromFile.ambientLights.size());
    EXPECT_FALSE(fromFile.curves.empty() && fromFile.pointLights.empty() &&
                 fromFile.ambientLights.empty());
  }
}

}  // namespace
}  // namespace tessaly::assets
