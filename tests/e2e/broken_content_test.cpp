// Broken content, end to end: tessaly-capture runs the player's whole
// start-up and four frames (one in each scene) on a copy of the production's
// Data/ in which one file is missing, empty, cut to half its size or replaced
// by random bytes of the same size, and on a Data/ that is missing,
// unreadable or holds symlink loops. Every run must end by itself with the
// status and exactly the messages the player gives for that damage: a
// picture that cannot be decoded is reported and left out, a broken shader
// stops start-up, text content and tracks fall back silently. Nothing else
// may appear on stderr (a sanitizer report or a crash fails the case).
//
// The copy of Data/ is a tree of symbolic links to the built production
// with the one damaged file written for real, so a case costs no copying.
#include "tests/support/damaged_production.h"
#include "tests/support/memory_limit.h"
#include "tests/support/png_writer.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fnmatch.h>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string capturePath = std::string(TESSALY_BINARY_DIR) + "/tessaly-capture";

// A run that has not ended after this has hung.
constexpr auto runTimeout = 60s;
// The address space tessaly-capture may take in the runs on files that claim
// gigabytes, in KiB: the show at 64x36 needs far less, and a 30000x30000
// picture decoded or a curve of 100,000 segments measured needs far more.
constexpr long captureAddressSpaceKb = 3L << 20;
// Runs of one case at a time: start-up is mostly one core's work, and a
// missing shader file waits two seconds doing nothing.
constexpr std::size_t parallelRuns = 2;

const Damage allDamages[] = {Damage::missing, Damage::empty, Damage::half, Damage::random};

// What the capture tool must end with. In messages, "%s" stands for the
// damaged file's name.
struct Outcome {
  int status = 0;
  std::vector<std::string> messages;  // the "ERROR: " lines, in order
};

Outcome silent() { return {0, {}}; }
Outcome reported(std::string message) { return {0, {std::move(message)}}; }
// A broken shader stops start-up: its program's message, then the tool's own
// line, exit status 1. The driver's compile log, naming the file, may come
// before it.
Outcome stopsStartUp(std::string message) { return {1, {std::move(message)}}; }

struct Case {
  const char* files;  // a pattern within Data/, e.g. "Textures/*.png"
  std::vector<Damage> damages;
  Outcome outcome;
  const char* why;
};

// The expectations, one row a case. Together the rows must cover every file
// of the production with each damage exactly once (checked below).
const std::vector<Case> cases = {
    {"LICENSE", {Damage::missing, Damage::empty, Damage::half, Damage::random}, silent(),
     "not content: nothing reads it"},

    {"Loading.jpg", {Damage::missing}, silent(),
     "the loading screen draws with no texture bound"},
    {"Loading.jpg", {Damage::empty, Damage::half, Damage::random},
     reported("DevIL failed to load: %s"), "an image that cannot be decoded is reported and left out"},
    {"Textures/*.png", {Damage::missing}, silent(),
     "a name that is not loaded binds texture 0, silently"},
    {"Textures/*.png", {Damage::empty, Damage::half, Damage::random},
     reported("DevIL failed to load: %s"), "a PNG cut short or of noise does not decode"},
    {"Textures/*.jpg", {Damage::missing}, silent(),
     "a name that is not loaded binds texture 0, silently"},
    {"Textures/*.jpg", {Damage::empty, Damage::half, Damage::random},
     reported("DevIL failed to load: %s"), "a JPEG cut short or of noise does not decode"},

    {"Maya/*.ma", {Damage::missing}, silent(),
     "curve and light lookups fall back to their neutral values"},
    {"Maya/*.ma", {Damage::empty, Damage::random}, silent(),
     "a first word other than //Maya adds nothing, silently"},
    {"Maya/*.ma", {Damage::half}, silent(),
     "the curve or light cut off is never completed and so not added; what came before stays"},

    {"Models/*.obj", {Damage::missing}, silent(), "a model that is not listed draws nothing"},
    {"Models/*.obj", {Damage::empty, Damage::random}, silent(),
     "no keyword: a model without faces, drawn as nothing"},
    {"Models/*.obj", {Damage::half}, silent(),
     "the records read so far are kept; faces naming records not read are skipped"},
    {"Models/*.mtl", {Damage::missing}, silent(),
     "a library that cannot be opened adds no materials; usemtl keeps the material in force"},
    {"Models/*.mtl", {Damage::empty, Damage::half, Damage::random}, silent(),
     "unrecognised lines are skipped; a line too long ends the library, silently"},

    {"Rocket/*.track", {Damage::missing, Damage::empty}, silent(),
     "a track without keys reads 0 at every row"},
    {"Rocket/*.track", {Damage::half, Damage::random}, silent(),
     "the keys the bytes hold are kept; a count the file cannot back is not believed"},

    {"Shaders/Filters.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling filter shader"), "the filter chain cannot be made"},
    {"Shaders/Bokeh.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling bokeh shader"), "checked at start-up though no pass uses it"},
    {"Shaders/NormalMap.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling normalMapShader"), "every demo program must build"},
    {"Shaders/Distort.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling distortShader"), "every demo program must build"},
    {"Shaders/test.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling sineShader"), "every demo program must build"},
    {"Shaders/Overlay.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling overlayShader"), "every demo program must build"},
    {"Shaders/Model.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling modelShader"), "every demo program must build"},
    {"Shaders/Lambert.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling lambertShader"), "every demo program must build"},
    {"Shaders/Particles.*", {Damage::missing, Damage::empty, Damage::half, Damage::random},
     stopsStartUp("Error compiling particleShader"), "every demo program must build"},

    // The player shows three messages here ("Bass file loading failed!",
    // "Music failed to play!", "Failed to start song at the start"); capture
    // neither plays nor seeks, so only the first applies.
    {"Sound/*.mp3", {Damage::missing, Damage::empty, Damage::random},
     reported("Bass file loading failed!"),
     "no decodable sound: frames render with a silent spectrum"},
    {"Sound/*.mp3", {Damage::half}, silent(),
     "the first half decodes; frames after it see the silence past its end"},
};

// How a row shows in test names and reports: "Textures/*.png: empty half random".
void PrintTo(const Case& row, std::ostream* out) {
  *out << row.files << ":";
  for (const Damage damage : row.damages) {
    *out << " " << damageName(damage);
  }
}




// One capture run and what it must end with.
struct CaptureRun {
  std::string label;  // for the report, e.g. "Textures/Copper.png half"
  fs::path folder;    // the working directory, holding Data/
  std::string file;   // the damaged file's name, for "%s" and the shader log
  Outcome outcome;
  bool shaderLog = false;
  std::vector<std::string> wrapper;  // a program (and its arguments) to run the tool under
};

// Starts `program` with `arguments` in `folder`, under `wrapper` when one
// is given.
std::unique_ptr<ChildProcess> startWrapped(const std::vector<std::string>& wrapper,
                                           const std::string& program,
                                           std::vector<std::string> arguments,
                                           const fs::path& folder) {
  auto [run, all] = wrapCommand(wrapper, program, std::move(arguments));
  return std::make_unique<ChildProcess>(
      run, all, ChildProcess::Options{folder.string(), {"SDL_AUDIODRIVER=dummy"}, ""});
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    result.push_back(line);
  }
  return result;
}

std::string expand(const std::string& message, const std::string& file) {
  const std::size_t at = message.find("%s");
  if (at == std::string::npos) return message;
  return message.substr(0, at) + fs::path(file).filename().string() + message.substr(at + 2);
}

// What is wrong with a finished run; empty when nothing is.
std::string judge(const CaptureRun& run, std::optional<int> status, const std::string& err) {
  std::ostringstream problems;
  if (!status) {
    return "did not end within " + std::to_string(runTimeout.count()) + " s (a hang)";
  }
  if (*status != run.outcome.status) {
    problems << "exit status " << *status << ", wanted " << run.outcome.status << "; ";
  }
  std::vector<std::string> messages;
  bool toolLine = false;
  bool namesFile = false;
  const std::string shaderPath = "Data/" + run.file;
  for (const std::string& line : lines(err)) {
    if (line.rfind("ERROR: ", 0) == 0) {
      messages.push_back(line.substr(7));
    } else if (line.rfind("[", 0) == 0) {
      // The progress bar.
    } else if (run.outcome.status == 1 && line.rfind("tessaly-capture: start-up failed", 0) == 0) {
      toolLine = true;
    } else if (run.shaderLog) {
      // A cut that ends between two functions still compiles: the program
      // then fails to link for want of main(), and the link log names the
      // pair of files.
      const std::string linkFailed = ": program link failed";
      const bool pairFailedToLink =
          line.find(shaderPath) != std::string::npos && line.size() > linkFailed.size() &&
          line.compare(line.size() - linkFailed.size(), linkFailed.size(), linkFailed) == 0;
      namesFile = namesFile || line == shaderPath + ": shader compile failed" ||
                  line == shaderPath + ": shader file cannot be read" || pairFailedToLink;
    } else {
      problems << "unexpected stderr line '" << line << "'; ";
    }
  }
  std::vector<std::string> wanted;
  for (const std::string& message : run.outcome.messages) {
    wanted.push_back(expand(message, run.file));
  }
  if (messages != wanted) {
    problems << "messages {";
    for (const std::string& m : messages) problems << "'" << m << "' ";
    problems << "}, wanted {";
    for (const std::string& m : wanted) problems << "'" << m << "' ";
    problems << "}; ";
  }
  if (run.outcome.status == 1 && !toolLine) {
    problems << "no 'start-up failed' line; ";
  }
  if (run.shaderLog && !namesFile) {
    problems << "no compile log naming " << shaderPath << "; ";
  }
  return problems.str();
}

// Runs every capture, a few at a time, each bounded; returns the report of
// the runs that went wrong (empty when all went right).
std::string runAll(const std::vector<CaptureRun>& runs, const fs::path& out) {
  struct Running {
    const CaptureRun* run;
    std::unique_ptr<ChildProcess> child;
    std::chrono::steady_clock::time_point deadline;
  };
  std::vector<Running> running;
  std::string report;
  std::size_t next = 0;
  const auto finish = [&](Running& job, std::optional<int> status) {
    const std::string problem = judge(*job.run, status, job.child->standardError());
    if (!problem.empty()) {
      report += job.run->label + ": " + problem + "\n    stderr: " + job.child->standardError() + "\n";
    }
  };
  while (next < runs.size() || !running.empty()) {
    while (next < runs.size() && running.size() < parallelRuns) {
      const CaptureRun& run = runs[next++];
      const std::vector<std::string> arguments = {
          "--size", "64x36", "--no-multisampling", "--at", "5,25,45,65", "-o",
          (out / (std::to_string(next) + "-%d.png")).string()};
      running.push_back({&run, startWrapped(run.wrapper, capturePath, arguments, run.folder),
                         std::chrono::steady_clock::now() + runTimeout});
    }
    for (auto it = running.begin(); it != running.end();) {
      const std::optional<int> status = it->child->wait(0ms);
      if (status || std::chrono::steady_clock::now() >= it->deadline) {
        finish(*it, status);
        it = running.erase(it);  // a child still running is killed here
      } else {
        ++it;
      }
    }
    std::this_thread::sleep_for(20ms);
  }
  return report;
}


std::string caseName(const testing::TestParamInfo<Case>& info) {
  std::string name = info.param.files;
  for (const Damage damage : info.param.damages) {
    name += std::string("_") + damageName(damage);
  }
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

class BrokenFile : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (!haveXDisplay()) GTEST_SKIP() << "needs a display";
    if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << production;
  }
};

TEST_P(BrokenFile, EndsWithTheMessagesGivenForItsDamage) {
  const Case& row = GetParam();
  TempDir work;
  std::vector<CaptureRun> runs;
  for (const std::string& file : productionFiles()) {
    if (!matches(row.files, file)) continue;
    for (const Damage damage : row.damages) {
      CaptureRun run;
      run.label = file + " " + damageName(damage);
      run.folder = work.path() / std::to_string(runs.size());
      run.file = file;
      run.outcome = row.outcome;
      run.shaderLog = run.outcome.status == 1;
      makeDamagedCopy(run.folder, {file}, damage);
      runs.push_back(std::move(run));
    }
  }
  ASSERT_FALSE(runs.empty()) << "no file of the production matches " << row.files;
  const std::string report = runAll(runs, work.path());
  EXPECT_EQ(report, "") << row.files << " (" << row.why << ")";
  RecordProperty("runs", static_cast<int>(runs.size()));
}

INSTANTIATE_TEST_SUITE_P(Matrix, BrokenFile, testing::ValuesIn(cases), caseName);

TEST(BrokenContentMatrix, CoversEveryFileOfTheProductionWithEachDamageOnce) {
  if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << production;
  const std::vector<std::string> files = productionFiles();
  EXPECT_GT(files.size(), 50u);
  for (const std::string& file : files) {
    for (const Damage damage : allDamages) {
      int rows = 0;
      for (const Case& row : cases) {
        if (matches(row.files, file) &&
            std::find(row.damages.begin(), row.damages.end(), damage) != row.damages.end()) {
          ++rows;
        }
      }
      EXPECT_EQ(rows, 1) << file << " " << damageName(damage);
    }
  }
}

// --- Small files that claim gigabytes ----------------------------------------------------

// Files added to the production that cost far more memory or time than their
// size suggests: each is refused before the cost (with its message) or read
// at its real cost, and the show goes on. The tool runs with its address
// space limited, so a file that is decoded or measured after all ends the
// run (a crash or an abort) instead of taking the machine's memory.
struct AddedFiles {
  const char* label;
  std::vector<std::pair<std::string, std::string>> files;  // below Data/, and their bytes
  Outcome outcome;
};

// A Maya curve of `points` control points.
std::string mayaCurve(std::size_t points) {
  std::string text =
      "//Maya ASCII 2018 scene\ncreateNode transform -n \"path\";\n"
      "createNode bezierCurve -n \"pathShape\" -p \"path\";\n\tsetAttr -k off \".v\";\n"
      "\tsetAttr \".cc\" -type \"nurbsCurve\"\n\t\t3 1 0 no 3\n\t\t0\n\t\t" +
      std::to_string(points) + "\n";
  for (std::size_t i = 0; i < points; ++i) {
    text += std::to_string(i % 1000) + " " + std::to_string(i % 7) + " 0\n";
  }
  return text + "\t\t;\n";
}

TEST(BrokenContentMatrix, FilesThatClaimGigabytesAreRefusedOrReadAtTheirRealCost) {
  if (!haveXDisplay()) GTEST_SKIP() << "needs a display";
  if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << production;
  std::string library;
  for (int i = 0; i < 1000; ++i) {
    library += "newmtl m" + std::to_string(i) + "\nKd 0." + std::to_string(i % 10) + " 0.5 0.5\n";
  }
  std::string model = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n";
  for (int i = 0; i < 10000; ++i) model += "mtllib Many.mtl\n";
  model += "usemtl m7\nf 1//1 2//1 3//1\n";
  const std::vector<AddedFiles> added = {
      {"a 30000x30000 PNG of a few megabytes",
       {{"Textures/Bomb.png", encodeBlackGreyPngBomb(30000, 30000)}},
       reported("DevIL failed to load: Bomb.png")},
      {"a PNG past the texture side", {{"Textures/Wide.png", encodeBlackGreyPngBomb(40000, 2)}},
       reported("DevIL failed to load: Wide.png")},
      {"the loading picture as a bomb", {{"Loading.jpg", encodeBlackGreyPngBomb(30000, 30000)}},
       reported("DevIL failed to load: Loading.jpg")},
      {"a Maya curve of 300,000 points", {{"Maya/Huge.ma", mayaCurve(300000)}},
       reported("Maya curve too long, left out: Huge.ma")},
      {"10,000 mtllib lines naming a library of 1,000 materials",
       {{"Models/Many.obj", model}, {"Models/Many.mtl", library}}, silent()},
  };
  TempDir work;
  std::vector<CaptureRun> runs;
  for (const AddedFiles& row : added) {
    CaptureRun run;
    run.label = row.label;
    run.folder = work.path() / std::to_string(runs.size());
    run.file = row.files.front().first;
    run.outcome = row.outcome;
    for (const auto& [file, bytes] : row.files) {
      if (fs::exists(run.folder / "Data" / file)) {
        fs::remove(run.folder / "Data" / file);  // a link to the production's file
      } else if (!fs::exists(run.folder / "Data")) {
        makeDamagedCopy(run.folder, {file}, Damage::missing);
      }
      writeFile(run.folder / "Data" / file, bytes);
    }
    if (addressSpaceLimitWorks) {
      run.wrapper = {"/bin/sh", "-c", "ulimit -v " + std::to_string(captureAddressSpaceKb) +
                                          " && exec \"$0\" \"$@\""};
    }
    runs.push_back(std::move(run));
  }
  EXPECT_EQ(runAll(runs, work.path()), "");
}

// --- Data/ as a whole ------------------------------------------------------------------

class BrokenDataFolder : public testing::Test {
 protected:
  void SetUp() override {
    if (!haveXDisplay()) GTEST_SKIP() << "needs a display";
    if (!productionBuilt()) GTEST_SKIP() << "the production is not built into " << production;
  }
  // A whole Data/ of links to the production.
  void linkProduction(const fs::path& root) {
    fs::create_directories(root / "Data");
    for (const fs::directory_entry& entry : fs::directory_iterator(production)) {
      fs::create_symlink(entry.path(), root / "Data" / entry.path().filename());
    }
  }
  TempDir work;
};

// Runs the tool in `folder` and returns its status and stderr.
std::pair<std::optional<int>, std::string> captureIn(const fs::path& folder,
                                                     const std::vector<std::string>& wrapper = {}) {
  const auto child =
      startWrapped(wrapper, capturePath, {"--at", "1", "-o", (folder / "x.png").string()}, folder);
  const std::optional<int> status = child->wait(runTimeout);
  return {status, child->standardError()};
}

TEST_F(BrokenDataFolder, MissingOrNotAFolderEndsWithOneAtOnce) {
  // Neither gets as far as start-up: the tool's one line says why.
  const fs::path none = work.path() / "none";
  fs::create_directories(none);
  EXPECT_EQ(captureIn(none), std::make_pair(std::optional<int>(1),
                                            std::string("tessaly-capture: no Data/ folder in the "
                                                        "current directory\n")));
  const fs::path file = work.path() / "file";
  writeFile(file / "Data", "not a folder");
  EXPECT_EQ(captureIn(file), std::make_pair(std::optional<int>(1),
                                            std::string("tessaly-capture: Data in the current "
                                                        "directory is not a folder\n")));
  // A link to itself is no folder either, and says so.
  const fs::path loop = work.path() / "loop";
  fs::create_directories(loop);
  fs::create_symlink("Data", loop / "Data");
  const auto [status, err] = captureIn(loop);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "tessaly-capture: cannot read Data/: Too many levels of symbolic links\n");
}

TEST_F(BrokenDataFolder, UnreadableEndsWithOneAndSaysWhy) {
  const std::vector<std::string> wrapper = permissionsBindingWrapper(work.path().string());
  if (wrapper.empty()) {
    GTEST_SKIP() << "file permissions do not bind here (root, and setpriv cannot drop "
                    "CAP_DAC_OVERRIDE), so an unreadable folder cannot be made";
  }

  // Data/ itself unreadable: the tool says so before start-up.
  const fs::path whole = work.path() / "whole";
  linkProduction(whole);
  fs::permissions(whole / "Data", fs::perms::none);
  const auto [status, err] = captureIn(whole, wrapper);
  fs::permissions(whole / "Data", fs::perms::owner_all);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "tessaly-capture: cannot read Data/: Permission denied\n");

  // One folder within it unreadable: it lists nothing, like a missing one.
  // Without its textures the show still runs; without its shaders start-up
  // stops.
  std::vector<CaptureRun> runs(2);
  runs[0].label = "Data/Textures unreadable";
  runs[0].outcome = silent();
  runs[0].file = "Textures";
  runs[1].label = "Data/Shaders unreadable";
  runs[1].outcome = stopsStartUp("Error compiling filter shader");
  runs[1].file = "Shaders/Filters.vert";
  runs[1].shaderLog = true;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i].folder = work.path() / ("part" + std::to_string(i));
    runs[i].wrapper = wrapper;
    const fs::path folder = runs[i].folder / "Data" / fs::path(runs[i].file).begin()->string();
    fs::create_directories(runs[i].folder / "Data");
    for (const fs::directory_entry& entry : fs::directory_iterator(production)) {
      const fs::path target = runs[i].folder / "Data" / entry.path().filename();
      if (target == folder) {
        fs::create_directories(target);
        fs::permissions(target, fs::perms::none);
      } else {
        fs::create_symlink(entry.path(), target);
      }
    }
  }
  EXPECT_EQ(runAll(runs, work.path()), "");
  for (const CaptureRun& run : runs) {
    fs::permissions(run.folder / "Data" / fs::path(run.file).begin()->string(), fs::perms::owner_all);
  }
}

TEST_F(BrokenDataFolder, SymlinkLoopsUnderItAreSkippedSilently) {
  // A link to itself where a picture is looked for, two links to each other
  // where Maya scenes are, and folders that lead back up the tree: none is a
  // regular file, and no listing descends into folders.
  const fs::path root = work.path() / "loops";
  fs::create_directories(root / "Data");
  for (const fs::directory_entry& entry : fs::directory_iterator(production)) {
    const fs::path name = entry.path().filename();
    if (name == "Textures" || name == "Maya") {
      fs::create_directories(root / "Data" / name);
      for (const fs::directory_entry& file : fs::directory_iterator(entry.path())) {
        fs::create_symlink(file.path(), root / "Data" / name / file.path().filename());
      }
    } else {
      fs::create_symlink(entry.path(), root / "Data" / name);
    }
  }
  fs::create_symlink("Loop.png", root / "Data/Textures/Loop.png");
  fs::create_symlink("Ping.ma", root / "Data/Maya/Pong.ma");
  fs::create_symlink("Pong.ma", root / "Data/Maya/Ping.ma");
  fs::create_directory_symlink("..", root / "Data/Textures/Up");
  fs::create_directory_symlink(".", root / "Data/Maya/Here.ma");
  CaptureRun run;
  run.label = "symlink loops";
  run.folder = root;
  run.outcome = silent();
  EXPECT_EQ(runAll({run}, work.path()), "");
}

}  // namespace
}  // namespace tessaly::test
