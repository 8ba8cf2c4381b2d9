// A damaged copy of the built production for the broken-content tests: a Data/
// of links to build/Data with chosen files missing, empty, cut to half or
// replaced by noise (the damages of the broken-content matrix), written for
// real. A copy costs no copying of the undamaged files.
#pragma once

#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tessaly::test {

namespace fs = std::filesystem;

inline const fs::path production = fs::path(TESSALY_BINARY_DIR) / "Data";

inline bool productionBuilt() {
  return fs::exists(production / "Shaders" / "Filters.frag");
}

enum class Damage { missing, empty, half, random };

inline const char* damageName(Damage damage) {
  switch (damage) {
    case Damage::missing: return "missing";
    case Damage::empty: return "empty";
    case Damage::half: return "half";
    case Damage::random: return "random";
  }
  return "?";
}

// Every regular file of the production, relative to Data/.
inline std::vector<std::string> productionFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(production, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file()) {
      files.push_back(fs::relative(it->path(), production).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline bool matches(const char* pattern, const std::string& file) {
  return fnmatch(pattern, file.c_str(), FNM_PATHNAME) == 0;
}

inline std::string damagedBytes(const std::string& file, Damage damage) {
  const std::string bytes = test::readFile(production / file);
  switch (damage) {
    case Damage::missing:
    case Damage::empty:
      return {};
    case Damage::half:
      return bytes.substr(0, bytes.size() / 2);
    case Damage::random: {
      // A fixed seed per file (FNV-1a of its name): every run sees the same noise.
      std::uint32_t seed = 2166136261u;
      for (const char c : file) {
        seed = (seed ^ static_cast<std::uint8_t>(c)) * 16777619u;
      }
      std::mt19937 generator(seed);
      std::string noise(bytes.size(), '\0');
      for (char& c : noise) {
        c = static_cast<char>(generator() & 0xFF);
      }
      return noise;
    }
  }
  return {};
}

// A Data/ in `root` of links to the production, with `damaged` (relative
// to Data/) damaged for real.
inline fs::path makeDamagedCopy(const fs::path& root, const std::vector<std::string>& damaged,
                         Damage damage) {
  const fs::path data = root / "Data";
  std::set<fs::path> realFolders{data};
  for (const std::string& file : damaged) {
    for (fs::path folder = (data / file).parent_path(); folder != data; folder = folder.parent_path()) {
      realFolders.insert(folder);
    }
  }
  for (const fs::path& folder : realFolders) {
    fs::create_directories(folder);
    const fs::path source = production / fs::relative(folder, data);
    for (const auto& entry : fs::directory_iterator(source)) {
      const fs::path target = folder / entry.path().filename();
      const std::string relative = fs::relative(target, data).string();
      const bool isDamaged = std::find(damaged.begin(), damaged.end(), relative) != damaged.end();
      if (!isDamaged && realFolders.count(target) == 0) {
        fs::create_symlink(entry.path(), target);
      }
    }
  }
  if (damage != Damage::missing) {
    for (const std::string& file : damaged) {
      std::ofstream(data / file, std::ios::binary) << damagedBytes(file, damage);
    }
  }
  return data;
}
}  // namespace tessaly::test
