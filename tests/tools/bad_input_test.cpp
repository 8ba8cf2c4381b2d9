// The tools on bad input, as a user meets them: wrong arguments, files and
// folders that are missing, unreadable or of the wrong kind. Each case must
// end by itself with status 2 (the command line) or 1 (the files), say what
// is wrong in one line first (a usage text may follow a command-line
// mistake), write nothing on stdout, and show no crash or sanitizer report.
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string inspectPath = std::string(TESSALY_BINARY_DIR) + "/tessaly-inspect";
const std::string capturePath = std::string(TESSALY_BINARY_DIR) + "/tessaly-capture";
const fs::path production = fs::path(TESSALY_BINARY_DIR) / "Data";

// Where a case runs: an empty folder, or one whose Data/ links to the
// production (capture then starts up for real and needs a display).
enum class Folder { empty, production };

struct BadInput {
  const std::string* tool;
  std::vector<std::string> arguments;  // "@" stands for the case's folder
  Folder folder;
  int status;
  std::string firstLine;  // "@" stands for the case's folder
};

// The files the cases point at, made in the case's folder.
void makeFiles(const fs::path& folder) {
  fs::create_directories(folder / "a-folder");
  writeFile(folder / "unreadable.track", std::string(13, '\0'));
  fs::permissions(folder / "unreadable.track", fs::perms::none);
}

const std::vector<BadInput> cases = {
    // tessaly-inspect: the command line.
    {&inspectPath, {"frob"}, Folder::empty, 2, "tessaly-inspect: unknown command 'frob'"},
    {&inspectPath, {"--bogus"}, Folder::empty, 2, "tessaly-inspect: unknown command '--bogus'"},
    {&inspectPath, {"track"}, Folder::empty, 2, "tessaly-inspect: track needs a FILE"},
    {&inspectPath, {"maya"}, Folder::empty, 2, "tessaly-inspect: maya needs a FILE"},
    {&inspectPath, {"obj"}, Folder::empty, 2, "tessaly-inspect: obj needs a FILE"},
    {&inspectPath, {"track", "@/unreadable.track", "ten"}, Folder::empty, 2,
     "tessaly-inspect: ROW 'ten' is not a number"},
    {&inspectPath, {"maya", "@/a-folder", "0.5u"}, Folder::empty, 2,
     "tessaly-inspect: U '0.5u' is not a number"},
    // tessaly-inspect: files and folders.
    {&inspectPath, {"track", "@/missing.track"}, Folder::empty, 1,
     "tessaly-inspect: cannot read @/missing.track: No such file or directory"},
    {&inspectPath, {"maya", "@/missing.ma", "0.5"}, Folder::empty, 1,
     "tessaly-inspect: cannot read @/missing.ma: No such file or directory"},
    {&inspectPath, {"obj", "@/missing.obj"}, Folder::empty, 1,
     "tessaly-inspect: cannot read @/missing.obj: No such file or directory"},
    {&inspectPath, {"track", "@/a-folder"}, Folder::empty, 1,
     "tessaly-inspect: cannot read @/a-folder: Is a directory"},
    {&inspectPath, {"maya", "@/a-folder"}, Folder::empty, 1,
     "tessaly-inspect: cannot read @/a-folder: Is a directory"},
    {&inspectPath, {"obj", "@/a-folder"}, Folder::empty, 1,
     "tessaly-inspect: cannot read @/a-folder: Is a directory"},
    {&inspectPath, {"obj", ""}, Folder::empty, 1,
     "tessaly-inspect: cannot read : No such file or directory"},

    // tessaly-capture: the command line.
    {&capturePath, {}, Folder::empty, 2,
     "tessaly-capture: nothing to capture: give --at, --video, --sheet or --frames"},
    {&capturePath, {"--bogus"}, Folder::empty, 2, "tessaly-capture: unknown argument '--bogus'"},
    {&capturePath, {"--at", "1"}, Folder::empty, 2, "tessaly-capture: --at needs -o FILE.png"},
    {&capturePath, {"--at", "1,2", "-o", "x.png"}, Folder::empty, 2,
     "tessaly-capture: several --at times need a %d in the -o name (e.g. frame%02d.png)"},
    // One time and a stray '%': the name is wrong, not the number of times.
    {&capturePath, {"--at", "5", "-o", "a%"}, Folder::empty, 2,
     "tessaly-capture: the -o name 'a%' has a '%' that is not %d, %0Nd or %% (write %% for a "
     "literal %)"},
    {&capturePath, {"--at", "-1", "-o", "x.png"}, Folder::empty, 2,
     "tessaly-capture: --at wants times in seconds or rows (e.g. 12.5 or 120r), 0 or more, "
     "separated by commas"},
    {&capturePath, {"--size", "0x0", "--at", "1", "-o", "x.png"}, Folder::empty, 2,
     "tessaly-capture: --size wants WxH, each from 1 to 16384 (e.g. 1280x720)"},
    {&capturePath, {"--at", "1", "-o", "x.png", "--size"}, Folder::empty, 2,
     "tessaly-capture: --size wants WxH, each from 1 to 16384 (e.g. 1280x720)"},
    {&capturePath, {"--fps", "0", "--video", "x.mp4"}, Folder::empty, 2,
     "tessaly-capture: --fps wants a whole number from 1 to 1000"},
    {&capturePath, {"--at", "1", "--sheet", "s.png"}, Folder::empty, 2,
     "tessaly-capture: --at goes alone, not with --video, --sheet or --frames"},
    {&capturePath, {"--sheet", "s.png", "--from", "5", "--to", "5"}, Folder::empty, 2,
     "tessaly-capture: the span from --from to --to holds no frame"},
    // tessaly-capture: files and folders.
    {&capturePath, {"--at", "1", "-o", "x.png"}, Folder::empty, 1,
     "tessaly-capture: no Data/ folder in the current directory"},
    {&capturePath, {"--at", "1", "-o", "@/missing-folder/x.png"}, Folder::production, 1,
     "tessaly-capture: cannot write @/missing-folder/x.png: No such file or directory"},
    {&capturePath, {"--at", "1", "-o", "@/a-folder"}, Folder::production, 1,
     "tessaly-capture: cannot write @/a-folder: Is a directory"},
    {&capturePath, {"--sheet", "@/missing-folder/s.png", "--count", "1"}, Folder::production, 1,
     "tessaly-capture: cannot write @/missing-folder/s.png: No such file or directory"},
    // A picture too large for the PNG encoder is refused before start-up, so
    // here even without Data/ (it used to render for minutes, then fail).
    {&capturePath, {"--size", "480x16384", "--count", "100", "--columns", "1", "--sheet", "s.png"},
     Folder::empty, 1,
     "tessaly-capture: cannot write s.png: a sheet of 100 frames of 480x16384 in 1 column would "
     "be 496x1641408 pixels, more than a PNG here can hold (900 MiB of pixels at most); use fewer "
     "frames, more columns or a smaller --size"},
    {&capturePath, {"--size", "16384x16384", "--at", "1", "-o", "x.png"}, Folder::empty, 1,
     "tessaly-capture: cannot write x.png: 16384x16384 pixels, more than a PNG here can hold (900 "
     "MiB of pixels at most)"},
};

std::string withFolder(std::string text, const fs::path& folder) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
    text.replace(at, 1, folder.string());
    at += folder.string().size();
  }
  return text;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    result.push_back(line);
  }
  return result;
}

// What is wrong with how a case ended; empty when nothing is.
std::string judge(const BadInput& row, const fs::path& folder, std::optional<int> status,
                  const std::string& out, const std::string& err) {
  if (!status) return "did not end within 60 s";
  std::ostringstream problems;
  if (*status != row.status) problems << "status " << *status << ", wanted " << row.status << "; ";
  if (!out.empty()) problems << "wrote on stdout: '" << out << "'; ";
  const std::vector<std::string> said = lines(err);
  const std::string first = withFolder(row.firstLine, folder);
  if (said.empty() || said.front() != first) {
    problems << "first line '" << (said.empty() ? "" : said.front()) << "', wanted '" << first << "'; ";
  }
  // After a command-line mistake the usage may follow; after a file problem
  // nothing does.
  if (row.status == 1 && said.size() > 1) problems << "more than one line; ";
  if (row.status == 2 && said.size() > 1 && said[1].rfind("usage: ", 0) != 0) {
    problems << "second line is not the usage; ";
  }
  for (const char* crash : {"Sanitizer", "runtime error", "terminate called", "Segmentation",
                            "Aborted", "stack trace", "#0 "}) {
    if (err.find(crash) != std::string::npos) problems << "stderr shows '" << crash << "'; ";
  }
  return problems.str();
}

TEST(ToolsOnBadInput, SayWhatIsWrongInOneLineAndEndWithOneOrTwo) {
  bool skippedStartUps = false;
  for (const BadInput& row : cases) {
    const bool production = row.folder == Folder::production;
    if (production && (!haveDisplay() || !fs::is_directory(::tessaly::test::production))) {
      skippedStartUps = true;
      continue;
    }
    TempDir folder;
    makeFiles(folder.path());
    if (production) {
      fs::create_directory_symlink(::tessaly::test::production, folder.path() / "Data");
    }
    std::vector<std::string> arguments;
    for (const std::string& argument : row.arguments) {
      arguments.push_back(withFolder(argument, folder.path()));
    }
    ChildProcess child(*row.tool, arguments, {folder.path().string(), {"SDL_AUDIODRIVER=dummy"}, ""});
    const std::optional<int> status = child.wait(60s);
    std::string command = fs::path(*row.tool).filename().string();
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    EXPECT_EQ(judge(row, folder.path(), status, child.standardOutput(), child.standardError()), "")
        << command << "\nstderr: " << child.standardError();
    fs::permissions(folder.path() / "unreadable.track", fs::perms::owner_all);
  }
  if (skippedStartUps) {
    std::printf("cases that start up skipped: no display or no production\n");
  }
}

TEST(ToolsOnBadInput, AnUnreadableFileEndsWithOne) {
  TempDir folder;
  const std::vector<std::string> wrapper = permissionsBindingWrapper(folder.path().string());
  if (wrapper.empty()) {
    GTEST_SKIP() << "file permissions do not bind here (root, and setpriv cannot drop "
                    "CAP_DAC_OVERRIDE), so an unreadable file cannot be made";
  }
  makeFiles(folder.path());
  const std::string file = folder.file("unreadable.track");
  const auto [program, arguments] = wrapCommand(wrapper, inspectPath, {"track", file});
  ChildProcess child(program, arguments, {folder.path().string(), {}, ""});
  EXPECT_EQ(child.wait(60s), 1);
  EXPECT_EQ(child.standardError(), "tessaly-inspect: cannot read " + file + ": Permission denied\n");
  EXPECT_EQ(child.standardOutput(), "");
  fs::permissions(file, fs::perms::owner_all);
}

}  // namespace
}  // namespace tessaly::test
