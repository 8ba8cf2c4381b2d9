// tessaly-content: writes the whole stand-in production (pictures, models,
// Maya scenes, sync tracks, soundtrack, shaders and licence) into a Data
// folder. Every run with the same inputs writes the same bytes.
//
//   tessaly-content --shaders DIR --licence FILE --font-bold TTF
//                   --font-regular TTF [--lame PROGRAM] OUTPUT
//
// The files are made in OUTPUT.partial and moved to OUTPUT at the end, so
// a failed run leaves the previous content in place.
#include "tools/content/font.h"
#include "tools/content/models.h"
#include "tools/content/output.h"
#include "tools/content/show.h"
#include "tools/content/soundtrack.h"
#include "tools/content/textures.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>

namespace fs = std::filesystem;
using namespace tessaly::content;

namespace {

struct Options {
  fs::path shaders, licence, fontBold, fontRegular, output;
  std::string lame = "lame";
};

bool parse(int argc, char** argv, Options& options) {
  std::map<std::string, std::string> values;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--", 0) == 0 && i + 1 < argc) {
      values[argument] = argv[++i];
    } else if (options.output.empty()) {
      options.output = argument;
    } else {
      return false;
    }
  }
  options.shaders = values["--shaders"];
  options.licence = values["--licence"];
  options.fontBold = values["--font-bold"];
  options.fontRegular = values["--font-regular"];
  if (values.count("--lame") != 0) {
    options.lame = values["--lame"];
  }
  return !options.output.empty() && !options.shaders.empty() && !options.licence.empty() &&
         !options.fontBold.empty() && !options.fontRegular.empty();
}

// Runs one step and reports its time; false stops the run.
bool step(const char* name, const std::function<bool()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok = work();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("tessaly-content: %-10s %6.2f s%s\n", name, seconds, ok ? "" : "  FAILED");
  return ok;
}

bool copyShaders(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::create_directories(to, error);
  bool any = false;
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(from, error)) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".vert" || extension == ".frag")) {
      files.push_back(entry.path());
    }
  }
  for (const fs::path& file : files) {
    bool read = false;
    const std::string text = readFile(file, read);
    if (!read || !writeFile(to / file.filename(), text)) {
      return false;
    }
    any = true;
  }
  return any;
}

// Replacing OUTPUT removes it, so only a folder this tool made (or an empty
// one) may be replaced.
bool safeToReplace(const fs::path& output) {
  std::error_code error;
  if (!fs::exists(output, error) || fs::is_empty(output, error)) {
    return true;
  }
  bool read = false;
  const std::string licence = readFile(output / "LICENSE", read);
  return read && licence.find("Tessaly") != std::string::npos &&
         fs::exists(output / "Rocket", error);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::cerr << "usage: tessaly-content --shaders DIR --licence FILE --font-bold TTF "
                 "--font-regular TTF [--lame PROGRAM] OUTPUT\n";
    return 2;
  }
  if (!safeToReplace(options.output)) {
    std::cerr << "tessaly-content: " << options.output.string()
              << " holds files this tool did not make; not replacing it\n";
    return 1;
  }
  const Font bold(options.fontBold), regular(options.fontRegular);
  if (!bold.ok() || !regular.ok()) {
    std::cerr << "tessaly-content: cannot read the fonts\n";
    return 1;
  }

  const fs::path data = options.output.string() + ".partial";
  std::error_code error;
  fs::remove_all(data, error);
  fs::create_directories(data, error);
  const fs::path textures = data / "Textures", models = data / "Models";
  const auto start = std::chrono::steady_clock::now();
  try {
    KickAnalysis kick;
    const bool ok =
        step("skies", [&] { return writeSkies(textures); }) &&
        step("maps", [&] { return writeMaterialMaps(textures); }) &&
        step("titles", [&] { return writeTitles(textures, data, bold, regular); }) &&
        step("models", [&] {
          return writeSkySphere(models) && writeParticles(models) && writeStang(models) &&
                 writeGrinder(models) && writeBallRoom(models) && writeBallHolder(models) &&
                 writeBalls(models) && writeBallCrusher(models) && writeBox(models);
        }) &&
        step("maya", [&] { return writeMayaScenes(data / "Maya"); }) &&
        step("music", [&] {
          const Soundtrack soundtrack = composeSoundtrack();
          kick = analyseKick(soundtrack);
          std::printf("tessaly-content: kick drum in spectrum bin %d (level %.3f, contrast %.1f)\n",
                      kick.bin, kick.level, kick.contrast);
          return encodeMp3(soundtrack, data / "Sound" / "KestruneOriginalSoundtrack.mp3",
                           options.lame);
        }) &&
        step("tracks", [&] { return writeTracks(data / "Rocket", showTracks(kick)); }) &&
        step("shaders", [&] { return copyShaders(options.shaders, data / "Shaders"); }) &&
        step("licence", [&] {
          bool read = false;
          const std::string text = readFile(options.licence, read);
          return read && writeFile(data / "LICENSE", text);
        });
    if (!ok) {
      return 1;
    }
  } catch (const std::exception& failure) {
    std::cerr << "tessaly-content: " << failure.what() << "\n";
    return 1;
  }

  fs::remove_all(options.output, error);
  fs::rename(data, options.output, error);
  if (error) {
    std::cerr << "tessaly-content: cannot move the content to " << options.output.string() << ": "
              << error.message() << "\n";
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("tessaly-content: wrote %s in %.1f s\n", options.output.string().c_str(), seconds);
  return 0;
}
