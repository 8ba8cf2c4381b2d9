// tessaly-icon: writes the program's icon as PNG files for the desktop's
// icon theme, one per size: OUTPUT/<n>x<n>/apps/tessaly.png. The build runs
// it into build/icons/hicolor, from where `cmake --install` copies the
// files. Exit status 0, 1 when a file cannot be written, 2 on bad usage.
#include "app/program_icon.h"

#include <stb_image_write.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace {

constexpr int exitUsage = 2;

bool writeIcon(const std::filesystem::path& output, int size) {
  const std::string name = std::to_string(size) + "x" + std::to_string(size);
  const std::filesystem::path folder = output / name / "apps";
  const std::filesystem::path file = folder / "tessaly.png";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const tessaly::platform::RgbaPicture icon = tessaly::app::programIcon(size);
  if (error || stbi_write_png(file.c_str(), icon.width, icon.height, 4, icon.rgba.data(),
                              icon.width * 4) == 0) {
    std::fprintf(stderr, "tessaly-icon: cannot write %s\n", file.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const auto usage = [] {
    std::fprintf(stderr, "usage: tessaly-icon OUTPUT_DIR SIZE...  (sizes 1 to %d)\n",
                 tessaly::app::maxIconSize);
    return exitUsage;
  };
  if (argc < 3) {
    return usage();
  }
  for (int i = 2; i < argc; ++i) {
    const std::string_view text = argv[i];
    int size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || size < 1 ||
        size > tessaly::app::maxIconSize) {
      return usage();
    }
  }
  for (int i = 2; i < argc; ++i) {
    if (!writeIcon(argv[1], std::stoi(argv[i]))) {
      return 1;
    }
  }
  return 0;
}
