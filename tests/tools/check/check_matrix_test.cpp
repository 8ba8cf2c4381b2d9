// tessaly-inspect check on every damage of the broken-content matrix: the
// matrix's rows are mirrored here; each row's damage is done to every file
// its pattern matches at once, in a copy of Data/ made of links to the
// production with the damaged files written for real, and the check must
// name each damaged file it can know about, and no other.
#include "assets/mtl_reader.h"
#include "demo/show_files.h"
#include "tests/support/x_windows.h"
#include "tests/support/damaged_production.h"
#include "tools/check/production_check.h"

#include <gtest/gtest.h>

#include <map>

namespace tessaly::check {
namespace {

using namespace tessaly::test;

// What the check must say about the files of a row.
enum class Expect {
  nothing,      // not content: no finding at all
  each,         // a finding for every damaged file
  eachNamed,    // a finding for every damaged file something names (unnamed pictures are unknowable when missing)
};

struct Row {
  const char* files;  // a pattern within Data/, as in the matrix
  std::vector<Damage> damages;
  Expect expect;
  std::set<std::string> kinds;  // the finding kinds allowed for the damaged files
};

const std::vector<Damage> all = {Damage::missing, Damage::empty, Damage::half, Damage::random};

const std::vector<Row> rows = {
    {"LICENSE", all, Expect::nothing, {}},
    {"Loading.jpg", {Damage::missing}, Expect::each, {"missing"}},
    {"Loading.jpg", {Damage::empty}, Expect::each, {"empty"}},
    {"Loading.jpg", {Damage::half, Damage::random}, Expect::each, {"undecodable"}},
    {"Textures/*", {Damage::missing}, Expect::eachNamed, {"missing"}},
    {"Textures/*", {Damage::empty}, Expect::each, {"empty"}},
    {"Textures/*", {Damage::half, Damage::random}, Expect::each, {"undecodable"}},
    {"Maya/*.ma", {Damage::missing}, Expect::each, {"missing"}},
    {"Maya/*.ma", {Damage::empty}, Expect::each, {"empty"}},
    {"Maya/*.ma", {Damage::half, Damage::random}, Expect::each,
     {"no-records", "no-segment", "no-curve", "no-light", "cut-short"}},
    {"Models/*.obj", {Damage::missing}, Expect::each, {"missing"}},
    {"Models/*.obj", {Damage::empty}, Expect::each, {"empty"}},
    {"Models/*.obj", {Damage::half, Damage::random}, Expect::each,
     {"dropped-faces", "no-faces", "cut-short"}},
    {"Models/*.mtl", {Damage::missing}, Expect::each, {"missing"}},
    {"Models/*.mtl", {Damage::empty}, Expect::each, {"empty"}},
    {"Models/*.mtl", {Damage::half, Damage::random}, Expect::each,
     {"no-materials", "undefined-material", "cut-short"}},
    {"Rocket/*.track", {Damage::missing}, Expect::each, {"missing"}},
    {"Rocket/*.track", {Damage::empty}, Expect::each, {"empty"}},
    {"Rocket/*.track", {Damage::half, Damage::random}, Expect::each,
     {"track-cut-short", "no-keys", "keys-out-of-order", "unknown-interpolation"}},
    {"Shaders/Filters.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/Bokeh.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/NormalMap.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/Distort.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/test.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/Overlay.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/Model.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/Lambert.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Shaders/Particles.*", all, Expect::each, {"missing", "empty", "shader", "cut-short", "no-main"}},
    {"Sound/*.mp3", {Damage::missing}, Expect::each, {"missing"}},
    {"Sound/*.mp3", {Damage::empty}, Expect::each, {"empty"}},
    {"Sound/*.mp3", {Damage::random}, Expect::each, {"undecodable"}},
    {"Sound/*.mp3", {Damage::half}, Expect::each, {"short-soundtrack"}},
};

// The pictures something names: the frame driver, or a material of the
// production.
std::set<std::string> namedPictures() {
  std::set<std::string> names(demo::shownPictures.begin(), demo::shownPictures.end());
  for (const std::string& file : productionFiles()) {
    if (matches("Models/*.mtl", file)) {
      for (const assets::MaterialData& material : assets::readMtlFile((production / file).string()).materials) {
        for (const std::string* map : {&material.ambientMap, &material.diffuseMap, &material.specularMap,
                                       &material.emissiveMap, &material.shininessMap,
                                       &material.opacityMap, &material.bumpMap}) {
          if (!map->empty()) {
            names.insert(*map);
          }
        }
      }
    }
  }
  return names;
}

// Decodes each file once across the copies: an undamaged file is a link
// to the production's, so its real path is the same in every copy.
class RememberingDecoders : public Decoders {
 public:
  std::optional<std::string> pictureFailure(const std::string& path) override {
    const std::string key = fs::canonical(path).string();
    if (auto known = pictures_.find(key); known != pictures_.end()) {
      return known->second;
    }
    return pictures_[key] = Decoders::pictureFailure(path);
  }
  std::optional<double> soundSeconds(const std::string& path) override {
    const std::string key = fs::canonical(path).string();
    if (auto known = sounds_.find(key); known != sounds_.end()) {
      return known->second;
    }
    return sounds_[key] = Decoders::soundSeconds(path);
  }

 private:
  std::map<std::string, std::optional<std::string>> pictures_;
  std::map<std::string, std::optional<double>> sounds_;
};

std::string describe(const CheckReport& report) {
  std::string text;
  for (const Finding& finding : report.findings) {
    text += "  [" + finding.kind + "] " + finding.file + ": " + finding.problem + "\n";
  }
  return text.empty() ? "  (no findings)\n" : text;
}

TEST(BrokenContentCheck, EveryCaseGivesItsFindingAndNoOther) {
  if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << production;
  if (!test::haveXDisplay()) GTEST_SKIP() << "needs a display";
  const std::vector<std::string> files = productionFiles();
  const std::set<std::string> named = namedPictures();
  std::set<std::string> covered;
  RememberingDecoders decoders;
  const ShaderContext context;  // one for every case: making one costs more than a build
  for (const Row& row : rows) {
    std::vector<std::string> damaged;
    std::copy_if(files.begin(), files.end(), std::back_inserter(damaged),
                 [&](const std::string& file) { return matches(row.files, file); });
    ASSERT_FALSE(damaged.empty()) << row.files << " matches no file of the production";
    covered.insert(damaged.begin(), damaged.end());
    for (const Damage damage : row.damages) {
      SCOPED_TRACE(std::string(row.files) + " " + damageName(damage));
      test::TempDir folder;
      const fs::path data = makeDamagedCopy(folder.path(), damaged, damage);
      CheckReport report = startReport(data.string());
      checkFiles(report, decoders);
      if (std::string_view(row.files).starts_with("Shaders/")) {
        // Only the damaged pair is built: the others build on the clean
        // production (above), and each build costs the software rasteriser.
        std::erase_if(report.shaderPairs, [&](const ShaderPair& pair) {
          return !matches(row.files, fs::relative(pair.vertexPath, data).string());
        });
        ASSERT_EQ(report.shaderPairs.size(), 1u);
        checkShaders(report, context);
        ASSERT_TRUE(report.shadersChecked) << report.shadersSkipped;
      }
      const auto names = [&](const Finding& finding, const std::string& file) {
        return finding.file.find(report.dataDir + "/" + file) != std::string::npos;
      };
      // A finding about another file still comes from the damage when it
      // says so (a picture that a library cut short names by half its name).
      const auto traces = [&](const Finding& finding, const std::string& file) {
        return names(finding, file) ||
               finding.problem.find(report.dataDir + "/" + file) != std::string::npos;
      };
      if (row.expect == Expect::nothing) {
        EXPECT_TRUE(report.findings.empty()) << describe(report);
        continue;
      }
      for (const std::string& file : damaged) {
        const bool knowable = row.expect == Expect::each || named.count(fs::path(file).filename().string()) > 0;
        if (!knowable) {
          continue;
        }
        const bool found = std::any_of(report.findings.begin(), report.findings.end(), [&](const Finding& f) {
          return names(f, file) && row.kinds.count(f.kind) > 0;
        });
        EXPECT_TRUE(found) << file << " has no finding of the expected kinds:\n" << describe(report);
      }
      for (const Finding& finding : report.findings) {
        const bool aboutDamage = std::any_of(damaged.begin(), damaged.end(),
                                             [&](const std::string& file) { return traces(finding, file); });
        EXPECT_TRUE(aboutDamage) << "a finding about an undamaged file:\n" << describe(report);
        EXPECT_FALSE(finding.action.empty());
      }
    }
  }
  // The rows cover every file of the production, as the matrix's do.
  EXPECT_EQ(covered.size(), files.size());
}

}  // namespace
}  // namespace tessaly::check
