#include "tools/content/output.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace tessaly::content {

bool writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code error;
  if (path.has_parent_path()) {
    std::filesystem::create_directories(path.parent_path(), error);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::cerr << "tessaly-content: cannot write " << path.string() << "\n";
    return false;
  }
  return true;
}

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  return writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                          bytes.size()));
}

std::string readFile(const std::filesystem::path& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ok = false;
    return {};
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ok = !in.bad();
  return bytes;
}

bool runProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    std::cerr << "tessaly-content: cannot start " << arguments[0] << "\n";
    return false;
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) {
    return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string formatNumber(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string result(text);
  if (result.find('.') != std::string::npos) {
    while (result.back() == '0') {
      result.pop_back();
    }
    if (result.back() == '.') {
      result.pop_back();
    }
  }
  // A negative zero prints as plain 0. (A new string rather than assigning
  // "0" keeps GCC 12's -Wrestrict false positive away in optimised builds.)
  if (result == "-0") {
    return std::string(1, '0');
  }
  return result;
}

}  // namespace tessaly::content
