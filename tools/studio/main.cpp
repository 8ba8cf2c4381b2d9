// tessaly-studio: the production in DIR/Data (default ./Data) played for
// its authors, in a resizable window with transport, timeline, inspector and
// messages; content files reload as they are saved. Exit status 0, 1 when
// DIR/Data is unusable, start-up fails or a shot fails, 2 on bad usage,
// 128+signal after SIGTERM or SIGINT.
#include "platform/error_box.h"
#include "platform/termination.h"
#include "tools/studio/message_log.h"
#include "tools/studio/studio_app.h"
#include "tools/studio/studio_options.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// Why DIR/Data cannot be played, or nothing when it can be listed.
std::optional<std::string> dataFolderProblem(const std::string& directory) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path data = fs::path(directory) / "Data";
  const fs::file_status status = fs::status(data, error);
  if (status.type() == fs::file_type::not_found) {
    return "no Data/ folder in " + directory;
  }
  if (!error && !fs::is_directory(status)) {
    return data.string() + " is not a folder";
  }
  if (!error) {
    fs::directory_iterator listing(data, error);
  }
  if (error) {
    return "cannot read " + data.string() + ": " + error.message();
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tessaly;
  // SIGTERM and SIGINT end the studio through its shutdown, with 128+signal.
  platform::installTerminationHandlers();
  const studio::ParseResult parsed =
      studio::parseStudioOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "tessaly-studio: %s\nTry 'tessaly-studio --help'.\n",
                 parsed.error.c_str());
    return exitUsage;
  }
  const studio::StudioOptions& options = parsed.options;
  if (options.help) {
    std::fputs(studio::studioUsageText(), stdout);
    return 0;
  }
  if (const auto problem = dataFolderProblem(options.directory)) {
    std::fprintf(stderr, "tessaly-studio: %s\n", problem->c_str());
    return exitFailure;
  }
  // Shots name files relative to where the studio was started.
  studio::StudioOptions resolved = options;
  for (std::string* path : {&resolved.shot, &resolved.shotAfterReload, &resolved.shotAfterSave}) {
    if (!path->empty()) {
      *path = std::filesystem::absolute(*path).string();
    }
  }
  std::error_code error;
  std::filesystem::current_path(options.directory, error);
  if (error) {
    std::fprintf(stderr, "tessaly-studio: cannot enter %s: %s\n", options.directory.c_str(),
                 error.message().c_str());
    return exitFailure;
  }
  studio::MessageLog log;
  studio::sendMessagesTo(log);
  const int status = studio::runStudio(resolved, log);
  platform::setErrorSink({});
  return platform::terminationExitStatus(status);
}
