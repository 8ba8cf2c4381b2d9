#include "assets/mtl_reader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly::assets {
namespace {

const std::string fixtures = TESSALY_SOURCE_DIR "/tests/assets/fixtures/";

std::vector<MaterialData> readText(const std::string& text) {
  return readMtlText(text).materials;
}

void expectDefaults(const MaterialData& material) {
  EXPECT_EQ(material.ambient, glm::vec3(0.0f));
  EXPECT_EQ(material.diffuse, glm::vec3(1.0f));
  EXPECT_EQ(material.specular, glm::vec3(0.0f));
  EXPECT_EQ(material.emissive, glm::vec3(0.0f));
  EXPECT_EQ(material.shininess, 2.0f);
  EXPECT_EQ(material.opacity, 1.0f);
  EXPECT_EQ(material.illumination, 1.0f);
  for (const std::string* map : {&material.ambientMap, &material.diffuseMap, &material.specularMap,
                                 &material.emissiveMap, &material.shininessMap,
                                 &material.opacityMap, &material.bumpMap}) {
    EXPECT_TRUE(map->empty()) << *map;
  }
}

TEST(MtlReader, EveryKeywordSetsItsFieldAndAMaterialWithoutLinesHasTheDefaults) {
  const MtlData library = readMtlFile(fixtures + "every-keyword.mtl");
  ASSERT_TRUE(library.opened);
  const std::vector<MaterialData>& materials = library.materials;
  ASSERT_EQ(materials.size(), 2u);
  const MaterialData& m = materials[0];
  EXPECT_EQ(m.name, "Everything");
  EXPECT_EQ(m.illumination, 2.5f);
  EXPECT_EQ(m.ambient, glm::vec3(0.1f, 0.2f, 0.3f));
  EXPECT_EQ(m.diffuse, glm::vec3(0.4f, 0.5f, 0.6f));
  EXPECT_EQ(m.specular, glm::vec3(0.7f, 0.8f, 0.9f));
  EXPECT_EQ(m.emissive, glm::vec3(1.0f, 0.5f, 0.25f));
  EXPECT_EQ(m.shininess, 96.078431f);
  EXPECT_EQ(m.opacity, 0.75f);
  EXPECT_EQ(m.ambientMap, "ambient.png");
  EXPECT_EQ(m.diffuseMap, "diffuse.png");
  EXPECT_EQ(m.specularMap, "specular.png");
  EXPECT_EQ(m.emissiveMap, "emissive.png");
  EXPECT_EQ(m.shininessMap, "shininess.png");
  EXPECT_EQ(m.opacityMap, "opacity.png");
  EXPECT_EQ(m.bumpMap, "bump.png");
  EXPECT_EQ(materials[1].name, "Defaults");
  expectDefaults(materials[1]);
}

TEST(MtlReader, OpacityComesFromDTrAsWrittenAndTheMeanOfTf) {
  const auto materials =
      readText("newmtl tr\nTr 0.25\nnewmtl d\nd 0.25\nnewmtl tf\nTf 0.2 0.4 0.6\n"
               "newmtl short\nTf 0.3\nnewmtl last\nTr 0.5\nd 0.125\n");
  ASSERT_EQ(materials.size(), 5u);
  EXPECT_EQ(materials[0].opacity, 0.25f);
  EXPECT_EQ(materials[1].opacity, 0.25f);
  EXPECT_FLOAT_EQ(materials[2].opacity, 0.4f);
  EXPECT_EQ(materials[2].opacity, (0.2f + 0.4f + 0.6f) / 3.0f);
  EXPECT_EQ(materials[3].opacity, 0.3f / 3.0f);
  EXPECT_EQ(materials[4].opacity, 0.125f);
}

TEST(MtlReader, BumpAndMapBumpBothSetTheBumpMap) {
  const auto materials = readText("newmtl a\nbump waves.png\nnewmtl b\nmap_Bump waves.png\n");
  ASSERT_EQ(materials.size(), 2u);
  EXPECT_EQ(materials[0].bumpMap, "waves.png");
  EXPECT_EQ(materials[1].bumpMap, "waves.png");
}

TEST(MtlReader, MapLinesTakeTheFirstWordSoAnOptionBecomesTheName) {
  const std::vector<MaterialData> materials =
      readMtlFile(fixtures + "map-options-take-first-word.mtl").materials;
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].diffuseMap, "-s");
  // A map line without a word leaves the map as it was.
  const auto kept = readText("newmtl a\nmap_Kd a.png\nmap_Kd\n");
  EXPECT_EQ(kept.at(0).diffuseMap, "a.png");
}

TEST(MtlReader, LinesBeforeTheFirstNewmtlAreIgnored) {
  const auto materials = readText("Kd 0 0 0\nmap_Kd early.png\nNs 50\nnewmtl late\n");
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].name, "late");
  expectDefaults(materials[0]);
}

TEST(MtlReader, MissingNumbersReadAsZeroAndTheLastColourLineWins) {
  const auto materials =
      readText("newmtl m\nKd 0.5\nKa\nKs 0.5 abc 0.7\nKe 0.1 0.2 0.3 0.4\nNs\n"
               "newmtl twice\nKd 1 0 0\nKd 0 1 0\n");
  ASSERT_EQ(materials.size(), 2u);
  EXPECT_EQ(materials[0].diffuse, glm::vec3(0.5f, 0, 0));
  EXPECT_EQ(materials[0].ambient, glm::vec3(0));
  EXPECT_EQ(materials[0].specular, glm::vec3(0.5f, 0, 0));
  EXPECT_EQ(materials[0].emissive, glm::vec3(0.1f, 0.2f, 0.3f));
  EXPECT_EQ(materials[0].shininess, 0.0f);
  EXPECT_EQ(materials[1].diffuse, glm::vec3(0, 1, 0));
}

TEST(MtlReader, KeywordsAreCaseSensitiveAndMayBeIndented) {
  const auto materials = readText("newmtl m\nKD 0 0 0\nMap_Kd x.png\n\t  Ks 1 1 1\n# Kd 0 0 0\n");
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].diffuse, glm::vec3(1));
  EXPECT_TRUE(materials[0].diffuseMap.empty());
  EXPECT_EQ(materials[0].specular, glm::vec3(1));
}

TEST(MtlReader, AMissingOrEmptyLibraryHasNoMaterials) {
  const MtlData absent = readMtlFile(fixtures + "absent.mtl");
  EXPECT_FALSE(absent.opened);
  EXPECT_TRUE(absent.materials.empty());
  const MtlData directory = readMtlFile(fixtures);
  EXPECT_FALSE(directory.opened);
  const MtlData empty = readMtlText("# no materials here\nKd 1 0 0\n");
  EXPECT_TRUE(empty.opened);
  EXPECT_TRUE(empty.materials.empty());
  const MtlData first = readMtlFile(fixtures + "first.mtl");
  EXPECT_TRUE(first.opened);
  ASSERT_EQ(first.materials.size(), 1u);
  EXPECT_EQ(first.materials[0].name, "First");
}

TEST(MtlReader, ALineTooLongForTheBufferEndsTheRead) {
  // 255 characters fit the 256-character buffer.
  const std::string fits = "map_Kd " + std::string(248, 'a');
  const std::string tooLong = "map_Kd " + std::string(249, 'b');
  const auto kept = readText("newmtl one\n" + fits + "\r\nnewmtl two\n");
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].diffuseMap, std::string(248, 'a'));

  const std::string text = "newmtl one\nKd 1 0 0\n" + tooLong + "\nnewmtl two\n";
  const auto cut = readText(text);
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].diffuse, glm::vec3(1, 0, 0));
  EXPECT_TRUE(cut[0].diffuseMap.empty());

  test::TempDir dir;
  EXPECT_EQ(readMtlFile(dir.write("long.mtl", text)).materials.size(), 1u);
}

TEST(MtlReader, CrLfLineEndsAreNotPartOfNamesOrValues) {
  const auto materials = readText("newmtl Brick\r\nKd 0.5 0.25 1\r\nmap_Kd brick.png\r\n");
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].name, "Brick");
  EXPECT_EQ(materials[0].diffuse, glm::vec3(0.5f, 0.25f, 1));
  EXPECT_EQ(materials[0].diffuseMap, "brick.png");
}

}  // namespace
}  // namespace tessaly::assets
