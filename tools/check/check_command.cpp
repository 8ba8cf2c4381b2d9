// tessaly-inspect check [--json] [DIR]: the production in DIR (default
// "Data") checked in one pass. Text: one line per finding, "FILE: what is
// wrong: what the player does. What to do.", the driver's log lines under a
// shader finding, then which shader pairs the show draws with and which it
// only compiles. Exit 0 when clean, 1 with findings, 2 on usage.
//   --json: {"directory": s, "clean": b,
//            "findings": [{"kind": s, "file": s, "problem": s, "action": s,
//                          "details": [s, ...]}, ...],
//            "shaders": {"checked": b, "skipped": s or null,
//                        "pairs": [{"name": s, "program": s, "vertex": s, "fragment": s,
//                                   "drawn": b, "compiled": b or null}, ...]}}
#include "tools/check/production_check.h"
#include "tools/inspect/inspect.h"
#include "tools/inspect/json_writer.h"

#include <cctype>

namespace tessaly::tools {

namespace {

void writeText(const check::CheckReport& report, std::string& out) {
  for (const check::Finding& finding : report.findings) {
    out.append(finding.file).append(": ").append(finding.problem).append(". ");
    std::string action = finding.action;
    if (!action.empty()) {
      action[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(action[0])));
    }
    out.append(action).append(".\n");
    for (const std::string& line : finding.details) {
      out.append("    ").append(line).append("\n");
    }
  }
  std::string drawn;
  std::string compiledOnly;
  for (const check::ShaderPair& pair : report.shaderPairs) {
    std::string& list = pair.drawn ? drawn : compiledOnly;
    list.append(list.empty() ? "" : ", ").append(pair.name).append(" (").append(pair.programName).append(")");
  }
  // The filter chain's program comes first: it draws the overlays' titles.
  out.append("Shader pairs the show draws with: ")
      .append(drawn)
      .append("; the overlays' titles are drawn by filter 0 of ")
      .append(report.shaderPairs.front().fragmentPath)
      .append(".\n");
  out.append("Shader pairs it only compiles and checks at start-up: ").append(compiledOnly).append(".\n");
  if (!report.shadersChecked) {
    out.append("Shader compiling skipped: ")
        .append(report.shadersSkipped)
        .append("; run under a display (xvfb-run -a on a server) to compile them. "
                "This says nothing against the content.\n");
  }
  if (report.findings.empty()) {
    out.append(report.dataDir).append(": no findings.\n");
  } else {
    out.append(report.dataDir)
        .append(": ")
        .append(std::to_string(report.findings.size()))
        .append(report.findings.size() == 1 ? " finding.\n" : " findings.\n");
  }
}

void writeJson(const check::CheckReport& report, std::string& out) {
  JsonWriter json(out);
  json.beginObject();
  json.field("directory", report.dataDir);
  json.key("clean");
  json.boolean(report.findings.empty());
  json.key("findings");
  json.beginArray();
  for (const check::Finding& finding : report.findings) {
    json.beginObject();
    json.field("kind", finding.kind);
    json.field("file", finding.file);
    json.field("problem", finding.problem);
    json.field("action", finding.action);
    json.key("details");
    json.beginArray();
    for (const std::string& line : finding.details) {
      json.string(line);
    }
    json.endArray();
    json.endObject();
  }
  json.endArray();
  json.key("shaders");
  json.beginObject();
  json.key("checked");
  json.boolean(report.shadersChecked);
  json.key("skipped");
  if (report.shadersChecked) {
    json.null();
  } else {
    json.string(report.shadersSkipped);
  }
  json.key("pairs");
  json.beginArray();
  for (const check::ShaderPair& pair : report.shaderPairs) {
    json.beginObject();
    json.field("name", pair.name);
    json.field("program", pair.programName);
    json.field("vertex", pair.vertexPath);
    json.field("fragment", pair.fragmentPath);
    json.key("drawn");
    json.boolean(pair.drawn);
    json.key("compiled");
    if (pair.tried) {
      json.boolean(pair.compiled);
    } else {
      json.null();
    }
    json.endObject();
  }
  json.endArray();
  json.endObject();
  json.endObject();
  out += '\n';
}

}  // namespace

int runCheckCommand(const Invocation& invocation) {
  bool json = false;
  std::string directory = "Data";
  bool directoryGiven = false;
  for (const std::string_view arg : invocation.args) {
    if (arg == "--json") {
      json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return invocation.usageError("check does not know the option '" + std::string(arg) + "'");
    } else if (directoryGiven) {
      return invocation.usageError("check takes one DIR and nothing more");
    } else {
      directory = arg;
      directoryGiven = true;
    }
  }
  if (directory.empty()) {
    return invocation.usageError("check needs a DIR that is not empty");
  }
  check::CheckReport report = check::startReport(directory);
  check::checkFiles(report);
  if (!report.findings.empty() && report.findings.front().file == report.dataDir) {
    // No folder to read: nothing to compile either.
    report.shadersSkipped = "there is no folder to read them from";
  } else {
    check::checkShaders(report);
  }
  if (json) {
    writeJson(report, invocation.out);
  } else {
    writeText(report, invocation.out);
  }
  return report.findings.empty() ? exitOk : exitUnreadable;
}

}  // namespace tessaly::tools
