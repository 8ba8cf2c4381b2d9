// Writing the generated files: whole files from bytes or text, folders on
// the way, and running an outside program (the MP3 encoder) without a shell.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::content {

// Writes the bytes to `path`, creating its folder; false (with a line on
// stderr) when the file cannot be written.
bool writeFile(const std::filesystem::path& path, std::string_view bytes);
bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The whole file, or nothing (and `ok` false) when it cannot be read.
std::string readFile(const std::filesystem::path& path, bool& ok);

// Runs `arguments[0]` (searched on PATH) with the arguments, waits for it and
// returns true when it exited with status 0.
bool runProgram(const std::vector<std::string>& arguments);

// Formats a number with up to `decimals` decimals, without trailing zeros and
// never as "-0", so that text files stay small and identical run to run.
std::string formatNumber(double value, int decimals = 4);

}  // namespace tessaly::content
