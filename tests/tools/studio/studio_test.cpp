// tessaly-studio end to end: the built program on a copy of the built
// production, driven without a person through --at, --shot and
// --shot-after-reload, its pixels compared with tessaly-capture's frame of
// the same time and with a shader edited while it runs; and its track
// editor driven with the keyboard on a display of the test's own.
#include "sync/music_player.h"
#include "sync/sync_track.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string studioPath = std::string(TESSALY_BINARY_DIR) + "/tessaly-studio";
const std::string capturePath = std::string(TESSALY_BINARY_DIR) + "/tessaly-capture";
const std::string productionData = std::string(TESSALY_BINARY_DIR) + "/Data";

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  const std::uint8_t* at(int x, int y) const {
    return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
  }
};

Picture readPng(const std::string& path) {
  Picture picture;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
  if (data == nullptr) {
    return {};
  }
  picture.rgb.assign(data, data + static_cast<std::size_t>(picture.width) * picture.height * 3);
  stbi_image_free(data);
  return picture;
}

// The largest difference of one channel between two pictures of one size,
// and the share of pixels that differ by more than `tolerance`.
struct Difference {
  int largest = 0;
  double share = 0.0;
};
Difference compare(const Picture& a, const Picture& b, int tolerance) {
  Difference difference;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < a.rgb.size(); i += 3) {
    int pixel = 0;
    for (std::size_t c = 0; c < 3; ++c) {
      pixel = std::max(pixel, std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])));
    }
    difference.largest = std::max(difference.largest, pixel);
    differing += pixel > tolerance ? 1 : 0;
  }
  difference.share = a.rgb.empty() ? 0.0 : double(differing) / double(a.rgb.size() / 3);
  return difference;
}

struct Outcome {
  int status = -1;
  std::string err;
  std::string out;
};

Outcome run(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& folder) {
  ChildProcess child(program, arguments, {folder, {"SDL_AUDIODRIVER=dummy"}, ""});
  Outcome outcome;
  if (!child.started()) return outcome;
  outcome.status = child.wait(240s).value_or(-1000);
  outcome.err = child.standardError();
  outcome.out = child.standardOutput();
  return outcome;
}

class Studio : public testing::Test {
 protected:
  void SetUp() override {
    if (!haveDisplay()) GTEST_SKIP() << "needs a display";
    if (!fs::is_directory(productionData)) {
      GTEST_SKIP() << "the production is not built into " << productionData;
    }
    fs::copy(productionData, production.path() / "Data", fs::copy_options::recursive);
  }
  TempDir production;  // a copy of the production, edited by the tests
  TempDir out;
};

TEST_F(Studio, AShotAtATimeIsThePlayersFrameAndStepsOfTimeChangeIt) {
  const std::string folder = production.path().string();
  // Twelve seconds in: scene 1 with the title overlay.
  const Outcome studio = run(studioPath,
                             {"--size", "320x180", "--no-multisampling", "--at", "12", "--shot",
                              out.file("studio.png"), folder},
                             out.path().string());
  ASSERT_EQ(studio.status, 0) << studio.err;
  const Outcome capture =
      run(capturePath,
          {"--size", "320x180", "--no-multisampling", "--at", "12", "-o", out.file("capture.png")},
          folder);
  ASSERT_EQ(capture.status, 0) << capture.err;

  const Picture shot = readPng(out.file("studio.png"));
  const Picture reference = readPng(out.file("capture.png"));
  ASSERT_EQ(shot.width, 320);
  ASSERT_EQ(shot.height, 180);
  ASSERT_EQ(reference.width, 320);
  const Difference same = compare(shot, reference, 2);
  EXPECT_LE(same.share, 0.001) << "the studio draws the player's frame (largest difference "
                               << same.largest << ")";
  EXPECT_FALSE(fs::exists(out.file("studio.png.part")));

  // Another scene gives another picture; the shot is the frame alone.
  const Outcome later = run(studioPath,
                            {"--size", "320x180", "--no-multisampling", "--at", "40", "--shot",
                             out.file("later.png"), folder},
                            out.path().string());
  ASSERT_EQ(later.status, 0) << later.err;
  EXPECT_GT(compare(readPng(out.file("later.png")), shot, 8).share, 0.5);

  // With the panels (the inspector and messages hidden) the timeline
  // covers the bottom rows.
  const Outcome panels = run(studioPath,
                             {"--size", "320x180", "--no-multisampling", "--at", "12", "--shot",
                              out.file("panels.png"), "--shot-with-panels", "--no-panels", folder},
                             out.path().string());
  ASSERT_EQ(panels.status, 0) << panels.err;
  const Picture withPanels = readPng(out.file("panels.png"));
  ASSERT_EQ(withPanels.height, 180);
  // Scene 1's span is drawn in its colour (90, 150, 230) near the bottom left.
  const std::uint8_t* span = withPanels.at(20, 180 - 8 - 6);
  EXPECT_NEAR(span[0], 90, 2);
  EXPECT_NEAR(span[1], 150, 2);
  EXPECT_NEAR(span[2], 230, 2);
}

TEST_F(Studio, AShaderSavedWhileItRunsShowsInTheNextFrame) {
  const std::string folder = production.path().string();
  const std::string before = out.file("before.png");
  const std::string after = out.file("after.png");
  ChildProcess studio(studioPath,
                      {"--size", "320x180", "--no-multisampling", "--at", "12", "--shot", before,
                       "--shot-after-reload", after, "--timeout", "120", folder},
                      {out.path().string(), {"SDL_AUDIODRIVER=dummy"}, ""});
  ASSERT_TRUE(studio.started());
  ASSERT_TRUE(waitFor(120s, [&] { return fs::exists(before) || !studio.running(); }))
      << studio.standardError();
  ASSERT_TRUE(fs::exists(before)) << studio.standardError();

  // The overlays (and every full-screen picture) are drawn by the filter
  // program: made to output solid magenta, the whole frame turns magenta.
  // Saved as editors do, written aside and moved into place, so the studio
  // never reads half a file.
  const fs::path written = production.path() / "Filters.frag.new";
  {
    std::ofstream shader(written, std::ios::trunc);
    shader << "#version 330 core\nin vec2 uv;\nout vec4 fragColor;\n"
              "void main() { fragColor = vec4(1.0, 0.0, 1.0, 1.0); }\n";
  }
  fs::rename(written, production.path() / "Data/Shaders/Filters.frag");
  const std::optional<int> status = studio.wait(150s);
  ASSERT_TRUE(status) << "no shot after the edit";
  ASSERT_EQ(*status, 0) << studio.standardError();
  EXPECT_NE(studio.standardError().find("tessaly-studio: reloaded Data/Shaders/Filters."),
            std::string::npos)
      << studio.standardError();

  const Picture first = readPng(before);
  const Picture edited = readPng(after);
  ASSERT_EQ(edited.width, 320);
  const std::uint8_t* centre = first.at(160, 90);
  EXPECT_FALSE(centre[0] == 255 && centre[1] == 0 && centre[2] == 255) << "magenta before the edit";
  for (const auto& [x, y] : {std::pair{160, 90}, std::pair{5, 5}, std::pair{314, 174}}) {
    const std::uint8_t* pixel = edited.at(x, y);
    EXPECT_EQ(pixel[0], 255) << x << "," << y;
    EXPECT_EQ(pixel[1], 0) << x << "," << y;
    EXPECT_EQ(pixel[2], 255) << x << "," << y;
  }
}

TEST_F(Studio, AShaderThatFailsToCompileKeepsTheLastGoodOneAndSaysWhereWithoutABox) {
  const std::string folder = production.path().string();
  const std::string before = out.file("before.png");
  const std::string after = out.file("after.png");
  ChildProcess studio(studioPath,
                      {"--size", "320x180", "--no-multisampling", "--at", "12", "--shot", before,
                       "--shot-after-reload", after, "--timeout", "120", folder},
                      {out.path().string(), {"SDL_AUDIODRIVER=dummy"}, ""});
  ASSERT_TRUE(studio.started());
  ASSERT_TRUE(waitFor(120s, [&] { return fs::exists(before) || !studio.running(); }))
      << studio.standardError();
  ASSERT_TRUE(fs::exists(before)) << studio.standardError();

  const fs::path written = production.path() / "Filters.frag.new";
  {
    std::ofstream shader(written, std::ios::trunc);
    shader << "#version 330 core\nout vec4 fragColor;\nvoid main() {\n  fragColor = nonsense;\n}\n";
  }
  fs::rename(written, production.path() / "Data/Shaders/Filters.frag");
  const std::optional<int> status = studio.wait(150s);
  ASSERT_TRUE(status) << "no shot after the edit: a blocking box?";
  EXPECT_EQ(*status, 1) << "a failed reload before the shot is a failure";
  const std::string err = studio.standardError();
  EXPECT_NE(err.find("ERROR: Reload of Data/Shaders/Filters."), std::string::npos) << err;
  EXPECT_NE(err.find("Filters.frag:4"), std::string::npos)
      << "the log names file and line: " << err;
  EXPECT_NE(err.find("the shot shows the last good content"), std::string::npos) << err;

  // The frame after the failed reload is the frame before it.
  const Difference unchanged = compare(readPng(before), readPng(after), 2);
  EXPECT_LE(unchanged.share, 0.001) << unchanged.largest;
}

TEST_F(Studio, WrongCommandLinesAndAMissingDataFolderEndWithAReason) {
  const std::string here = out.path().string();
  const Outcome usage = run(studioPath, {"--speed", "4"}, here);
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("--speed wants a factor from 0.25 to 2"), std::string::npos)
      << usage.err;

  const Outcome missing = run(studioPath, {"--shot", "x.png"}, here);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no Data/ folder in ."), std::string::npos) << missing.err;
  EXPECT_FALSE(fs::exists(out.file("x.png")));

  const Outcome unwritable = run(studioPath,
                                 {"--size", "160x90", "--no-multisampling", "--shot",
                                  out.file("no/such/folder.png"), production.path().string()},
                                 here);
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;

  const Outcome help = run(studioPath, {"--help"}, here);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Page Up / Page Down"), std::string::npos);
}

// The mean of all channels of a picture.
double brightness(const Picture& picture) {
  double sum = 0.0;
  for (const std::uint8_t value : picture.rgb)
    sum += value;
  return picture.rgb.empty() ? -1.0 : sum / static_cast<double>(picture.rgb.size());
}

TEST_F(Studio, AKeyOfSceneAlphaTypedInTheEditorIsSavedAndShownAndQuittingUnsavedAsks) {
  if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "needs Xvfb";
  PrivateXServer server(800, 600);
  ASSERT_TRUE(server.ok());
  const XDisplay& display = server.display();
  std::vector<std::string> environment = display.environment();
  environment.push_back("SDL_AUDIODRIVER=dummy");
  const std::string folder = production.path().string();
  const std::string track = folder + "/Data/Rocket/sync_scene.alpha.track";
  const std::vector<sync::SyncKey> original = sync::readTrackFile(track).keys;
  // At 12 s the scene is faded in; the cursor row is 12 s of rows.
  const auto row = static_cast<std::int32_t>(12.0 * sync::rowsPerSecond);
  ASSERT_GT(sync::SyncTrack("scene.alpha", original).valueAt(row), 0.5);

  const std::string before = out.file("before.png");
  const std::string after = out.file("after.png");
  ChildProcess studio(studioPath,
                      {"--size", "320x180", "--no-multisampling", "--no-panels", "--at", "12",
                       "--editor", "--shot", before, "--shot-after-save", after, folder},
                      {out.path().string(), environment, ""});
  ASSERT_TRUE(studio.started());
  ASSERT_TRUE(waitFor(120s, [&] { return fs::exists(before) || !studio.running(); }))
      << studio.standardError();
  const std::string window = display.waitForWindow("Tessaly demosystem", studio.pid(), 30s,
                                                   [&] { return !studio.running(); });
  ASSERT_FALSE(window.empty()) << studio.standardError();
  // scene.alpha is the eighteenth track: seventeen steps right, then 0,
  // Enter to set the key and Ctrl+S to save.
  for (const char* key : {"Right", "Right", "Right", "Right", "Right",  "Right", "Right",
                          "Right", "Right", "Right", "Right", "Right",  "Right", "Right",
                          "Right", "Right", "Right", "0",     "Return", "ctrl+s"}) {
    ASSERT_TRUE(display.pressKey(window, key)) << key;
  }
  const std::optional<int> status = studio.wait(120s);
  ASSERT_TRUE(status) << "no shot after the save";
  ASSERT_EQ(*status, 0) << studio.standardError();

  // The file holds the production's keys and the new one, nothing else.
  const sync::TrackData saved = sync::readTrackFile(track);
  std::vector<sync::SyncKey> expected = original;
  const auto at = std::find_if(expected.begin(), expected.end(),
                               [&](const sync::SyncKey& key) { return key.row >= row; });
  sync::SyncKey key{row, 0.0f, at == expected.begin() ? sync::KeyType::step : std::prev(at)->type};
  if (at != expected.end() && at->row == row) {
    key.type = at->type;
    *at = key;
  } else {
    expected.insert(at, key);
  }
  ASSERT_EQ(saved.keys.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(saved.keys[i].row, expected[i].row) << i;
    EXPECT_EQ(saved.keys[i].value, expected[i].value) << i;
    EXPECT_EQ(saved.keys[i].type, expected[i].type) << i;
  }
  EXPECT_EQ(fs::file_size(track), 4 + 9 * expected.size());
  EXPECT_FALSE(fs::exists(track + ".theirs.txt"));
  // The studio's own save is not reloaded over the editor, nor a conflict.
  EXPECT_EQ(studio.standardError().find("changed on the disk"), std::string::npos)
      << studio.standardError();

  // The frame with the scene's fade at 0 is dark where it was lit.
  const Picture lit = readPng(before);
  const Picture faded = readPng(after);
  ASSERT_EQ(faded.width, 320);
  EXPECT_LT(brightness(faded), brightness(lit) * 0.5)
      << brightness(faded) << " against " << brightness(lit);

  // Quitting with an unsaved edit asks first: Escape leaves the studio
  // running, N quits without saving.
  const std::string savedBytes = readFile(track);
  ChildProcess again(studioPath,
                     {"--size", "320x180", "--no-multisampling", "--at", "12", "--editor", folder},
                     {out.path().string(), environment, ""});
  ASSERT_TRUE(again.started());
  const std::string second = display.waitForWindow("Tessaly demosystem", again.pid(), 120s,
                                                   [&] { return !again.running(); });
  ASSERT_FALSE(second.empty()) << again.standardError();
  for (const char* key : {"5", "Return", "Escape"}) {
    ASSERT_TRUE(display.pressKey(second, key)) << key;
  }
  EXPECT_FALSE(again.wait(3s)) << "quit with unsaved edits without asking";
  ASSERT_TRUE(display.pressKey(second, "n"));
  const std::optional<int> quit = again.wait(60s);
  ASSERT_TRUE(quit);
  EXPECT_EQ(*quit, 0) << again.standardError();
  EXPECT_EQ(readFile(track), savedBytes);
}

}  // namespace
}  // namespace tessaly::test
