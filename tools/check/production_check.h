// `tessaly-inspect check`: one pass over a production's Data/ folder that
// says, before anyone presses play, what the player would find missing,
// broken or silently ignored. The file checks need no window; the shader
// checks build every program of the show in a hidden GL context, and are
// reported as skipped when no display can be opened.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::check {

// One thing wrong with a production, in words for the person who made it.
struct Finding {
  std::string kind;     // a short key for scripts, e.g. "missing", "undecodable"
  std::string file;     // the file as shown, e.g. "Data/Textures/Copper.png"
  std::string problem;  // what is wrong and what the player makes of it
  std::string action;   // what to do about it
  std::vector<std::string> details;  // e.g. the driver's log, "FILE:LINE:COL: ..." a line
};

// One of the show's shader pairs: who builds it and whether a frame draws
// with it.
struct ShaderPair {
  std::string name;          // the files' base name, e.g. "Model"
  std::string programName;   // e.g. "modelShader", "filter shader"
  std::string vertexPath;    // as shown
  std::string fragmentPath;  // as shown
  bool drawn = false;        // false: compiled and checked at start-up only
  // Set by the shader checks: built and linked, or (false) not, or not
  // tried because a file is missing or empty.
  bool tried = false;
  bool compiled = false;
};

struct CheckReport {
  std::string dataDir;  // as given, without trailing '/'
  std::vector<Finding> findings;
  std::vector<ShaderPair> shaderPairs;  // the filter chain's, then the demo set's
  bool shadersChecked = false;
  std::string shadersSkipped;  // why the shader checks did not run
};

// The report with the show's shader pairs listed and nothing checked yet.
CheckReport startReport(const std::string& dataDir);

// The two costly reads of the file checks: decoding a picture and the
// soundtrack. The checks decode directly; a caller that checks many copies
// of one production (the tests) can keep what it decoded.
class Decoders {
 public:
  virtual ~Decoders() = default;
  // Whether the picture decodes to RGBA (DevIL, as the player loads it);
  // nullopt when it does, otherwise "undecodable" or "unconvertible".
  virtual std::optional<std::string> pictureFailure(const std::string& path);
  // The soundtrack's length in seconds as the player decodes it; nullopt
  // when it does not decode.
  virtual std::optional<double> soundSeconds(const std::string& path);
};

// Every check that reads files: named files missing or empty, pictures
// that do not decode, models, materials, curves, lights, tracks and the
// soundtrack. Appends to report.findings.
void checkFiles(CheckReport& report, Decoders& decoders);
void checkFiles(CheckReport& report);

// A hidden window with the player's OpenGL 3.3 core context, current while
// it lives, for building the shader pairs. Initialises GLFW and terminates
// it again: not for a process that holds windows of its own.
class ShaderContext {
 public:
  ShaderContext();
  ~ShaderContext();
  ShaderContext(const ShaderContext&) = delete;
  ShaderContext& operator=(const ShaderContext&) = delete;

  // Empty when the context is current; otherwise why not ("no display could
  // be opened (GLFW's words)").
  std::string failure() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Builds every shader pair whose files are there in a hidden GL context
// and appends a finding with the driver's log for each that does not
// compile or link. Without a display (or a context) sets shadersSkipped.
// Makes its own ShaderContext. The programs' own copies of the logs on stderr are
// held back while they build.
void checkShaders(CheckReport& report);
// The same in a context the caller made (and may use again).
void checkShaders(CheckReport& report, const ShaderContext& context);

// A file of the production as shown: `designPath` starts with "Data/",
// which becomes the report's folder.
std::string shownPath(const CheckReport& report, const std::string& designPath);

}  // namespace tessaly::check
