// tessaly-inspect check as a command: the built production checks clean
// with its drawn and compiled-only shader pairs named, a shader that does
// not compile is named by file, line and column, and the command line.
#include "tests/support/damaged_production.h"
#include "tests/support/x_windows.h"
#include "tests/tools/inspect_run.h"
#include "tools/check/production_check.h"

#include <gtest/gtest.h>

namespace tessaly::check {
namespace {

using namespace tessaly::test;

using Outcome = tools::InspectOutcome;
using tools::inspect;

TEST(CheckProduction, TheBuiltProductionIsCleanAndItsDrawnPairsAreNamed) {
  if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << production;
  if (!test::haveXDisplay()) GTEST_SKIP() << "needs a display";
  const Outcome text = inspect({"check", production.string()});
  EXPECT_EQ(text.status, tools::exitOk) << text.out << text.err;
  EXPECT_EQ(text.err, "");
  EXPECT_NE(text.out.find("Shader pairs the show draws with: Filters (filter shader), Distort "
                          "(distortShader), Model (modelShader), Lambert (lambertShader); the "
                          "overlays' titles are drawn by filter 0 of " +
                          production.string() + "/Shaders/Filters.frag.\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("Shader pairs it only compiles and checks at start-up: Bokeh (bokeh shader), "
                          "NormalMap (normalMapShader), test (sineShader), Overlay (overlayShader), "
                          "Particles (particleShader).\n"),
            std::string::npos)
      << text.out;
  EXPECT_EQ(text.out.find("skipped"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find(production.string() + ": no findings.\n"), std::string::npos) << text.out;

  const Outcome json = inspect({"check", "--json", production.string()});
  EXPECT_EQ(json.status, tools::exitOk);
  EXPECT_NE(json.out.find("\"clean\": true, \"findings\": [], \"shaders\": {\"checked\": true, "
                          "\"skipped\": null, \"pairs\": [{\"name\": \"Filters\""),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("{\"name\": \"Overlay\", \"program\": \"overlayShader\", \"vertex\": \"" +
                          production.string() + "/Shaders/Overlay.vert\", \"fragment\": \"" +
                          production.string() + "/Shaders/Overlay.frag\", \"drawn\": false, "
                          "\"compiled\": true}"),
            std::string::npos)
      << json.out;
}

TEST(CheckCommand, AShaderThatDoesNotCompileIsNamedByFileLineAndColumn) {
  if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << production;
  if (!test::haveXDisplay()) GTEST_SKIP() << "needs a display";
  test::TempDir folder;
  const fs::path data = makeDamagedCopy(folder.path(), {"Shaders/Model.frag"}, Damage::empty);
  std::ofstream(data / "Shaders/Model.frag") << "#version 330 core\nout vec4 colour;\nvoid main() { colour = nonsense; }\n";
  const Outcome run = inspect({"check", data.string()});
  EXPECT_EQ(run.status, tools::exitUnreadable);
  const std::string path = data.string() + "/Shaders/Model.frag";
  EXPECT_NE(run.out.find(path + ": does not compile: the show stops at start-up with \"Error compiling "
                         "modelShader\". Fix the lines the driver names below.\n    " + path + ":3:"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(data.string() + ": 1 finding.\n"), std::string::npos) << run.out;
}

TEST(CheckCommand, UsageMistakesGiveTwoAndAMissingFolderOne) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", "a", "b"}, {"check", "--frobnicate"}, {"check", ""}}) {
    const Outcome run = inspect(args);
    EXPECT_EQ(run.status, tools::exitUsage) << args.back();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: tessaly-inspect check [--json] [DIR]\n"), std::string::npos) << run.err;
  }
  test::TempDir folder;
  const std::string missing = folder.file("nowhere");
  const Outcome run = inspect({"check", missing});
  EXPECT_EQ(run.status, tools::exitUnreadable);
  EXPECT_EQ(run.out.rfind(missing + ": is not a folder: the player finds no content at all. Run where", 0), 0u)
      << run.out;
}

}  // namespace
}  // namespace tessaly::check
