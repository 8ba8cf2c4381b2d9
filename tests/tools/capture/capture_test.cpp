// tessaly-capture end to end: the built tool run in the build folder, which
// holds the real production in Data/, and in folders of the tests' own.
#include "tests/support/filter_shaders.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

const std::string capturePath = std::string(TESSALY_BINARY_DIR) + "/tessaly-capture";
const std::string productionFolder = TESSALY_BINARY_DIR;

struct Outcome {
  int status = -1;
  std::string err;
  std::string out;
};

Outcome capture(const std::vector<std::string>& arguments,
                const std::string& folder = productionFolder,
                std::vector<std::string> environment = {}) {
  environment.push_back("SDL_AUDIODRIVER=dummy");
  ChildProcess child(capturePath, arguments, {folder, environment, ""});
  Outcome outcome;
  if (!child.started()) {
    return outcome;
  }
  const auto status = child.wait(240s);
  outcome.status = status.value_or(-1000);
  outcome.err = child.standardError();
  outcome.out = child.standardOutput();
  return outcome;
}

// Width and height from a PNG's header.
std::pair<int, int> pngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  const auto at = [&](std::size_t i) {
    return (static_cast<std::uint8_t>(bytes[i]) << 24) |
           (static_cast<std::uint8_t>(bytes[i + 1]) << 16) |
           (static_cast<std::uint8_t>(bytes[i + 2]) << 8) | static_cast<std::uint8_t>(bytes[i + 3]);
  };
  return {static_cast<int>(at(16)), static_cast<int>(at(20))};
}

class Capture : public testing::Test {
 protected:
  void SetUp() override {
    if (!haveDisplay()) GTEST_SKIP() << "needs a display";
    if (!std::filesystem::is_directory(productionFolder + "/Data")) {
      GTEST_SKIP() << "the production is not built into " << productionFolder << "/Data";
    }
  }
  TempDir out;
};

TEST_F(Capture, TwoCapturesOfTheSameTimeAreIdentical) {
  for (const char* name : {"a.png", "b.png"}) {
    const Outcome run = capture({"--size", "256x144", "--at", "27.3", "-o", out.file(name)});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const std::string a = readFile(out.file("a.png"));
  EXPECT_EQ(pngSize(a), (std::pair{256, 144}));
  EXPECT_TRUE(a == readFile(out.file("b.png")));
}

TEST_F(Capture, ATimeInEachSceneGivesADifferentPicture) {
  // Scenes 1 to 4 at 5, 25, 45 and 65 seconds, and a black frame at the end.
  const Outcome run = capture({"--size", "256x144", "--no-multisampling", "--at", "5,25,45,65,81.5",
                               "-o", out.file("scene%d.png")});
  ASSERT_EQ(run.status, 0) << run.err;
  // More than one frame: the progress is shown.
  EXPECT_NE(run.err.find("5/5"), std::string::npos) << run.err;
  std::vector<std::string> pictures;
  for (int i = 1; i <= 5; ++i) {
    pictures.push_back(readFile(out.file("scene" + std::to_string(i) + ".png")));
    ASSERT_EQ(pngSize(pictures.back()), (std::pair{256, 144})) << i;
  }
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    for (std::size_t j = i + 1; j < pictures.size(); ++j) {
      EXPECT_TRUE(pictures[i] != pictures[j]) << "pictures " << i + 1 << " and " << j + 1;
    }
  }
}

TEST_F(Capture, ASheetHoldsTheFramesInItsGrid) {
  const Outcome run = capture({"--size", "160x90", "--sheet", out.file("sheet.png"), "--columns",
                               "3", "--count", "5", "--from", "10", "--to", "60"});
  ASSERT_EQ(run.status, 0) << run.err;
  // Two rows of three 160x90 cells, each with a 22-pixel label strip.
  EXPECT_EQ(pngSize(readFile(out.file("sheet.png"))),
            (std::pair{8 + 3 * (160 + 8), 8 + 2 * (90 + 22 + 8)}));
}

TEST_F(Capture, TheVideoHasTheFramesAskedForAndTheSoundtrack) {
  if (runCommand("command -v ffprobe").empty()) GTEST_SKIP() << "needs ffprobe";
  const std::string video = out.file("clip.mp4");
  const Outcome run = capture(
      {"--size", "160x90", "--fps", "10", "--from", "20", "--to", "20.5", "--video", video});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string frames = runCommand(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=nb_read_frames,codec_name,width,height "
      "-of csv=p=0 '" +
      video + "'");
  EXPECT_EQ(frames, "h264,160,90,5\n");
  const std::string audio = runCommand(
      "ffprobe -v error -select_streams a -show_entries "
      "stream=codec_type -of csv=p=0 '" +
      video + "'");
  EXPECT_EQ(audio, "audio\n");
}

// One render of a span makes a video, a JPEG contact sheet and a numbered
// image sequence (in a folder it makes), with times given in rows; the
// sheet is the one a render of the sheet alone makes; the last lines say
// what was written where. Stills past the show's end warn, and a .jpg name
// writes JPEG.
TEST_F(Capture, OneRenderMakesEveryOutputOfASpanAndSaysWhereTheyAre) {
  const std::string video = out.file("clip.mp4");
  const std::string sheet = out.file("sheet.jpg");
  // Sync row 334.4 is 24 s: frames 240 to 249 at 10 fps.
  const std::vector<std::string> span = {"--size", "160x90", "--fps", "10", "--from", "334.4r",
                                         "--to", "25"};
  std::vector<std::string> arguments = span;
  arguments.insert(arguments.end(), {"--video", video, "--sheet", sheet, "--count", "3",
                                     "--frames", out.file("seq/new/f%04d.png")});
  Outcome run = capture(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
  for (int frame = 240; frame < 250; ++frame) {
    const std::string picture = readFile(out.file("seq/new/f0" + std::to_string(frame) + ".png"));
    EXPECT_EQ(pngSize(picture), (std::pair{160, 90})) << frame;
  }
  EXPECT_FALSE(std::filesystem::exists(out.file("seq/new/f0239.png")));
  EXPECT_FALSE(std::filesystem::exists(out.file("seq/new/f0250.png")));
  const std::string jpeg = readFile(sheet);
  ASSERT_GT(jpeg.size(), 3u);
  EXPECT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF");
  EXPECT_GT(std::filesystem::file_size(video), 0u);
  EXPECT_NE(run.out.find("tessaly-capture: wrote " + video + ": 10 frames of 160x90 at 10 fps, "
                         "24.00 s to 25.00 s"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("tessaly-capture: wrote " + sheet + ": a contact sheet of 3 frames"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("tessaly-capture: wrote 10 frames of 160x90: " +
                         out.file("seq/new/f0240.png") + " to " + out.file("seq/new/f0249.png")),
            std::string::npos)
      << run.out;

  arguments = span;
  arguments.insert(arguments.end(), {"--sheet", out.file("alone.jpg"), "--count", "3"});
  run = capture(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(readFile(out.file("alone.jpg")) == jpeg) << "the sheet of one render differs";

  run = capture({"--size", "160x90", "--at", "5,90", "-o", out.file("still%d.jpg")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("tessaly-capture: warning: --at 90 s is past the show's end at 81.6 s"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(readFile(out.file("still1.jpg")).substr(0, 2), "\xFF\xD8");
  EXPECT_NE(run.out.find("tessaly-capture: wrote 2 pictures (160x90): " + out.file("still1.jpg") +
                         " to " + out.file("still2.jpg")),
            std::string::npos)
      << run.out;
}

// SIGTERM or SIGINT in the middle of a video: the capture ends within 2 s
// with 128 + the signal, and leaves no half-written video behind. A stand-in
// for ffmpeg on PATH writes what it is sent to the output.
TEST_F(Capture, ASignalEndsAVideoCaptureWithItsStatusAndNoHalfFile) {
  const std::string tools = out.file("tools");
  std::filesystem::create_directories(tools);
  const std::string standIn = tools + "/ffmpeg";
  {
    std::ofstream script(standIn);
    script << "#!/bin/sh\nfor a; do out=$a; done\ncat > \"$out\"\n";
  }
  std::filesystem::permissions(standIn, std::filesystem::perms::owner_all);
  const char* path = std::getenv("PATH");
  for (const int signal : {SIGTERM, SIGINT}) {
    const std::string video = out.file("cut.mp4");
    ChildProcess child(capturePath, {"--size", "64x36", "--video", video},
                       {productionFolder,
                        {"SDL_AUDIODRIVER=dummy", "PATH=" + tools + ":" + (path ? path : "")},
                        ""});
    ASSERT_TRUE(child.started());
    // Frames are flowing once the stand-in has written some.
    ASSERT_TRUE(waitFor(60s, [&] {
      std::error_code error;
      const auto size = std::filesystem::file_size(video, error);
      return (!error && size > 0) || !child.running();
    })) << child.standardError();
    ASSERT_TRUE(child.running()) << child.standardError();
    const auto sent = std::chrono::steady_clock::now();
    child.kill(signal);
    const std::optional<int> status = child.wait(10s);
    ASSERT_TRUE(status.has_value()) << "capture still running 10 s after signal " << signal;
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 2s);
    EXPECT_EQ(*status, 128 + signal) << child.standardError();
    EXPECT_FALSE(std::filesystem::exists(video)) << "a half-written video was left";
  }
}

TEST_F(Capture, BadUsageExitsWithTwo) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"--at", "1"}, {"--size", "10", "--video", "a.mp4"}}) {
    const Outcome run = capture(arguments);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("usage: tessaly-capture"), std::string::npos);
  }
}

TEST_F(Capture, AMissingOrUnusableDataFolderEndsWithOne) {
  TempDir empty;
  Outcome run = capture({"--at", "1", "-o", out.file("x.png")}, empty.path().string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("tessaly-capture: no Data/ folder"), std::string::npos) << run.err;

  // A Data/ whose filter shader does not compile: start-up fails, and its
  // message goes to stderr instead of a box that waits for OK.
  TempDir broken;
  writeFilterShaders(broken.path());
  broken.write("Data/Shaders/Filters.frag", "#version 330 core\nvoid main() { broken }\n");
  run = capture({"--at", "1", "-o", out.file("x.png")}, broken.path().string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("ERROR: Error compiling filter shader"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("tessaly-capture: start-up failed at the filter chain"), std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(out.file("x.png")));

  // The filter chain alone: the show's own shader set is missing.
  TempDir filtersOnly;
  writeFilterShaders(filtersOnly.path());
  run = capture({"--at", "1", "-o", out.file("x.png")}, filtersOnly.path().string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("tessaly-capture: start-up failed at the shader set"), std::string::npos)
      << run.err;
}

TEST_F(Capture, WithoutADisplayStartUpFailsWithOne) {
  const Outcome run = capture({"--at", "1", "-o", out.file("x.png")}, productionFolder,
                              {"DISPLAY=", "WAYLAND_DISPLAY="});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("ERROR: Unable to initialize GLFW!"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("tessaly-capture: start-up failed at the window: no display"),
            std::string::npos)
      << run.err;
}

// Outputs that cannot be written whole: a disk that fills up (a file size
// limit of 1 KB, with the signal it raises ignored, so writes fail with
// EFBIG the way they fail with ENOSPC on a full disk) and an ffmpeg that
// gives up. Each ends with 1, names the file and the reason, and leaves no
// partial file behind.
TEST_F(Capture, WritesThatFailEndWithOneAndLeaveNoFile) {
  TempDir bin;
  // An encoder that writes the start of a file, then fails.
  bin.write("ffmpeg", "#!/bin/sh\nfor last; do :; done\nprintf 'not a video' > \"$last\"\nexit 1\n");
  std::filesystem::permissions(bin.file("ffmpeg"), std::filesystem::perms::owner_all);
  const std::string smallDisk = "ulimit -f 2; trap '' XFSZ; exec \"$0\" \"$@\"";
  struct Case {
    std::vector<std::string> arguments;
    std::string file;
    std::vector<std::string> environment;
    bool smallDisk;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--size", "320x180", "--at", "5", "-o"}, "x.png", {}, true, ": File too large"},
      {{"--size", "320x180", "--count", "2", "--sheet"}, "s.png", {}, true, ": File too large"},
      {{"--size", "64x36", "--from", "5", "--to", "5.5", "--video"}, "v.mp4",
       {"PATH=" + bin.path().string() + ":/usr/bin:/bin"}, false, "ffmpeg"},
  };
  for (const Case& row : cases) {
    const std::string file = out.file(row.file);
    std::vector<std::string> arguments = row.arguments;
    arguments.push_back(file);
    std::vector<std::string> environment = row.environment;
    environment.push_back("SDL_AUDIODRIVER=dummy");
    std::string program = capturePath;
    if (row.smallDisk) {
      arguments.insert(arguments.begin(), {"-c", smallDisk, capturePath});
      program = "/bin/sh";
    }
    ChildProcess child(program, arguments, {productionFolder, environment, ""});
    const auto status = child.wait(240s);
    EXPECT_EQ(status, 1) << row.file << ": " << child.standardError();
    if (row.smallDisk) {
      EXPECT_NE(child.standardError().find("tessaly-capture: cannot write " + file + row.message),
                std::string::npos)
          << child.standardError();
    } else {
      EXPECT_NE(child.standardError().find(row.message), std::string::npos) << child.standardError();
    }
    EXPECT_FALSE(std::filesystem::exists(file)) << row.file;
  }
}

// Start-up failures are summed up by their cause, not by a guess.
TEST_F(Capture, AFailedStartUpNamesItsCause) {
  const Outcome run = capture({"--size", "16384x16384", "--no-multisampling", "--sheet",
                               out.file("s.png"), "--count", "1"});
  EXPECT_EQ(run.status, 1);
  if (run.err.find("FBO!") != std::string::npos) {
    EXPECT_NE(run.err.find("tessaly-capture: start-up failed at the filter chain: OpenGL cannot "
                           "make render targets of 16384x16384 here; try a smaller --size"),
              std::string::npos)
        << run.err;
  }
  EXPECT_EQ(run.err.find("no display"), std::string::npos) << run.err;
}

TEST_F(Capture, AVideoWithoutFfmpegEndsWithOne) {
  TempDir empty;
  const Outcome run =
      capture({"--video", out.file("x.mp4")}, productionFolder, {"PATH=" + empty.path().string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("ffmpeg not found"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tessaly::test
