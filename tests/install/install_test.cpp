// `cmake --install` of the build into a temporary prefix: the tree it
// makes, the menu entry, the manual pages, the icons, the launcher's own
// checks, and uninstalling.
#include "app/program_icon.h"
#include "assets/image_decoder.h"
#include "tests/install/installation.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tessaly::test {
namespace {

const std::vector<int> themeSizes = {16, 32, 48, 64, 128, 256};

std::vector<std::string> programs() {
  std::vector<std::string> names = {"tessaly", "tessaly-inspect", "tessaly-studio",
                                    "tessaly-track"};
  if (TESSALY_HAVE_CAPTURE) {
    names.push_back("tessaly-capture");
  }
  return names;
}

std::vector<std::string> manualPages() {
  std::vector<std::string> pages = {"tessaly", "tessaly-play", "tessaly-inspect",
                                    "tessaly-studio", "tessaly-track"};
  if (TESSALY_HAVE_CAPTURE) {
    pages.push_back("tessaly-capture");
  }
  return pages;
}

// The keys of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> desktopEntryKeys(const std::string& text) {
  std::map<std::string, std::string> keys;
  std::istringstream lines(text);
  std::string line;
  bool inGroup = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line[0] == '[') {
      inGroup = line == "[Desktop Entry]";
    } else if (inGroup && line.find('=') != std::string::npos) {
      keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
  }
  return keys;
}

class Install : public testing::Test {
 protected:
  void SetUp() override {
    const CommandResult result = installation_.install();
    ASSERT_EQ(result.status, 0) << result.out << result.err;
  }

  Installation installation_;
};

TEST_F(Install, MakesExactlyTheExpectedTree) {
  std::vector<std::string> expected = {"bin/tessaly-play", "share/applications/tessaly.desktop"};
  for (const std::string& program : programs()) {
    expected.push_back("bin/" + program);
  }
  for (const int size : themeSizes) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    expected.push_back("share/icons/hicolor/" + name + "/apps/tessaly.png");
  }
  for (const std::string& page : manualPages()) {
    expected.push_back("share/man/man1/" + page + ".1");
  }
  const std::vector<std::string> data = filesBelow(buildPath("Data"));
  ASSERT_FALSE(data.empty());
  EXPECT_NE(std::find(data.begin(), data.end(), "LICENSE"), data.end());
  for (const std::string& file : data) {
    expected.push_back("share/tessaly/Data/" + file);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(filesBelow(installation_.prefix()), expected);

  // The production and the programs are the build's, byte for byte; the
  // programs and the launcher can be run by anyone.
  for (const std::string& file : data) {
    EXPECT_TRUE(readFile(installation_ / ("share/tessaly/Data/" + file)) ==
                readFile(buildPath("Data/" + file)))
        << file;
  }
  for (const std::string& program : programs()) {
    EXPECT_TRUE(readFile(installation_ / ("bin/" + program)) == readFile(buildPath(program)))
        << program;
  }
  for (const std::string& program : programs()) {
    struct stat status {};
    ASSERT_EQ(stat((installation_ / ("bin/" + program)).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0555, 0555u) << program;
  }
  struct stat launcher {};
  ASSERT_EQ(stat((installation_ / "bin/tessaly-play").c_str(), &launcher), 0);
  EXPECT_EQ(launcher.st_mode & 0555, 0555u);

  // The manifest lists what was installed, with full paths.
  std::vector<std::string> manifest;
  std::istringstream lines(readFile(buildPath("install_manifest_tessaly.txt")));
  for (std::string line; std::getline(lines, line);) {
    manifest.push_back(std::filesystem::relative(line, installation_.prefix()).string());
  }
  std::sort(manifest.begin(), manifest.end());
  EXPECT_EQ(manifest, expected);
}

TEST_F(Install, UninstallRemovesEverythingAndTheDirectoriesItCreated) {
  // The prefix did not exist before: afterwards it does not either.
  const CommandResult result = installation_.uninstall();
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_FALSE(std::filesystem::exists(installation_.prefix()))
      << "left: " << ::testing::PrintToString(filesBelow(installation_.prefix()));

  // A second run has nothing to do and says so.
  const CommandResult again = installation_.uninstall();
  EXPECT_NE(again.status, 0);
  EXPECT_NE((again.out + again.err).find("Nothing to uninstall"), std::string::npos)
      << again.out << again.err;
}

TEST(Uninstall, LeavesAPrefixInUseAsItWasAndKeepsWhatOthersAdded) {
  // A prefix with other programs' files in the folders an installation
  // shares, and one of the icon folders already there.
  Installation installation;
  const TempDir& folder = installation.folder();
  const std::string prefix = installation.prefix().filename().string() + "/";
  folder.write(prefix + "bin/other-tool", "#!/bin/sh\n");
  folder.write(prefix + "share/applications/other.desktop", "[Desktop Entry]\n");
  folder.write(prefix + "share/icons/hicolor/48x48/apps/other.png", "not ours");
  std::filesystem::create_directories(installation / "share/man/man1");
  const auto before = snapshot(installation.prefix());

  // Installed twice (the second time every folder exists already), and a
  // file of the user's put among the production's.
  ASSERT_EQ(installation.install().status, 0);
  ASSERT_EQ(installation.install().status, 0);
  folder.write(prefix + "share/tessaly/Data/Models/mine.obj", "v 0 0 0\n");
  const std::string mine = snapshot(installation / "share/tessaly/Data/Models").at("mine.obj");

  const CommandResult result = installation.uninstall();
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  auto expected = before;
  expected["share/tessaly"] = "dir";
  expected["share/tessaly/Data"] = "dir";
  expected["share/tessaly/Data/Models"] = "dir";
  expected["share/tessaly/Data/Models/mine.obj"] = mine;
  EXPECT_EQ(snapshot(installation.prefix()), expected) << result.out << result.err;

  // Without the user's file the production's folders go as well.
  std::filesystem::remove(installation / "share/tessaly/Data/Models/mine.obj");
  ASSERT_EQ(installation.install().status, 0);
  const CommandResult second = installation.uninstall();
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(snapshot(installation.prefix()), before) << second.out << second.err;
}

TEST_F(Install, TheMenuEntryIsValidAndStartsTheInstalledLauncher) {
  const std::filesystem::path entry = installation_ / "share/applications/tessaly.desktop";
  const auto keys = desktopEntryKeys(readFile(entry));
  EXPECT_EQ(keys.at("Type"), "Application");
  EXPECT_EQ(keys.at("Name"), "Tessaly demosystem");
  EXPECT_EQ(keys.at("Icon"), "tessaly");
  const std::string launcher = (installation_ / "bin/tessaly-play").string();
  EXPECT_EQ(keys.at("Exec"), "\"" + launcher + "\"");  // quoted: the prefix has a space
  EXPECT_EQ(keys.at("TryExec"), launcher);
  EXPECT_EQ(keys.at("Terminal"), "false");
  EXPECT_EQ(keys.at("Categories"), "Graphics;3DGraphics;");
  // The windows' class, so the desktop puts them under this entry.
  EXPECT_EQ(keys.at("StartupWMClass"), "Tessaly demosystem");

  if (!onPath("desktop-file-validate")) {
    GTEST_SKIP() << "needs desktop-file-validate (desktop-file-utils)";
  }
  const CommandResult result = runProgram({"desktop-file-validate", entry.string()});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out + result.err, "");
}

TEST_F(Install, TheManualPagesRenderWithoutWarnings) {
  if (!onPath("groff") || !onPath("man")) {
    GTEST_SKIP() << "needs groff and man (man-db)";
  }
  const std::filesystem::path manDirectory = installation_ / "share/man";
  for (const std::string& page : manualPages()) {
    const std::string file = "man1/" + page + ".1";
    // groff with every warning on; from the manual folder, where the
    // tessaly-play page finds the page it sources.
    const CommandResult groff =
        runProgram({"groff", "-ww", "-man", "-Tutf8", "-z", file}, manDirectory);
    EXPECT_EQ(groff.status, 0) << page;
    EXPECT_EQ(groff.err, "") << page;

    const CommandResult man = runProgram({"man", "--warnings", "-l", file}, manDirectory,
                                         {"MANWIDTH=80", "LC_ALL=C.UTF-8", "MAN_KEEP_FORMATTING="});
    EXPECT_EQ(man.status, 0) << page;
    EXPECT_EQ(man.err, "") << page;
    // The NAME line names the program (tessaly-play shares the player's).
    const std::size_t nameAt = man.out.find("\nNAME\n");
    ASSERT_NE(nameAt, std::string::npos) << page << ":\n" << man.out;
    const std::size_t lineAt = nameAt + 6;
    const std::string nameLine = man.out.substr(lineAt, man.out.find('\n', lineAt) - lineAt);
    EXPECT_TRUE(nameLine.find(" " + page + " - ") != std::string::npos ||
                nameLine.find(" " + page + ", ") != std::string::npos ||
                nameLine.find(", " + page + " - ") != std::string::npos)
        << page << ": " << nameLine;
    EXPECT_NE(man.out.find("EXIT STATUS"), std::string::npos) << page;
    EXPECT_NE(man.out.find("EXAMPLES"), std::string::npos) << page;
  }

  // man finds them by name in the installed tree.
  const CommandResult byName = runProgram({"man", "--warnings", "-M", manDirectory.string(),
                                           "tessaly-play"},
                                          {}, {"MANWIDTH=80", "LC_ALL=C.UTF-8"});
  EXPECT_EQ(byName.status, 0) << byName.err;
  EXPECT_NE(byName.out.find("tessaly, tessaly-play - play the Tessaly demosystem production"),
            std::string::npos)
      << byName.out;
}

// The file's PNG header: signature, then the IHDR chunk's width, height,
// bit depth and colour type.
struct PngHeader {
  bool valid = false;
  std::uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
};

PngHeader readPngHeader(const std::string& bytes) {
  PngHeader header;
  static const char signature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 29 || bytes.compare(0, 8, signature, 8) != 0 ||
      bytes.compare(12, 4, "IHDR") != 0) {
    return header;
  }
  const auto bigEndian = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
  };
  header.valid = true;
  header.width = bigEndian(16);
  header.height = bigEndian(20);
  header.bitDepth = static_cast<std::uint8_t>(bytes[24]);
  header.colourType = static_cast<std::uint8_t>(bytes[25]);
  return header;
}

TEST_F(Install, TheIconsArePngsOfTheirSizesShowingTheWindowsPicture) {
  ASSERT_TRUE(assets::initializeDevil());
  for (const int size : themeSizes) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path file = installation_ / ("share/icons/hicolor/" + name + "/apps/tessaly.png");
    const PngHeader header = readPngHeader(readFile(file));
    ASSERT_TRUE(header.valid) << file;
    EXPECT_EQ(header.width, static_cast<std::uint32_t>(size));
    EXPECT_EQ(header.height, static_cast<std::uint32_t>(size));
    EXPECT_EQ(header.bitDepth, 8);
    EXPECT_EQ(header.colourType, 6) << "RGBA";

    // Decoded as the player decodes pictures: the drawing code's pixels.
    assets::DecodedImage image;
    ASSERT_EQ(assets::decodeImage(file.string(), image), assets::DecodeStatus::decoded) << file;
    ASSERT_EQ(image.width, size);
    ASSERT_EQ(image.height, size);
    const platform::RgbaPicture icon = app::programIcon(size);
    const std::size_t row = static_cast<std::size_t>(size) * 4;
    bool same = true;
    for (int y = 0; y < size && same; ++y) {
      // The decoder hands rows over bottom first.
      same = std::memcmp(image.pixels.data() + (size - 1 - y) * row, icon.rgba.data() + y * row,
                         row) == 0;
    }
    EXPECT_TRUE(same) << name << " differs from the windows' icon";
  }
}

TEST_F(Install, TheLauncherRefusesArgumentsAndSaysWhenTheProductionIsMissing) {
  const std::string launcher = (installation_ / "bin/tessaly-play").string();
  const CommandResult help = runProgram({launcher, "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: tessaly-play"), std::string::npos);

  const CommandResult argument = runProgram({launcher, "Data"});
  EXPECT_EQ(argument.status, 2);
  EXPECT_NE(argument.err.find("takes no arguments"), std::string::npos);

  std::filesystem::remove_all(installation_ / "share/tessaly/Data");
  const CommandResult missing = runProgram({launcher});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("tessaly-play: the production is missing"), std::string::npos)
      << missing.err;
}

}  // namespace
}  // namespace tessaly::test
